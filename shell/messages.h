// Window messages of the program.
#pragma once

#include <windows.h>

// A file list box to the main window on the Delete key: wParam 1 when the
// selected entry's path ends in ".mp3" (case ignored), 2 otherwise; lParam 0.
constexpr UINT WM_DELETE_ENTRY = 1977;

// The match result window to the main window: remove the matched pairs from
// both lists; wParam 1.
constexpr UINT WM_DELETE_MATCHED = 1978;

// wParam values of WM_DELETE_ENTRY.
constexpr WPARAM DELETE_ENTRY_MP3 = 1;
constexpr WPARAM DELETE_ENTRY_OTHER = 2;
