// The end-to-end tests' hands inside Wine: reads and writes the registry,
// fills the clipboard, looks at windows and plays other programs' parts.
// Texts go in and out as hex of their bytes, so code-page bytes survive the
// trip through the shell untouched.
//
// Exit codes of the test tools: 0 done; 100 unknown command or wrong
// arguments; 101 no window or control with the title or number given; 102 the
// registry refused a write; 103 the catcher could not write its log; 104 a
// program could not be started; 105 a file to hold could not be opened; 106
// the clipboard stayed busy (without-admin ends with its program's exit code
// once it has started it). A reason goes to stderr. Wine ends a program it
// cannot start with 1, and a crash with an exception code whose low byte is
// the exit status (5 for an access violation), so the tool's own codes stay
// clear of small numbers.
#include <windows.h>
#include <shellapi.h>

#include "framework/WideText.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int kExitUsage = 100;
const int kExitNoWindow = 101;
const int kExitRegistry = 102;
const int kExitStart = 104;
const int kExitFile = 105;
const int kExitClipboard = 106;

int Fail(int nExitCode, const std::string& reason)
{
    std::fprintf(stderr, "qftool: %s\n", reason.c_str());
    return nExitCode;
}

std::string Hex(const void* p, size_t n)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    const auto* b = static_cast<const unsigned char*>(p);
    for (size_t i = 0; i < n; ++i) {
        s += digits[b[i] >> 4];
        s += digits[b[i] & 15];
    }
    return s;
}

std::vector<unsigned char> Unhex(const char* s)
{
    std::vector<unsigned char> out;
    for (size_t i = 0; s[i] && s[i + 1]; i += 2) {
        char pair[3] = {s[i], s[i + 1], 0};
        out.push_back(static_cast<unsigned char>(std::strtoul(pair, nullptr, 16)));
    }
    return out;
}

std::string UnhexText(const char* s)
{
    auto v = Unhex(s);
    return std::string(v.begin(), v.end());
}

UINT Number(const char* psz)
{
    return static_cast<UINT>(std::strtoul(psz, nullptr, 0));
}

// The values of an open key, one line each: prefix, name-hex, type, data-hex;
// with a name, that value alone.
void PrintValues(HKEY h, const std::string& prefix, const char* only)
{
    std::vector<unsigned char> data(1 << 16);
    for (DWORD i = 0;;) {
        char name[16384];
        DWORD n = sizeof(name), type = 0, size = static_cast<DWORD>(data.size());
        LONG r = RegEnumValueA(h, i, name, &n, nullptr, &type, data.data(), &size);
        if (r == ERROR_MORE_DATA && size > data.size()) {
            data.resize(size);
            continue;
        }
        if (r != ERROR_SUCCESS)
            break;
        if (!only || lstrcmpiA(only, name) == 0)
            std::printf("%s%s %lu %s\n", prefix.c_str(), Hex(name, n).c_str(),
                        static_cast<unsigned long>(type), Hex(data.data(), size).c_str());
        ++i;
    }
}

