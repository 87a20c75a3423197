// GBK text at the edges of the window system.
//
// Inside the program text is GBK bytes; every window text, list entry, file
// name or clipboard text crosses to Win32 as UTF-16 through the W functions,
// converted with code page 936 whatever the system's ANSI code page is.
#pragma once

#include <string>
#include <string_view>

#include <windows.h>

std::wstring Wide(std::string_view gbk);
std::string Gbk(std::wstring_view wide);

// String resource nID of the program (GBK); empty when there is none.
std::string ResourceString(UINT nID);

// A window's text as the system holds it.
std::wstring WindowTextW(HWND hWnd);
