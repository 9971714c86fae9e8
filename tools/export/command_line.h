#pragma once
// vantrel-export's command line: a command, its operands and options. Options
// may stand anywhere, before or after the command, and "--" ends them. A line
// that names no known command, an option the command does not take or an
// option without its value is a UsageError.

#include <optional>
#include <string>
#include <vector>

struct CommandLine {
    std::string command;                // empty when none is given
    std::vector<std::string> operands;  // what follows the command
    std::optional<std::string> root, output, type;
    bool force = false, dryRun = false, help = false, version = false;
};

CommandLine ReadCommandLine(int argc, char** argv);

// The help of `command`, or of the whole tool for an empty one.
const char* HelpText(const std::string& command);

// Refuses (a UsageError) a count of operands outside [least, most].
void ExpectOperands(const CommandLine& line, std::size_t least, std::size_t most);
