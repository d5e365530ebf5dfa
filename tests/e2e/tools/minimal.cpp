// The least a tray search helper can do, for the benchmark to compare the real
// program with: an icon whose double-click shows a small captioned window
// with a text box and a button, and the button opens a fixed address through
// the shell.
//   minimal.exe ADDRESS [/leak]
// With /leak every search also loses a registry key, a font, a window and
// 64 KiB of memory, so the benchmark can show that its counting sees leaks.
#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <string>

namespace {

const UINT kIconMessage = WM_APP + 1;
const int kSearchId = 32772;
const char kMainTitle[] = "__@QfMinimal@__";
const char kSearchTitle[] = "minimal search";

HWND g_search = nullptr;
HWND g_edit = nullptr;
std::string g_address;
bool g_leak = false;

void Leak()
{
    HKEY key = nullptr;
    RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key);
    CreateFontA(12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    CreateWindowA("STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    void* p = VirtualAlloc(nullptr, 65536, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (p)
        std::memset(p, 1, 65536);
}

LRESULT CALLBACK SearchProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    switch (m) {
    case WM_COMMAND:
        if (LOWORD(w) == kSearchId) {
            ShellExecuteA(nullptr, "open", g_address.c_str(), nullptr, nullptr, SW_SHOW);
            if (g_leak)
                Leak();
            SendMessageA(g_edit, EM_SETSEL, 0, -1);
            SetFocus(g_edit);
        } else if (LOWORD(w) == IDCANCEL || LOWORD(w) == IDOK) {
            ShowWindow(h, SW_HIDE);
        }
        return 0;
    case WM_CLOSE:
        ShowWindow(h, SW_HIDE);
        return 0;
    }
    return DefWindowProcA(h, m, w, l);
}

LRESULT CALLBACK MainProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == kIconMessage && l == WM_LBUTTONDBLCLK) {
        ShowWindow(g_search, SW_SHOW);
        SetForegroundWindow(g_search);
        SetFocus(g_edit);
        return 0;
    }
    if (m == WM_COMMAND && LOWORD(w) == 1) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(h, m, w, l);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 100; // no address: the test tool's usage code (see qftool.cpp)
    g_address = argv[1];
    g_leak = argc > 2 && std::strcmp(argv[2], "/leak") == 0;
    HINSTANCE inst = GetModuleHandleA(nullptr);

    WNDCLASSA wc = {};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = inst;
    wc.lpszClassName = "QfMinimalMain";
    RegisterClassA(&wc);
    wc.lpfnWndProc = SearchProc;
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "QfMinimalSearch";
    RegisterClassA(&wc);

    HWND main = CreateWindowA("QfMinimalMain", kMainTitle, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              inst, nullptr);
    g_search = CreateWindowExA(WS_EX_DLGMODALFRAME, "QfMinimalSearch", kSearchTitle,
                               WS_POPUP | WS_CAPTION | WS_SYSMENU, 40, 40, 333, 69, main, nullptr,
                               inst, nullptr);
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    g_edit = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP, 10, 10, 200,
                           22, g_search, reinterpret_cast<HMENU>(1006), inst, nullptr);
    HWND button = CreateWindowA("BUTTON", "検索", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 250, 10, 66,
                                22, g_search, reinterpret_cast<HMENU>(kSearchId), inst, nullptr);
    SendMessageA(g_edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);

    NOTIFYICONDATAA nid = {};
    nid.cbSize = sizeof(nid);
    nid.hWnd = main;
    nid.uID = 1;
    nid.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    nid.uCallbackMessage = kIconMessage;
    nid.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    lstrcpynA(nid.szTip, "minimal", sizeof(nid.szTip));
    Shell_NotifyIconA(NIM_ADD, &nid);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(g_search, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    Shell_NotifyIconA(NIM_DELETE, &nid);
    DestroyWindow(main);
    return 0;
}
