// Shows one dialog template of the program's resources, modeless, in a fixed
// sample state with its skin pictures drawn at their hidden buttons, so that a
// script can take a picture of it.
//
//   vm_showdlg.exe TEMPLATE[:editing] [RECT_FILE [DONE_FILE]]
//
// "143:editing" shows the music information dialog after its first press:
// fields writable, suggestion boxes filled, the confirm picture.
//
// Once the window is painted its window rectangle (screen pixels: left top
// right bottom) is written to RECT_FILE; the program ends when DONE_FILE
// appears, or after a minute.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "res/resource.h"

namespace {

struct Placement {
  int bitmap;
  int anchor;
};

// The pictures of each template in drawing order, as the dialogs draw them.
int g_template = 0;
bool g_editing = false;

std::vector<Placement> PicturesOf(int id) {
  switch (id) {
    case IDD_IMPORT_DIALOG:
      return {{IDB_ADD_MP3, IDC_ADD_MP3_FOLDER}, {IDB_ADD_LYRICS, IDC_ADD_LYRIC_FOLDER},
              {IDB_START_IMPORT, IDOK}, {IDB_ABOUT, IDC_ABOUT}, {IDB_EXIT, IDCANCEL}};
    case IDD_LYRIC_EDIT:
      return {{IDB_SAVE_EXIT, IDOK}, {IDB_EXIT, IDCANCEL}, {IDB_START_IMPORT, IDC_MEDIA_IMPORT},
              {IDB_DELETE_LYRIC, IDC_MEDIA_DELETE}};
    case IDD_MUSIC_INFO:
      return {{g_editing ? IDB_OK : IDB_MODIFY, IDOK}, {IDB_EXIT, IDCANCEL}};
    case IDD_LYRIC_TIME:
    case IDD_MATCH_RESULT:
    case IDD_BATCH_ID3:
      return {{IDB_OK, IDOK}, {IDB_EXIT, IDCANCEL}};
  }
  return {};
}

std::vector<HBITMAP> g_bitmaps;

void AddLines(HWND dlg, int control, UINT message, std::initializer_list<const wchar_t*> lines) {
  for (const wchar_t* line : lines)
    SendDlgItemMessageW(dlg, control, message, 0, reinterpret_cast<LPARAM>(line));
}

// The music information dialog after its first press.
void ShowSuggestions(HWND dlg) {
  for (int edit : {IDC_FILE_NAME, IDC_TITLE, IDC_ARTIST, IDC_ALBUM, IDC_YEAR})
    SendDlgItemMessageW(dlg, edit, EM_SETREADONLY, FALSE, 0);
  wchar_t fromTag[64] = {}, fromName[64] = {};
  LoadStringW(GetModuleHandleW(nullptr), IDS_HINT_FROM_TAG, fromTag, 64);
  LoadStringW(GetModuleHandleW(nullptr), IDS_HINT_FROM_NAME, fromName, 64);
  AddLines(dlg, IDC_FILE_NAME_CHOICES, CB_ADDSTRING,
           {fromTag, L"歌手 - 歌名.mp3", L"歌名 - 歌手.mp3", L"歌手-歌名.mp3", L"歌名-歌手.mp3"});
  AddLines(dlg, IDC_TITLE_CHOICES, CB_ADDSTRING, {fromName, L"歌手", L"歌名"});
  AddLines(dlg, IDC_ARTIST_CHOICES, CB_ADDSTRING, {fromName, L"歌手", L"歌名"});
  for (int box : {IDC_FILE_NAME_CHOICES, IDC_TITLE_CHOICES, IDC_ARTIST_CHOICES}) {
    SendDlgItemMessageW(dlg, box, CB_SETCURSEL, 0, 0);
    ShowWindow(GetDlgItem(dlg, box), SW_SHOW);
  }
}

// Sample content of the kind each dialog shows while it is used.
void FillSample(HWND dlg) {
  switch (g_template) {
    case IDD_IMPORT_DIALOG:
      AddLines(dlg, IDC_MP3_LIST, LB_ADDSTRING, {L"歌手 - 歌名.mp3", L"晴朗的早晨.mp3", L"Track 03.mp3"});
      AddLines(dlg, IDC_LYRIC_LIST, LB_ADDSTRING, {L"歌手 - 歌名.lrc", L"晴朗的早晨.lrc"});
      SetDlgItemTextW(dlg, IDC_MP3_COUNT, L"一共有文件:3");
      SetDlgItemTextW(dlg, IDC_LYRIC_COUNT, L"一共有文件:2");
      CheckRadioButton(dlg, IDC_UNSYNC_ONLY, IDC_SYNC_AND_UNSYNC, IDC_SYNC_AND_UNSYNC);
      break;
    case IDD_LYRIC_EDIT:
      AddLines(dlg, IDC_LYRIC_LINES, LB_ADDSTRING,
               {L"第  1行 [00:01.000] 晴朗的早晨", L"第  2行 [00:05.500] 风吹过山岗",
                L"第  3行 [00:10.250] Refrain"});
      SetDlgItemTextW(dlg, IDC_KEY_INTERVAL, L"50");
      SetDlgItemTextW(dlg, IDC_SHOW_LINES, L"1");
      break;
    case IDD_LYRIC_TIME:
      AddLines(dlg, IDC_TARGET_LINE, CB_ADDSTRING,
               {L"第  1行 [00:01.000] 晴朗的早晨", L"第  2行 [00:05.500] 风吹过山岗"});
      SendDlgItemMessageW(dlg, IDC_TARGET_LINE, CB_SETCURSEL, 1, 0);
      SetDlgItemTextW(dlg, IDC_CURRENT_LINE, L"2");
      SetDlgItemTextW(dlg, IDC_SHIFT_SECONDS, L"0");
      break;
    case IDD_MUSIC_INFO:
      SetDlgItemTextW(dlg, IDC_FILE_NAME, L"歌手 - 歌名.mp3");
      SetDlgItemTextW(dlg, IDC_TITLE, L"歌名");
      SetDlgItemTextW(dlg, IDC_ARTIST, L"歌手");
      SetDlgItemTextW(dlg, IDC_ALBUM, L"专辑");
      SetDlgItemTextW(dlg, IDC_YEAR, L"2006");
      SetDlgItemTextW(dlg, IDC_LYRICS_TEXT, L"[00:01.00]晴朗的早晨\r\n[00:05.50]风吹过山岗");
      if (g_editing) ShowSuggestions(dlg);
      break;
    case IDD_MATCH_RESULT:
      AddLines(dlg, IDC_MATCHED_LIST, LB_ADDSTRING, {L"歌手 - 歌名.mp3", L"晴朗的早晨.mp3"});
      SetDlgItemTextW(dlg, IDC_LYRIC_TOTAL, L"一共有歌词文件数:  2");
      SetDlgItemTextW(dlg, IDC_MATCHED_COUNT, L"已匹配音乐文件数:  2");
      break;
    case IDD_BATCH_ID3:
      CheckRadioButton(dlg, IDC_TAG_TO_NAME, IDC_NAME_TO_TAG_TITLE_FIRST, IDC_TAG_TO_NAME);
      break;
  }
}

void PaintPictures(HWND dlg, HDC dc) {
  std::vector<Placement> pictures = PicturesOf(g_template);
  HDC mem = CreateCompatibleDC(dc);
  for (size_t i = 0; i < pictures.size() && i < g_bitmaps.size(); ++i) {
    HWND anchor = GetDlgItem(dlg, pictures[i].anchor);
    if (!anchor || !g_bitmaps[i]) continue;
    RECT r;
    GetWindowRect(anchor, &r);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
    BITMAP info;
    GetObjectW(g_bitmaps[i], sizeof info, &info);
    HGDIOBJ old = SelectObject(mem, g_bitmaps[i]);
    COLORREF ground = GetPixel(mem, 0, 0);
    TransparentBlt(dc, r.left, r.top, info.bmWidth, info.bmHeight, mem, 0, 0, info.bmWidth,
                   info.bmHeight, ground);
    SelectObject(mem, old);
  }
  DeleteDC(mem);
}

// The about box is black with green text lines.
void PaintAbout(HWND dlg, HDC dc) {
  RECT client;
  GetClientRect(dlg, &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 255, 125));
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dlg, WM_GETFONT, 0, 0)));
  const wchar_t* lines[] = {L"关于 Versemill", L"用途：让Windows Media Player中能同步显示歌词!",
                            L"实现LRC歌词文件简单编辑时间功能!", L"祝天下程序员心想事成!"};
  int y = client.bottom - 100 - 30 * 3;
  for (const wchar_t* line : lines) {
    TextOutW(dc, 0, y, line, static_cast<int>(wcslen(line)));
    y += 30;
  }
  SelectObject(dc, old);
}

INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      FillSample(dlg);
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(dlg, &ps);
      if (g_template == IDD_ABOUTBOX)
        PaintAbout(dlg, dc);
      else
        PaintPictures(dlg, dc);
      EndPaint(dlg, &ps);
      return TRUE;
    }
    case WM_CLOSE:
      DestroyWindow(dlg);
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return TRUE;
  }
  return FALSE;
}

bool WriteRect(const std::wstring& path, HWND dlg) {
  RECT r;
  GetWindowRect(dlg, &r);
  std::wstring temp = path + L".part";
  FILE* out = _wfopen(temp.c_str(), L"w");
  if (!out) return false;
  fprintf(out, "%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
  fclose(out);
  return MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 2) {
    MessageBoxW(nullptr, L"vm_showdlg.exe TEMPLATE[:editing] [RECT_FILE [DONE_FILE]]", L"vm_showdlg",
                MB_OK);
    return 2;
  }
  g_template = _wtoi(argv[1]);
  g_editing = wcsstr(argv[1], L":editing") != nullptr;
  std::wstring rectFile = argc > 2 ? argv[2] : L"";
  std::wstring doneFile = argc > 3 ? argv[3] : L"";

  for (const Placement& p : PicturesOf(g_template))
    g_bitmaps.push_back(LoadBitmapW(instance, MAKEINTRESOURCEW(p.bitmap)));

  HWND dlg = CreateDialogParamW(instance, MAKEINTRESOURCEW(g_template), nullptr, DialogProc, 0);
  if (!dlg) return 1;
  SetWindowPos(dlg, HWND_TOP, 16, 16, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  SetForegroundWindow(dlg);  // an active caption, as the user sees it
  UpdateWindow(dlg);

  const UINT_PTR kPoll = 1;
  SetTimer(nullptr, kPoll, 100, nullptr);
  DWORD start = GetTickCount();
  bool reported = rectFile.empty();
  int quietTicks = 0;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.hwnd == nullptr) {
      // Report only after a few idle ticks, when the window has been drawn.
      if (!reported && ++quietTicks >= 5) reported = WriteRect(rectFile, dlg);
      if (!doneFile.empty() && GetFileAttributesW(doneFile.c_str()) != INVALID_FILE_ATTRIBUTES) break;
      if (GetTickCount() - start > 60000) break;
      continue;
    }
    if (!IsDialogMessageW(dlg, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (IsWindow(dlg)) DestroyWindow(dlg);
  for (HBITMAP b : g_bitmaps)
    if (b) DeleteObject(b);
  LocalFree(argv);
  return 0;
}
