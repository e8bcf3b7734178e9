#include "datarow.h"

#include <QAccessible>
#include <QPainter>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextLayout>

namespace {

// QLineEdit's own inset of the text inside its contents rectangle.
constexpr int HorizontalMargin = 2;

} // namespace

DataRow::DataRow(QWidget *parent) : QLineEdit(parent)
{
    // At rest the echo is hidden, which leaves the text whole but gives Qt's layout an empty string.
    connect(this, &QLineEdit::cursorPositionChanged, this, &DataRow::rest);
    connect(this, &QLineEdit::selectionChanged, this, &DataRow::rest);
    // A resting row shows no echo, and an empty text moves no cursor: nothing else would repaint it.
    connect(this, &QLineEdit::textChanged, this, [this] {
        m_textHeight = -1;
        update();
    });
    rest();
}

bool DataRow::atRest() const
{
    return !hasFocus() && cursorPosition() == 0 && !hasSelectedText();
}

void DataRow::rest()
{
    // An assistive technology reads a hidden-echo edit as an empty password field.
    if (atRest() && !QAccessible::isActive())
        setEchoMode(NoEcho);
}

void DataRow::wake()
{
    setEchoMode(Normal);
}

// QLineEdit centres its text by the ink of the whole text, where it is taller than a line.
int DataRow::textHeight()
{
    if (m_textHeight < 0) {
        const QFontMetrics metrics = fontMetrics();
        const QString whole = text();
        m_textHeight = withinLine(whole) ? metrics.height()
                                         : qMax(metrics.boundingRect(whole).height(), metrics.height());
    }
    return m_textHeight;
}

// Measuring the ink of a whole reading lays out every character of it. Each glyph that stays within the
// font's line keeps the whole within it, and a reading holds a few hundred different characters at most.
bool DataRow::withinLine(const QString &text)
{
    const QFontMetricsF metrics(font(), this);
    if (qRound(metrics.ascent() + metrics.descent()) > fontMetrics().height())
        return false;
    // Hexadecimal readings are printable ASCII through and through. A pass that only finds the lowest and
    // highest character costs a fraction of a look-up for each, and printable ASCII as a whole is measured
    // once for a font. Control characters stay out of it: the font has no glyph for them, and asking for one
    // could load a second font.
    static const QString printable = [] {
        QString all;
        for (char16_t code = 0x20; code < 0x7F; ++code)
            all.append(QChar(code));
        return all;
    }();
    char16_t lowest = 0xFFFF, highest = 0;
    for (const QChar c : text) {
        lowest = qMin(lowest, c.unicode());
        highest = qMax(highest, c.unicode());
    }
    if (!text.isEmpty() && lowest >= 0x20 && highest < 0x7F && withinLineEach(metrics, printable))
        return true;
    return withinLineEach(metrics, text);
}

bool DataRow::withinLineEach(const QFontMetricsF &metrics, const QString &text)
{
    for (const QChar c : text) {
        const qsizetype code = c.unicode();
        if (code < m_withinLine.size() && m_withinLine.testBit(code))
            continue;
        if (c.isSurrogate())
            return false;
        const QRectF ink = metrics.boundingRect(c);
        if (ink.top() < -metrics.ascent() || ink.bottom() > metrics.descent())
            return false;
        // Grown to the highest character met, in steps of 256: a table of every UTF-16 code is 8 KiB a row,
        // zeroed and so resident even while the row is empty.
        if (code >= m_withinLine.size())
            m_withinLine.resize((code | 0xFF) + 1);
        m_withinLine.setBit(code);
    }
    return true;
}

bool DataRow::event(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        m_withinLine.clear();
        m_textHeight = -1;
    }
    if (m_backdrop.changed(event))
        update();
    return QLineEdit::event(event);
}

const QPixmap &DataRow::restingPanel(const QStyleOption &panel)
{
    if (m_backdrop.generation() == m_restingPanelGeneration && panel.state == m_restingPanelState)
        return m_restingPanel;
    // Rows alike share one picture, as they share their backdrop.
    const QString key = QStringLiteral("kalvane-row-panel-%1-%2-%3-%4")
                            .arg(m_backdrop.pixmap().cacheKey())
                            .arg(int(panel.state))
                            .arg(palette().cacheKey())
                            .arg(quintptr(style()));
    if (!QPixmapCache::find(key, &m_restingPanel)) {
        m_restingPanel = m_backdrop.pixmap().copy();
        QPainter painter(&m_restingPanel);
        style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);
        painter.end();
        QPixmapCache::insert(key, m_restingPanel);
    }
    m_restingPanelGeneration = m_backdrop.generation();
    m_restingPanelState = panel.state;
    return m_restingPanel;
}

void DataRow::focusInEvent(QFocusEvent *event)
{
    wake();
    QLineEdit::focusInEvent(event);
}

void DataRow::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    rest();
}

void DataRow::mousePressEvent(QMouseEvent *event)
{
    // A row that takes no focus is still clicked into, and the click finds its place in the laid-out text.
    wake();
    QLineEdit::mousePressEvent(event);
}

void DataRow::paintEvent(QPaintEvent *event)
{
    if (QAccessible::isActive())
        wake();
    // Editing, or scrolled away from the start: QLineEdit's own painting is the one that knows the cursor.
    if (!atRest()) {
        wake();
        {
            QPainter backdrop(this);
            backdrop.drawPixmap(0, 0, m_backdrop.pixmap());
        }
        QLineEdit::paintEvent(event);
        return;
    }
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    QPainter painter(this);
    painter.drawPixmap(0, 0, restingPanel(panel));

    const QRect contents =
        style()->subElementRect(QStyle::SE_LineEditContents, &panel, this).marginsRemoved(textMargins());
    painter.setClipRect(contents);
    const QFontMetrics metrics = fontMetrics();
    // Laid out from the start until the text runs a whole glyph past the row's end, so that nothing drawn
    // at the cut shows: some characters (DEL, the soft hyphen, format characters) take no room at all.
    const int reach = contents.width() + metrics.maxWidth();
    const QString whole = text();
    qsizetype fits = contents.width() / qMax(1, metrics.horizontalAdvance(QLatin1Char('.'))) + 2;
    QTextLayout layout(QString(), font(), this);
    QTextOption option = layout.textOption();
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    layout.setTextOption(option);
    for (;;) {
        QString visible = whole.left(fits);
        // As QLineEdit shows them: control characters but the tab, and line breaks, stand as spaces.
        for (QChar &c : visible)
            if ((c.unicode() < 0x20 && c != QLatin1Char('\t')) || c == QChar::LineSeparator ||
                c == QChar::ParagraphSeparator || c == QChar::ObjectReplacementCharacter)
                c = QLatin1Char(' ');
        layout.setText(visible);
        layout.beginLayout();
        const QTextLine line = layout.createLine();
        layout.endLayout();
        if (fits >= whole.size() || line.naturalTextWidth() > reach)
            break;
        fits *= 2;
    }
    const QString &visible = layout.text();

    const int top = contents.y() + (contents.height() - textHeight() + 1) / 2;
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    layout.draw(&painter, QPointF(contents.x() + HorizontalMargin, top));
}
