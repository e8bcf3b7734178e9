#pragma once

#include <QString>
#include <QStringList>
#include <variant>

// What the command line asks of a run that opens the window.
struct CommandLineOptions
{
    // The port box's text for start-up; empty for the window's own first port.
    QString port;
    bool demo = false;
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
