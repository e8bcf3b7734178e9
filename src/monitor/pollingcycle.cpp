#include "pollingcycle.h"

#include "cp1251.h"
#include "displaymode.h"
#include "journalline.h"
#include "port/capture.h"
#include "port/commport.h"
#include "port/linesettings.h"
#include "port/portstatetext.h"
#include "widgets/colorcode.h"
#include "widgets/indicatorcircle.h"

#include <QHelpEvent>
#include <QLineEdit>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <limits>

std::optional<int> parsePollingInterval(const QString &text)
{
    const auto value = wholeNumber(QStringView(text).trimmed());
    if (!value || *value < 1 || *value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(*value);
}

namespace {

QString grouped(qsizetype number)
{
    QString digits = QString::number(number);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char(' '));
    return digits;
}

// "hh:mm:ss.zzz" written digit by digit: every tick writes one, and Qt's formatters cost more than the rest
// of an empty tick.
QString clockText(QTime time)
{
    const int parts[] = {time.hour(), time.minute(), time.second()};
    char text[12];
    for (int i = 0; i < 3; ++i) {
        text[i * 3] = char('0' + parts[i] / 10 % 10);
        text[i * 3 + 1] = char('0' + parts[i] % 10);
        text[i * 3 + 2] = i < 2 ? ':' : '.';
    }
    text[9] = char('0' + time.msec() / 100 % 10);
    text[10] = char('0' + time.msec() / 10 % 10);
    text[11] = char('0' + time.msec() % 10);
    return QString::fromLatin1(text, sizeof text);
}

QString byteCount(qsizetype count)
{
    const qsizetype ones = count % 10, tens = count % 100;
    const bool paucal = ones >= 2 && ones <= 4 && (tens < 12 || tens > 14);
    return grouped(count) + (paucal ? QStringLiteral(" байта") : QStringLiteral(" байт"));
}

} // namespace

PollingCycle::PollingCycle(CommPort &Comm1, DisplayMode &displayMode, QLineEdit *Text2, QTimer *Timer1,
                           const std::array<QLineEdit *, 10> &Text1,
                           const std::array<IndicatorCircle *, 10> &Shape2, QObject *parent)
    : QObject(parent), Comm1(Comm1), m_displayMode(displayMode), Text2(Text2), Timer1(Timer1), Text1(Text1),
      Shape2(Shape2)
{
    for (IndicatorCircle *indicator : Shape2)
        indicator->setStateNames({{ColorCode::WindowBackground, QStringLiteral("не записана")},
                                  {ColorCode::Red, QStringLiteral("записана последней")},
                                  {ColorCode::Green, QStringLiteral("пройдена")}});
    for (int i = 0; i < 10; ++i)
        Text1[i]->installEventFilter(this);
    QAccessible::installActivationObserver(this);
}

PollingCycle::~PollingCycle()
{
    QAccessible::removeActivationObserver(this);
}

void PollingCycle::Command1_Click()
{
    // A text the timer cannot take changes nothing at all, so a typo never stops or resets a running cycle.
    const auto interval = parsePollingInterval(Text2->text());
    if (!interval)
        return;
    Row_Index = 0;
    Timer1->setInterval(*interval);
    Timer1->start();
}

void PollingCycle::Command2_Click()
{
    Timer1->stop();
    Shape2[9]->setBackColor(ColorCode::Green);
}

void PollingCycle::writeRow(const QString &text)
{
    QLineEdit *row = Text1[Row_Index];
    // The same text again would change nothing on screen, yet reset what the operator selected in the row.
    if (row->text() == text)
        return;
    row->setText(text);
    // A long reading is read from its first byte: setText alone leaves the row scrolled to its last.
    row->setCursorPosition(0);
}

void PollingCycle::Timer1_Timer()
{
    if (Row_Index > 0)
        Shape2[Row_Index - 1]->setBackColor(ColorCode::Green);
    Shape2[Row_Index]->setBackColor(ColorCode::Red);

    // A closed port shows the previous reading again.
    auto reading = Comm1.input();
    if (reading) {
        Rx_Data = std::move(*reading);
        m_readAt = clock();
        m_dropped = Comm1.droppedAtLastInput();
    }
    if (m_displayMode.Text_Mode != 0) {
        writeRow(cp1251Text(Rx_Data));
    } else {
        m_displayMode.Decoder_Pacet(Rx_Data, Row_Index);
        writeRow(m_displayMode.Hex_Data);
    }
    describeRow(!reading);
    keepInJournal(!reading);

    ++Row_Index;
    if (Row_Index == 10) {
        Row_Index = 0;
        Shape2[9]->setBackColor(ColorCode::Green);
    }
}