// The tree below a key: "key PATH" for every key, then "value PATH NAME TYPE
// DATA" for each of its values, in hex, the path starting with the given one
// (an empty one dumps all of HKEY_CURRENT_USER); nothing for a missing key.
// With a value's name, the key's line and that value's alone.
void RegDump(HKEY parent, const std::string& sub, const std::string& path, const char* only)
{
    HKEY h;
    if (RegOpenKeyExA(parent, sub.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return;
    const std::string hex = Hex(path.data(), path.size());
    std::printf("key %s\n", hex.c_str());
    PrintValues(h, "value " + hex + " ", only);
    char name[256]; // a key name has at most 255 characters
    for (DWORD i = 0; !only; ++i) {
        DWORD n = sizeof(name);
        if (RegEnumKeyExA(h, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        RegDump(h, name, path.empty() ? name : path + "\\" + name, nullptr);
    }
    RegCloseKey(h);
}

// sub name type data-hex [times]: the value, its data repeated that many
// times (a big value does not fit a command line), its key created.
int RegSet(char** a, int nArgs)
{
    const std::vector<unsigned char> once = Unhex(a[3]);
    std::vector<unsigned char> data;
    for (long i = nArgs > 4 ? std::strtol(a[4], nullptr, 10) : 1; i > 0; --i)
        data.insert(data.end(), once.begin(), once.end());
    HKEY h;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, a[0], 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h,
                        nullptr) != ERROR_SUCCESS)
        return Fail(kExitRegistry, std::string("cannot create the key ") + a[0]);
    LONG r = RegSetValueExA(h, a[1], 0, Number(a[2]), data.data(), static_cast<DWORD>(data.size()));
    RegCloseKey(h);
    return r == ERROR_SUCCESS ? 0 : Fail(kExitRegistry, std::string("cannot set ") + a[1]);
}

int ClipSet(UINT format, const void* data, size_t size)
{
    // Another process may hold the clipboard for a moment, but not for a second.
    for (int tries = 50; !OpenClipboard(nullptr); Sleep(20)) {
        if (--tries == 0)
            return Fail(kExitClipboard, "the clipboard stayed busy");
    }
    EmptyClipboard();
    if (format == CF_BITMAP) {
        HDC dc = GetDC(nullptr);
        HBITMAP bmp = CreateCompatibleBitmap(dc, 8, 8);
        ReleaseDC(nullptr, dc);
        SetClipboardData(CF_BITMAP, bmp);
    } else {
        HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, size + 1);
        char* p = static_cast<char*>(GlobalLock(g));
        std::memcpy(p, data, size);
        p[size] = 0;
        GlobalUnlock(g);
        SetClipboardData(format, g);
    }
    CloseClipboard();
    return 0;
}

// Without a virtual desktop Wine runs its bridge between the clipboard and the
// X selection in the first process that opens the clipboard, and ends it with
// that process; a bridge started later takes the X selection in, which empties
// the clipboard when no X program holds one. Running for a whole test run,
// this holds the bridge, so what a tool that has ended put on the clipboard
// stays there for the program to paste.
int ClipBridge()
{
    // The open returns once the bridge has started and taken the X selection in.
    if (OpenClipboard(nullptr))
        CloseClipboard();
    std::puts("ready");
    std::fflush(stdout);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

HWND FindTitled(const char* hexTitle)
{
    return FindWindowA(nullptr, UnhexText(hexTitle).c_str());
}

int NoWindow(const char* hexTitle)
{
    return Fail(kExitNoWindow, std::string("no window titled (hex) ") + hexTitle);
}

// A control of the window with that title, or NULL.
HWND FindControl(const char* hexTitle, const char* id)
{
    HWND h = FindTitled(hexTitle);
    return h ? GetDlgItem(h, std::atoi(id)) : nullptr;
}

int NoControl(const char* hexTitle, const char* id)
{
    return Fail(kExitNoWindow,
                std::string("no control ") + id + " in the window titled (hex) " + hexTitle);
}

void PrintWindow(HWND h)
{
    if (!h) {
        std::puts("none");
        return;
    }
    RECT rc = {};
    GetWindowRect(h, &rc);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    std::printf("hwnd=%llu visible=%d enabled=%d iconic=%d left=%ld top=%ld right=%ld bottom=%ld "
                "style=0x%08lX pid=%lu foreground=%d\n",
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(h)),
                IsWindowVisible(h) ? 1 : 0, IsWindowEnabled(h) ? 1 : 0, IsIconic(h) ? 1 : 0,
                rc.left, rc.top, rc.right, rc.bottom,
                static_cast<unsigned long>(GetWindowLongPtrA(h, GWL_STYLE)),
                static_cast<unsigned long>(pid), GetForegroundWindow() == h ? 1 : 0);
}

// A window's text in the ANSI code page. Asked through WM_GETTEXT in wide
// characters: GetWindowText of another process's window gives only the caption
// the server keeps, and the ANSI messages are not marshalled faithfully.
std::string Wide2Ansi(const wchar_t* w)
{
    int n = WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, w, -1, &s[0], n, nullptr, nullptr);
    s.resize(std::strlen(s.c_str()));
    return s;
}

std::string Text(HWND h)
{
    DWORD_PTR len = 0;
    SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 3000, &len);
    std::vector<wchar_t> buf(len + 2, L'\0');
    DWORD_PTR r = 0;
    SendMessageTimeoutW(h, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()),
                        SMTO_NORMAL, 3000, &r);
    return Wide2Ansi(buf.data());
}

