#include "runtime/gdi.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

// The leak checks of the drawing code rely on this count: it must follow every
// owner that is made, moved, handed away and ended, and only those.
TEST(GdiOwners, CountFollowsOwnershipThroughMovesAndHandOffs) {
    const long start = rt::gdi::LiveObjects();
    {
        rt::gdi::Region none(nullptr);
        rt::gdi::Bitmap empty;
        EXPECT_FALSE(none);
        EXPECT_FALSE(empty);
        EXPECT_EQ(rt::gdi::LiveObjects(), start);  // nothing owned, nothing counted

        rt::gdi::Pen pen(CreatePen(PS_SOLID, 1, RGB(1, 2, 3)));
        rt::gdi::Brush brush = rt::gdi::SolidBrush(RGB(4, 5, 6));
        rt::gdi::MemoryDC dc(nullptr);
        ASSERT_TRUE(pen && brush && dc);
        EXPECT_EQ(rt::gdi::LiveObjects(), start + 3);

        rt::gdi::Pen moved(std::move(pen));
        EXPECT_FALSE(pen);
        EXPECT_EQ(rt::gdi::LiveObjects(), start + 3);
        moved = rt::gdi::Pen(CreatePen(PS_DOT, 1, RGB(7, 8, 9)));  // the first pen ends here
        EXPECT_EQ(rt::gdi::LiveObjects(), start + 3);
        LOGPEN info{};
        ASSERT_TRUE(GetObjectW(moved.Get(), sizeof info, &info));
        EXPECT_EQ(info.lopnStyle, static_cast<UINT>(PS_DOT));

        rt::gdi::Region region(CreateRectRgn(0, 0, 4, 4));
        EXPECT_EQ(rt::gdi::LiveObjects(), start + 4);
        HRGN given = region.Release();
        EXPECT_FALSE(region);
        EXPECT_EQ(rt::gdi::LiveObjects(), start + 3);
        EXPECT_TRUE(PtInRegion(given, 1, 1));  // handed away, not deleted
        DeleteObject(given);

        // Resetting to what it holds keeps it; to another ends the old one.
        const HPEN held = moved.Get();
        moved.Reset(held);
        EXPECT_TRUE(GetObjectW(held, sizeof info, &info));
        moved.Reset(CreatePen(PS_DASH, 1, 0));
        EXPECT_FALSE(GetObjectW(held, sizeof info, &info));
        EXPECT_EQ(rt::gdi::LiveObjects(), start + 3);
    }
    EXPECT_EQ(rt::gdi::LiveObjects(), start);
}

TEST(GdiOwners, SelectionPutsThePreviousObjectBackAndIgnoresNull) {
    rt::gdi::MemoryDC dc(nullptr);
    const HGDIOBJ stockPen = GetCurrentObject(dc.Get(), OBJ_PEN);
    rt::gdi::Pen pen(CreatePen(PS_SOLID, 1, RGB(1, 2, 3)));
    {
        rt::gdi::Selection use(dc.Get(), pen.Get());
        EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_PEN), pen.Get());
        {
            rt::gdi::Selection nothing(dc.Get(), nullptr);
            EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_PEN), pen.Get());
        }
        EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_PEN), pen.Get());
    }
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_PEN), stockPen);
}

}  // namespace
