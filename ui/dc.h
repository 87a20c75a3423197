// Device contexts of a paint or of a window's client area, released with
// their object.
#pragma once

#include <windows.h>

class CPaintDC {
 public:
  explicit CPaintDC(HWND hWnd) : m_hWndOwner(hWnd), m_hDC(::BeginPaint(hWnd, &m_ps)) {}
  CPaintDC(const CPaintDC&) = delete;
  CPaintDC& operator=(const CPaintDC&) = delete;
  ~CPaintDC() { ::EndPaint(m_hWndOwner, &m_ps); }
  operator HDC() const { return m_hDC; }

  PAINTSTRUCT m_ps{};
  HWND m_hWndOwner;
  HDC m_hDC;
};

class CClientDC {
 public:
  explicit CClientDC(HWND hWnd) : m_hWndOwner(hWnd), m_hDC(::GetDC(hWnd)) {}
  CClientDC(const CClientDC&) = delete;
  CClientDC& operator=(const CClientDC&) = delete;
  ~CClientDC() { if (m_hDC) ::ReleaseDC(m_hWndOwner, m_hDC); }
  operator HDC() const { return m_hDC; }

  HWND m_hWndOwner;
  HDC m_hDC;
};
