#include "skin/skin_bitmap.h"

#include <gtest/gtest.h>

#include "resource.h"
#include "skin_test_bitmaps.h"

using skintest::GROUND;
using skintest::MakeBitmap;

namespace {

const COLORREF STAR = RGB(40, 160, 60);
const COLORREF LABEL = RGB(255, 255, 255);
const COLORREF NEAR_GROUND = RGB(184, 201, 226);  // one unit off in blue

const std::map<char, COLORREF> kColours = {
    {'.', GROUND}, {'#', STAR}, {'w', LABEL}, {'n', NEAR_GROUND}};

// The region's answer for every pixel must be "#" / "w" / "n" in, "." out.
void ExpectRegionMatches(const CSkinBitmap& skin, const std::vector<std::string>& rows) {
    for (int y = 0; y < static_cast<int>(rows.size()); ++y)
        for (int x = 0; x < static_cast<int>(rows[y].size()); ++x) {
            bool bWanted = rows[y][x] != '.';
            EXPECT_EQ(bWanted, skin.RegionContains({x, y}) != FALSE)
                << "pixel (" << x << ", " << y << ")";
        }
}

CSkinBitmap* Attached(CSkinBitmap& skin, const std::vector<std::string>& rows) {
    skin.Attach(MakeBitmap(rows, kColours));
    return &skin;
}

} // namespace

TEST(SkinRegion, HoleInsideThePictureIsCutOut) {
    const std::vector<std::string> rows = {
        "..##..",
        ".####.",
        "##.w##",
        ".####.",
        "..##..",
    };
    CSkinBitmap skin;
    Attached(skin, rows);
    ASSERT_NE(nullptr, skin.CreateRegion(SKIN_TOP_LEFT_COLOR));
    EXPECT_EQ(skin.m_hRgn, skin.CreateRegion());
    ExpectRegionMatches(skin, rows);
    // Nothing outside the bitmap's own rectangle.
    for (POINT pt : {POINT{-1, 0}, POINT{6, 2}, POINT{2, 5}, POINT{2, -1}})
        EXPECT_FALSE(skin.RegionContains(pt));
}

TEST(SkinRegion, OneUnitOffTheGroundIsOpaque) {
    const std::vector<std::string> rows = {
        "....",
        ".nn.",
        ".#n.",
        "....",
    };
    CSkinBitmap skin;
    Attached(skin, rows);
    ASSERT_NE(nullptr, skin.CreateRegion());
    ExpectRegionMatches(skin, rows);
}

TEST(SkinRegion, RowsEndingTransparentAndWholeTransparentRows) {
    const std::vector<std::string> rows = {
        ".......",
        "##.....",
        ".......",
        "#.#.#..",
        "..#####",
        ".......",
    };
    CSkinBitmap skin;
    Attached(skin, rows);
    ASSERT_NE(nullptr, skin.CreateRegion());
    ExpectRegionMatches(skin, rows);
    // The whole-row removals leave exactly the opaque rows' extent.
    RECT box;
    ASSERT_NE(NULLREGION, GetRgnBox(skin.m_hRgn, &box));
    EXPECT_EQ(0, box.left);
    EXPECT_EQ(1, box.top);
    EXPECT_EQ(7, box.right);
    EXPECT_EQ(5, box.bottom);
}

TEST(SkinRegion, AllGroundGivesAnEmptyRegion) {
    CSkinBitmap skin;
    skin.Attach(skintest::MakeSolid(5, 3, GROUND));
    ASSERT_NE(nullptr, skin.CreateRegion());
    RECT box;
    EXPECT_EQ(NULLREGION, GetRgnBox(skin.m_hRgn, &box));
}

TEST(SkinRegion, GivenColourInsteadOfTheTopLeftPixel) {
    const std::vector<std::string> rows = {
        "#.#",
        "...",
        "#w#",
    };
    CSkinBitmap skin;
    Attached(skin, rows);
    ASSERT_NE(nullptr, skin.CreateRegion(STAR));
    // Now the star colour is the hole and the ground is kept.
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(rows[y][x] != '#', skin.RegionContains({x, y}) != FALSE) << x << "," << y;
}

TEST(SkinRegion, RebuildingReplacesTheRegionAndOffsetMovesIt) {
    const std::vector<std::string> rows = {
        "...",
        ".#.",
        "...",
    };
    CSkinBitmap skin;
    Attached(skin, rows);
    ASSERT_NE(nullptr, skin.CreateRegion());
    skin.OffsetRegion(10, 20);
    EXPECT_TRUE(skin.RegionContains({11, 21}));
    EXPECT_FALSE(skin.RegionContains({1, 1}));
    // A second build starts again in the bitmap's own coordinates.
    ASSERT_NE(nullptr, skin.CreateRegion());
    EXPECT_TRUE(skin.RegionContains({1, 1}));
    EXPECT_FALSE(skin.RegionContains({11, 21}));
}

TEST(SkinRegion, RegionFromBitmapOnAGivenContext) {
    HBITMAP hBitmap = MakeBitmap({"..#", "#.."}, kColours);
    ASSERT_NE(nullptr, hBitmap);
    {
        skintest::CPixelReader mem(hBitmap);
        HRGN hRgn = CSkinBitmap::RegionFromBitmap(mem.Dc(), SIZE{3, 2}, GROUND);
        ASSERT_NE(nullptr, hRgn);
        EXPECT_TRUE(PtInRegion(hRgn, 2, 0));
        EXPECT_TRUE(PtInRegion(hRgn, 0, 1));
        EXPECT_FALSE(PtInRegion(hRgn, 0, 0));
        EXPECT_FALSE(PtInRegion(hRgn, 1, 0));
        EXPECT_FALSE(PtInRegion(hRgn, 2, 1));
        DeleteObject(hRgn);
    }
    DeleteObject(hBitmap);
}

