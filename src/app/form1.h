#pragma once

#include "layout.h"
#include "monitor/displaymode.h"
#include "monitor/pollingcycle.h"
#include "outputsignals.h"
#include "port/capture.h"
#include "port/commport.h"
#include "portsettings.h"
#include "titledate.h"

#include <QMainWindow>
#include <functional>
#include <memory>

// What the window needs from the outside world, so tests can run it without hardware, a clock or a human.
struct Form1Services
{
    std::unique_ptr<SerialBackend> backend;
    DateSource dates;
    // Must not return until the operator has dismissed the message.
    std::function<void(QWidget *parent, const QString &text)> showMessage;
    // Where every byte read is kept; none when the operator asked for no capture.
    std::unique_ptr<Capture> capture = {};
    // Where each reading the rows show is kept with its time; none unless the operator asked for it.
    std::unique_ptr<Capture> journal = {};
};

// The one window: owns the controls, the port and the subsystems, and routes every event to its handler.
class Form1 : public QMainWindow
{
    Q_OBJECT

public:
    explicit Form1(Form1Services services, QWidget *parent = nullptr);

    // A non-empty port text goes into the port box and is opened in place of the box's first port.
    void Form_Load(const QString &startPort = {});
    void Form_Unload();
    void Make_Month_Genitive();
    void mnu_Prog_Click();
    void Frame4_Click();
    void Image2_Click();
    void Text38_Click();

    const Form1Controls &controls() const { return c; }
    CommPort &Comm1() { return m_comm1; }
    PortSettings &portSettings() { return m_portSettings; }
    OutputSignals &outputSignals() { return m_outputSignals; }
    DisplayMode &displayMode() { return m_displayMode; }
    PollingCycle &pollingCycle() { return m_pollingCycle; }

    QString Month_Genitive;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void wireEvents();

    Form1Controls c;
    DateSource m_dates;
    std::unique_ptr<Capture> m_capture; // outlives the port that feeds it
    std::unique_ptr<Capture> m_journal; // outlives the cycle that feeds it
    CommPort m_comm1;
    PortSettings m_portSettings;
    OutputSignals m_outputSignals;
    DisplayMode m_displayMode;
    PollingCycle m_pollingCycle;
};
