#include "form1.h"

#include "infopanel.h"
#include "portboxhelp.h"
#include "widgets/clicksignal.h"
#include "widgets/colorbutton.h"
#include "widgets/colorcode.h"
#include "widgets/indicatorcircle.h"
#include "windowicons.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {

// A start-up statement that fails is abandoned on its own; the next one still runs.
template <typename Statement> void guarded(Statement &&statement) noexcept
{
    try {
        statement();
    } catch (...) {
    }
}

} // namespace

Form1::Form1(Form1Services services, QWidget *parent)
    : QMainWindow(parent), c(buildForm1Layout(this)), m_dates(std::move(services.dates)),
      m_capture(std::move(services.capture)), m_comm1(std::move(services.backend)),
      m_portSettings(
          m_comm1, c.Combo1, c.Shape1, c.Timer2,
          [this, show = std::move(services.showMessage)](const QString &text) { show(this, text); }),
      m_outputSignals(m_comm1, c.Command3, c.Command4, c.Command7, c.Command8),
      m_displayMode(c.Command5, c.Command6, c.Label3),
      m_pollingCycle(m_comm1, m_displayMode, c.Text2, c.Timer1, c.Text1, c.Shape2)
{
    m_comm1.setCapture(m_capture.get());
    m_journal = std::move(services.journal);
    m_portSettings.setJournal(m_journal.get());
    wireEvents();
}

void Form1::wireEvents()
{
    for (int i = 0; i < int(c.Combo1.size()); ++i)
        connect(c.Combo1[i], &QComboBox::activated, &m_portSettings,
                [this, i] { m_portSettings.Combo1_Click(i); });
    connect(c.Timer2, &QTimer::timeout, &m_portSettings, &PortSettings::Timer2_Timer);
    keepPortBoxHelpFresh(c.Combo1[0], &m_comm1);

    connect(c.Command3, &QPushButton::clicked, &m_outputSignals, &OutputSignals::Command3_Click);
    connect(c.Command4, &QPushButton::clicked, &m_outputSignals, &OutputSignals::Command4_Click);
    connect(c.Command7, &QPushButton::clicked, &m_outputSignals, &OutputSignals::Command7_Click);
    connect(c.Command8, &QPushButton::clicked, &m_outputSignals, &OutputSignals::Command8_Click);

    connect(c.Command1, &QPushButton::clicked, &m_pollingCycle, &PollingCycle::Command1_Click);
    connect(c.Command2, &QPushButton::clicked, &m_pollingCycle, &PollingCycle::Command2_Click);
    connect(c.Timer1, &QTimer::timeout, &m_pollingCycle, &PollingCycle::Timer1_Timer);
    connect(c.Command5, &QPushButton::clicked, &m_displayMode, &DisplayMode::Command5_Click);
    connect(c.Command6, &QPushButton::clicked, &m_displayMode, &DisplayMode::Command6_Click);

    if (m_capture)
        connect(m_capture.get(), &Capture::stopped, &m_portSettings, &PortSettings::describePort);
    if (m_journal)
        connect(m_journal.get(), &Capture::stopped, &m_portSettings, &PortSettings::describePort);

    connect(c.mnu_Prog, &QAction::triggered, this, &Form1::mnu_Prog_Click);
    connect(ClickSignal::on(c.Frame4), &ClickSignal::clicked, this, &Form1::Frame4_Click);
    connect(ClickSignal::on(c.Image2), &ClickSignal::clicked, this, &Form1::Image2_Click);
    connect(ClickSignal::on(c.Text38->viewport()), &ClickSignal::clicked, this, &Form1::Text38_Click);
}

void Form1::Form_Load(const QString &startPort)
{
    QtWindowSystem windowSystem;
    Set_Window_Icons(this, QStringLiteral("Icon1"), true, windowSystem);

    guarded([&] {
        // A port text the component refuses opens nothing rather than falling back to the first port.
        if (!startPort.isEmpty()) {
            c.Combo1[0]->setEditText(startPort);
            if (!m_comm1.setCommPort(startPort))
                return;
        }
        m_comm1.setPortOpen(true);
    });
    guarded([&] { m_portSettings.Show_Port_State(); });
    guarded([&] { m_pollingCycle.startJournal(m_journal.get()); });
    guarded([&] { m_displayMode.Command6_Click(); });
    guarded([&] { c.Command4->setBackColor(ColorCode::BrightGreen); });
    guarded([&] { c.Command3->setBackColor(ColorCode::ButtonFace); });
    guarded([&] { Make_Month_Genitive(); });
    guarded([&] {
        const QDate today = m_dates.today();
        setWindowTitle(titleCaption(today, Month_Genitive, m_dates.weekdayName(today.dayOfWeek())));
    });
    guarded([&] { c.Text38->setPlainText(makerBlockText()); });
    guarded([&] { c.Text39->setPlainText(termsOfUseText()); });
}

void Form1::Form_Unload()
{
    if (m_comm1.portOpen() == true)
        m_comm1.setPortOpen(false);
    if (m_capture)
        m_capture->close();
    if (m_journal)
        m_journal->close();
}

void Form1::Make_Month_Genitive()
{
    Month_Genitive = m_dates.monthName(m_dates.today().month());
    Month_Genitive = monthGenitive(Month_Genitive);
}

void Form1::mnu_Prog_Click()
{
    c.Frame4->setVisible(!c.Frame4->isVisible());
}

void Form1::Frame4_Click()
{
    c.Frame4->hide();
}

void Form1::Image2_Click()
{
    c.Frame4->hide();
}

void Form1::Text38_Click()
{
    c.Frame4->hide();
}

void Form1::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}
