#include "commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>

CommandLine parseCommandLine(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Монитор последовательного порта."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption log(
        QStringLiteral("log"),
        QStringLiteral("Дописывать каждый принятый из порта байт в ФАЙЛ как есть; «-» — стандартный вывод. "
                       "Пример: kalvane --log ~/порт.log"),
        QStringLiteral("ФАЙЛ"));
    parser.addOption(log);
    parser.process(app);

    CommandLine commandLine;
    if (parser.isSet(log))
        commandLine.logPath = parser.value(log);
    return commandLine;
}
