#include "deferredpicture.h"

DeferredPicture::DeferredPicture(std::function<QPixmap()> read, QWidget *parent)
    : QLabel(parent), m_read(std::move(read))
{
}

void DeferredPicture::showEvent(QShowEvent *event)
{
    if (m_read)
        setPixmap(std::exchange(m_read, nullptr)());
    QLabel::showEvent(event);
}
