// The start-up test for the uninstaller's switch: found anywhere in the line,
// in any letter case, but never in the program's own path and never starting
// inside a double-byte character of the ANSI code page.
#include <gtest/gtest.h>

#include "TestSupport.h"

#include "app/RemovalSwitch.h"
#include "framework/String.h"

#include <windows.h>

TEST(RemovalSwitch, FoundInAnyCaseAnywhereButInTheProgramsOwnPath)
{
    const char* const kProgram = "C:\\Program Files\\unregist\\Quillfind.exe";
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
    };
    for (const auto& c : cases)
        EXPECT_EQ(HasRemovalSwitch(c.line, c.program ? c.program : kProgram), c.removal) << c.line;
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
