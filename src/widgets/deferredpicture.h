#pragma once

#include <QLabel>
#include <functional>

// A picture read when it is first shown: what sits in a closed panel costs nothing until the panel opens.
class DeferredPicture : public QLabel
{
public:
    explicit DeferredPicture(std::function<QPixmap()> read, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::function<QPixmap()> m_read;
};
