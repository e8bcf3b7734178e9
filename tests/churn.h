#pragma once

#include "controls.h"
#include "processcounts.h"
#include "ptypair.h"

#include "app/form1.h"
#include "widgets/colorcode.h"
#include "widgets/indicatorcircle.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <optional>

// What a port can leave behind in this process, counted the same way by the churn test and its benchmark.
namespace churn {

// Qt names a port's lock file after its path, slashes made underscores, in the first writable lock folder.
inline QStringList lockFiles(const QString &device)
{
    QString name = device.startsWith(QStringLiteral("/dev/")) ? device.mid(5) : device;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    QStringList found;
    for (const QString &folder : {QStringLiteral("/var/lock"), QDir::tempPath()}) {
        const QString path = folder + QStringLiteral("/LCK..") + name;
        if (QFile::exists(path))
            found << path;
    }
    return found;
}

// Everything the window owns, the port's backend and the wait for a lost port included: a notifier or timer
// kept past close, or a wait kept past the return, shows here.
inline int liveObjects(Form1 &window, const QObject *backend)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return int(window.findChildren<QObject *>().size() + backend->findChildren<QObject *>().size() +
               window.Comm1().findChildren<QObject *>().size());
}

// A pseudo-terminal reached through a fixed symlink that can be pointed at a fresh one, as /dev/serial/by-id/
// does when an adapter is plugged back in.
class PluggablePty
{
public:
    PluggablePty() : path(m_folder.filePath(QStringLiteral("adapter"))) { plugIn(); }

    bool plugIn()
    {
        m_pty = std::make_unique<PtyPair>();
        const QString staged = m_folder.filePath(QStringLiteral("staged"));
        QFile::remove(staged);
        return !m_pty->slavePath.isEmpty() && QFile::link(m_pty->slavePath, staged) &&
               ::rename(QFile::encodeName(staged).constData(), QFile::encodeName(path).constData()) == 0;
    }
    // The adapter goes away: its end of the line hangs up and its name goes with it, as udev and socat take
    // theirs away; a name left behind could come to point at another program's pseudo-terminal.
    void pullOut()
    {
        m_pty->closeMaster();
        QFile::remove(path);
    }
    bool send(QByteArrayView bytes) const { return m_pty->writeAll(bytes); }
    const PtyPair &pty() const { return *m_pty; }

private:
    QTemporaryDir m_folder;
    std::unique_ptr<PtyPair> m_pty;

public:
    const QString path;
};

// Drives the window as the operator does: picks in the stop-bits list from its popup, the reopen tick of
// each pick, the start button.
class Operator
{
public:
    explicit Operator(Form1 &window) : m_window(window), c(window.controls()) {}

    void typePort(const QString &text)
    {
        c.Combo1[0]->lineEdit()->selectAll();
        QTest::keyClicks(c.Combo1[0]->lineEdit(), text);
    }

    // A pick from the popup list closes the port; the reopen tick it armed opens it again.
    bool pickAndReopen()
    {
        // The operator's hand is slower than the event loop, which runs between any two picks.
        QCoreApplication::processEvents();
        QComboBox *stopBits = c.Combo1[4];
        const int other = stopBits->currentIndex() == 0 ? 1 : 0;
        stopBits->showPopup();
        QAbstractItemView *list = stopBits->view();
        const QPoint where = list->visualRect(list->model()->index(other, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, where);
        if (stopBits->currentIndex() != other || !c.Timer2->isActive())
            return false;
        m_window.portSettings().Timer2_Timer();
        letTheOpenAnswer();
        return !c.Timer2->isActive() && m_window.Comm1().portOpen() == true && portLampIs(ColorCode::Green);
    }

    void startPolling(const QString &interval)
    {
        c.Text2->setText(interval);
        QTest::mouseClick(c.Command1, Qt::LeftButton);
    }

    bool portLampIs(quint32 code) const { return c.Shape1->backColor() == code; }

private:
    Form1 &m_window;
    const Form1Controls &c;
};

} // namespace churn
