#include "shell/drag_drop_list_box.h"

#include <cstring>
#include <string>

#include "ui/app.h"

namespace {

bool EndsWithMp3(const char* path) {
    static const char kExt[] = ".mp3";
    size_t n = std::strlen(path);
    if (n < 4) return false;  // a shorter path cannot end in the four characters
    const char* tail = path + n - 4;
    // ASCII case only: none of these bytes can be half of a GBK character.
    for (size_t i = 0; i < 4; ++i) {
        char c = tail[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != kExt[i]) return false;
    }
    return true;
}

} // namespace

BEGIN_MESSAGE_MAP(CDragAndDropListBox, CListBox)
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_TIMER()
    ON_WM_KEYDOWN()
    ON_WM_CAPTURECHANGED()
END_MESSAGE_MAP()

CDragAndDropListBox::CDragAndDropListBox()
    : m_nDragIndex(-1), m_nDropIndex(-1), m_bDragging(FALSE), m_nScrollInterval(0),
      m_nScrollTimer(0) {}

CDragAndDropListBox::~CDragAndDropListBox() {
    if (m_hWnd && IsAttached() && ::IsWindow(m_hWnd)) DestroyWindow();
}

int CDragAndDropListBox::ScrollIntervalFor(int nDistance, int nItemHeight) {
    if (nItemHeight <= 0) nItemHeight = 1;
    return 250 / (nDistance / nItemHeight + 1);
}

void CDragAndDropListBox::StartScrollTimer(UINT_PTR nIDEvent, UINT nElapse) {
    SetTimer(nIDEvent, nElapse);
}

void CDragAndDropListBox::StopScrollTimers() {
    KillTimer(ID_TIMER_SCROLL_DOWN);
    KillTimer(ID_TIMER_SCROLL_UP);
}

void CDragAndDropListBox::StopAutoScroll() {
    StopScrollTimers();
    m_nScrollInterval = 0;
    m_nScrollTimer = 0;
}

void CDragAndDropListBox::OnLButtonDown(UINT nFlags, CPoint point) {
    CListBox::OnLButtonDown(nFlags, point);
    m_nDragIndex = -1;
    m_nDropIndex = -1;
    m_bDragging = FALSE;
    m_nScrollInterval = 0;
    BOOL bOutside = TRUE;
    UINT nIndex = ItemFromPoint(point, bOutside);
    if (!bOutside) {
        m_nDragIndex = static_cast<int>(nIndex);
        SetCurSel(m_nDragIndex);
    }
}

int CDragAndDropListBox::DropIndexAt(CPoint point) const {
    BOOL bOutside = TRUE;
    UINT nIndex = ItemFromPoint(point, bOutside);
    return bOutside ? -1 : static_cast<int>(nIndex);  // below the last entry: after it
}

void CDragAndDropListBox::OnMouseMove(UINT nFlags, CPoint point) {
    CListBox::OnMouseMove(nFlags, point);
    if (!(nFlags & MK_LBUTTON) || m_nDragIndex == -1) return;
    if (!m_bDragging) {
        SetCapture();
        m_bDragging = TRUE;
    }
    RECT rcClient;
    GetClientRect(&rcClient);
    BOOL bOutside = TRUE;
    int nIndex = static_cast<int>(ItemFromPoint(point, bOutside));
    if (bOutside) {
        if (!CRect(rcClient).PtInRect(point)) {
            AutoScroll(point, rcClient);  // the line stays where it is
            return;
        }
        nIndex = -1;  // inside the list below the last entry
    }
    StopAutoScroll();
    if (nIndex != m_nDropIndex) DrawInsertMark(nIndex);
}

void CDragAndDropListBox::AutoScroll(CPoint point, const RECT& rcClient) {
    const int h = rcClient.bottom - rcClient.top;
    UINT_PTR nTimer;
    int nDistance;
    if (point.y > h) {
        nTimer = ID_TIMER_SCROLL_DOWN;
        nDistance = point.y - h;
    } else if (point.y < 0) {
        nTimer = ID_TIMER_SCROLL_UP;
        nDistance = -point.y;
    } else {
        StopAutoScroll();  // beside the list
        return;
    }
    int nInterval = ScrollIntervalFor(nDistance, GetItemHeight(0));
    if (nInterval == m_nScrollInterval && nTimer == m_nScrollTimer) return;
    // Only one of the two runs, also when the pointer jumps from below to above.
    StopScrollTimers();
    m_nScrollInterval = nInterval;
    m_nScrollTimer = nTimer;
    StartScrollTimer(nTimer, static_cast<UINT>(nInterval));
    OnTimer(nTimer);
}

int CDragAndDropListBox::StepIndex(int nIndex, int nStep) const {
    const int nCount = GetCount();
    if (nCount <= 0) return -1;
    if (nIndex == -1) nIndex = nCount;  // after the last entry
    nIndex += nStep;
    if (nIndex < 0) nIndex = 0;
    if (nIndex >= nCount) return -1;
    return nIndex;
}

void CDragAndDropListBox::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == ID_TIMER_SCROLL_DOWN) {
        DrawInsertMark(StepIndex(m_nDropIndex, +1));
        SetTopIndex(GetTopIndex() + 1);
    } else if (nIDEvent == ID_TIMER_SCROLL_UP) {
        DrawInsertMark(StepIndex(m_nDropIndex, -1));
        int nTop = GetTopIndex();
        if (nTop > 0) SetTopIndex(nTop - 1);
    }
    CListBox::OnTimer(nIDEvent);
}

