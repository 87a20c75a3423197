#include "shell/picture_loader.h"

// ---- to be written
CPictureLoader::CPictureLoader() : m_pPicture(nullptr) {}
CPictureLoader::~CPictureLoader() { Free(); }
BOOL CPictureLoader::Load(const char*) { return FALSE; }
SIZE CPictureLoader::GetImageSize(HDC) const { return SIZE{0, 0}; }
BOOL CPictureLoader::Render(HDC, RECT*, const RECT*) const { return FALSE; }
void CPictureLoader::Free() {}
