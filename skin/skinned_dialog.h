// The picture buttons of a skinned dialog.
//
// A skinned dialog draws each command button as a shaped picture over a
// push button of its template that is never shown, shows the hand cursor
// over the pictures' shapes and runs a button's action when the left button
// is released inside its shape. CSkinButtons is that behaviour for one
// dialog, given the dialog's ordered list of (picture, placeholder, action):
//
//   m_skin.Add(IDB_OK, IDOK, [this] { OnOK(); });
//   m_skin.Add(IDB_EXIT, IDCANCEL, [this] { OnCancel(); });
//
// and the dialog forwards its four moments to it: Open from OnInitDialog,
// Paint from WM_PAINT, OnMouseMove and OnLButtonUp from the mouse messages
// (before their default handling). CSkinnedDialog below does the forwarding.
//
// A picture that changes in place is two entries on one placeholder, one of
// them drawn, one of them tested:
//
//   m_nConfirm = m_skin.Add(IDB_OK, IDOK, [this] { OnOK(); }, CSkinButtons::SKIN_HIT);
//   m_nModify = m_skin.Add(IDB_MODIFY, IDOK, nullptr, CSkinButtons::SKIN_DRAWN);
//   ...
//   m_skin.SetDrawn(m_nModify, false);   // after the first press
//   m_skin.SetDrawn(m_nConfirm, true);
//   Invalidate();
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "skin/skin_bitmap.h"
#include "ui/dialog.h"

class CSkinButtons {
public:
    using Action = std::function<void()>;

    // What a mouse move off every picture does.
    enum CursorMode {
        CURSOR_HAND_ONLY,         // leave the cursor to the system's handling
        CURSOR_RESTORE_ARROW,     // set the arrow once and clear the hand-shown flag
    };

    // Entry flags.
    enum : UINT {
        SKIN_DRAWN = 0x1,         // painted at its placeholder
        SKIN_HIT = 0x2,           // its shape takes the hand cursor and clicks
        SKIN_DRAWN_AND_HIT = SKIN_DRAWN | SKIN_HIT,
    };

    // pbHandShown: the dialog class's hand-shown flag, shared by its
    // instances (null: a flag of this object's own).
    explicit CSkinButtons(BOOL* pbHandShown = nullptr, CursorMode mode = CURSOR_HAND_ONLY);
    CSkinButtons(const CSkinButtons&) = delete;
    CSkinButtons& operator=(const CSkinButtons&) = delete;

    // Appends an entry; the list order is the drawing order and the order in
    // which shapes are tested. Returns the entry's index.
    int Add(UINT nBitmapID, int nPlaceholderID, Action action, UINT nFlags = SKIN_DRAWN_AND_HIT);

    // Switches an entry's drawing or testing on and off (a picture that
    // changes in place: two entries on one placeholder, one drawn at a time).
    void SetDrawn(int nEntry, bool bDrawn);
    void SetHit(int nEntry, bool bHit);
    bool IsDrawn(int nEntry) const;
    bool IsHit(int nEntry) const;
    int GetCount() const { return static_cast<int>(m_entries.size()); }
    CSkinBitmap& GetBitmap(int nEntry) { return m_entries[nEntry]->bitmap; }

    // Opening: loads the hand cursor and every picture from the program's
    // resources, builds the shapes and moves each to its placeholder's client
    // position in hDlg. A picture that cannot be loaded is neither drawn nor
    // clickable.
    void Open(HWND hDlg);

    // Painting: every drawn picture, in list order, at its placeholder's
    // top-left corner in client coordinates.
    void Paint(HDC hDC) const;
    // Painting the dialog itself, within BeginPaint / EndPaint.
    void PaintDialog() const;

    // Mouse move at a client point: the hand cursor over a shape. True when
    // the point lies in one.
    bool OnMouseMove(POINT pt);

    // Left button released at a client point: the first entry in list order
    // whose shape holds the point runs its action, no other. True when one ran.
    bool OnLButtonUp(POINT pt);

    // The entry whose shape holds the point, or -1.
    int HitTest(POINT pt) const;

    HCURSOR m_hHandCursor;

private:
    struct CEntry {
        UINT nBitmapID;
        int nPlaceholderID;
        Action action;
        UINT nFlags;
        CSkinBitmap bitmap;
    };

    bool PlaceholderTopLeft(const CEntry& entry, POINT* pPoint) const;

    std::vector<std::unique_ptr<CEntry>> m_entries;
    HWND m_hDlg;
    BOOL m_bOwnHandShown;
    BOOL* m_pbHandShown;
    CursorMode m_cursorMode;
};

// A dialog with picture buttons: forwards the four moments to m_skin.
// A subclass adds its entries (in its constructor or before calling this
// class's OnInitDialog) and may handle the messages itself, calling these
// handlers to go on.
class CSkinnedDialog : public CDialog {
public:
    CSkinnedDialog(UINT nIDTemplate, CWnd* pParentWnd, BOOL* pbHandShown,
                   CSkinButtons::CursorMode mode = CSkinButtons::CURSOR_HAND_ONLY);

protected:
    BOOL OnInitDialog() override;
    void OnPaint();
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);

    CSkinButtons m_skin;

    DECLARE_MESSAGE_MAP()
};
