#include "cli/options.h"

#include "cli/commands.h"
#include "cli/console.h"

ParsedOptions ParseOptions(const std::vector<std::string>& args,
                           const std::vector<OptionSpec>& specs) {
  ParsedOptions parsed;
  bool optionsEnded = false;
  for (const std::string& arg : args) {
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
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
    for (const OptionSpec& spec : specs) {
      if (arg == spec.name) {
        *spec.value = true;
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
