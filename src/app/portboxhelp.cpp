#include "portboxhelp.h"

#include "port/serialdevices.h"

#include <QAccessible>
#include <QComboBox>
#include <QEvent>

namespace {

// Also writes the help into the box's accessible description: a screen reader gets nothing of a tooltip
// written only as it shows. Reading the devices costs a scan of sysfs, which only an assistive technology's
// user needs at every keystroke and as the box takes focus.
class PortBoxHelpRefresher : public QObject, public QAccessible::ActivationObserver
{
public:
    PortBoxHelpRefresher(QComboBox *box, const CommPort *port) : QObject(box), m_box(box), m_port(port)
    {
        box->installEventFilter(this);
        connect(box, &QComboBox::editTextChanged, this, [this] {
            if (m_accessible)
                describe(help());
        });
        QAccessible::installActivationObserver(this);
        accessibilityActiveChanged(QAccessible::isActive());
    }
    ~PortBoxHelpRefresher() override { QAccessible::removeActivationObserver(this); }

    void accessibilityActiveChanged(bool active) override
    {
        m_accessible = active;
        if (active)
            describe(help());
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::ToolTip) {
            const QString text = help();
            m_box->setToolTip(text);
            describe(text);
        } else if (event->type() == QEvent::FocusIn && m_accessible) {
            // Devices come and go while the box is left alone.
            describe(help());
        }
        return false;
    }

private:
    QString help() const
    {
        const QString typed = m_box->currentText();
        return portBoxHelp(typed, QStringLiteral("/"), serverReport(m_port, typed));
    }

    void describe(const QString &help)
    {
        if (m_box->accessibleDescription() != help)
            m_box->setAccessibleDescription(help);
    }

    QComboBox *m_box;
    const CommPort *m_port; // the window's port: tooltips are asked for only while the window lives
    bool m_accessible = false;
};

} // namespace

void keepPortBoxHelpFresh(QComboBox *box, const CommPort *port)
{
    new PortBoxHelpRefresher(box, port);
}
