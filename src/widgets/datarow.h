#pragma once

#include "backdrop.h"

#include <QBitArray>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QStyle>

// A data row: an ordinary line edit that holds the whole reading, but lays out and paints only the start of
// it until the operator reaches into the row. QLineEdit lays out every character of its text (some 36 bytes
// each), and a reading can be 192 Ki characters.
class DataRow : public QLineEdit
{
    Q_OBJECT

public:
    explicit DataRow(QWidget *parent = nullptr);

protected:
    bool event(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool atRest() const;
    void rest();
    void wake();
    const QPixmap &restingPanel(const QStyleOption &panel);
    int textHeight();
    bool withinLine(const QString &text);
    bool withinLineEach(const QFontMetricsF &metrics, const QString &text);

    Backdrop m_backdrop{this};
    // The frame of a row at rest, over its backdrop: the style's frame costs more to draw than the text in
    // it.
    QPixmap m_restingPanel;
    int m_restingPanelGeneration = 0;
    QStyle::State m_restingPanelState;
    // The height the text is centred by, for the current text and font; -1 until measured.
    int m_textHeight = -1;
    // The characters whose glyphs stay within the font's line, in the current font, up to the highest met.
    QBitArray m_withinLine;
};
