// The commands of the versemill program. Arguments come without the program
// name; paths in them are in fileio's form.
#pragma once

#include <string>
#include <vector>

enum ExitStatus { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

int RunVersemill(const std::vector<std::string>& args);
int RunImport(const std::vector<std::string>& args);
int RunTag(const std::vector<std::string>& args);
int RunShow(const std::vector<std::string>& args);
int RunNames(const std::vector<std::string>& args);
int RunShift(const std::vector<std::string>& args);
