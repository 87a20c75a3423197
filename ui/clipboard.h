// The clipboard's text, GBK on this side, Unicode text on the system's.
#pragma once

#include <windows.h>

#include <string>

// Empties the clipboard and puts text there, as Unicode text and as the GBK
// bytes themselves in the ANSI text format (with the Chinese locale); false
// when it could not be opened or the memory not be had.
bool SetClipboardText(HWND hOwner, const std::string& text);
// The clipboard's text, empty when there is none.
std::string GetClipboardText(HWND hOwner);