std::string ListText(HWND combo, int i)
{
    LRESULT n = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    // Wine passes another process only 512 characters of room for a list
    // entry, and a longer entry overruns it inside the program: give its length.
    if (n >= 512)
        return "<long " + std::to_string(n) + ">";
    std::vector<wchar_t> buf(static_cast<size_t>(n > 0 ? n : 0) + 2, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf.data()));
    return Wide2Ansi(buf.data());
}

// The search window as a user sees it: the query box's text, its selection
// and list, the mode box's choice, and where the keyboard focus is.
int Combo(HWND dlg)
{
    HWND query = GetDlgItem(dlg, 1006), mode = GetDlgItem(dlg, 1005);
    std::string text = Text(query);
    DWORD start = 0, end = 0;
    SendMessageA(query, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    std::printf("query %s\n", Hex(text.data(), text.size()).c_str());
    std::printf("sel %lu %lu\n", static_cast<unsigned long>(start),
                static_cast<unsigned long>(end));
    std::printf("mode %d\n", static_cast<int>(SendMessageA(mode, CB_GETCURSEL, 0, 0)));
    int count = static_cast<int>(SendMessageA(query, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::string item = ListText(query, i);
        std::printf("item %s\n", Hex(item.data(), item.size()).c_str());
    }
    int modes = static_cast<int>(SendMessageA(mode, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < modes; ++i) {
        std::string item = ListText(mode, i);
        std::printf("modeitem %s\n", Hex(item.data(), item.size()).c_str());
    }
    GUITHREADINFO gti = {};
    gti.cbSize = sizeof(gti);
    DWORD tid = GetWindowThreadProcessId(dlg, nullptr);
    int focusId = 0;
    if (GetGUIThreadInfo(tid, &gti) && gti.hwndFocus) {
        HWND f = gti.hwndFocus;
        if (GetParent(f) == query)
            f = query; // the edit field inside the drop-down box
        focusId = GetDlgCtrlID(f);
    }
    std::printf("focus %d\n", focusId);
    std::printf("caption %s\n", Hex(Text(dlg).data(), Text(dlg).size()).c_str());
    return 0;
}

// What a restarting shell does: forget the program's icon, then announce a
// new task bar to every top-level window.
int TaskbarCreated()
{
    HWND main = FindWindowA(nullptr, "__@Qf@__");
    HWND icon = main ? GetDlgItem(main, 1102) : nullptr;
    if (icon) {
        NOTIFYICONDATAA nid = {};
        nid.cbSize = offsetof(NOTIFYICONDATAA, guidItem);
        nid.hWnd = icon;
        nid.uID = 1102;
        Shell_NotifyIconA(NIM_DELETE, &nid);
    }
    SendNotifyMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    std::printf("icon=%d\n", icon ? 1 : 0);
    return 0;
}

// A window titled as the program's main window that ignores close requests
// and counts them into a file: "requests tick gone", tick the time of the
// latest request, gone the time the program's settings key went (0 while it
// is there or has not come yet). Watched from here, every 10 ms, as no
// process started to look could.
const char* g_countFile = nullptr;
int g_requests = 0;
DWORD g_requestTick = 0, g_goneTick = 0;
bool g_settingsSeen = false;

void WriteRequests()
{
    if (FILE* f = std::fopen(g_countFile, "w")) {
        std::fprintf(f, "%d %lu %lu\n", g_requests, static_cast<unsigned long>(g_requestTick),
                     static_cast<unsigned long>(g_goneTick));
        std::fclose(f);
    }
}

void WatchSettings()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\VORNELIX\\Quillfind", 0, KEY_READ, &key) ==
        ERROR_SUCCESS) {
        RegCloseKey(key);
        g_settingsSeen = true;
    } else if (g_settingsSeen && !g_goneTick) {
        g_goneTick = GetTickCount();
        WriteRequests();
    }
}

LRESULT CALLBACK StandInProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_COMMAND && LOWORD(w) == 1) {
        ++g_requests;
        g_requestTick = GetTickCount();
        WriteRequests();
        return 0;
    }
    return DefWindowProcA(h, m, w, l);
}

