#include <gtest/gtest.h>

#include "search/SearchPosition.h"

#include <climits>

namespace {

// A 1280 x 800 screen with a 30-pixel task bar at the bottom.
const RECT kWork = {0, 0, 1280, 770};
const int kW = 380, kH = 80;

POINT Corner(const int* pX, const int* pY, const RECT& work = kWork, int cx = kW, int cy = kH)
{
    RECT r;
    CalcPlacement(pX, pY, cx, cy, work, &r);
    EXPECT_EQ(r.right - r.left, cx);
    EXPECT_EQ(r.bottom - r.top, cy);
    return {r.left, r.top};
}

void ExpectCorner(POINT pt, int x, int y)
{
    EXPECT_EQ(pt.x, x);
    EXPECT_EQ(pt.y, y);
}

} // namespace

TEST(CalcPlacement, DefaultCornerUnlessBothCoordinatesWereRead)
{
    int x = 900, y = 500;
    ExpectCorner(Corner(nullptr, nullptr), 40, 40);
    ExpectCorner(Corner(&x, nullptr), 40, 40);
    ExpectCorner(Corner(nullptr, &y), 40, 40);
    // The default is not clamped, even into a work area that excludes it.
    const RECT small = {100, 100, 600, 400};
    ExpectCorner(Corner(nullptr, nullptr, small), 40, 40);
    ExpectCorner(Corner(&x, &y), 900, 500);
}

TEST(CalcPlacement, PullsEachEdgeIntoTheWorkArea)
{
    const RECT work = {50, 30, 1280, 770};
    int x = 10, y = 300;
    ExpectCorner(Corner(&x, &y, work), 50, 300);
    x = 1200;
    ExpectCorner(Corner(&x, &y, work), 1280 - kW, 300);
    x = 400, y = 0;
    ExpectCorner(Corner(&x, &y, work), 400, 30);
    y = 760; // inside the task bar
    ExpectCorner(Corner(&x, &y, work), 400, 770 - kH);
    x = 1280 - kW, y = 770 - kH;
    ExpectCorner(Corner(&x, &y, work), 1280 - kW, 770 - kH);
}

TEST(CalcPlacement, NegativeAndExtremeCoordinates)
{
    int x = -1500, y = -20; // a display left of and above the primary one
    ExpectCorner(Corner(&x, &y), 0, 0);
    x = INT_MIN, y = INT_MAX;
    ExpectCorner(Corner(&x, &y), 0, 770 - kH);
    x = INT_MAX, y = INT_MIN;
    ExpectCorner(Corner(&x, &y), 1280 - kW, 0);
}

TEST(CalcPlacement, WindowLargerThanTheWorkAreaKeepsRightAndBottomOnIt)
{
    const RECT work = {0, 0, 300, 200};
    int x = 10, y = 10;
    ExpectCorner(Corner(&x, &y, work, 500, 260), 300 - 500, 200 - 260);
    x = -100, y = -100;
    ExpectCorner(Corner(&x, &y, work, 500, 260), -200, -60);
}
