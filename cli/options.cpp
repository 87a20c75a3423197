#include "cli/options.h"

#include "cli/commands.h"
#include "cli/console.h"

ParsedOptions ParseOptions(const std::vector<std::string>& args,
                           const std::vector<OptionFlag>& flags) {
  ParsedOptions parsed;
  bool optionsEnded = false;
  for (const std::string& arg : args) {
    // A negative number is an operand, not an option.
    const bool negativeNumber = arg.size() >= 2 && arg[0] == '-' && arg[1] >= '0' && arg[1] <= '9';
    if (optionsEnded || arg.size() < 2 || arg[0] != '-' || negativeNumber) {
      parsed.operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "-h" || arg == "--help") {
      parsed.help = true;
      continue;
    }
    bool known = false;
    for (const OptionFlag& flag : flags) {
      if (arg == flag.name) {
        *flag.value = true;
        known = true;
        break;
      }
    }
    if (!known && parsed.error.empty()) parsed.error = "unknown option '" + console::PathToUtf8(arg) + "'";
  }
  return parsed;
}

int UsageError(const std::string& message, const char* usage) {
  console::Err("versemill: " + message + "\n");
  console::Err(usage);
  return kExitUsage;
}