int StandIn(const char* countFile, int seconds)
{
    g_countFile = countFile;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = StandInProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QfStandIn";
    RegisterClassA(&wc);
    HWND h = CreateWindowA("QfStandIn", "__@Qf@__", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           wc.hInstance, nullptr);
    g_requestTick = GetTickCount();
    WriteRequests();
    const UINT_PTR kEnd = 1, kWatch = 2;
    SetTimer(h, kEnd, static_cast<UINT>(seconds) * 1000, nullptr);
    SetTimer(h, kWatch, 10, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0)) {
        if (msg.message == WM_TIMER && msg.wParam == kEnd)
            break;
        if (msg.message == WM_TIMER)
            WatchSettings();
        else
            DispatchMessageA(&msg);
    }
    DestroyWindow(h);
    return 0;
}

// A wizard, whose title changes from page to page: the first visible top-level
// window whose title starts with the given text, and one of its controls.
int Wizard(const std::string& prefix, int id)
{
    std::pair<std::string, HWND> find(prefix, nullptr);
    EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
            auto* f = reinterpret_cast<std::pair<std::string, HWND>*>(p);
            if (!IsWindowVisible(h) || Text(h).compare(0, f->first.size(), f->first) != 0)
                return TRUE;
            f->second = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&find));
    HWND c = find.second ? GetDlgItem(find.second, id) : nullptr;
    if (find.second && !c) // a page's own controls sit in the page's dialog
        c = GetDlgItem(FindWindowExA(find.second, nullptr, "#32770", nullptr), id);
    RECT w = {}, r = {};
    if (!c || !GetWindowRect(find.second, &w) || !GetWindowRect(c, &r)) {
        std::puts("none");
        return 0;
    }
    const std::string t = Text(c);
    std::printf("left=%ld top=%ld right=%ld bottom=%ld cleft=%ld ctop=%ld cright=%ld cbottom=%ld "
                "enabled=%d checked=%d text=%s\n",
                w.left, w.top, w.right, w.bottom, r.left, r.top, r.right, r.bottom,
                IsWindowEnabled(c) ? 1 : 0, static_cast<int>(SendMessageW(c, BM_GETCHECK, 0, 0)),
                Hex(t.data(), t.size()).c_str());
    return 0;
}

// Holds a file open, as a virus scanner or a hung program may: nobody can
// write, move or delete it meanwhile, nor read or run it unless the sharing
// is "read". Once it holds the file, it makes the ready file.
int Hold(const char* path, int seconds, const char* readyFile, const char* sharing)
{
    const DWORD share = std::strcmp(sharing, "read") == 0 ? FILE_SHARE_READ : 0;
    HANDLE h = CreateFileA(path, GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return Fail(kExitFile, std::string("cannot open ") + path);
    if (FILE* f = std::fopen(readyFile, "w"))
        std::fclose(f);
    Sleep(static_cast<DWORD>(seconds) * 1000);
    CloseHandle(h);
    return 0;
}

// program args...: runs the program, waits for it and ends with its exit code.
// Its token holds the Administrators group for denying only, as the token
// Windows gives the programs an administrator starts without elevation.
int WithoutAdmin(char** a, int nArgs)
{
    std::string line = std::string("\"") + a[0] + "\"";
    for (int i = 1; i < nArgs; ++i)
        line += std::string(" ") + a[i];
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD cb = sizeof(sid);
    SID_AND_ATTRIBUTES admins = {sid, 0};
    HANDLE token = nullptr, limited = nullptr;
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    const bool started =
        CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &cb) &&
        OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &token) &&
        CreateRestrictedToken(token, 0, 1, &admins, 0, nullptr, 0, nullptr, &limited) &&
        CreateProcessAsUserA(limited, nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &si, &pi);
    for (HANDLE h : {token, limited})
        if (h)
            CloseHandle(h);
    if (!started)
        return Fail(kExitStart, "cannot start without administrator rights: " + line);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

