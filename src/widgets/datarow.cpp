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

void DataRow::changeEvent(QEvent *event)
{
    m_backdrop.changed(event);
    QLineEdit::changeEvent(event);
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
    // No glyph is narrower than the narrowest printable ASCII one, so this many characters fill the row.
    const qsizetype fits = contents.width() / qMax(1, metrics.horizontalAdvance(QLatin1Char('.'))) + 2;
    QString visible = text().left(fits);
    // As QLineEdit shows them: control characters but the tab, and line breaks, stand as spaces.
    for (QChar &c : visible)
        if ((c.unicode() < 0x20 && c != QLatin1Char('\t')) || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator || c == QChar::ObjectReplacementCharacter)
            c = QLatin1Char(' ');

    QTextLayout layout(visible, font(), this);
    QTextOption option = layout.textOption();
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    layout.setTextOption(option);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();

    const int lineHeight = qMax(metrics.boundingRect(visible).height(), metrics.height());
    const int top = contents.y() + (contents.height() - lineHeight + 1) / 2;
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    layout.draw(&painter, QPointF(contents.x() + HorizontalMargin, top));
}
