#pragma once
// Parsing of a command's arguments with QCommandLineParser, its complaints in Polish.
#include "cli/Command.h"

#include <QCommandLineParser>

namespace cli
{

// Parses the command's options; positional arguments must number at least `minimumPositional`. On bad usage the
// reason and the command's usage go to standard error and false is returned.
bool ParseArguments(const Command& command, const QStringList& arguments, QCommandLineParser& parser,
                    int minimumPositional);

} // namespace cli
