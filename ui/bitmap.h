// CBitmap: owns one GDI bitmap; LoadBitmap takes it from the program's
// resources.
#pragma once

#include <windows.h>

class CBitmap {
 public:
  CBitmap() = default;
  CBitmap(const CBitmap&) = delete;
  CBitmap& operator=(const CBitmap&) = delete;
  virtual ~CBitmap() { DeleteObject(); }

  // Replaces any bitmap held; false when the resource is missing.
  bool LoadBitmap(UINT nIDResource);
  bool CreateCompatibleBitmap(HDC hDC, int width, int height);
  // Takes ownership of hBitmap (freeing any bitmap held).
  void Attach(HBITMAP hBitmap);
  // Gives up ownership.
  HBITMAP Detach();
  bool DeleteObject();
  int GetBitmap(BITMAP* pBitmap) const;

  HBITMAP GetSafeHandle() const { return m_hObject; }
  operator HBITMAP() const { return m_hObject; }

  HBITMAP m_hObject = nullptr;
};