// Tooltip text under the mouse, as the shell shows it.
int Tooltip()
{
    struct Found {
        std::string text;
    } found;
    EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
            char cls[64] = {};
            GetClassNameA(h, cls, sizeof(cls));
            if (IsWindowVisible(h) && std::strcmp(cls, "tooltips_class32") == 0) {
                // GetWindowText would give the caption the server keeps; the
                // tooltip answers WM_GETTEXT with the tip it shows.
                char buf[512] = {};
                DWORD_PTR r = 0;
                SendMessageTimeoutA(h, WM_GETTEXT, sizeof(buf), reinterpret_cast<LPARAM>(buf),
                                    SMTO_NORMAL, 3000, &r);
                reinterpret_cast<Found*>(p)->text = buf;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    std::printf("tip %s\n", Hex(found.text.data(), found.text.size()).c_str());
    return 0;
}

// What a process holds, counted from outside it in ways that work under Wine,
// where GetProcessHandleCount and GetGuiResources give nothing.
struct ProcessFacts {
    long handles = 0; // kernel handles, registry keys among them
    long gdi = 0;     // live entries of its GDI handle table
    long windows = 0; // windows of its threads, children and message-only ones included
    unsigned long long privateBytes = 0; // committed private pages
};

long CountHandles(HANDLE process)
{
    long n = 0;
    for (ULONG_PTR v = 4; v < 0x20000; v += 4) {
        HANDLE dup = nullptr;
        if (DuplicateHandle(process, reinterpret_cast<HANDLE>(v), GetCurrentProcess(), &dup, 0,
                            FALSE, DUPLICATE_SAME_ACCESS)) {
            ++n;
            CloseHandle(dup);
        }
    }
    return n;
}

// The GDI handle table the process's PEB points at: 24-byte entries, the
// object type in byte 14, zero for a free entry.
long CountGdi(HANDLE process)
{
    struct BasicInfo {
        LONG_PTR exitStatus;
        void* peb;
        ULONG_PTR affinity, priority, pid, parent;
    } info = {};
    using QueryFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    if (!query || query(process, 0, &info, sizeof(info), nullptr) != 0 || !info.peb)
        return -1;
    void* table = nullptr;
    SIZE_T got = 0;
    if (!ReadProcessMemory(process, static_cast<char*>(info.peb) + 0xF8, &table, sizeof(table),
                           &got) ||
        !table)
        return -1;
    const size_t kEntries = 0x10000, kEntrySize = 24;
    std::vector<unsigned char> entries(kEntries * kEntrySize);
    if (!ReadProcessMemory(process, table, entries.data(), entries.size(), &got))
        return -1;
    long n = 0;
    for (size_t i = 0; i < got / kEntrySize; ++i)
        n += entries[i * kEntrySize + 14] != 0;
    return n;
}

struct WindowCount {
    DWORD pid;
    long n;
};

BOOL CALLBACK CountChild(HWND h, LPARAM p)
{
    auto* c = reinterpret_cast<WindowCount*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    c->n += pid == c->pid;
    return TRUE;
}

BOOL CALLBACK CountTop(HWND h, LPARAM p)
{
    CountChild(h, p);
    EnumChildWindows(h, CountChild, p);
    return TRUE;
}

long CountWindows(DWORD pid)
{
    WindowCount c = {pid, 0};
    EnumWindows(CountTop, reinterpret_cast<LPARAM>(&c));
    for (HWND h = nullptr; (h = FindWindowExA(HWND_MESSAGE, h, nullptr, nullptr));)
        CountTop(h, reinterpret_cast<LPARAM>(&c));
    return c.n;
}

ProcessFacts Facts(DWORD pid)
{
    ProcessFacts f;
    HANDLE process =
        OpenProcess(PROCESS_DUP_HANDLE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process)
        return f;
    f.handles = CountHandles(process);
    f.gdi = CountGdi(process);
    f.windows = CountWindows(pid);
    MEMORY_BASIC_INFORMATION mbi;
    for (char* a = nullptr; VirtualQueryEx(process, a, &mbi, sizeof(mbi)) == sizeof(mbi);) {
        if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE)
            f.privateBytes += mbi.RegionSize;
        char* next = static_cast<char*>(mbi.BaseAddress) + mbi.RegionSize;
        if (next <= a)
            break;
        a = next;
    }
    CloseHandle(process);
    return f;
}

void PrintFacts(const ProcessFacts& f)
{
    std::printf("handles=%ld gdi=%ld windows=%ld private=%llu\n", f.handles, f.gdi, f.windows,
                f.privateBytes);
}

// A command: its name, how many arguments follow it, and what it does with them.
struct Command {
    const char* pszName;
    int nMinArgs, nMaxArgs;
    int (*run)(char** args, int nArgs);
};

