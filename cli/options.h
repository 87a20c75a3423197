// Command-line options: flags before, between or after the operands, "--"
// ends them.
#pragma once

#include <string>
#include <vector>

struct OptionFlag {
  const char* name;  // "--unsync"
  bool* value;       // set when the option is given
};

struct ParsedOptions {
  bool help = false;
  std::vector<std::string> operands;
  std::string error;  // UTF-8, empty when the arguments were understood
};

// "-h" and "--help" are known to every command.
ParsedOptions ParseOptions(const std::vector<std::string>& args,
                           const std::vector<OptionFlag>& flags);

// Prints "versemill: <message>" and the usage text to standard error and
// returns kExitUsage.
int UsageError(const std::string& message, const char* usage);
