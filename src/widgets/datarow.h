#pragma once

#include <QLineEdit>

// A data row: an ordinary line edit, except that at rest it paints only the start of a long reading.
// QLineEdit measures and draws its whole text on every paint, and a reading can be 192 Ki characters.
class DataRow : public QLineEdit
{
    Q_OBJECT

public:
    using QLineEdit::QLineEdit;

protected:
    void paintEvent(QPaintEvent *event) override;
};
