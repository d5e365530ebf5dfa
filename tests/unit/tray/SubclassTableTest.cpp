#include <gtest/gtest.h>

#include "TestSupport.h"

#include "tray/SubclassTable.h"

#include <vector>

namespace {

// Plain top-level windows whose own procedure records what reaches it.
std::vector<UINT> g_seen;

LRESULT CALLBACK RecordingProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    g_seen.push_back(m);
    return DefWindowProcA(h, m, w, l);
}

LRESULT CALLBACK OtherProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    return DefWindowProcA(h, m, w, l);
}

class SubclassTable : public testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = RecordingProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "QfSubclassTest";
        RegisterClassA(&wc);
        g_seen.clear();
        if (!g_uTaskbarCreatedMsg)
            g_uTaskbarCreatedMsg = RegisterWindowMessageA("TaskbarCreated");
    }
    void TearDown() override
    {
        for (HWND h : m_windows) {
            SUBCLASS_ENTRY e;
            while (LookupSubclass(h))
                UnregisterSubclass(h, &e);
            DestroyWindow(h);
        }
    }
    HWND NewWindow()
    {
        HWND h = CreateWindowA("QfSubclassTest", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
        m_windows.push_back(h);
        return h;
    }
    std::vector<HWND> m_windows;
};

TEST_F(SubclassTable, CountsRegistrationsAndKeepsTheFirstProcedure)
{
    HWND h = NewWindow(), target = NewWindow();
    EXPECT_TRUE(RegisterSubclass(h, target, RecordingProc));
    EXPECT_TRUE(RegisterSubclass(h, nullptr, OtherProc));

    SUBCLASS_ENTRY e = {};
    EXPECT_EQ(LookupSubclass(h, &e), RecordingProc);
    EXPECT_EQ(e.nRefCount, 2);
    EXPECT_EQ(e.hWndTarget, target);

    EXPECT_FALSE(UnregisterSubclass(h, &e)); // one registration remains
    EXPECT_EQ(LookupSubclass(h), RecordingProc);
    SUBCLASS_ENTRY removed = {};
    EXPECT_TRUE(UnregisterSubclass(h, &removed));
    EXPECT_EQ(removed.pfnOldProc, RecordingProc);
    EXPECT_EQ(removed.hWnd, h);
    EXPECT_EQ(LookupSubclass(h), nullptr);
    EXPECT_FALSE(UnregisterSubclass(h, &removed)); // not in the table any more
}

TEST_F(SubclassTable, FreedEntriesAreReusedAndAFullTableStoresNothing)
{
    std::vector<HWND> hs;
    for (int i = 0; i < kSubclassTableSize + 1; ++i)
        hs.push_back(NewWindow());

    // Whatever other tests left, fill up to the limit.
    int stored = 0;
    for (int i = 0; i < kSubclassTableSize; ++i)
        stored += RegisterSubclass(hs[static_cast<size_t>(i)], nullptr, RecordingProc) ? 1 : 0;
    EXPECT_EQ(stored, kSubclassTableSize);

    HWND extra = hs.back();
    EXPECT_FALSE(RegisterSubclass(extra, nullptr, OtherProc));
    EXPECT_EQ(LookupSubclass(extra), nullptr);
    for (int i = 0; i < kSubclassTableSize; ++i)
        EXPECT_EQ(LookupSubclass(hs[static_cast<size_t>(i)]), RecordingProc);

    SUBCLASS_ENTRY e;
    EXPECT_TRUE(UnregisterSubclass(hs[42], &e));
    EXPECT_TRUE(RegisterSubclass(extra, nullptr, OtherProc));
    EXPECT_EQ(LookupSubclass(extra), OtherProc);
}

TEST_F(SubclassTable, TaskbarCreatedReachesTheWindowAndIsPostedToTheTarget)
{
    HWND h = NewWindow(), target = NewWindow();
    auto old = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(h, GWLP_WNDPROC));
    ASSERT_TRUE(RegisterSubclass(h, target, old));
    SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassWndProc));

    g_seen.clear();
    SendMessageA(h, g_uTaskbarCreatedMsg, 0, 0);
    ASSERT_EQ(g_seen.size(), 1u); // the window's own procedure, at once
    PumpMessages();
    ASSERT_EQ(g_seen.size(), 2u); // and the copy, posted to the target
    EXPECT_EQ(g_seen[1], g_uTaskbarCreatedMsg);

    g_seen.clear();
    SendMessageA(h, WM_USER + 5, 0, 0);
    PumpMessages();
    EXPECT_EQ(g_seen, std::vector<UINT>{WM_USER + 5});

    SUBCLASS_ENTRY e;
    ASSERT_TRUE(UnregisterSubclass(h, &e));
    SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(e.pfnOldProc));
}

TEST_F(SubclassTable, AWindowMissingFromTheTableGetsTheDefaultProcedure)
{
    HWND h = NewWindow();
    SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassWndProc));
    g_seen.clear();
    SetWindowTextA(h, "still works");
    EXPECT_EQ(WindowText(h), "still works");
    EXPECT_TRUE(g_seen.empty());
}

} // namespace
