#include <gtest/gtest.h>

#include "TestSupport.h"

#include "framework/App.h"
#include "res/resource.h"
#include "tray/SubclassTable.h"
#include "tray/TrayIcon.h"

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

struct ShellCall {
    DWORD request;
    NOTIFYICONDATAA data;
};

// The icon with its shell requests observed instead of sent.
class CWatchedIcon : public CTrayIcon {
public:
    std::vector<ShellCall> calls;
    BOOL shellAnswer = TRUE;
    BOOL taskbar = TRUE;

protected:
    BOOL CallShell(DWORD request, NOTIFYICONDATAA* pData) override
    {
        calls.push_back({request, *pData});
        return shellAnswer;
    }
    BOOL HasTaskbar() const override { return taskbar; }
};

// A top-level owner that records what the icon forwards to it.
class COwner : public CWnd {
public:
    struct Received {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Received> received;
    std::function<void(UINT)> onMessage;

    BOOL Make()
    {
        const RECT rc = {0, 0, 10, 10};
        return CreateEx(0, "STATIC", "owner", WS_POPUP, rc, nullptr, 0);
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if ((message >= WM_LBUTTONDOWN && message <= WM_RBUTTONDBLCLK) || message == WM_COMMAND ||
            (message == g_uNotifyTaskbarCreatedMsg && message != 0)) {
            received.push_back({message, wParam, lParam});
            if (onMessage)
                onMessage(message);
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

class TrayIcon : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(owner.Make()); }
    void TearDown() override
    {
        icon.Remove();
        if (icon.m_hWnd)
            icon.DestroyWindow();
        owner.DestroyWindow();
    }
    void Click(UINT mouseMessage)
    {
        icon.SendMessage(CTrayIcon::kCallbackMessage, CTrayIcon::kIconId, mouseMessage);
    }
    COwner owner;
    CWatchedIcon icon;
};

TEST(TrayIconLayout, NotifyStructureSizeIsTheAnsiVersionWithBalloonFields)
{
#ifdef _WIN64
    EXPECT_EQ(CTrayIcon::kNotifySize, offsetof(NOTIFYICONDATAA, guidItem));
#else
    EXPECT_EQ(CTrayIcon::kNotifySize, 488u);
#endif
}

TEST_F(TrayIcon, CreateAddsOnceThenAdjustsRequestsToTheTrayState)
{
    ASSERT_TRUE(icon.Create(&owner, IDR_TRAYMENU, nullptr, TRUE, 0));
    // The add made while the child window is created is held back: a fresh icon is hidden.
    ASSERT_EQ(icon.calls.size(), 1u);
    EXPECT_EQ(icon.calls[0].request, static_cast<DWORD>(NIM_ADD));
    const NOTIFYICONDATAA& nid = icon.calls[0].data;
    EXPECT_EQ(nid.cbSize, CTrayIcon::kNotifySize);
    EXPECT_EQ(nid.hWnd, icon.m_hWnd);
    EXPECT_EQ(nid.uID, 1102u);
    EXPECT_EQ(nid.uCallbackMessage, 0x8000u);
    EXPECT_EQ(nid.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_STREQ(nid.szTip, "右クリックでメニュー表示");
    NOTIFYICONDATAW wide; // as the shell gets it, whatever the process's code page
    CTrayIcon::WidenRequest(nid, &wide);
    const size_t nFields = offsetof(NOTIFYICONDATAA, szTip) - offsetof(NOTIFYICONDATAA, hWnd);
    EXPECT_EQ(std::memcmp(&wide.hWnd, &nid.hWnd, nFields), 0);
    EXPECT_STREQ(wide.szTip, L"右クリックでメニュー表示");
    EXPECT_TRUE(icon.IsInTray());

    EXPECT_TRUE(icon.NotifyShell(NIM_ADD)); // already there: a modify
    EXPECT_EQ(icon.calls.back().request, static_cast<DWORD>(NIM_MODIFY));

    icon.shellAnswer = FALSE; // the shell lost the icon
    EXPECT_FALSE(icon.NotifyShell(NIM_MODIFY));
    EXPECT_FALSE(icon.IsInTray());
    icon.shellAnswer = TRUE;
    EXPECT_TRUE(icon.NotifyShell(NIM_MODIFY)); // so it is added anew
    EXPECT_EQ(icon.calls.back().request, static_cast<DWORD>(NIM_ADD));

    EXPECT_FALSE(icon.Create(&owner, IDR_TRAYMENU, nullptr, TRUE, 0));
}

TEST_F(TrayIcon, HiddenIconsOnlyEverLeaveTheTray)
{
    ASSERT_TRUE(icon.Create(&owner, 0, nullptr, FALSE, 0));
    EXPECT_TRUE(icon.calls.empty());
    HICON stored = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
    EXPECT_FALSE(icon.SetIcon(stored));
    EXPECT_TRUE(icon.calls.empty());

    EXPECT_TRUE(icon.ShowIcon(TRUE));
    ASSERT_EQ(icon.calls.size(), 1u);
    EXPECT_EQ(icon.calls[0].request, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(icon.calls[0].data.hIcon, stored);

    icon.ShowIcon(FALSE);
    EXPECT_EQ(icon.calls.back().request, static_cast<DWORD>(NIM_DELETE));
    EXPECT_FALSE(icon.IsInTray());
    EXPECT_FALSE(icon.NotifyShell(NIM_MODIFY));
    EXPECT_EQ(icon.calls.size(), 2u);

    icon.taskbar = FALSE; // no task bar: nothing reaches a shell
    EXPECT_FALSE(icon.ShowIcon(TRUE));
    EXPECT_EQ(icon.calls.size(), 2u);
    EXPECT_FALSE(icon.IsInTray());
}

TEST_F(TrayIcon, TipIsTheDefaultOneOnceCreated)
{
    ASSERT_TRUE(icon.Create(&owner, 0, nullptr, TRUE, 0));
    NOTIFYICONDATAA nid;
    icon.BuildRequest(NIM_MODIFY, &nid);
    EXPECT_NE(nid.uFlags & NIF_TIP, 0u);
    EXPECT_STREQ(nid.szTip, kDefaultTip);
}

TEST_F(TrayIcon, ForwardsMouseEventsWithTheBusyTipAndDropsEventsWhileBusy)
{
    ASSERT_TRUE(icon.Create(&owner, 0, nullptr, TRUE, 7));
    icon.calls.clear();
    int nestedClicks = 0;
    owner.onMessage = [&](UINT message) {
        EXPECT_TRUE(icon.IsBusy());
        EXPECT_STREQ(icon.calls.back().data.szTip, "コマンド処理中のためメニュー表示できません");
        if (message == WM_LBUTTONDBLCLK && nestedClicks++ == 0)
            Click(WM_LBUTTONDOWN); // dropped: the owner is still busy
    };
    Click(WM_LBUTTONDBLCLK);
    Click(WM_RBUTTONDOWN);
    Click(WM_LBUTTONUP);
    PumpMessages();

    ASSERT_EQ(owner.received.size(), 3u);
    EXPECT_EQ(owner.received[0].message, static_cast<UINT>(WM_LBUTTONDBLCLK));
    EXPECT_EQ(owner.received[0].wParam, static_cast<WPARAM>((7 << 16) | MK_LBUTTON));
    EXPECT_EQ(owner.received[1].wParam, static_cast<WPARAM>((7 << 16) | MK_RBUTTON));
    EXPECT_EQ(owner.received[2].wParam, static_cast<WPARAM>(7 << 16));
    POINT pt;
    GetCursorPos(&pt);
    EXPECT_EQ(owner.received[2].lParam, MAKELPARAM(pt.x, pt.y));
    EXPECT_FALSE(icon.IsBusy());
    EXPECT_STREQ(icon.calls.back().data.szTip, "右クリックでメニュー表示");

    // Other callback traffic is none of the owner's business.
    Click(WM_MOUSEMOVE);
    EXPECT_EQ(owner.received.size(), 3u);
}

TEST_F(TrayIcon, MenuCommandsReachTheOwnerEvenWhileBusy)
{
    ASSERT_TRUE(icon.Create(&owner, IDR_TRAYMENU, nullptr, TRUE, 0));
    owner.onMessage = [&](UINT message) {
        if (message == WM_COMMAND && owner.received.size() == 1)
            icon.SendMessage(WM_COMMAND, ID_SEARCH, 0);
    };
    icon.SendMessage(WM_COMMAND, ID_APP_ABOUT_TRAY, 0);
    ASSERT_EQ(owner.received.size(), 2u);
    EXPECT_EQ(owner.received[0].wParam, static_cast<WPARAM>(ID_APP_ABOUT_TRAY));
    EXPECT_EQ(owner.received[1].wParam, static_cast<WPARAM>(ID_SEARCH));
    EXPECT_FALSE(icon.IsBusy());
}

TEST_F(TrayIcon, AnEventArrivingWhileTheShellTakesTheBusyTipIsHandledAfterwards)
{
    ASSERT_TRUE(icon.Create(&owner, 0, nullptr, TRUE, 0));
    // The shell answers its next event while we wait on a request.
    class CSlowShellIcon : public CWatchedIcon {
    public:
        bool sent = false;

    protected:
        BOOL CallShell(DWORD request, NOTIFYICONDATAA* pData) override
        {
            if (IsBusy() && !sent) {
                sent = true;
                SendMessage(kCallbackMessage, kIconId, WM_LBUTTONUP);
            }
            return CWatchedIcon::CallShell(request, pData);
        }
    };
    icon.Remove();
    icon.DestroyWindow();
    CSlowShellIcon slow;
    ASSERT_TRUE(slow.Create(&owner, 0, nullptr, TRUE, 0));
    slow.SendMessage(CTrayIcon::kCallbackMessage, CTrayIcon::kIconId, WM_LBUTTONDOWN);
    PumpMessages();
    ASSERT_EQ(owner.received.size(), 2u);
    EXPECT_EQ(owner.received[0].message, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(owner.received[1].message, static_cast<UINT>(WM_LBUTTONUP));
    slow.Remove();
    slow.DestroyWindow();
}

TEST_F(TrayIcon, TaskbarRestartPutsAShownIconBackAndTellsTheOwner)
{
    ASSERT_TRUE(icon.Create(&owner, IDR_TRAYMENU, nullptr, TRUE, 3));
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(owner.m_hWnd, GWLP_WNDPROC)),
              &SubclassWndProc);
    icon.calls.clear();

    owner.SendMessage(g_uTaskbarCreatedMsg); // the shell's broadcast reaches the owner
    PumpMessages();                          // and its posted copy the icon
    ASSERT_EQ(icon.calls.size(), 2u);
    EXPECT_EQ(icon.calls[0].request, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(icon.calls[1].request, static_cast<DWORD>(NIM_ADD));
    ASSERT_EQ(owner.received.size(), 1u);
    EXPECT_EQ(owner.received[0].message, g_uNotifyTaskbarCreatedMsg);
    EXPECT_EQ(owner.received[0].wParam, static_cast<WPARAM>(3 << 16));

    icon.ShowIcon(FALSE); // a hidden icon stays hidden
    icon.calls.clear();
    owner.SendMessage(g_uTaskbarCreatedMsg);
    PumpMessages();
    EXPECT_TRUE(icon.calls.empty());

    WNDPROC before = LookupSubclass(owner.m_hWnd);
    icon.Remove();
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(owner.m_hWnd, GWLP_WNDPROC)), before);
    EXPECT_EQ(LookupSubclass(owner.m_hWnd), nullptr);
    EXPECT_FALSE(icon.NotifyShell(NIM_ADD)); // no owner any more
}

TEST_F(TrayIcon, TaskbarRestartPutsBackEveryIconMeantToBeShown)
{
    struct Case {
        const char* what;
        BOOL taskbarAtStart;
        BOOL firstAnswer;
        bool hiddenByProgram;
        bool expectAdded;
    };
    const Case cases[] = {
        {"started before the task bar", FALSE, TRUE, false, true},
        {"first add refused", TRUE, FALSE, false, true},
        {"hidden by the program", TRUE, TRUE, true, false},
    };
    for (const Case& c : cases) {
        CWatchedIcon watched;
        watched.taskbar = c.taskbarAtStart;
        watched.shellAnswer = c.firstAnswer;
        ASSERT_TRUE(watched.Create(&owner, IDR_TRAYMENU, nullptr, TRUE, 0)) << c.what;
        if (c.hiddenByProgram)
            watched.ShowIcon(FALSE);
        EXPECT_FALSE(watched.IsInTray()) << c.what;
        watched.taskbar = TRUE;
        watched.shellAnswer = TRUE;
        watched.calls.clear();

        owner.SendMessage(g_uTaskbarCreatedMsg);
        PumpMessages();
        const bool added =
            !watched.calls.empty() && watched.calls.back().request == static_cast<DWORD>(NIM_ADD);
        EXPECT_EQ(added, c.expectAdded) << c.what;
        EXPECT_EQ(watched.IsInTray() != FALSE, c.expectAdded) << c.what;
        watched.Remove();
        watched.DestroyWindow();
    }
}

TEST_F(TrayIcon, FallsBackToTheMainWindowsSmallIcon)
{
    CWinApp app;
    app.m_pMainWnd = &owner;
    HICON small = LoadIconA(nullptr, MAKEINTRESOURCEA(32516));
    owner.SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    ASSERT_TRUE(icon.Create(&owner, 0, nullptr, TRUE, 0));
    EXPECT_EQ(icon.calls.back().data.hIcon, small);
    app.m_pMainWnd = nullptr;
}

TEST_F(TrayIcon, FailedCreateUndoesItself)
{
    EXPECT_FALSE(icon.Create(nullptr, IDR_TRAYMENU, nullptr, TRUE, 0));
    EXPECT_FALSE(icon.Create(&owner, 4242, nullptr, TRUE, 0)); // no such menu
    EXPECT_EQ(icon.m_hWnd, nullptr);
    EXPECT_EQ(icon.CMenu::m_hMenu, nullptr);
    EXPECT_FALSE(icon.NotifyShell(NIM_ADD));
    EXPECT_TRUE(icon.Create(&owner, IDR_TRAYMENU, nullptr, TRUE, 0)); // and can try again
}

TEST_F(TrayIcon, DestroyingTheChildWindowTakesTheIconOutAndUnhooksTheOwner)
{
    WNDPROC original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(owner.m_hWnd, GWLP_WNDPROC));
    ASSERT_TRUE(icon.Create(&owner, IDR_TRAYMENU, nullptr, TRUE, 0));
    icon.DestroyWindow();
    EXPECT_EQ(icon.calls.back().request, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(owner.m_hWnd, GWLP_WNDPROC)), original);
}

} // namespace
