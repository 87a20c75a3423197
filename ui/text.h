// GBK text at the edges of the window system.
//
// Inside the program text is GBK bytes; every window text, list entry, file
// name or clipboard text crosses to Win32 as UTF-16 through the W functions,
// converted with code page 936 whatever the system's ANSI code page is.
#pragma once

#include <string>
#include <string_view>

#include <windows.h>

#include "base/codepage.h"

std::wstring Wide(std::string_view gbk);
std::string Gbk(std::wstring_view wide);

// One of the program's own texts, written in UTF-8 in the sources, as GBK.
inline std::string Text(const char* utf8) { return Utf8ToCp936(utf8); }

// String resource nID of the program (GBK); empty when there is none.
std::string ResourceString(UINT nID);

// A window's text as the system holds it.
std::wstring WindowTextW(HWND hWnd);