void PollingCycle::describeRow(bool repeated)
{
    m_notes[Row_Index] = RowNote{m_readAt,
                                 Rx_Data.size(),
                                 m_dropped,
                                 repeated,
                                 m_displayMode.Text_Mode != 0,
                                 repeated ? ReceiveErrors{} : Comm1.errorsAtLastInput()};
    if (QAccessible::isActive())
        describeToScreenReaders(Row_Index);
}

QString PollingCycle::noteText(int row) const
{
    const auto &[readAt, bytes, dropped, repeated, textMode, errors] = *m_notes[row];
    const QString time = clockText(readAt.time());
    QStringList lines;
    if (!repeated)
        lines << QStringLiteral("посылка от ") + time;
    else if (readAt.isValid())
        lines << QStringLiteral("повтор посылки от %1 — порт закрыт").arg(time);
    else
        lines << QStringLiteral("посылок ещё не было — порт закрыт");
    lines << byteCount(bytes) +
                 (textMode ? QStringLiteral(", текстом") : QStringLiteral(", в шестнадцатеричном виде"));
    // The system's count leaves out what its driver still holds ahead of the queue: a lower bound.
    if (dropped > 0)
        lines << QStringLiteral("показаны первые %1, отброшено не меньше %2 байт")
                     .arg(byteCount(bytes), grouped(dropped));
    if (errors.any())
        lines << QStringLiteral("с ошибками: ") + errorKinds(errors);
    return lines.join(QLatin1Char('\n'));
}

void PollingCycle::describeToScreenReaders(int row)
{
    const QString text = noteText(row);
    Text1[row]->setAccessibleDescription(text);
    Shape2[row]->setAccessibleDescription(text);
}

void PollingCycle::accessibilityActiveChanged(bool active)
{
    for (int row = 0; active && row < 10; ++row)
        if (m_notes[row])
            describeToScreenReaders(row);
}

bool PollingCycle::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return false;
    const auto row = std::find(Text1.begin(), Text1.end(), watched) - Text1.begin();
    if (row == 10 || !m_notes[row])
        return false;
    QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), noteText(row), Text1[row]);
    return true;
}

void PollingCycle::startJournal(Capture *journal)
{
    m_journal = journal;
    if (!m_journal)
        return;
    if (m_journal->startedEmpty())
        m_journal->append(journalHeader());
    // The line tells the port as the open left it, so it waits for the open's answer.
    m_startLineDue = true;
    m_portWasOpen = false;
    connect(&Comm1, &CommPort::stateChanged, this, &PollingCycle::followPort);
    followPort();
}

void PollingCycle::followPort()
{
    writeStartLine();
    const bool open = Comm1.state() == CommPort::State::Open;
    const bool opened = open && !m_portWasOpen;
    m_portWasOpen = open;
    // Each open tells the lines as it found them; the ticks tell them again when they move.
    if (opened && !m_startLineDue && m_journal->running())
        if (const auto &lines = Comm1.lastStatus().lines) {
            m_journal->append(journalNoteLine(clock(), linesNote(*lines)));
            m_journal->flush();
        }
}

void PollingCycle::writeStartLine()
{
    if (!m_startLineDue || Comm1.state() == CommPort::State::Opening)
        return;
    m_startLineDue = false;
    const bool open = Comm1.portOpen() == true;
    QString note = QStringLiteral("запуск: ") +
                   portStateText(open, Comm1.device(), Comm1.settingsInForce(), Comm1.lastFailure());
    if (!open)
        note += QStringLiteral("; настройки ") + lineSettingsText(Comm1.settings());
    m_journal->append(journalNoteLine(clock(), note));
    m_journal->flush();
}

void PollingCycle::keepInJournal(bool repeated)
{
    // A closed port repeats its reading at every tick; the journal keeps the first repeat alone, stamped when
    // the port was found closed, so that it tells when the rows stopped showing fresh readings.
    if (repeated) {
        if (std::exchange(m_repeating, true))
            return;
    } else {
        m_repeating = false;
    }
    // Only repeats of a port not yet open come before the start line.
    if (!m_journal || !m_journal->running() || m_startLineDue)
        return;
    const ReceiveErrors errors = repeated ? ReceiveErrors{} : Comm1.errorsAtLastInput();
    const std::optional<InputLines> lines =
        !repeated && Comm1.linesChangedAtLastInput() ? Comm1.lastStatus().lines : std::nullopt;
    if (!repeated && Rx_Data.isEmpty()) {
        // A tick with no bytes still tells the lines that moved and the errors that came.
        const QString notes = deviceNotes(errors, lines);
        if (notes.isEmpty())
            return;
        m_journal->append(journalNoteLine(m_readAt, notes));
    } else {
        m_journal->append(
            journalLine({repeated ? clock() : m_readAt, Rx_Data, m_dropped, repeated, errors, lines}));
    }
    // Handed over at once, so that a reader following the file sees each reading as its row does.
    m_journal->flush();
}