// title-hex message wparam lparam: the window found by its title, or a failure.
template <typename Send> int ToWindow(char** a, Send send)
{
    HWND h = FindTitled(a[0]);
    if (!h)
        return NoWindow(a[0]);
    send(h, Number(a[1]), static_cast<WPARAM>(std::strtoull(a[2], nullptr, 0)),
         static_cast<LPARAM>(std::strtoll(a[3], nullptr, 0)));
    return 0;
}

int ControlRect(char** a, int)
{
    HWND c = FindControl(a[0], a[1]);
    RECT rc = {};
    if (!c || !GetWindowRect(c, &rc))
        return NoControl(a[0], a[1]);
    std::printf("left=%ld top=%ld right=%ld bottom=%ld visible=%d\n", rc.left, rc.top, rc.right,
                rc.bottom, IsWindowVisible(c) ? 1 : 0);
    return 0;
}

int DroppedRect(char** a, int)
{
    HWND c = FindControl(a[0], a[1]);
    if (!c)
        return NoControl(a[0], a[1]);
    RECT rc = {};
    SendMessageA(c, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&rc));
    std::printf("left=%ld top=%ld right=%ld bottom=%ld item=%d dropped=%d\n", rc.left, rc.top,
                rc.right, rc.bottom, static_cast<int>(SendMessageA(c, CB_GETITEMHEIGHT, 0, 0)),
                static_cast<int>(SendMessageA(c, CB_GETDROPPEDSTATE, 0, 0)));
    return 0;
}

int ProcFacts(char** a, int)
{
    DWORD pid = GetCurrentProcessId();
    if (std::strcmp(a[0], "self") != 0) {
        HWND h = FindTitled(a[0]);
        if (!h)
            return NoWindow(a[0]);
        GetWindowThreadProcessId(h, &pid);
    }
    PrintFacts(Facts(pid));
    return 0;
}

int PostMany(char** a, int)
{
    HWND h = FindTitled(a[0]);
    if (!h)
        return NoWindow(a[0]);
    const long count = std::strtol(a[4], nullptr, 10);
    const DWORD start = GetTickCount();
    for (long i = 0; i < count; ++i) {
        PostMessageA(h, Number(a[1]), static_cast<WPARAM>(std::strtoull(a[2], nullptr, 0)),
                     static_cast<LPARAM>(std::strtoll(a[3], nullptr, 0)));
        // A sent message is handled once the window's thread asks for its
        // next message, so this keeps at most one post waiting.
        DWORD_PTR r = 0;
        SendMessageTimeoutA(h, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &r);
    }
    DWORD_PTR r = 0;
    SendMessageTimeoutA(h, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &r);
    std::printf("posted=%ld ms=%lu\n", count, static_cast<unsigned long>(GetTickCount() - start));
    return 0;
}

// command-line-hex [program-hex]: started as given, not waited for.
int Spawn(char** a, int nArgs)
{
    std::string line = UnhexText(a[0]);
    const std::string program = nArgs == 2 ? UnhexText(a[1]) : std::string();
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nArgs == 2 ? program.c_str() : nullptr, &line[0], nullptr, nullptr, FALSE,
                        0, nullptr, nullptr, &si, &pi))
        return Fail(kExitStart, "cannot start " + line);
    std::printf("%lu\n", static_cast<unsigned long>(pi.dwProcessId));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
}

