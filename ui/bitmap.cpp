#include "ui/bitmap.h"

#include "ui/app.h"

bool CBitmap::LoadBitmap(UINT nIDResource) {
  HBITMAP hBitmap = ::LoadBitmapW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDResource));
  if (!hBitmap) return false;
  Attach(hBitmap);
  return true;
}

bool CBitmap::CreateCompatibleBitmap(HDC hDC, int width, int height) {
  HBITMAP hBitmap = ::CreateCompatibleBitmap(hDC, width, height);
  if (!hBitmap) return false;
  Attach(hBitmap);
  return true;
}

void CBitmap::Attach(HBITMAP hBitmap) {
  if (hBitmap == m_hObject) return;
  DeleteObject();
  m_hObject = hBitmap;
}

HBITMAP CBitmap::Detach() {
  HBITMAP h = m_hObject;
  m_hObject = nullptr;
  return h;
}

bool CBitmap::DeleteObject() {
  if (!m_hObject) return false;
  ::DeleteObject(m_hObject);
  m_hObject = nullptr;
  return true;
}

int CBitmap::GetBitmap(BITMAP* pBitmap) const {
  return m_hObject ? ::GetObjectW(m_hObject, sizeof(BITMAP), pBitmap) : 0;
}
