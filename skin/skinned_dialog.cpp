#include "skin/skinned_dialog.h"

#include "res/resource.h"
#include "ui/app.h"

CSkinButtons::CSkinButtons(BOOL* pbHandShown, CursorMode mode)
    : m_hHandCursor(nullptr),
      m_hDlg(nullptr),
      m_bOwnHandShown(FALSE),
      m_pbHandShown(pbHandShown ? pbHandShown : &m_bOwnHandShown),
      m_cursorMode(mode) {}

int CSkinButtons::Add(UINT nBitmapID, int nPlaceholderID, Action action, UINT nFlags) {
    auto entry = std::make_unique<CEntry>();
    entry->nBitmapID = nBitmapID;
    entry->nPlaceholderID = nPlaceholderID;
    entry->action = std::move(action);
    entry->nFlags = nFlags;
    m_entries.push_back(std::move(entry));
    return static_cast<int>(m_entries.size()) - 1;
}

void CSkinButtons::SetDrawn(int nEntry, bool bDrawn) {
    UINT& nFlags = m_entries[nEntry]->nFlags;
    nFlags = bDrawn ? (nFlags | SKIN_DRAWN) : (nFlags & ~SKIN_DRAWN);
}

void CSkinButtons::SetHit(int nEntry, bool bHit) {
    UINT& nFlags = m_entries[nEntry]->nFlags;
    nFlags = bHit ? (nFlags | SKIN_HIT) : (nFlags & ~SKIN_HIT);
}

bool CSkinButtons::IsDrawn(int nEntry) const {
    return (m_entries[nEntry]->nFlags & SKIN_DRAWN) != 0;
}

bool CSkinButtons::IsHit(int nEntry) const {
    return (m_entries[nEntry]->nFlags & SKIN_HIT) != 0;
}

bool CSkinButtons::PlaceholderTopLeft(const CEntry& entry, POINT* pPoint) const {
    HWND hButton = m_hDlg ? GetDlgItem(m_hDlg, entry.nPlaceholderID) : nullptr;
    RECT rect;
    if (!hButton || !GetWindowRect(hButton, &rect)) return false;
    pPoint->x = rect.left;
    pPoint->y = rect.top;
    return ScreenToClient(m_hDlg, pPoint) != FALSE;
}

void CSkinButtons::Open(HWND hDlg) {
    m_hDlg = hDlg;
    m_hHandCursor = LoadCursorW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDC_HAND_CURSOR));
    // Without the program's hand the system's one, never a vanishing cursor.
    if (!m_hHandCursor) m_hHandCursor = LoadCursorW(nullptr, IDC_HAND);
    if (!m_hHandCursor) m_hHandCursor = LoadCursorW(nullptr, IDC_ARROW);

    for (auto& entry : m_entries) {
        entry->bitmap.DeleteRegion();
        entry->bitmap.DeleteObject();
        if (entry->bitmap.LoadBitmap(entry->nBitmapID))
            entry->bitmap.CreateRegion(SKIN_TOP_LEFT_COLOR);
    }
    for (auto& entry : m_entries) {
        POINT topLeft;
        if (PlaceholderTopLeft(*entry, &topLeft))
            entry->bitmap.OffsetRegion(topLeft.x, topLeft.y);
        else
            entry->bitmap.DeleteRegion();  // no place of its own: not clickable
    }
}

void CSkinButtons::Paint(HDC hDC) const {
    for (const auto& entry : m_entries) {
        POINT topLeft;
        if ((entry->nFlags & SKIN_DRAWN) && PlaceholderTopLeft(*entry, &topLeft))
            entry->bitmap.DrawAt(hDC, topLeft.x, topLeft.y);
    }
}

void CSkinButtons::PaintDialog() const {
    PAINTSTRUCT ps;
    HDC hDC = BeginPaint(m_hDlg, &ps);
    if (hDC) Paint(hDC);
    EndPaint(m_hDlg, &ps);
}

int CSkinButtons::HitTest(POINT pt) const {
    for (size_t i = 0; i < m_entries.size(); ++i)
        if ((m_entries[i]->nFlags & SKIN_HIT) && m_entries[i]->bitmap.RegionContains(pt))
            return static_cast<int>(i);
    return -1;
}

bool CSkinButtons::OnMouseMove(POINT pt) {
    if (HitTest(pt) >= 0) {
        SetCursor(m_hHandCursor);
        *m_pbHandShown = TRUE;
        return true;
    }
    if (m_cursorMode == CURSOR_RESTORE_ARROW && *m_pbHandShown) {
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        *m_pbHandShown = FALSE;
    }
    return false;
}

bool CSkinButtons::OnLButtonUp(POINT pt) {
    int nEntry = HitTest(pt);
    if (nEntry < 0) return false;
    // Copied: the action may close the dialog and change the list.
    Action action = m_entries[nEntry]->action;
    if (action) action();
    return true;
}

// ---------------------------------------------------------------------------

CSkinnedDialog::CSkinnedDialog(UINT nIDTemplate, CWnd* pParentWnd, BOOL* pbHandShown,
                               CSkinButtons::CursorMode mode)
    : CDialog(nIDTemplate, pParentWnd), m_skin(pbHandShown, mode) {}

BEGIN_MESSAGE_MAP(CSkinnedDialog, CDialog)
    ON_WM_PAINT()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

BOOL CSkinnedDialog::OnInitDialog() {
    BOOL bResult = CDialog::OnInitDialog();
    m_skin.Open(m_hWnd);
    return bResult;
}

void CSkinnedDialog::OnPaint() {
    m_skin.PaintDialog();
}

void CSkinnedDialog::OnMouseMove(UINT nFlags, CPoint point) {
    m_skin.OnMouseMove(point);
    CDialog::OnMouseMove(nFlags, point);
}

void CSkinnedDialog::OnLButtonUp(UINT nFlags, CPoint point) {
    m_skin.OnLButtonUp(point);
    CDialog::OnLButtonUp(nFlags, point);
}