TEST(SkinBitmapEmpty, NoBitmapIsHarmless) {
    CSkinBitmap skin;
    EXPECT_FALSE(skin.LoadBitmap(60000));  // no such resource
    EXPECT_EQ(nullptr, skin.CreateRegion());
    EXPECT_EQ(nullptr, skin.m_hRgn);
    SIZE size = skin.GetBitmapSize();
    EXPECT_EQ(0, size.cx);
    EXPECT_EQ(0, size.cy);
    EXPECT_FALSE(skin.RegionContains({0, 0}));
    skin.OffsetRegion(5, 5);

    HBITMAP hGround = skintest::MakeSolid(4, 4, RGB(255, 0, 0));
    {
        skintest::CPixelReader dest(hGround);
        EXPECT_FALSE(skin.DrawAt(dest.Dc(), 0, 0));
        EXPECT_EQ(RGB(255, 0, 0), dest.At(1, 1));
    }
    DeleteObject(hGround);
}

TEST(SkinDraw, DrawAtKeepsTheGroundUnderTransparentPixels) {
    const std::vector<std::string> rows = {
        "..##.",
        ".#w#.",
        "##.n#",
        ".....",
    };
    const COLORREF RED = RGB(255, 0, 0);
    CSkinBitmap skin;
    Attached(skin, rows);
    SIZE size = skin.GetBitmapSize();
    EXPECT_EQ(5, size.cx);
    EXPECT_EQ(4, size.cy);

    HBITMAP hGround = skintest::MakeSolid(12, 10, RED);
    {
        skintest::CPixelReader dest(hGround);
        ASSERT_TRUE(skin.DrawAt(dest.Dc(), 3, 2));
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 12; ++x) {
                int px = x - 3, py = y - 2;
                COLORREF want = RED;
                if (px >= 0 && px < 5 && py >= 0 && py < 4 && rows[py][px] != '.')
                    want = kColours.at(rows[py][px]);
                EXPECT_EQ(want, dest.At(x, y)) << "pixel (" << x << ", " << y << ")";
            }
    }
    DeleteObject(hGround);
}

TEST(SkinDraw, DrawTransparentStretchesSourceToDestination) {
    HBITMAP hSource = MakeBitmap({".#", "#."}, kColours);
    HBITMAP hGround = skintest::MakeSolid(4, 4, RGB(0, 0, 255));
    {
        skintest::CPixelReader src(hSource);
        skintest::CPixelReader dest(hGround);
        ASSERT_TRUE(CSkinBitmap::DrawTransparent(dest.Dc(), 0, 0, 4, 4, src.Dc(), 0, 0, 2, 2,
                                                 GROUND));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                bool bStar = (x / 2) != (y / 2);
                EXPECT_EQ(bStar ? STAR : RGB(0, 0, 255), dest.At(x, y)) << x << "," << y;
            }
        // Empty rectangles draw nothing.
        EXPECT_FALSE(CSkinBitmap::DrawTransparent(dest.Dc(), 0, 0, 0, 4, src.Dc(), 0, 0, 2, 2,
                                                  GROUND));
        EXPECT_FALSE(CSkinBitmap::DrawTransparent(dest.Dc(), 0, 0, 4, 4, src.Dc(), 0, 0, 2, -1,
                                                  GROUND));
        EXPECT_EQ(RGB(0, 0, 255), dest.At(0, 0));
    }
    DeleteObject(hSource);
    DeleteObject(hGround);
}

// The program's own button pictures: a star on the light-blue ground.
class SkinResourceBitmap : public ::testing::TestWithParam<UINT> {};

TEST_P(SkinResourceBitmap, LoadsWithItsShape) {
    CSkinBitmap skin;
    ASSERT_TRUE(skin.LoadBitmap(GetParam()));
    SIZE size = skin.GetBitmapSize();
    EXPECT_EQ(77, size.cx);
    EXPECT_EQ(77, size.cy);
    ASSERT_NE(nullptr, skin.CreateRegion(SKIN_TOP_LEFT_COLOR));
    EXPECT_FALSE(skin.RegionContains({0, 0}));
    EXPECT_FALSE(skin.RegionContains({76, 76}));
    EXPECT_TRUE(skin.RegionContains({38, 38}));

    // Drawn onto black: the corners stay black, the middle shows the picture.
    HBITMAP hGround = skintest::MakeSolid(77, 77, RGB(0, 0, 0));
    {
        skintest::CPixelReader dest(hGround);
        ASSERT_TRUE(skin.DrawAt(dest.Dc(), 0, 0));
        EXPECT_EQ(RGB(0, 0, 0), dest.At(0, 0));
        EXPECT_EQ(RGB(0, 0, 0), dest.At(76, 0));
        EXPECT_NE(RGB(0, 0, 0), dest.At(38, 38));
    }
    DeleteObject(hGround);
}

INSTANTIATE_TEST_SUITE_P(Pictures, SkinResourceBitmap,
                         ::testing::Values(IDB_ABOUT, IDB_EXIT, IDB_DELETE_LYRIC, IDB_ADD_LYRICS,
                                           IDB_ADD_MP3, IDB_OK, IDB_SAVE_EXIT, IDB_START_IMPORT,
                                           IDB_MODIFY));

TEST(SkinResourceBitmapGround, TopLeftIsTheLightBlueGround) {
    CSkinBitmap skin;
    ASSERT_TRUE(skin.LoadBitmap(IDB_OK));
    skintest::CPixelReader mem(skin.m_hObject);
    EXPECT_EQ(GROUND, mem.At(0, 0));
}
