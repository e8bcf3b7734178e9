#include "messagebox.h"

#include <QGuiApplication>
#include <QMessageBox>

void showModalMessage(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok,
                    parent);
    box.exec();
}
