#include "infopanel.h"

#include <QStringList>

static const QString lineBreak = QStringLiteral("\r\n");

QString makerBlockText()
{
    return QStringList{
        QStringLiteral("Brantel"),
        QStringLiteral("Kalvane v.1.0"),
        QStringLiteral("Автор: инженерная группа Brantel"),
        QStringLiteral("www.example.com"),
        QStringLiteral("E-mail: kalvane@example.com"),
        QString(),
        QStringLiteral("© Brantel. Все права защищены."),
    }
        .join(lineBreak);
}

QString termsOfUseText()
{
    return QStringList{
        QStringLiteral("Условия использования программы Kalvane v.1.0:"),
        QStringLiteral("1. Программа бесплатна для некоммерческого использования."),
        QStringLiteral("2. Программу можно свободно распространять без изменений и без взимания платы."),
        QStringLiteral("3. Коммерческое использование допускается только с письменного разрешения автора."),
        QStringLiteral("4. Использование программы в организациях и на предприятиях согласуется с автором."),
        QStringLiteral("5. Программа предоставляется «как есть», без каких-либо гарантий."),
        QStringLiteral("6. Автор не несёт ответственности за ущерб, связанный с использованием программы."),
    }
        .join(lineBreak);
}
