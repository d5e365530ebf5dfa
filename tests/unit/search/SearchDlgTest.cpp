// The search window from the real template, against the real registry under
// the program's own key, saved away before these tests and put back after them.
#include <gtest/gtest.h>

#include "SettingsKeyTest.h"

#include "res/resource.h"
#include "search/SearchDlg.h"
#include "search/SearchRequest.h"
#include "settings/Settings.h"

#include <memory>
#include <string>
#include <thread>

namespace {

void SetClipboard(UINT format, HANDLE h)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    if (h) {
        EXPECT_TRUE(SetClipboardData(format, h));
    }
    CloseClipboard();
}

// As a Unicode program copies it: CF_UNICODETEXT alone.
void SetClipboardText(const std::string& text)
{
    const CWideText wide = ToWide(text.c_str());
    const size_t cb = (wide.size() + 1) * sizeof(wchar_t);
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, cb);
    ASSERT_TRUE(h);
    memcpy(GlobalLock(h), wide.c_str(), cb);
    GlobalUnlock(h);
    SetClipboard(CF_UNICODETEXT, h);
}

std::string Address(const char* tail)
{
    return std::string(kSearchService) + tail;
}

// What the window keeps to itself, for the tests to look at.
class CSearchDlgProbe : public CSearchDlg {
public:
    using CSearchDlg::m_history;
    using CSearchDlg::m_hSmallIcon;
    using CSearchDlg::m_nMode;
};

class SearchDlgTest : public SettingsKeyTest {
protected:
    void TearDown() override
    {
        m_dlg.reset();
        PumpMessages();
        SettingsKeyTest::TearDown();
    }

    CSearchDlgProbe& Create()
    {
        m_dlg = std::make_unique<CSearchDlgProbe>();
        EXPECT_TRUE(m_dlg->Create(IDD_SEARCH, nullptr));
        return *m_dlg;
    }

    HWND Query() const { return m_dlg->GetDlgItem(IDC_QUERY); }
    HWND Mode() const { return m_dlg->GetDlgItem(IDC_MODE); }
    int ModeSel() const { return static_cast<int>(SendMessageA(Mode(), CB_GETCURSEL, 0, 0)); }
    int HistoryCount() const { return static_cast<int>(SendMessageA(Query(), CB_GETCOUNT, 0, 0)); }

    POINT Corner() const
    {
        RECT r;
        GetWindowRect(m_dlg->m_hWnd, &r);
        return {r.left, r.top};
    }

    // Whole text of the query box selected.
    void ExpectQuerySelected(const std::string& text) const
    {
        EXPECT_EQ(WindowText(Query()), text);
        DWORD sel = static_cast<DWORD>(SendMessageA(Query(), CB_GETEDITSEL, 0, 0));
        // Bytes for an ANSI edit field, characters where the field keeps Unicode.
        const size_t nChars = ToWide(text.c_str()).size();
        EXPECT_EQ(LOWORD(sel), 0);
        EXPECT_TRUE(HIWORD(sel) == text.size() || HIWORD(sel) == nChars) << HIWORD(sel);
    }

    void Search(const char* text)
    {
        SetText(Query(), text);
        m_dlg->SendMessage(WM_COMMAND, ID_SEARCH, 0);
    }

    void PickMode(int index)
    {
        SendMessageA(Mode(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        m_dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_MODE, CBN_SELCHANGE),
                           reinterpret_cast<LPARAM>(Mode()));
    }

    CRecordedPages m_launched;
    std::unique_ptr<CSearchDlgProbe> m_dlg;
};

} // namespace

