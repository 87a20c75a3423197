// CBitmap: loading from the program's resources and owning the handle.
#include <gtest/gtest.h>

#include "test_resource.h"
#include "ui/bitmap.h"

namespace {

bool IsBitmap(HBITMAP h) { return ::GetObjectType(h) == OBJ_BITMAP; }

TEST(Bitmap, LoadsFromTheResourcesAndFreesWithTheObject) {
  HBITMAP h = nullptr;
  {
    CBitmap bmp;
    ASSERT_TRUE(bmp.LoadBitmap(IDB_TEST_PICTURE));
    h = bmp;
    BITMAP info{};
    ASSERT_EQ(static_cast<int>(sizeof info), bmp.GetBitmap(&info));
    EXPECT_EQ(3, info.bmWidth);
    EXPECT_EQ(2, info.bmHeight);
    // The picture itself (stored bottom-up): bottom-left red 200, green 100,
    // blue 0; top-right red 50, green 100, blue 120.
    HDC hDC = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(hDC, h);
    EXPECT_EQ(RGB(200, 100, 0), ::GetPixel(hDC, 0, 1));
    EXPECT_EQ(RGB(50, 100, 120), ::GetPixel(hDC, 2, 0));
    ::SelectObject(hDC, old);
    ::DeleteDC(hDC);
    EXPECT_TRUE(IsBitmap(h));
  }
  EXPECT_FALSE(IsBitmap(h));  // freed with its object
}

TEST(Bitmap, MissingResourceKeepsWhatWasHeld) {
  CBitmap bmp;
  EXPECT_FALSE(bmp.LoadBitmap(4321));
  EXPECT_EQ(nullptr, bmp.GetSafeHandle());
  ASSERT_TRUE(bmp.LoadBitmap(IDB_TEST_PICTURE));
  HBITMAP first = bmp;
  EXPECT_FALSE(bmp.LoadBitmap(4321));
  EXPECT_EQ(first, bmp.GetSafeHandle());
  BITMAP info{};
  EXPECT_EQ(0, CBitmap().GetBitmap(&info));
}

TEST(Bitmap, AttachReplacesAndDetachGivesUp) {
  HDC hScreen = ::GetDC(nullptr);
  CBitmap bmp;
  ASSERT_TRUE(bmp.CreateCompatibleBitmap(hScreen, 4, 4));
  HBITMAP first = bmp;
  HBITMAP second = ::CreateCompatibleBitmap(hScreen, 2, 2);
  ::ReleaseDC(nullptr, hScreen);
  bmp.Attach(second);
  EXPECT_FALSE(IsBitmap(first));  // the old one freed
  EXPECT_EQ(second, bmp.Detach());
  EXPECT_EQ(nullptr, bmp.GetSafeHandle());
  EXPECT_FALSE(bmp.DeleteObject());
  EXPECT_TRUE(IsBitmap(second));  // no longer the object's
  ::DeleteObject(second);
}

}  // namespace
