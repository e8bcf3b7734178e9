#pragma once

class QString;
class QWidget;

// The program's one message: modal, OK only, no icon, captioned with the program's name.
void showModalMessage(QWidget *parent, const QString &text);
