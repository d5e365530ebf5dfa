// The start-up test for the uninstaller's switch: found anywhere in the line,
// in any letter case, but never in the program's own path, however it is
// spelled, and never starting inside a double-byte character of the ANSI code
// page.
#include <gtest/gtest.h>

#include "TestSupport.h"

#include "app/RemovalSwitch.h"
#include "framework/String.h"

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Files named Quillfind.exe in folders of the test's own, for spellings only a
// file system tells apart; the test works in <dir>\qf meanwhile. "<dir>" in a
// line or a program path stands for the folder, "<short>" for the 8.3 name of
// <dir>\unregist\Quillfind.exe.
class CProgramFolders {
public:
    CProgramFolders()
    {
        char sz[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, m_szStart);
        GetTempPathA(MAX_PATH, sz);
        m_dir.Format("%sqf-removal-%lu", sz, GetCurrentProcessId());
        for (const char* pszSub : {"\\unregist", "\\qf\\x\\unregist y", "\\qf\\表\\unregist"}) {
            SHCreateDirectoryExA(nullptr, m_dir + pszSub, nullptr);
            CloseHandle(CreateFileA(m_dir + pszSub + "\\Quillfind.exe", GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, 0, nullptr));
        }
        SetCurrentDirectoryA(m_dir + "\\qf");
        GetShortPathNameA(m_dir + "\\unregist\\Quillfind.exe", sz, MAX_PATH);
        m_short = std::strrchr(sz, '\\') + 1;
        if (m_short == "Quillfind.exe")
            std::printf("note: the file system gives Quillfind.exe no 8.3 name\n");
    }
    ~CProgramFolders()
    {
        SetCurrentDirectoryA(m_szStart);
        const std::string strFrom(m_dir.GetString(), m_dir.GetLength() + 1); // two zeros
        SHFILEOPSTRUCTA op = {nullptr, FO_DELETE, strFrom.c_str()};
        op.fFlags = FOF_NO_UI;
        SHFileOperationA(&op);
    }
    CString Expand(const char* psz) const
    {
        CString str(psz);
        str.Replace("<dir>", m_dir);
        str.Replace("<short>", m_short);
        return str;
    }

private:
    char m_szStart[MAX_PATH] = {};
    CString m_dir, m_short;
};

} // namespace

