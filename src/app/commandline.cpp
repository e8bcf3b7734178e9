#include "commandline.h"

#include "port/portaddress.h"

#include <QCommandLineParser>

namespace {

// Qt reads these itself when the application object is made; they are accepted here so that they pass.
const char *const qtOptionsWithValue[] = {"platform",
                                          "platformpluginpath",
                                          "platformtheme",
                                          "plugin",
                                          "qwindowgeometry",
                                          "qwindowicon",
                                          "qwindowtitle",
                                          "geometry",
                                          "title",
                                          "display",
                                          "name",
                                          "style",
                                          "stylesheet",
                                          "session",
                                          "qmljsdebugger",
                                          "visual"};
const char *const qtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};

QString usageText(const QList<QCommandLineOption> &options)
{
    QString text =
        QStringLiteral("Использование: kalvane [параметры] [ПОРТ]\n"
                       "Монитор одного последовательного порта.\n\n"
                       "Аргументы:\n"
                       "  ПОРТ              порт, который открывается при запуске вместо порта 1,\n"
                       "                    как его принимает поле порта: 3, ttyUSB0, /dev/ttyACM0,\n"
                       "                    /dev/serial/by-id/…, или порт другой машины:\n"
                       "                    rfc2217://УЗЕЛ:НОМЕР (ser2net), tcp://УЗЕЛ:НОМЕР\n\n"
                       "Параметры:\n");
    for (const QCommandLineOption &option : options) {
        if (option.flags() & QCommandLineOption::HiddenFromHelp)
            continue;
        QStringList names;
        for (const QString &name : option.names())
            names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
        QString left = names.join(QStringLiteral(", "));
        if (!option.valueName().isEmpty())
            left += QLatin1Char(' ') + option.valueName();
        QString description = option.description();
        description.replace(QLatin1Char('\n'), QStringLiteral("\n") + QString(20, QLatin1Char(' ')));
        text += QStringLiteral("  %1  %2\n").arg(left, -16).arg(description);
    }
    text += QStringLiteral("\nПринимаются и стандартные параметры Qt, например -platform offscreen или\n"
                           "-style fusion (см. документацию QApplication).\n");
    return text;
}

} // namespace

std::variant<CommandLineOptions, CommandLineExit> parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    // Qt's own options are written with one dash ("-platform"), so every word is a long option.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("показать эту справку и выйти"));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("показать версию и выйти"));
    const QCommandLineOption demo(QStringLiteral("demo"),
                                  QStringLiteral("открыть вместо порта псевдотерминал, в который пишет\n"
                                                 "встроенный образец прибора; устройство не нужно"));
    const QCommandLineOption noReconnect(
        QStringLiteral("no-reconnect"),
        QStringLiteral("без него потерянный порт открывается сам, когда вернётся\n"
                       "то же устройство; с ним остаётся закрытым до выбора в списке"));
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("дописывать каждый принятый из порта байт в ФАЙЛ как есть\n"
                                                "(«-» — стандартный вывод), например --log порт.log"),
                                 QStringLiteral("ФАЙЛ"));
    const QCommandLineOption journal(
        QStringLiteral("journal"),
        QStringLiteral("дописывать в ФАЙЛ по строке на каждую показанную посылку:\n"
                       "время, число байт, шестнадцатеричный вид и текст\n"
                       "(«-» — стандартный вывод), например --journal посылки.tsv"),
        QStringLiteral("ФАЙЛ"));
    QList<QCommandLineOption> options{demo, log, journal, noReconnect, help, version};
    for (const char *name : qtOptionsWithValue)
        options << QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value"));
    for (const char *name : qtFlags)
        options << QCommandLineOption(QString::fromLatin1(name));
    for (QCommandLineOption &option : options) {
        if (option.description().isEmpty())
            option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    const QString usage = usageText(options);
    const auto usageError = [&](const QString &reason) {
        return CommandLineExit{2, QStringLiteral("kalvane: %1\n\n").arg(reason) + usage, true};
    };
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        return usageError(unknown.isEmpty()
                              ? QStringLiteral("параметру не хватает значения")
                              : QStringLiteral("неизвестный параметр «%1%2»")
                                    .arg(unknown.first().size() == 1 ? "-" : "--", unknown.first()));
    }
    if (parser.isSet(help))
        return CommandLineExit{0, usage};
    if (parser.isSet(version))
        return CommandLineExit{0, QStringLiteral("Kalvane 1.0\n")};

    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return usageError(QStringLiteral("лишний аргумент «%1»").arg(positional.at(1)));
    CommandLineOptions result;
    result.demo = parser.isSet(demo);
    result.reconnect = !parser.isSet(noReconnect);
    if (parser.isSet(log))
        result.logPath = parser.value(log);
    if (parser.isSet(journal)) {
        result.journalPath = parser.value(journal);
        if (result.journalPath == result.logPath)
            return usageError(QStringLiteral("--log и --journal не пишут в один файл"));
    }
    if (!positional.isEmpty()) {
        if (result.demo)
            return usageError(QStringLiteral("--demo и ПОРТ вместе не указываются"));
        result.port = positional.first();
        if (!PortAddress::parse(result.port))
            return usageError(QStringLiteral("недопустимый порт «%1»").arg(result.port));
    }
    return result;
}

namespace {

std::variant<std::unique_ptr<Capture>, CommandLineExit> openAppending(const std::optional<QString> &path)
{
    if (!path)
        return nullptr;
    QString reason;
    auto capture = Capture::open(*path, &reason);
    if (!capture)
        return CommandLineExit{
            2, QStringLiteral("kalvane: не удаётся открыть «%1» для дописывания: %2\n").arg(*path, reason),
            true};
    return capture;
}

} // namespace

std::variant<std::unique_ptr<Capture>, CommandLineExit> openCapture(const CommandLineOptions &options)
{
    return openAppending(options.logPath);
}

std::variant<std::unique_ptr<Capture>, CommandLineExit> openJournal(const CommandLineOptions &options)
{
    auto opened = openAppending(options.journalPath);
    if (const auto *journal = std::get_if<std::unique_ptr<Capture>>(&opened); journal && *journal)
        (*journal)->setSubject(QStringLiteral("Запись журнала"));
    return opened;
}
