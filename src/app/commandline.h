#pragma once

#include <QString>
#include <optional>

class QCoreApplication;

// The program's own options; Qt takes its own (-platform and the like) when the application is made.
struct CommandLine
{
    // Where every byte read from the port is appended; "-" is standard output.
    std::optional<QString> logPath;
};

// Answers --help and --version and ends the program there, as well as on an unknown option.
CommandLine parseCommandLine(const QCoreApplication &app);
