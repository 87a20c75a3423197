// Identifiers of the program's resources: dialog templates, their controls,
// menus, strings, bitmaps, the cursor and the icon. Shared by Versemill.rc and
// the C++ code; plain numbers only, so that the resource compiler reads it too.
#ifndef VERSEMILL_RES_RESOURCE_H
#define VERSEMILL_RES_RESOURCE_H

// ---- Dialog templates
#define IDD_ABOUTBOX            100  // about box, animated text, no controls
#define IDD_IMPORT_DIALOG       102  // main window with the two file lists
#define IDD_LYRIC_EDIT          129  // lyric editor
#define IDD_LYRIC_TIME          130  // time shift of a block of lines
#define IDD_MUSIC_INFO          143  // MP3 file name, ID3v1 fields and lyric
#define IDD_MATCH_RESULT        145  // result window of an import run
#define IDD_BATCH_ID3           148  // batch conversion between tags and names

// ---- Main window (102). IDOK is the start-import anchor, IDCANCEL the exit anchor.
#define IDC_MP3_LIST            1000
#define IDC_LYRIC_LIST          1004
#define IDC_ADD_MP3_FOLDER      1005  // hidden anchor of the "add MP3" picture
#define IDC_ADD_LYRIC_FOLDER    1006  // hidden anchor of the "add lyrics" picture
#define IDC_MP3_COUNT           1007
#define IDC_LYRIC_COUNT         1008
#define IDC_ABOUT               1009  // hidden anchor of the "about" picture
#define IDC_UNSYNC_ONLY         1010  // radio: unsynchronised lyric only
#define IDC_SYNC_AND_UNSYNC     1011  // radio: unsynchronised and synchronised
#define IDC_DELETE_LYRIC        1012  // hidden; reached through the Delete key
#define IDC_IRIVER              1018  // check box: the player's own lyric frame

// ---- Lyric editor (129). IDOK saves and closes, IDCANCEL closes.
#define IDC_KEY_INTERVAL        1002
#define IDC_LYRIC_LINES         1013
#define IDC_MEDIA_IMPORT        1014  // hidden anchor of the media-player import picture
#define IDC_SHOW_LINES          1015
#define IDC_MEDIA_DELETE        1020  // hidden anchor of the media-player delete picture

// ---- Time shift (130)
#define IDC_SHIFT_SECONDS       1003
#define IDC_CURRENT_LINE        1016
#define IDC_TARGET_LINE         1019

// ---- Music file information (143). IDOK is the modify / confirm anchor.
#define IDC_FILE_NAME           1001
#define IDC_TITLE               1020
#define IDC_ARTIST              1021
#define IDC_ALBUM               1022
#define IDC_YEAR                1023
#define IDC_LYRICS_TEXT         1024
#define IDC_FILE_NAME_CHOICES   1027  // suggestions; entry 0 is IDS_HINT_FROM_TAG
#define IDC_TITLE_CHOICES       1028  // suggestions; entry 0 is IDS_HINT_FROM_NAME
#define IDC_ARTIST_CHOICES      1029  // suggestions; entry 0 is IDS_HINT_FROM_NAME

// ---- Match result (145). IDOK deletes the matched pairs, IDCANCEL hides.
#define IDC_MATCHED_LIST        1025
#define IDC_LYRIC_TOTAL         1026
#define IDC_MATCHED_COUNT       1027

// ---- Batch conversion (148)
#define IDC_TAG_TO_NAME              1030
#define IDC_NAME_TO_TAG_ARTIST_FIRST 1031
#define IDC_NAME_TO_TAG_TITLE_FIRST  1032

// ---- Menus and commands
#define IDR_CONTEXT_MENU        147  // the main window's right-click menu
#define ID_BATCH_ID3            32771
#define ID_TEXT_COLOR           32772
#define ID_BACKGROUND_COLOR     32773
#define IDM_ABOUTBOX            0x0010  // context menu and system menu entry

// ---- Strings
#define IDS_ABOUTBOX            101  // text of the system menu entry
// The resource compiler has no initial-data blocks for combo boxes: the music
// information dialog adds these as entry 0 of its three suggestion boxes.
#define IDS_HINT_FROM_TAG       201  // 1027: made of title and artist
#define IDS_HINT_FROM_NAME      202  // 1028, 1029: a part of the file name

// ---- Pictures. Each is 77 x 77 pixels, 24 bits, on the ground RGB(184, 201, 227).
#define IDB_ABOUT               131
#define IDB_EXIT                132
#define IDB_DELETE_LYRIC        133
#define IDB_ADD_LYRICS          135
#define IDB_ADD_MP3             136
#define IDB_OK                  138
#define IDB_SAVE_EXIT           140
#define IDB_START_IMPORT        141
#define IDB_MODIFY              144

// ---- Cursor and icon. <winuser.h> already defines IDC_HAND as the system's
// own hand cursor, hence the longer name here.
#define IDC_HAND_CURSOR         142  // pointing hand, hot spot (5, 0)
#define IDI_MAIN                128

#endif