// clang-format off
const Command kCommands[] = {
    {"acp", 0, 0, [](char**, int) { std::printf("%u\n", GetACP()); return 0; }},
    // sub [name]: the tree below a key of HKEY_CURRENT_USER, or below
    // HKEY_LOCAL_MACHINE for a sub starting "HKLM\", or one value of it
    {"reg-dump", 1, 2, [](char** a, int n) {
        const bool bMachine = std::strncmp(a[0], "HKLM\\", 5) == 0;
        RegDump(bMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, a[0] + (bMachine ? 5 : 0),
                a[0], n == 2 ? a[1] : nullptr);
        return 0;
    }},
    {"reg-set", 4, 5, RegSet},
    {"reg-del-tree", 1, 1, [](char** a, int) {
        RegDeleteTreeA(HKEY_CURRENT_USER, a[0]);
        RegDeleteKeyA(HKEY_CURRENT_USER, a[0]);
        return 0;
    }},
    {"clip-text", 1, 1, [](char** a, int) {
        auto v = Unhex(a[0]);
        return ClipSet(CF_TEXT, v.data(), v.size());
    }},
    // Shift-JIS hex: the text as a Unicode program copies it, CF_UNICODETEXT alone
    {"clip-wide", 1, 1, [](char** a, int) {
        const CWideText w = ToWide(UnhexText(a[0]).c_str());
        return ClipSet(CF_UNICODETEXT, w.c_str(), (w.size() + 1) * sizeof(wchar_t));
    }},
    // size: that many bytes of 'a', every tenth a 'Q'
    {"clip-big", 1, 1, [](char** a, int) {
        std::string s(Number(a[0]), 'a');
        for (size_t i = 0; i < s.size(); i += 10)
            s[i] = 'Q';
        return ClipSet(CF_TEXT, s.data(), s.size());
    }},
    {"clip-image", 0, 0, [](char**, int) { return ClipSet(CF_BITMAP, nullptr, 0); }},
    {"clip-bridge", 0, 0, [](char**, int) { return ClipBridge(); }},
    {"win", 1, 1, [](char** a, int) { PrintWindow(FindTitled(a[0])); return 0; }},
    // title-hex: every top-level window with that title
    {"win-all", 1, 1, [](char** a, int) {
        const std::string title = UnhexText(a[0]);
        for (HWND h = nullptr; (h = FindWindowExA(nullptr, h, nullptr, title.c_str()));)
            PrintWindow(h);
        return 0;
    }},
    {"combo", 1, 1, [](char** a, int) {
        HWND h = FindTitled(a[0]);
        return h ? Combo(h) : NoWindow(a[0]);
    }},
    {"post", 4, 4, [](char** a, int) { return ToWindow(a, PostMessageA); }},
    {"send", 4, 4, [](char** a, int) {
        return ToWindow(a, [](HWND h, UINT m, WPARAM w, LPARAM l) {
            DWORD_PTR r = 0;
            SendMessageTimeoutA(h, m, w, l, SMTO_NORMAL, 5000, &r);
        });
    }},
    {"ctrl-text", 2, 2, [](char** a, int) {
        HWND c = FindControl(a[0], a[1]);
        if (!c)
            return NoControl(a[0], a[1]);
        const std::string t = Text(c);
        std::printf("%s\n", Hex(t.data(), t.size()).c_str());
        return 0;
    }},
    {"ctrl-rect", 2, 2, ControlRect},       // title-hex id: the control's screen rectangle
    {"workarea", 0, 0, [](char**, int) {
        RECT rc = {};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &rc, 0);
        std::printf("left=%ld top=%ld right=%ld bottom=%ld\n", rc.left, rc.top, rc.right,
                    rc.bottom);
        return 0;
    }},
    {"dropped-rect", 2, 2, DroppedRect},    // title-hex id: a drop-down list and item height
    {"proc-facts", 1, 1, ProcFacts},        // title-hex of one of its windows, or "self"
    {"post-n", 5, 5, PostMany},             // title-hex message wparam lparam count
    {"spawn", 1, 2, Spawn},
    {"taskbar-created", 0, 0, [](char**, int) { return TaskbarCreated(); }},
    {"stand-in", 2, 2, [](char** a, int) { return StandIn(a[0], std::atoi(a[1])); }},
    // title-prefix-hex control-id
    {"wizard", 2, 2, [](char** a, int) { return Wizard(UnhexText(a[0]), std::atoi(a[1])); }},
    {"tooltip", 0, 0, [](char**, int) { return Tooltip(); }},
    // path seconds ready-file [read]
    {"hold", 3, 4, [](char** a, int n) {
        return Hold(a[0], std::atoi(a[1]), a[2], n == 4 ? a[3] : "");
    }},
    // program args...: ends with the program's exit code
    {"without-admin", 1, 64, WithoutAdmin},

};
// clang-format on

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Fail(kExitUsage, "no command");
    const int nArgs = argc - 2;
    for (const Command& c : kCommands) {
        if (std::strcmp(argv[1], c.pszName) == 0 && nArgs >= c.nMinArgs && nArgs <= c.nMaxArgs)
            return c.run(argv + 2, nArgs);
    }
    return Fail(kExitUsage, std::string("unknown command or wrong arguments: ") + argv[1]);
}
