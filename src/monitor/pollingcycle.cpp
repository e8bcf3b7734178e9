#include "pollingcycle.h"

#include "widgets/indicatorcircle.h"
#include "widgets/colorcode.h"
#include "cp1251.h"
#include "displaymode.h"
#include "serial/commport.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QTimer>
#include <limits>

std::optional<int> parsePollingInterval(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,10}$"));
    const QString trimmed = text.trimmed();
    if (!digits.match(trimmed).hasMatch())
        return std::nullopt;
    const qint64 value = trimmed.toLongLong();
    if (value < 1 || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

PollingCycle::PollingCycle(CommPort &Comm1, DisplayMode &displayMode, QLineEdit *Text2, QTimer *Timer1,
                           const std::array<QLineEdit *, 10> &Text1,
                           const std::array<IndicatorCircle *, 10> &Shape2, QObject *parent)
    : QObject(parent), Comm1(Comm1), m_displayMode(displayMode), Text2(Text2), Timer1(Timer1), Text1(Text1),
      Shape2(Shape2)
{
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
    if (auto reading = Comm1.input())
        Rx_Data = std::move(*reading);
    if (m_displayMode.Text_Mode != 0) {
        writeRow(cp1251Text(Rx_Data));
    } else {
        m_displayMode.Decoder_Pacet(Rx_Data, Row_Index);
        writeRow(m_displayMode.Hex_Data);
    }

    ++Row_Index;
    if (Row_Index == 10) {
        Row_Index = 0;
        Shape2[9]->setBackColor(ColorCode::Green);
    }
}
