#pragma once

#include <QLineEdit>

// A data row: an ordinary line edit that holds the whole reading, but lays out and paints only the start of
// it until the operator reaches into the row. QLineEdit lays out every character of its text (some 36 bytes
// each), and a reading can be 192 Ki characters.
class DataRow : public QLineEdit
{
    Q_OBJECT

public:
    explicit DataRow(QWidget *parent = nullptr);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool atRest() const;
    void rest();
    void wake();
};