TEST(RemovalSwitch, FoundInAnyCaseAnywhereButInTheProgramsOwnPath)
{
    const char* const kProgram = "C:\\Program Files\\unregist\\Quillfind.exe";
    const char* const kReal = "<dir>\\unregist\\Quillfind.exe";
    const char* const kRealY = "<dir>\\qf\\x\\unregist y\\Quillfind.exe";
    const struct {
        const char* line;
        bool removal;
        const char* program; // kProgram when null
    } cases[] = {
        // How uninstallers, Run entries and shortcuts start the program.
        {"/UNREGIST", true},
        {"\"C:\\Program Files\\unregist\\Quillfind.exe\" /unregist", true},
        {"C:/Program Files/unregist/Quillfind.exe", false},
        {"C:/tools/unregister/Quillfind.exe", false, "C:\\tools\\unregister\\Quillfind.exe"},
        {"Quillfind.exe x/UNREGISTx", true},
        // Any letter case, glued into other text, after any name.
        {"q.exe /unregist", true},
        {"q.exe /UnRegist", true},
        {"q.exe /UNREGISTER", true},
        {"q.exe\t/unregist", true},
        {"quillfind.exe -x /unregist", true},
        {"c:\\program files\\UNREGIST\\quillfind.exe /UnRegist /S", true},
        {"\"c:/PROGRAM FILES/unregist/quillfind.EXE\"/unregist", true},
        // Only the program's own path is skipped: another one, a path that
        // runs on past it, or an unclosed quote is searched whole.
        {"C:/tools/unregister/Quillfind.exe", true, "C:\\other\\Quillfind.exe"},
        {"C:/Program Files/unregist/Quillfind.exe/x", true},
        {"\"C:/Program Files/unregist/Quillfind.exe", true},
        {"C:/unregist/q.exe", true, ""},
        // A trail byte 0x5C is no separator, and stays out of the slash rule.
        {"C:\\表\\ソ/unregist.exe", false, "c:\\表\\ソ\\UNREGIST.EXE"},
        {"C:\\表\\quillfind.exe 表/UNREGIST", true},
        {"", false},
        {"q.exe -UNREGIST", false},
        {"q.exe UNREGIST", false},
        {"C:\\x\\quillfind.exe \\UNREGIST", false},
        {"q.exe /UNREGIS", false},
        {"q.exe / UNREGIST", false},
        // Full-width letters are other characters, not the switch.
        {"q.exe ／ＵＮＲＥＧＩＳＴ", false},
        // The program's own file spelled as Windows still starts it: without
        // ".exe" (with or without the program given apart, the line is the
        // same), through "." and "..", doubled or device-prefixed, relative to
        // the current folder, by its 8.3 name; its module path made long too.
        {"<dir>/unregist/Quillfind", false, kReal},
        {"\"<dir>/qf/x/unregist y/Quillfind\"", false, kRealY},
        {"<dir>/unregist/./Quillfind.exe", false, kReal},
        {"<dir>/qf/../unregist/Quillfind.exe", false, kReal},
        {"<dir>//unregist//Quillfind.exe", false, kReal},
        {"//?/<dir>/unregist/Quillfind.exe", false, kReal},
        {"../unregist/Quillfind.exe", false, kReal},
        {"\"x/unregist y/Quillfind.exe\"", false, kRealY},
        {"表/unregist/Quillfind.exe", false, "<dir>\\qf\\表\\unregist\\Quillfind.exe"},
        {"<dir>/unregist/<short>", false, kReal},
        {"<dir>/unregist/Quillfind.exe", false, "\\\\?\\<dir>\\unregist\\<short>"},
        {"../unregist/Quillfind /UNREGIST", true, kReal},
        {"<dir>/unregist/Quillfind.com", true, kReal},
    };
    const CProgramFolders folders;
    for (const auto& c : cases) {
        const CString line = folders.Expand(c.line);
        EXPECT_EQ(HasRemovalSwitch(line, folders.Expand(c.program ? c.program : kProgram)),
                  c.removal)
            << line;
    }
    EXPECT_FALSE(HasRemovalSwitch(nullptr, kProgram));
}

namespace {
bool SwitchIn(const char* line)
{
    return HasRemovalSwitch(line, "C:\\x\\quillfind.exe");
}
} // namespace

TEST(RemovalSwitch, SlashRightAfterALeadByteIsPartOfThatCharacter)
{
    // Under code page 932 a lead byte takes the next byte with it, whatever
    // it is, so a slash there is no character of its own. Under a single-byte
    // code page the same bytes are separate characters and the switch stands.
    const bool bDbcs = IsCodePage932();
    EXPECT_EQ(!bDbcs, SwitchIn("q.exe \x81/UNREGIST"));
    EXPECT_EQ(!bDbcs, SwitchIn("q.exe x\x9F/unregist"));
    EXPECT_EQ(!bDbcs, SwitchIn("C:\\x\\quillfind.exe \xE0/UNREGIST"));
    // The characters are counted from the start of the search: two lead bytes
    // make one character, so the slash after them is free; a third lead byte
    // takes the slash again.
    EXPECT_TRUE(SwitchIn("q.exe \x81\x81/UNREGIST"));
    EXPECT_EQ(!bDbcs, SwitchIn("q.exe \x81\x81\x81/UNREGIST"));
    // A captured slash does not hide a later, free one.
    EXPECT_TRUE(SwitchIn("q.exe \x81/UNREGIST /UNREGIST"));
    // A lead byte at the very end of the line is harmless.
    EXPECT_TRUE(SwitchIn("q.exe /UNREGIST\x81"));
    EXPECT_FALSE(SwitchIn("q.exe UNREGIST\x81"));
}

TEST(RemovalSwitch, UpperCasingLeavesTrailBytesAlone)
{
    // The line is upper-cased before the search; a lower-case letter that is
    // the trail byte of a double-byte character must keep its byte, or the
    // character would turn into another one.
    CString line("\x83u\x83p/unregist");
    line.MakeUpper();
    if (IsCodePage932())
        EXPECT_STREQ("\x83u\x83p/UNREGIST", line);
    else
        EXPECT_STREQ("\x83U\x83P/UNREGIST", line);
    EXPECT_TRUE(SwitchIn("q.exe \x83u\x83p/unregist"));
}
