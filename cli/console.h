// What the command line needs from the system: its arguments, the console,
// and the forms names take on the way in and out.
//
// Inside, names are GBK like everywhere in the program. Paths keep the form
// fileio expects (UTF-8 on POSIX, GBK on Windows); the console gets UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace console {

// Writes UTF-8 text to standard output / standard error.
void Out(std::string_view utf8);
void Err(std::string_view utf8);

// True when standard error is a terminal (for the progress line).
bool ErrIsTerminal();

// A line on standard error that each call overwrites, and its removal. Plain
// carriage returns and blanks, which every console understands.
void Progress(const std::string& utf8);
void EndProgress();

// A path as given to fileio, in UTF-8 for printing.
std::string PathToUtf8(const std::string& path);

// A file name as the file system gives it, in GBK: the name the lists and the
// tags use. On POSIX a name that is not UTF-8 is taken to be GBK already.
// Characters GBK cannot hold become '?' and are counted in *unmappable.
std::string NameToGbk(const std::string& name, size_t* unmappable = nullptr);

// The other way: a GBK file name in the form fileio expects (UTF-8 on POSIX).
std::string GbkToName(const std::string& gbk);

}  // namespace console