bool CDragAndDropListBox::InsertLine(int nIndex, POINT* pFrom, POINT* pTo) const {
    RECT rcClient;
    GetClientRect(&rcClient);
    RECT r;
    if (nIndex >= 0) {
        if (GetItemRect(nIndex, &r) == LB_ERR) return false;
        if (!CRect(rcClient).PtInRect(POINT{r.left, r.top})) return false;
        *pFrom = POINT{r.left, r.top + 1};
        *pTo = POINT{r.right - 1, r.top + 1};
        return true;
    }
    int nCount = GetCount();
    if (nCount <= 0 || GetItemRect(nCount - 1, &r) == LB_ERR) return false;
    if (!CRect(rcClient).PtInRect(POINT{0, r.bottom})) return false;
    *pFrom = POINT{r.left, r.bottom};
    *pTo = POINT{r.right - 1, r.bottom};
    return true;
}

void CDragAndDropListBox::DrawLine(HDC hDC, int nIndex, COLORREF colour) const {
    POINT from, to;
    if (!InsertLine(nIndex, &from, &to)) return;
    HPEN hPen = CreatePen(PS_SOLID, 2, colour);
    if (!hPen) return;
    HGDIOBJ hOld = SelectObject(hDC, hPen);
    MoveToEx(hDC, from.x, from.y, nullptr);
    LineTo(hDC, to.x, to.y);
    SelectObject(hDC, hOld);
    ::DeleteObject(hPen);
}

void CDragAndDropListBox::DrawInsertMark(int nNewIndex) {
    HDC hDC = ::GetDC(m_hWnd);
    if (!hDC) {
        m_nDropIndex = nNewIndex;
        return;
    }
    // No line is ever drawn at the dragged entry's own place.
    if (m_nDropIndex != m_nDragIndex) DrawLine(hDC, m_nDropIndex, RGB(255, 255, 255));
    m_nDropIndex = nNewIndex;
    if (m_nDropIndex != m_nDragIndex) DrawLine(hDC, m_nDropIndex, RGB(0, 0, 0));
    ::ReleaseDC(m_hWnd, hDC);
}

void CDragAndDropListBox::OnLButtonUp(UINT nFlags, CPoint point) {
    if (m_bDragging) {
        StopAutoScroll();
        m_bDragging = FALSE;
        if (GetCapture() == m_hWnd) ReleaseCapture();
        RECT rcClient;
        GetClientRect(&rcClient);
        if (CRect(rcClient).PtInRect(point)) {
            // The release point decides, as the last move there would have.
            int nIndex = DropIndexAt(point);
            if (nIndex != m_nDropIndex) DrawInsertMark(nIndex);
            DropItem();
        } else {
            ::InvalidateRect(m_hWnd, nullptr, TRUE);
            ::UpdateWindow(m_hWnd);
        }
    }
    m_nDragIndex = -1;
    m_nDropIndex = -1;
    CListBox::OnLButtonUp(nFlags, point);
}

void CDragAndDropListBox::DropItem() {
    const int nCount = GetCount();
    if (m_nDragIndex >= 0 && m_nDragIndex < nCount && m_nDropIndex >= -1 &&
        m_nDropIndex < nCount && m_nDragIndex != m_nDropIndex) {
        std::string text = GetText(m_nDragIndex);
        DWORD_PTR data = GetItemData(m_nDragIndex);
        SendMessage(WM_SETREDRAW, FALSE, 0);
        int nTop = GetTopIndex();
        if (m_nDropIndex != -1 && m_nDragIndex < m_nDropIndex) {
            int nNew = InsertString(m_nDropIndex, text);
            if (nNew >= 0) {
                SetItemData(nNew, data);
                DeleteString(m_nDragIndex);
                SetCurSel(nNew - 1);
            }
        } else {
            DeleteString(m_nDragIndex);
            int nNew = InsertString(m_nDropIndex, text);
            if (nNew >= 0) {
                SetItemData(nNew, data);
                SetCurSel(nNew);
            }
        }
        SetTopIndex(nTop);
        SendMessage(WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
        ::UpdateWindow(m_hWnd);
    } else {
        // Nothing moves; the line still goes.
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
        ::UpdateWindow(m_hWnd);
    }
    HWND hParent = ::GetParent(m_hWnd);
    if (hParent)
        ::SendMessageW(hParent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), LBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(m_hWnd));
}

void CDragAndDropListBox::CancelDrag() {
    StopAutoScroll();
    m_bDragging = FALSE;
    m_nDragIndex = -1;
    m_nDropIndex = -1;
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    ::UpdateWindow(m_hWnd);
}

void CDragAndDropListBox::OnCaptureChanged(HWND hWndNew) {
    // Another window took the mouse (a switch of windows, a menu): the drag
    // ends where it is, nothing moves.
    if (m_bDragging && hWndNew != m_hWnd) CancelDrag();
    CListBox::OnCaptureChanged(hWndNew);
}

HWND CDragAndDropListBox::MainWindow() const {
    CWinApp* pApp = AfxGetApp();
    if (pApp && pApp->m_pMainWnd && pApp->m_pMainWnd->m_hWnd) return pApp->m_pMainWnd->m_hWnd;
    return ::GetAncestor(m_hWnd, GA_ROOT);
}

void CDragAndDropListBox::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    if (nChar == VK_DELETE) {
        int nSel = GetCurSel();
        if (nSel == LB_ERR) return;
        DWORD_PTR data = GetItemData(nSel);
        const char* path = data && data != static_cast<DWORD_PTR>(LB_ERR)
                               ? reinterpret_cast<const char*>(data)
                               : "";
        WPARAM wParam = EndsWithMp3(path) ? DELETE_ENTRY_MP3 : DELETE_ENTRY_OTHER;
        HWND hMain = MainWindow();
        if (hMain) ::SendMessageW(hMain, WM_DELETE_ENTRY, wParam, 0);
    }
    CListBox::OnKeyDown(nChar, nRepCnt, nFlags);
}
