#pragma once

#include <QComboBox>

// An editable drop-down list whose only picks are a chosen item or an arrow key on the closed box.
class SettingsList : public QComboBox
{
    Q_OBJECT

public:
    SettingsList(const QStringList &items, const QString &text, QWidget *parent = nullptr);

protected:
    void wheelEvent(QWheelEvent *event) override;

private:
    void followText(const QString &text);
};
