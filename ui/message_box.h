// Plain message boxes (an OK button; an icon if asked), in the program's
// dialog colours.
#pragma once

#include <windows.h>

#include <string>

// text and caption GBK; caption null: the application's name. A null owner
// means the application's main window (its active pop-up), else the thread's
// active window.
int ShowMessageBox(HWND hOwner, const std::string& text, const char* caption = nullptr,
                   UINT nType = MB_OK);
int ShowMessageBox(HWND hOwner, const std::wstring& text, const wchar_t* caption, UINT nType);

// ShowMessageBox with the default owner.
int ShowMessage(const std::string& text, UINT nType = MB_OK);
