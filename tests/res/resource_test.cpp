// The program's resources as the module carries them: every dialog template
// with its controls, the skin pictures, the hand cursor, the icon, the menu,
// the strings and the version block.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "res/resource.h"
#include "template_reader.h"

namespace {

// ---------------------------------------------------------------- helpers

std::wstring W(const std::string& utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                              static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                      static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::wstring W(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring Lower(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(towlower(c));
  return text;
}

HINSTANCE Module() { return GetModuleHandleW(nullptr); }

// The raw bytes of one resource of this program, or an empty span.
struct Bytes {
  const uint8_t* data = nullptr;
  size_t size = 0;
};

Bytes ResourceBytes(int id, LPCWSTR type) {
  HRSRC found = FindResourceW(Module(), MAKEINTRESOURCEW(id), type);
  if (!found) return {};
  HGLOBAL loaded = LoadResource(Module(), found);
  if (!loaded) return {};
  return {static_cast<const uint8_t*>(LockResource(loaded)), SizeofResource(Module(), found)};
}

std::wstring WindowText(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  int got = GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(static_cast<size_t>(std::max(got, 0)));
  return text;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return Lower(name);
}

// ---------------------------------------------------------------- expected templates

enum class Kind { Push, DefPush, Radio, Check, Group, Label, List, Edit, Combo };

const wchar_t* ClassName(Kind kind) {
  switch (kind) {
    case Kind::Push: case Kind::DefPush: case Kind::Radio: case Kind::Check: case Kind::Group:
      return L"button";
    case Kind::Label: return L"static";
    case Kind::List: return L"listbox";
    case Kind::Edit: return L"edit";
    case Kind::Combo: return L"combobox";
  }
  return L"";
}

const int kStatic = -1;
const bool kHidden = false, kShown = true;

struct ControlRow {
  int id;
  Kind kind;
  std::string text;
  int x, y, w, h;
  bool visible;
  uint32_t required = 0;   // style bits the control must carry
  uint32_t forbidden = 0;  // and must not
};

struct DialogTable {
  int id;
  std::string caption;
  int cx, cy;
  std::string typeface;
  int pointSize;
  uint32_t required;
  uint32_t forbidden;
  uint32_t exRequired;
  std::vector<ControlRow> controls;
};

const uint32_t kDialogFrame = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
const uint32_t kFileList = LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_BORDER;
const uint32_t kListNever = LBS_SORT | LBS_MULTIPLESEL | LBS_EXTENDEDSEL | LBS_OWNERDRAWFIXED |
                            LBS_OWNERDRAWVARIABLE;
const uint32_t kFieldEdit = ES_AUTOHSCROLL | WS_BORDER;
const uint32_t kReadOnlyField = kFieldEdit | ES_READONLY;

const std::string kVerticalLyricHint = "双\n击\n编\n辑\n歌\n词\n显\n示\n时\n间";

std::vector<DialogTable> Dialogs() {
  return {
      {100, "关于 Versemill", 259, 281, "宋体", 9, kDialogFrame, WS_THICKFRAME | WS_VISIBLE, 0, {}},
      {102, "", 405, 324, "宋体", 9, kDialogFrame, WS_THICKFRAME, WS_EX_APPWINDOW,
       {
           {1, Kind::Push, "开始导入", 167, 221, 100, 28, kHidden},
           {2, Kind::Push, "取消", 240, 232, 100, 28, kHidden},
           {1000, Kind::List, "", 26, 70, 158, 143, kShown, kFileList, kListNever},
           {1004, Kind::List, "", 217, 70, 155, 145, kShown, kFileList, kListNever},
           {1005, Kind::Push, "MP3所在文件夹(&M)...", 84, 13, 100, 28, kHidden},
           {1006, Kind::Push, "歌词所在文件夹", 279, 13, 100, 28, kHidden},
           {1007, Kind::Label, "", 30, 217, 78, 10, kShown},
           {1008, Kind::Label, "", 223, 220, 86, 8, kShown},
           {1009, Kind::Push, "关于(&A)", 93, 230, 100, 28, kHidden},
           {1010, Kind::Radio, "只导入不同步歌词", 155, 16, 80, 10, kShown, WS_GROUP},
           {1011, Kind::Radio, "导入不同步及同步歌词", 155, 31, 96, 10, kShown, 0, WS_GROUP},
           {kStatic, Kind::Group, "", 153, 7, 99, 55, kShown},
           {1012, Kind::Push, "删除选择歌词", 305, 229, 100, 28, kHidden},
           {kStatic, Kind::Label, "<---", 191, 139, 17, 8, kShown},
           {kStatic, Kind::Label, kVerticalLyricHint, 376, 76, 18, 119, kShown},
           {kStatic, Kind::Label, "可\n把\nMP3\n或\nLRC\n文\n件\n直\n接\n拖\n曳\n到\n程\n序\n里", 1,
            72, 19, 149, kShown},
           {1018, Kind::Check, "支持iRiver同步歌词", 159, 46, 88, 10, kShown},
           {kStatic, Kind::Label, "双\n击\n编\n辑\nMP3\n属\n性\n", 186, 73, 23, 119, kShown},
       }},
      {129, "歌词编辑对话框", 263, 304, "宋体", 9, kDialogFrame, WS_THICKFRAME | WS_VISIBLE, 0,
       {
           {1, Kind::Push, "保存并退出", 52, 153, 100, 28, kHidden},
           {2, Kind::Push, "不保存退出", 127, 154, 100, 28, kHidden},
           {1013, Kind::List, "", 4, 10, 230, 135, kShown,
            LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER, kListNever | WS_HSCROLL},
           {kStatic, Kind::Label, kVerticalLyricHint, 241, 14, 15, 126, kShown},
           {kStatic, Kind::Group, "通过媒体播放器导入", 4, 214, 252, 87, kShown},
           {kStatic, Kind::Label, "按键间隔:", 8, 243, 49, 8, kShown},
           {1002, Kind::Edit, "", 62, 240, 40, 14, kShown, kFieldEdit, ES_READONLY | ES_MULTILINE},
           {kStatic, Kind::Label, "显示行数:", 8, 261, 50, 8, kShown},
           {1015, Kind::Edit, "", 62, 257, 40, 14, kShown, kFieldEdit, ES_READONLY | ES_MULTILINE},
           {1014, Kind::Push, "开始导入(&S)", 111, 233, 100, 28, kHidden},
           {1020, Kind::Push, "删除(&D)", 174, 235, 82, 28, kHidden},
       }},
      {130, "歌词时间设置", 231, 135, "宋体", 9, kDialogFrame, WS_THICKFRAME | WS_VISIBLE, 0,
       {
           {1, Kind::Push, "确定", 48, 81, 100, 28, kHidden},
           {2, Kind::Push, "退出", 120, 80, 100, 28, kHidden},
           {kStatic, Kind::Label, "从当前行：", 2, 19, 50, 8, kShown},
           {1016, Kind::Label, "", 61, 20, 48, 8, kShown},
           {kStatic, Kind::Label, "到行：", 17, 36, 34, 8, kShown},
           {1019, Kind::Combo, "", 57, 33, 167, 129, kShown, WS_VSCROLL, CBS_SORT},
           {kStatic, Kind::Label, "延时：", 17, 57, 30, 8, kShown},
           {1003, Kind::Edit, "", 57, 56, 40, 14, kShown, kFieldEdit, ES_READONLY | ES_MULTILINE},
           {kStatic, Kind::Label, "秒　(可填入负数)", 106, 58, 107, 8, kShown},
       }},
      {143, "音乐文件信息", 288, 218, "System", 10, kDialogFrame, WS_THICKFRAME | WS_VISIBLE, 0,
       {
           {1, Kind::DefPush, "修改", 59, 106, 50, 14, kHidden},
           {2, Kind::Push, "退出", 165, 106, 50, 14, kHidden},
           {kStatic, Kind::Label, "文件名:", 7, 2, 41, 8, kShown},
           {1001, Kind::Edit, "", 64, 1, 118, 14, kShown, kReadOnlyField, ES_MULTILINE},
           {1027, Kind::Combo, "", 187, 1, 94, 44, kHidden, 0, CBS_SORT},
           {kStatic, Kind::Label, "标题:", 7, 24, 41, 8, kShown},
           {1020, Kind::Edit, "", 64, 23, 118, 14, kShown, kReadOnlyField, ES_MULTILINE},
           {1028, Kind::Combo, "", 187, 23, 94, 46, kHidden, 0, CBS_SORT},
           {kStatic, Kind::Label, "艺术家:", 7, 46, 41, 8, kShown},
           {1021, Kind::Edit, "", 64, 45, 118, 14, kShown, kReadOnlyField, ES_MULTILINE},
           {1029, Kind::Combo, "", 187, 45, 94, 43, kHidden, 0, CBS_SORT},
           {kStatic, Kind::Label, "唱片标题:", 7, 68, 41, 8, kShown},
           {1022, Kind::Edit, "", 64, 67, 118, 14, kShown, kReadOnlyField, ES_MULTILINE},
           {kStatic, Kind::Label, "发行年:", 7, 90, 41, 8, kShown},
           {1023, Kind::Edit, "", 64, 89, 118, 14, kShown, kReadOnlyField, ES_MULTILINE},
           {kStatic, Kind::Label, "歌词如下:", 7, 128, 35, 8, kShown},
           {1024, Kind::Edit, "", 7, 140, 274, 71, kShown,
            ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER},
       }},
      {145, "结果如下", 183, 212, "System", 10, kDialogFrame, WS_THICKFRAME | WS_VISIBLE, 0,
       {
           {1, Kind::DefPush, "删除", 29, 163, 50, 14, kHidden},
           {2, Kind::Push, "退出", 115, 163, 50, 14, kHidden},
           {1025, Kind::List, "", 7, 27, 169, 120, kShown, WS_VSCROLL | WS_HSCROLL | WS_BORDER,
            kListNever},
           {1026, Kind::Label, std::string(32, ' '), 7, 1, 122, 8, kShown},
           {1027, Kind::Label, std::string(32, ' '), 7, 15, 122, 8, kShown},
           {kStatic, Kind::Label, "按下确定,将删除已匹配的项", 14, 151, 99, 8, kShown},
       }},
      {148, "批量改id3信息对话框", 219, 104, "System", 10, kDialogFrame, WS_THICKFRAME | WS_VISIBLE,
       0,
       {
           {1, Kind::Push, "OK", 34, 52, 50, 14, kHidden},
           {2, Kind::Push, "Cancel", 121, 52, 50, 14, kHidden},
           {1030, Kind::Radio, "id3的标题和艺术家 ------>   歌手 - 歌名.mp3", 10, 14, 205, 10, kShown,
            WS_GROUP},
           {1031, Kind::Radio, "歌手 - 歌名.mp3       ------>   id3的标题和艺术家", 10, 26, 205, 10,
            kShown, 0, WS_GROUP},
           {1032, Kind::Radio, "歌名 - 歌手.mp3       ------>   id3的标题和艺术家", 10, 39, 205, 10,
            kShown, 0, WS_GROUP},
       }},
  };
}

void PrintTo(const DialogTable& table, std::ostream* os) { *os << "template " << table.id; }

// Button type in the low four style bits.
uint32_t ButtonType(Kind kind) {
  switch (kind) {
    case Kind::Push: return BS_PUSHBUTTON;
    case Kind::DefPush: return BS_DEFPUSHBUTTON;
    case Kind::Radio: return BS_AUTORADIOBUTTON;
    case Kind::Check: return BS_AUTOCHECKBOX;
    case Kind::Group: return BS_GROUPBOX;
    default: return 0;
  }
}

bool IsButton(Kind kind) { return std::wstring(ClassName(kind)) == L"button"; }

std::wstring OrdinalClass(uint16_t ordinal) {
  switch (ordinal) {
    case 0x80: return L"button";
    case 0x81: return L"edit";
    case 0x82: return L"static";
    case 0x83: return L"listbox";
    case 0x84: return L"scrollbar";
    case 0x85: return L"combobox";
  }
  return L"?";
}

std::string Describe(const DialogTable& dlg, size_t index) {
  const ControlRow& c = dlg.controls[index];
  return "template " + std::to_string(dlg.id) + ", control #" + std::to_string(index) +
         " (id " + std::to_string(c.id) + ")";
}

class DialogTemplateTest : public ::testing::TestWithParam<DialogTable> {};

// The numbers as the resource compiler wrote them: exact dialog units, styles, font.
TEST_P(DialogTemplateTest, TemplateHoldsTheTabledControls) {
  const DialogTable& table = GetParam();
  Bytes raw = ResourceBytes(table.id, RT_DIALOG);
  ASSERT_NE(raw.data, nullptr) << "no dialog resource " << table.id;
  auto dlg = vmtest::ReadDialogTemplate(raw.data, raw.size);
  ASSERT_TRUE(dlg.has_value()) << "template " << table.id << " is not an extended template";

  EXPECT_EQ(W(dlg->title), W(table.caption));
  EXPECT_EQ(dlg->cx, table.cx);
  EXPECT_EQ(dlg->cy, table.cy);
  EXPECT_EQ(dlg->style & table.required, table.required);
  EXPECT_EQ(dlg->style & table.forbidden, 0u);
  EXPECT_EQ(dlg->exStyle & table.exRequired, table.exRequired);
  EXPECT_TRUE(dlg->style & DS_SETFONT);
  EXPECT_EQ(W(dlg->typeface), W(table.typeface));
  EXPECT_EQ(dlg->pointSize, table.pointSize);
  EXPECT_EQ(dlg->charset, GB2312_CHARSET);
  EXPECT_EQ(dlg->italic, 0);

  ASSERT_EQ(dlg->items.size(), table.controls.size()) << "template " << table.id;
  for (size_t i = 0; i < table.controls.size(); ++i) {
    const ControlRow& want = table.controls[i];
    const vmtest::TemplateItem& got = dlg->items[i];
    SCOPED_TRACE(Describe(table, i));
    EXPECT_EQ(got.id & 0xFFFF, want.id & 0xFFFF);
    std::wstring cls = got.classOrdinal ? OrdinalClass(got.classOrdinal) : Lower(W(got.className));
    EXPECT_EQ(cls, ClassName(want.kind));
    EXPECT_EQ(W(got.title), W(want.text));
    EXPECT_EQ(got.x, want.x);
    EXPECT_EQ(got.y, want.y);
    EXPECT_EQ(got.cx, want.w);
    EXPECT_EQ(got.cy, want.h);
    EXPECT_TRUE(got.style & WS_CHILD);
    EXPECT_EQ((got.style & WS_VISIBLE) != 0, want.visible);
    EXPECT_EQ(got.style & want.required, want.required);
    EXPECT_EQ(got.style & want.forbidden, 0u);
    if (IsButton(want.kind)) {
      EXPECT_EQ(got.style & BS_TYPEMASK, ButtonType(want.kind));
    }
    if (want.kind == Kind::Combo) {
      EXPECT_EQ(got.style & 3u, static_cast<uint32_t>(CBS_DROPDOWN));
    }
    if (want.kind == Kind::Label) {
      EXPECT_EQ(got.style & SS_TYPEMASK, static_cast<uint32_t>(SS_LEFT));
    }
  }
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

// A hidden top-level owner for the dialogs under test.
class HiddenOwner {
 public:
  HiddenOwner() {
    m_hwnd = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             Module(), nullptr);
  }
  ~HiddenOwner() {
    if (m_hwnd) DestroyWindow(m_hwnd);
  }
  HWND Get() const { return m_hwnd; }

 private:
  HWND m_hwnd = nullptr;
};

// Creates a dialog from the module's template, kept hidden. A template that
// shows itself is created from a copy without WS_VISIBLE: mapping a shown
// window costs seconds under a display without a window manager.
HWND CreateHiddenDialog(int id, HWND owner) {
  Bytes raw = ResourceBytes(id, RT_DIALOG);
  const size_t kStyleOffset = 12;  // dlgVer, signature, helpID, exStyle, style
  if (!raw.data || raw.size < kStyleOffset + 4) return nullptr;
  std::vector<uint8_t> copy(raw.data, raw.data + raw.size);
  uint32_t style;
  std::memcpy(&style, copy.data() + kStyleOffset, 4);
  if (!(style & WS_VISIBLE))  // by number, as the dialogs themselves load it
    return CreateDialogParamW(Module(), MAKEINTRESOURCEW(id), owner, QuietDialogProc, 0);
  style &= ~static_cast<uint32_t>(WS_VISIBLE);
  std::memcpy(copy.data() + kStyleOffset, &style, 4);
  return CreateDialogIndirectParamW(Module(), reinterpret_cast<LPCDLGTEMPLATEW>(copy.data()),
                                    owner, QuietDialogProc, 0);
}

// Dialog units to pixels as the dialog manager places a control: origin and
// size mapped separately.
RECT PixelsOf(HWND dlg, int x, int y, int w, int h) {
  RECT origin = {x, y, x, y};
  RECT size = {0, 0, w, h};
  MapDialogRect(dlg, &origin);
  MapDialogRect(dlg, &size);
  return {origin.left, origin.top, origin.left + size.right, origin.top + size.bottom};
}

// The created window: control classes, captions, visibility and pixel places.
TEST_P(DialogTemplateTest, DialogCreatesTheTabledControls) {
  const DialogTable& table = GetParam();
  HiddenOwner owner;
  ASSERT_NE(owner.Get(), nullptr);
  HWND dlg = CreateHiddenDialog(table.id, owner.Get());
  ASSERT_NE(dlg, nullptr) << "template " << table.id << " does not load, error " << GetLastError();

  EXPECT_EQ(WindowText(dlg), W(table.caption));
  RECT client;
  GetClientRect(dlg, &client);
  RECT want = PixelsOf(dlg, 0, 0, table.cx, table.cy);
  EXPECT_EQ(client.right, want.right) << "client width of " << table.id;
  EXPECT_EQ(client.bottom, want.bottom) << "client height of " << table.id;

  HFONT font = reinterpret_cast<HFONT>(SendMessageW(dlg, WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  LOGFONTW lf = {};
  ASSERT_NE(GetObjectW(font, sizeof lf, &lf), 0);
  EXPECT_EQ(std::wstring(lf.lfFaceName), W(table.typeface));

  std::vector<HWND> children;
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
  ASSERT_EQ(children.size(), table.controls.size()) << "template " << table.id;

  for (size_t i = 0; i < table.controls.size(); ++i) {
    const ControlRow& c = table.controls[i];
    HWND hwnd = children[i];
    SCOPED_TRACE(Describe(table, i));
    EXPECT_EQ(GetDlgCtrlID(hwnd) & 0xFFFF, c.id & 0xFFFF);
    EXPECT_EQ(ClassOf(hwnd), ClassName(c.kind));
    LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    EXPECT_EQ((style & WS_VISIBLE) != 0, c.visible);
    if (c.kind == Kind::Radio || c.kind == Kind::Check || c.kind == Kind::Group) {
      EXPECT_EQ(static_cast<uint32_t>(style) & BS_TYPEMASK, ButtonType(c.kind));
    }
    if (c.kind == Kind::List) {
      // The list box takes over its border and scroll bars; its own flags stay.
      const uint32_t lbs = c.required & 0xFFFF;
      EXPECT_EQ(static_cast<uint32_t>(style) & lbs, lbs);
      EXPECT_EQ(static_cast<uint32_t>(style) & kListNever, 0u);
    }
    if (c.kind != Kind::List && c.kind != Kind::Combo && c.kind != Kind::Edit) {
      EXPECT_EQ(WindowText(hwnd), W(c.text));
    }

    RECT got;
    GetWindowRect(hwnd, &got);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&got), 2);
    RECT at = PixelsOf(dlg, c.x, c.y, c.w, c.h);
    EXPECT_EQ(got.left, at.left);
    EXPECT_EQ(got.top, at.top);
    EXPECT_EQ(got.right, at.right);
    // A drop-down combo box is as high as its edit field; the template gives
    // the height of the opened list.
    if (c.kind != Kind::Combo) {
      EXPECT_EQ(got.bottom, at.bottom);
    }
  }
  DestroyWindow(dlg);
}

INSTANTIATE_TEST_SUITE_P(Templates, DialogTemplateTest, ::testing::ValuesIn(Dialogs()),
                         [](const ::testing::TestParamInfo<DialogTable>& info) {
                           return "Template" + std::to_string(info.param.id);
                         });

// The buttons each dialog hides under its pictures all exist there.
TEST(DialogTemplates, PictureAnchorsAreHiddenPushButtons) {
  struct Anchor { int dialog; int control; };
  const Anchor anchors[] = {{102, 1005}, {102, 1006}, {102, 1}, {102, 1009}, {102, 2},
                            {129, 1}, {129, 2}, {129, 1014}, {129, 1020},
                            {130, 1}, {130, 2}, {143, 1}, {143, 2},
                            {145, 1}, {145, 2}, {148, 1}, {148, 2}};
  HiddenOwner owner;
  for (const Anchor& a : anchors) {
    HWND dlg = CreateHiddenDialog(a.dialog, owner.Get());
    ASSERT_NE(dlg, nullptr);
    HWND button = GetDlgItem(dlg, a.control);
    ASSERT_NE(button, nullptr) << a.dialog << "/" << a.control;
    EXPECT_EQ(ClassOf(button), L"button");
    EXPECT_FALSE(GetWindowLongW(button, GWL_STYLE) & WS_VISIBLE) << a.dialog << "/" << a.control;
    DestroyWindow(dlg);
  }
}

// ---------------------------------------------------------------- identifiers

static_assert(IDD_ABOUTBOX == 100 && IDD_IMPORT_DIALOG == 102 && IDD_LYRIC_EDIT == 129 &&
              IDD_LYRIC_TIME == 130 && IDD_MUSIC_INFO == 143 && IDD_MATCH_RESULT == 145 &&
              IDD_BATCH_ID3 == 148, "dialog template numbers");
static_assert(IDC_MP3_LIST == 1000 && IDC_LYRIC_LIST == 1004 && IDC_ADD_MP3_FOLDER == 1005 &&
              IDC_ADD_LYRIC_FOLDER == 1006 && IDC_MP3_COUNT == 1007 && IDC_LYRIC_COUNT == 1008 &&
              IDC_ABOUT == 1009 && IDC_UNSYNC_ONLY == 1010 && IDC_SYNC_AND_UNSYNC == 1011 &&
              IDC_DELETE_LYRIC == 1012 && IDC_IRIVER == 1018, "main window controls");
static_assert(IDC_KEY_INTERVAL == 1002 && IDC_LYRIC_LINES == 1013 && IDC_MEDIA_IMPORT == 1014 &&
              IDC_SHOW_LINES == 1015 && IDC_MEDIA_DELETE == 1020, "lyric editor controls");
static_assert(IDC_SHIFT_SECONDS == 1003 && IDC_CURRENT_LINE == 1016 && IDC_TARGET_LINE == 1019,
              "time shift controls");
static_assert(IDC_FILE_NAME == 1001 && IDC_TITLE == 1020 && IDC_ARTIST == 1021 &&
              IDC_ALBUM == 1022 && IDC_YEAR == 1023 && IDC_LYRICS_TEXT == 1024 &&
              IDC_FILE_NAME_CHOICES == 1027 && IDC_TITLE_CHOICES == 1028 &&
              IDC_ARTIST_CHOICES == 1029, "music information controls");
static_assert(IDC_MATCHED_LIST == 1025 && IDC_LYRIC_TOTAL == 1026 && IDC_MATCHED_COUNT == 1027,
              "match result controls");
static_assert(IDC_TAG_TO_NAME == 1030 && IDC_NAME_TO_TAG_ARTIST_FIRST == 1031 &&
              IDC_NAME_TO_TAG_TITLE_FIRST == 1032, "batch conversion choices");
static_assert(IDR_CONTEXT_MENU == 147 && ID_BATCH_ID3 == 32771 && ID_TEXT_COLOR == 32772 &&
              ID_BACKGROUND_COLOR == 32773 && IDM_ABOUTBOX == 16 && IDS_ABOUTBOX == 101,
              "menu, commands and strings");
static_assert(IDB_ABOUT == 131 && IDB_EXIT == 132 && IDB_DELETE_LYRIC == 133 &&
              IDB_ADD_LYRICS == 135 && IDB_ADD_MP3 == 136 && IDB_OK == 138 &&
              IDB_SAVE_EXIT == 140 && IDB_START_IMPORT == 141 && IDB_MODIFY == 144 &&
              IDC_HAND_CURSOR == 142 && IDI_MAIN == 128, "pictures, cursor and icon");
// System menu entries must keep the low four bits clear.
static_assert((IDM_ABOUTBOX & 0xFFF0) == IDM_ABOUTBOX && IDM_ABOUTBOX < 0xF000, "system menu id");

// ---------------------------------------------------------------- pictures

const int kPictureIds[] = {131, 132, 133, 135, 136, 138, 140, 141, 144};
const int kSide = 77;
const uint8_t kGroundRed = 184, kGroundGreen = 201, kGroundBlue = 227;

// One picture as top-down rows of RGB triplets, read from the raw resource.
struct Picture {
  int width = 0, height = 0, bits = 0;
  uint32_t compression = 0;
  std::vector<uint8_t> rgb;  // width * height * 3, top row first
  bool Ground(int x, int y) const {
    const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    return p[0] == kGroundRed && p[1] == kGroundGreen && p[2] == kGroundBlue;
  }
};

::testing::AssertionResult ReadPicture(int id, Picture* out) {
  Bytes raw = ResourceBytes(id, RT_BITMAP);
  if (!raw.data) return ::testing::AssertionFailure() << "no bitmap " << id;
  if (raw.size < sizeof(BITMAPINFOHEADER)) return ::testing::AssertionFailure() << "short header";
  BITMAPINFOHEADER h;
  std::memcpy(&h, raw.data, sizeof h);
  out->width = h.biWidth;
  out->height = h.biHeight;
  out->bits = h.biBitCount;
  out->compression = h.biCompression;
  if (h.biBitCount != 24 || h.biCompression != BI_RGB || h.biWidth <= 0 || h.biHeight <= 0)
    return ::testing::AssertionSuccess();  // the caller reports the header
  size_t stride = (static_cast<size_t>(h.biWidth) * 3 + 3) & ~size_t{3};
  size_t need = h.biSize + stride * static_cast<size_t>(h.biHeight);
  if (raw.size < need) return ::testing::AssertionFailure() << "bitmap " << id << " is cut short";
  out->rgb.resize(static_cast<size_t>(h.biWidth) * h.biHeight * 3);
  for (int y = 0; y < h.biHeight; ++y) {
    const uint8_t* row = raw.data + h.biSize + stride * static_cast<size_t>(h.biHeight - 1 - y);
    for (int x = 0; x < h.biWidth; ++x) {
      uint8_t* p = &out->rgb[(static_cast<size_t>(y) * h.biWidth + x) * 3];
      p[0] = row[x * 3 + 2];
      p[1] = row[x * 3 + 1];
      p[2] = row[x * 3 + 0];
    }
  }
  return ::testing::AssertionSuccess();
}

TEST(Pictures, AreSeventySevenSquareTrueColourOnTheGround) {
  for (int id : kPictureIds) {
    SCOPED_TRACE("bitmap " + std::to_string(id));
    Picture pic;
    ASSERT_TRUE(ReadPicture(id, &pic));
    EXPECT_EQ(pic.width, kSide);
    EXPECT_EQ(pic.height, kSide);
    EXPECT_EQ(pic.bits, 24);
    EXPECT_EQ(pic.compression, static_cast<uint32_t>(BI_RGB));
    ASSERT_FALSE(pic.rgb.empty());
    EXPECT_TRUE(pic.Ground(0, 0)) << "top-left pixel is not RGB(184, 201, 227)";
    EXPECT_FALSE(pic.Ground(kSide / 2, kSide / 2)) << "the centre belongs to the star";
  }
}

// Every ground-coloured pixel is reached from the border through ground
// pixels: none lies inside the star, where it would punch a hole in the
// button's click region and drawing.
TEST(Pictures, GroundColourOnlySurroundsTheStar) {
  for (int id : kPictureIds) {
    SCOPED_TRACE("bitmap " + std::to_string(id));
    Picture pic;
    ASSERT_TRUE(ReadPicture(id, &pic));
    ASSERT_EQ(pic.rgb.size(), static_cast<size_t>(kSide * kSide * 3));
    std::vector<char> reached(kSide * kSide, 0);
    std::vector<std::pair<int, int>> todo;
    for (int i = 0; i < kSide; ++i) {
      todo.push_back({i, 0});
      todo.push_back({i, kSide - 1});
      todo.push_back({0, i});
      todo.push_back({kSide - 1, i});
    }
    while (!todo.empty()) {
      auto [x, y] = todo.back();
      todo.pop_back();
      if (x < 0 || y < 0 || x >= kSide || y >= kSide) continue;
      if (reached[y * kSide + x] || !pic.Ground(x, y)) continue;
      reached[y * kSide + x] = 1;
      todo.push_back({x + 1, y});
      todo.push_back({x - 1, y});
      todo.push_back({x, y + 1});
      todo.push_back({x, y - 1});
    }
    int ground = 0, enclosed = 0;
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide; ++x)
        if (pic.Ground(x, y)) {
          ++ground;
          if (!reached[y * kSide + x]) ++enclosed;
        }
    EXPECT_EQ(enclosed, 0);
    // A star, not a square and not a speck: its ground is a real surround.
    EXPECT_GT(ground, kSide * kSide / 10);
    EXPECT_LT(ground, kSide * kSide / 2);
  }
}

TEST(Pictures, EachButtonHasItsOwnPicture) {
  std::set<std::vector<uint8_t>> seen;
  for (int id : kPictureIds) {
    Picture pic;
    ASSERT_TRUE(ReadPicture(id, &pic));
    EXPECT_TRUE(seen.insert(pic.rgb).second) << "bitmap " << id << " repeats another";
  }
}

TEST(Pictures, LoadThroughTheSystemLoader) {
  for (int id : kPictureIds) {
    HBITMAP bmp = LoadBitmapW(Module(), MAKEINTRESOURCEW(id));
    ASSERT_NE(bmp, nullptr) << "bitmap " << id;
    BITMAP info = {};
    ASSERT_NE(GetObjectW(bmp, sizeof info, &info), 0);
    EXPECT_EQ(info.bmWidth, kSide);
    EXPECT_EQ(info.bmHeight, kSide);
    // The loaded picture keeps the ground colour at its corner exactly.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(kGroundRed, kGroundGreen, kGroundBlue)) << "bitmap " << id;
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
  }
}

// ---------------------------------------------------------------- cursor and icon

TEST(Cursor, HandCursorPointsFromItsHotSpot) {
  HCURSOR hand = LoadCursorW(Module(), MAKEINTRESOURCEW(142));
  ASSERT_NE(hand, nullptr);
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(hand, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 5u);
  EXPECT_EQ(info.yHotspot, 0u);
  BITMAP mask = {};
  ASSERT_NE(GetObjectW(info.hbmMask, sizeof mask, &mask), 0);
  EXPECT_EQ(mask.bmWidth, 32);
  EXPECT_EQ(mask.bmHeight, info.hbmColor ? 32 : 64);  // a monochrome mask holds both halves
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
}

TEST(Cursor, GroupNamesOneThirtyTwoSquareImage) {
  Bytes group = ResourceBytes(142, RT_GROUP_CURSOR);
  ASSERT_NE(group.data, nullptr);
  ASSERT_GE(group.size, 6u + 14u);
  uint16_t type, count;
  std::memcpy(&type, group.data + 2, 2);
  std::memcpy(&count, group.data + 4, 2);
  EXPECT_EQ(type, 2);
  ASSERT_EQ(count, 1);
  uint16_t width, height;  // a cursor entry gives the height of both masks
  std::memcpy(&width, group.data + 6, 2);
  std::memcpy(&height, group.data + 8, 2);
  EXPECT_EQ(width, 32);
  EXPECT_EQ(height, 64);
}

TEST(Icon, OffersSixteenThirtyTwoAndFortyEight) {
  Bytes group = ResourceBytes(128, RT_GROUP_ICON);
  ASSERT_NE(group.data, nullptr);
  ASSERT_GE(group.size, 6u);
  uint16_t type, count;
  std::memcpy(&type, group.data + 2, 2);
  std::memcpy(&count, group.data + 4, 2);
  EXPECT_EQ(type, 1);
  ASSERT_GE(group.size, 6u + 14u * count);
  std::set<int> sizes;
  for (uint16_t i = 0; i < count; ++i) {
    int w = group.data[6 + 14 * i], h = group.data[7 + 14 * i];
    EXPECT_EQ(w, h);
    sizes.insert(w);
  }
  EXPECT_EQ(sizes, (std::set<int>{16, 32, 48}));
  for (int side : {16, 32, 48}) {
    HICON icon = static_cast<HICON>(
        LoadImageW(Module(), MAKEINTRESOURCEW(128), IMAGE_ICON, side, side, 0));
    EXPECT_NE(icon, nullptr) << side;
    if (icon) DestroyIcon(icon);
  }
}

// ---------------------------------------------------------------- menu and strings

TEST(Menu, ContextMenuEntriesInOrder) {
  HMENU menu = LoadMenuW(Module(), MAKEINTRESOURCEW(147));
  ASSERT_NE(menu, nullptr);
  HMENU popup = GetSubMenu(menu, 0);
  ASSERT_NE(popup, nullptr);
  struct Entry { UINT id; const char* text; };  // id 0 with no text: a separator
  const Entry want[] = {{32771, "批量改id3信息(&A)..."}, {0, nullptr},
                        {32772, "设置字体颜色(&B)..."},  {32773, "设置背景颜色(&C)..."},
                        {0, nullptr},                    {16, "关于(&H)..."}};
  ASSERT_EQ(GetMenuItemCount(popup), 6);
  for (int i = 0; i < 6; ++i) {
    wchar_t text[128] = {};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 128;
    ASSERT_TRUE(GetMenuItemInfoW(popup, i, TRUE, &info)) << i;
    if (!want[i].text) {
      EXPECT_TRUE(info.fType & MFT_SEPARATOR) << "entry " << i;
      continue;
    }
    EXPECT_FALSE(info.fType & MFT_SEPARATOR) << "entry " << i;
    EXPECT_EQ(info.wID, want[i].id) << "entry " << i;
    EXPECT_EQ(std::wstring(text), W(want[i].text)) << "entry " << i;
  }
  DestroyMenu(menu);
}

std::wstring LoadText(int id) {
  const wchar_t* text = nullptr;
  int n = LoadStringW(Module(), id, reinterpret_cast<LPWSTR>(&text), 0);
  return n > 0 ? std::wstring(text, static_cast<size_t>(n)) : std::wstring();
}

TEST(Strings, SystemMenuAboutEntry) { EXPECT_EQ(LoadText(101), W("关于 Versemill(&A)...")); }

TEST(Strings, SuggestionBoxHints) {
  EXPECT_EQ(LoadText(IDS_HINT_FROM_TAG), W("<<标题和艺术家组成>>"));
  EXPECT_EQ(LoadText(IDS_HINT_FROM_NAME), W("<<取文件名一部分>>"));
}

// ---------------------------------------------------------------- version

TEST(Version, NamesTheProductAndItsVersion) {
  Bytes raw = ResourceBytes(1, RT_VERSION);
  ASSERT_NE(raw.data, nullptr);
  std::vector<uint8_t> copy(raw.data, raw.data + raw.size);  // VerQueryValue may write
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  ASSERT_TRUE(VerQueryValueW(copy.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
  ASSERT_GE(len, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  std::string expected = VM_EXPECTED_VERSION;
  char printed[64];
  snprintf(printed, sizeof printed, "%u.%u.%u", HIWORD(fixed->dwFileVersionMS),
           LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS));
  EXPECT_EQ(printed, expected);

  wchar_t* value = nullptr;
  ASSERT_TRUE(VerQueryValueW(copy.data(), L"\\StringFileInfo\\080404b0\\ProductName",
                             reinterpret_cast<void**>(&value), &len));
  EXPECT_EQ(std::wstring(value), L"Versemill");
  ASSERT_TRUE(VerQueryValueW(copy.data(), L"\\StringFileInfo\\080404b0\\ProductVersion",
                             reinterpret_cast<void**>(&value), &len));
  EXPECT_EQ(std::wstring(value), W(expected));
}

}  // namespace