TEST_F(SearchDlgTest, FirstStartWithEmptyRegistry)
{
    CSearchDlgProbe& dlg = Create();
    EXPECT_FALSE(dlg.IsWindowVisible());
    POINT pt = Corner();
    EXPECT_EQ(pt.x, 40);
    EXPECT_EQ(pt.y, 40);
    EXPECT_EQ(dlg.m_nMode, 0);
    EXPECT_EQ(ModeSel(), 0);
    ASSERT_EQ(SendMessageA(Mode(), CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(ComboItemText(Mode(), 0), "AND");
    EXPECT_EQ(ComboItemText(Mode(), 1), "OR");
    EXPECT_EQ(ComboItemText(Mode(), 2), "ｴｷｽﾊﾟｰﾄ");
    EXPECT_EQ(HistoryCount(), 0);
    EXPECT_TRUE(dlg.m_history.empty());
    EXPECT_TRUE(dlg.m_hSmallIcon);
    EXPECT_EQ(dlg.SendMessage(WM_GETICON, ICON_SMALL, 0),
              reinterpret_cast<LRESULT>(dlg.m_hSmallIcon));
    // Creating and placing the hidden window writes nothing.
    EXPECT_FALSE(CTestKey(HKEY_CURRENT_USER, kKey, KEY_READ).IsOpen());
}

TEST_F(SearchDlgTest, StoredModeIsSelectedAndOutOfRangeModeSearchesWithTheFirstTemplate)
{
    PutDword("", "mode", 1);
    Create();
    EXPECT_EQ(ModeSel(), 1);
    m_dlg.reset();

    PutDword("", "mode", 7);
    Create();
    EXPECT_EQ(ModeSel(), -1);
    Search("a b");
    ASSERT_EQ(m_launched.Pages().size(), 1u);
    EXPECT_EQ(m_launched.Pages()[0], Address("/bin/query?p=a+b&hc=0&hs=0"));
    EXPECT_EQ(m_dlg->m_nMode, -1);
    // Picking a mode stores it at once, without a search.
    PickMode(2);
    DWORD mode = 0;
    EXPECT_TRUE(StoredDword("", "mode", &mode));
    EXPECT_EQ(mode, 2u);
    Search("a b");
    ASSERT_EQ(m_launched.Pages().size(), 2u);
    EXPECT_EQ(m_launched.Pages()[1], Address("/bin/query?p=a+b&s=e"));
}

TEST_F(SearchDlgTest, SearchLaunchesStoresAndLeavesTheQuerySelected)
{
    CSearchDlgProbe& dlg = Create();
    dlg.ShowWindow(SW_SHOW);
    PickMode(1);
    Search("検索 1+1");
    ASSERT_EQ(m_launched.Pages().size(), 1u);
    EXPECT_EQ(m_launched.Pages()[0], Address("/bin/query?p=%8C%9F%8D%F5+1%2B1&s=o"));
    EXPECT_EQ(StoredText("text00"), "検索 1+1");
    EXPECT_EQ(StoredText("text01"), "<missing>");
    EXPECT_EQ(HistoryCount(), 1);
    EXPECT_EQ(ComboItemText(Query(), 0), "検索 1+1");
    EXPECT_EQ(ModeSel(), 1);
    ExpectQuerySelected("検索 1+1");
    HWND hFocus = GetFocus();
    EXPECT_TRUE(hFocus == Query() || GetParent(hFocus) == Query());
    EXPECT_TRUE(dlg.IsWindowVisible());

    // An empty query opens the service's page but is no entry: the history,
    // stored and shown, stays as it was, and the box stays empty.
    Search("");
    ASSERT_EQ(m_launched.Pages().size(), 2u);
    EXPECT_EQ(m_launched.Pages()[1], Address("/bin/query?p=&s=o"));
    EXPECT_EQ(StoredText("text00"), "検索 1+1");
    EXPECT_EQ(StoredText("text01"), "<missing>");
    EXPECT_EQ(HistoryCount(), 1);
    EXPECT_EQ(WindowText(Query()), "");
    m_dlg.reset();
    Create();
    EXPECT_EQ(m_dlg->m_history.size(), 1u);
    EXPECT_EQ(ComboItemText(Query(), 0), "検索 1+1");

    // Whatever the process's code page, the query is read as UTF-16; what code
    // page 932 lacks goes as a browser sends it in a Shift_JIS form, never as
    // a look-alike.
    SetWindowTextW(Query(), L"東京 \U0001F600한ß¥");
    m_dlg->SendMessage(WM_COMMAND, ID_SEARCH, 0);
    EXPECT_EQ(m_launched.Pages().back(),
              Address("/bin/query?p=%93%8C%8B%9E+%26%23128512%3B%26%2354620%3B%26%23223%3B"
                      "%26%23165%3B&s=o"));
    EXPECT_EQ(StoredText("text00"), "東京 &#128512;&#54620;&#223;&#165;");
}

TEST_F(SearchDlgTest, HistoryReplacesEqualEntriesAndClosesGaps)
{
    PutText("text00", "ABC");
    PutText("text01", "");
    PutText("text03", "x");
    PutText("text10", "never read");
    Create();
    ASSERT_EQ(HistoryCount(), 2);
    EXPECT_EQ(ComboItemText(Query(), 0), "ABC");
    EXPECT_EQ(ComboItemText(Query(), 1), "x");

    Search("abc");
    EXPECT_EQ(StoredText("text00"), "abc");
    EXPECT_EQ(StoredText("text01"), "x");
    for (const char* name : {"text02", "text03", "text0A", "text0F"})
        EXPECT_EQ(StoredText(name), "<missing>") << name;
    EXPECT_EQ(StoredText("text10"), "never read");
    EXPECT_EQ(HistoryCount(), 2);
    ExpectQuerySelected("abc");

    // Another copy stored a search meanwhile: it stays, below the new query.
    PutText("text00", "B2");
    PutText("text01", "abc");
    PutText("text02", "x");
    Search("x");
    EXPECT_EQ(StoredText("text00"), "x");
    EXPECT_EQ(StoredText("text01"), "B2");
    EXPECT_EQ(StoredText("text02"), "abc");
    EXPECT_EQ(ComboItemText(Query(), 1), "B2");
}

// Another copy saving its search holds the history's turn for nMs and stores
// "C3" on top meanwhile (nMs 0: it holds the turn until the test ends).
class COtherCopySaving {
public:
    explicit COtherCopySaving(DWORD nMs)
        : m_hMutex(CreateMutexA(nullptr, FALSE, Settings::kHistoryLockName)),
          m_hHeld(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          m_hDone(CreateEventA(nullptr, TRUE, FALSE, nullptr)), m_thread([this, nMs] {
              WaitForSingleObject(m_hMutex, INFINITE);
              SetEvent(m_hHeld);
              WaitForSingleObject(m_hDone, nMs ? nMs : INFINITE);
              if (nMs)
                  SettingsKeyTest::PutText("text00", "C3");
              ReleaseMutex(m_hMutex);
          })
    {
        WaitForSingleObject(m_hHeld, INFINITE);
    }
    ~COtherCopySaving()
    {
        SetEvent(m_hDone);
        m_thread.join();
        for (HANDLE h : {m_hMutex, m_hHeld, m_hDone})
            CloseHandle(h);
    }

private:
    HANDLE m_hMutex, m_hHeld, m_hDone;
    std::thread m_thread;
};

TEST_F(SearchDlgTest, HistorySavesTakeTurnsAndAFailedSaveKeepsTheList)
{
    PutText("text01", "h1");
    PutText("text02", "h2");
    Create();
    {
        // The save waits for the other copy's and goes on top of it.
        COtherCopySaving other(300);
        Search("q1");
    }
    EXPECT_EQ(StoredText("text00"), "q1");
    EXPECT_EQ(StoredText("text01"), "C3");
    {
        // A copy that keeps its turn holds this one up for a second at most.
        COtherCopySaving hung(0);
        const DWORD dwStart = GetTickCount();
        Search("q2");
        EXPECT_GE(GetTickCount() - dwStart, 900u);
        EXPECT_EQ(StoredText("text00"), "q2");
    }
    // A registry that refuses the write: the list keeps this window's entries.
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
    // No lasting key can be made below a volatile one.
    ASSERT_EQ(ERROR_SUCCESS, CTestKey(HKEY_CURRENT_USER, kKey, 0, REG_OPTION_VOLATILE).Result());
    Search("q3");
    EXPECT_EQ(StoredText("text00"), "<missing>");
    const char* const kShown[] = {"q3", "q2", "q1", "C3", "h1", "h2"};
    ASSERT_EQ(HistoryCount(), 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(ComboItemText(Query(), i), kShown[i]);
    ExpectQuerySelected("q3");
}

TEST_F(SearchDlgTest, SeventeenSearchesKeepSixteenNewestFirst)
{
    Create();
    for (int i = 0; i < 17; ++i) {
        char q[16];
        wsprintfA(q, "q%02d", i);
        Search(q);
    }
    EXPECT_EQ(HistoryCount(), 16);
    EXPECT_EQ(StoredText("text00"), "q16");
    EXPECT_EQ(StoredText("text0A"), "q06");
    EXPECT_EQ(StoredText("text0F"), "q01");
    EXPECT_EQ(StoredText("text10"), "<missing>");
    EXPECT_EQ(m_dlg->m_history.size(), 16u);
}

TEST_F(SearchDlgTest, PasteReplacesTheQueryWithTheClipboardText)
{
    CSearchDlgProbe& dlg = Create();
    dlg.ShowWindow(SW_SHOW);
    const std::string text = "検索テスト abc";
    SetClipboardText(text);
    SetText(Query(), "old text");
    dlg.PostMessage(WM_COMMAND, IDC_PASTE, 0);
    PumpMessages();
    ExpectQuerySelected(text);
    HWND hFocus = GetFocus();
    EXPECT_TRUE(hFocus == Query() || GetParent(hFocus) == Query());
    EXPECT_TRUE(m_launched.Pages().empty());
    EXPECT_EQ(HistoryCount(), 0);

    // Only an image on the clipboard: the box ends up empty.
    HDC hdc = GetDC(nullptr);
    HBITMAP hbm = CreateCompatibleBitmap(hdc, 8, 8);
    ReleaseDC(nullptr, hdc);
    SetClipboard(CF_BITMAP, hbm); // the clipboard owns it from here
    dlg.SendMessage(WM_COMMAND, IDC_PASTE, 0);
    EXPECT_EQ(WindowText(Query()), "");

    // Far more text than the box can hold, pasted in reasonable time.
    SetClipboardText(std::string(100000, 'w'));
    const DWORD dwStart = GetTickCount();
    dlg.SendMessage(WM_COMMAND, IDC_PASTE, 0);
    EXPECT_LT(GetTickCount() - dwStart, 5000u);
    std::string got = WindowText(Query());
    EXPECT_FALSE(got.empty());
    EXPECT_LT(got.size(), 1000u);
    EXPECT_EQ(got.find_first_not_of('w'), std::string::npos);
    Search(got.c_str());
    ASSERT_EQ(m_launched.Pages().size(), 1u);
    EXPECT_EQ(StoredText("text00"), got);
}

TEST_F(SearchDlgTest, ValuesOfTheWrongTypeOrSizeGiveTheDefaults)
{
    const std::string big(60000, 'z');
    PutValue("", "mode", REG_SZ, "1", 2);
    PutValue("WinPos\\Search", "posX", REG_SZ, "7", 2);
    PutDword("WinPos\\Search", "posY", 300);
    PutValue("text", "text00", REG_DWORD, "\x41\0\0\0", 4);
    PutValue("text", "text01", REG_BINARY, big.data(), static_cast<DWORD>(big.size()));
    Create();
    EXPECT_EQ(ModeSel(), 0);
    POINT pt = Corner();
    EXPECT_EQ(pt.x, 40);
    EXPECT_EQ(pt.y, 40);
    EXPECT_EQ(HistoryCount(), 0);
    m_dlg.reset();

    PutValue("", "mode", REG_BINARY, big.data(), static_cast<DWORD>(big.size()));
    PutDword("WinPos\\Search", "posX", 300);
    PutValue("WinPos\\Search", "posY", REG_DWORD, big.data(), static_cast<DWORD>(big.size()));
    PutValue("text", "text00", REG_SZ, big.c_str(), static_cast<DWORD>(big.size() + 1));
    Create();
    EXPECT_EQ(ModeSel(), 0);
    pt = Corner();
    EXPECT_EQ(pt.x, 40);
    EXPECT_EQ(pt.y, 40);
    // A long text is still a text: it loads, and a search keeps it second.
    ASSERT_EQ(HistoryCount(), 1);
    Search("short");
    EXPECT_EQ(StoredText("text00"), "short");
    EXPECT_EQ(StoredText("text01"), big);
    // Searched again, it reaches the shell cut to a safe address and stays whole.
    Search(big.c_str());
    EXPECT_EQ(m_launched.Pages().back().size(), static_cast<size_t>(kMaxSearchAddress));
    EXPECT_EQ(StoredText("text00"), big);
}

TEST_F(SearchDlgTest, StoredPositionIsPulledIntoTheWorkArea)
{
    RECT work;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    PutDword("WinPos\\Search", "posX", 123);
    PutDword("WinPos\\Search", "posY", 145);
    Create();
    POINT pt = Corner();
    EXPECT_EQ(pt.x, 123);
    EXPECT_EQ(pt.y, 145);
    RECT r;
    GetWindowRect(m_dlg->m_hWnd, &r);
    m_dlg.reset();

    PutDword("WinPos\\Search", "posX", 50000);
    PutDword("WinPos\\Search", "posY", static_cast<DWORD>(-3000));
    Create();
    pt = Corner();
    EXPECT_EQ(pt.x, work.right - (r.right - r.left));
    EXPECT_EQ(pt.y, work.top);
    m_dlg.reset();

    // posX alone is worth nothing.
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
    PutDword("WinPos\\Search", "posX", 300);
    Create();
    pt = Corner();
    EXPECT_EQ(pt.x, 40);
    EXPECT_EQ(pt.y, 40);
}

TEST_F(SearchDlgTest, MovesAreStoredOnlyWhileVisible)
{
    CSearchDlgProbe& dlg = Create();
    dlg.SetWindowPos(nullptr, 200, 210, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    DWORD x = 0, y = 0;
    EXPECT_FALSE(StoredDword("WinPos\\Search", "posX", &x));

    dlg.ShowWindow(SW_SHOW);
    dlg.SetWindowPos(nullptr, 150, 160, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ASSERT_TRUE(StoredDword("WinPos\\Search", "posX", &x));
    ASSERT_TRUE(StoredDword("WinPos\\Search", "posY", &y));
    EXPECT_EQ(static_cast<int>(x), 150);
    EXPECT_EQ(static_cast<int>(y), 160);

    dlg.SetWindowPos(nullptr, -60, -5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ASSERT_TRUE(StoredDword("WinPos\\Search", "posX", &x));
    ASSERT_TRUE(StoredDword("WinPos\\Search", "posY", &y));
    EXPECT_EQ(static_cast<int>(x), -60);
    EXPECT_EQ(static_cast<int>(y), -5);

    // Hiding, then destroying, stores nothing more.
    dlg.SetWindowPos(nullptr, 150, 160, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    dlg.ShowWindow(SW_HIDE);
    dlg.SetWindowPos(nullptr, 300, 310, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_dlg.reset();
    ASSERT_TRUE(StoredDword("WinPos\\Search", "posX", &x));
    EXPECT_EQ(static_cast<int>(x), 150);

    // The next start comes back at the stored place.
    Create();
    POINT pt = Corner();
    EXPECT_EQ(pt.x, 150);
    EXPECT_EQ(pt.y, 160);
}

TEST_F(SearchDlgTest, EnterEscapeAndCloseHideWithoutSearching)
{
    // With "enter" stored as 1, Enter searches as the button does; Escape and
    // the close box hide the window either way.
    for (DWORD dwEnter : {0u, 2u, 1u}) {
        SCOPED_TRACE(dwEnter);
        RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
        PutText("text00", "kept");
        PutDword("", "enter", dwEnter);
        CSearchDlgProbe& dlg = Create();
        for (UINT msg : {0u, 1u, 2u}) {
            dlg.ShowWindow(SW_SHOW);
            SetText(Query(), "typed");
            if (msg == 0)
                dlg.SendMessage(WM_COMMAND, IDOK, 0);
            else if (msg == 1)
                dlg.SendMessage(WM_COMMAND, IDCANCEL, 0);
            else
                dlg.SendMessage(WM_CLOSE, 0, 0);
            PumpMessages();
            EXPECT_EQ(dlg.IsWindowVisible(), dwEnter == 1 && msg == 0) << msg;
            EXPECT_TRUE(IsWindow(dlg.m_hWnd));
        }
        const bool bSearched = dwEnter == 1;
        EXPECT_EQ(m_launched.Pages().size(), bSearched ? 1u : 0u);
        EXPECT_EQ(StoredText("text00"), bSearched ? "typed" : "kept");
        EXPECT_EQ(StoredText("text01"), bSearched ? "kept" : "<missing>");
        EXPECT_EQ(dlg.m_history.size(), bSearched ? 2u : 1u);
    }
}
