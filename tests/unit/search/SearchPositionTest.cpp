#include <gtest/gtest.h>

#include "search/SearchPosition.h"

#include <algorithm>
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

namespace {

// One left of and above the primary, the primary with its task bar at the
// bottom, and one right of it without a task bar: monitor, then work area.
const RECT kMonitors[][2] = {
    {{-1280, -200, 0, 824}, {-1280, -200, 0, 824}},
    {{0, 0, 1280, 800}, {0, 0, 1280, 770}},
    {{1280, 0, 2560, 800}, {1280, 0, 2560, 800}},
};

// How far two spans overlap; negative: how far apart they are.
long long Span(long long a0, long long a1, long long b0, long long b1)
{
    return std::min(a1, b1) - std::max(a0, b0);
}

// As MonitorFromRect with MONITOR_DEFAULTTONEAREST is documented: the monitor
// with the largest intersection, else the closest one.
void NearestWorkArea(const RECT& rc, RECT* pWork)
{
    long long bestArea = -1, bestGap = 0;
    for (const auto& m : kMonitors) {
        const long long sx = Span(rc.left, rc.right, m[0].left, m[0].right);
        const long long sy = Span(rc.top, rc.bottom, m[0].top, m[0].bottom);
        const long long area = std::max(sx, 0LL) * std::max(sy, 0LL);
        const long long gap = std::min(sx, 0LL) * sx + std::min(sy, 0LL) * sy;
        if (area > bestArea || (area == bestArea && gap < bestGap)) {
            bestArea = area;
            bestGap = gap;
            *pWork = m[1];
        }
    }
}

} // namespace

TEST(CalcPlacement, StaysOnTheMonitorItWasLeftOnOrComesToTheNearest)
{
    const struct {
        int x, y, wantX, wantY;
    } cases[] = {
        {1500, 100, 1500, 100},                  // on the right-hand monitor
        {1500, 760, 1500, 800 - kH},             // its own bottom, not the primary's task bar
        {1180, 100, 1280, 100},                  // across the border, mostly right
        {1000, 100, 1280 - kW, 100},             // across the border, mostly primary
        {-1000, -150, -1000, -150},              // on the left monitor, negative
        {-1400, 300, -1280, 300},                // past the left monitor's left edge
        {2700, 100, 2560 - kW, 100},             // on a monitor that is gone
        {5000, 3000, 2560 - kW, 800 - kH},       // far out right and down
        {600, 5000, 600, 770 - kH},              // far below the primary
        {-9000, -5000, -1280, -200},             // far out left and up
        {INT_MAX, INT_MAX, 2560 - kW, 800 - kH}, // extremes still land on a monitor
        {INT_MIN, 0, -1280, 0},
    };
    RECT r;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "stored " << c.x << ", " << c.y);
        CalcPlacement(&c.x, &c.y, kW, kH, &r, NearestWorkArea);
        ExpectCorner({r.left, r.top}, c.wantX, c.wantY);
        EXPECT_EQ(r.right - r.left, kW);
        EXPECT_EQ(r.bottom - r.top, kH);
    }
    // The default corner is used as it is, wherever the monitors are.
    CalcPlacement(nullptr, &cases[0].y, kW, kH, &r, NearestWorkArea);
    ExpectCorner({r.left, r.top}, 40, 40);
}
