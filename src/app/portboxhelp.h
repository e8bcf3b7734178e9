#pragma once

class CommPort;
class QComboBox;

// Writes the port box's help into its tooltip each time the tooltip is asked for, so it lists the devices
// present at that moment and what the server of the open remote port reports; and into its accessible
// description as well, and, while an assistive technology is active, whenever the text changes or the box
// takes focus.
void keepPortBoxHelpFresh(QComboBox *box, const CommPort *port = nullptr);
