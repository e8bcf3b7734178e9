#pragma once

#include "port/capture.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <variant>

// What the command line asks of a run that opens the window.
struct CommandLineOptions
{
    // The port box's text for start-up; empty for the window's own first port.
    QString port;
    bool demo = false;
    // Off, a lost port stays closed until a pick instead of reopening when its device is back.
    bool reconnect = true;
    // Where every byte read from the port is appended; "-" is standard output.
    std::optional<QString> logPath;
    // Where each reading the rows show is appended as a line; "-" is standard output.
    std::optional<QString> journalPath;
};

// A run that ends at once: help, version or a usage error.
struct CommandLineExit
{
    int status = 0;
    QString text;
    bool toStderr = false;
};

// Takes the program's whole argv, Qt's own options included (they are accepted and left to Qt).
std::variant<CommandLineOptions, CommandLineExit> parseCommandLine(const QStringList &arguments);

// The capture the options ask for (none without --log), or the exit for a file that cannot be appended to.
std::variant<std::unique_ptr<Capture>, CommandLineExit> openCapture(const CommandLineOptions &options);

// The journal the options ask for (none without --journal), or the exit for a file that cannot be appended
// to.
std::variant<std::unique_ptr<Capture>, CommandLineExit> openJournal(const CommandLineOptions &options);
