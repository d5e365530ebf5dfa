// The start-up test for the uninstaller's switch: found anywhere in the
// command line, in any letter case, but never starting inside a double-byte
// character of the ANSI code page.
#include <gtest/gtest.h>

#include "TestSupport.h"

#include "app/RemovalSwitch.h"
#include "framework/String.h"

#include <windows.h>

TEST(RemovalSwitch, FoundInAnyCaseAnywhereInTheLine)
{
    const char* lines[] = {
        "/unregist",
        "/UnRegist",
        "/UNREGIST",
        "/UNREGISTER",
        "x/UNREGISTx",
        "C:\\x\\quillfind.exe /unregist",
        "\"C:\\Program Files\\Qf\\quillfind.exe\" /UnRegist /S",
        "quillfind.exe -x /unregist",
        // A folder written with forward slashes that holds the switch makes
        // every start of the program a removal.
        "C:/unregist/quillfind.exe",
        // After a double-byte character whose trail byte is a backslash the
        // slash stands on a character boundary.
        "C:\\表\\ソ/unregist",
        "C:\\表\\quillfind.exe 表/UNREGIST",
        "ｱ/unregist",
    };
    for (const char* pszLine : lines)
        EXPECT_TRUE(HasRemovalSwitch(pszLine)) << pszLine;
}

TEST(RemovalSwitch, WithoutTheSlashOrIncompleteTheNormalStartRuns)
{
    const char* lines[] = {
        "",
        "-UNREGIST",
        "UNREGIST",
        "unregist",
        "C:\\x\\quillfind.exe",
        "C:\\x\\quillfind.exe -unregist",
        "C:\\x\\quillfind.exe \\UNREGIST",
        "/UNREGIS",
        "/ UNREGIST",
        "//UN REGIST",
        "/nonsense -x --help",
        // Full-width letters are other characters, not the switch.
        "／ＵＮＲＥＧＩＳＴ",
    };
    for (const char* pszLine : lines)
        EXPECT_FALSE(HasRemovalSwitch(pszLine)) << pszLine;
    EXPECT_FALSE(HasRemovalSwitch(nullptr));
}

TEST(RemovalSwitch, SlashRightAfterALeadByteIsPartOfThatCharacter)
{
    // Under code page 932 a lead byte takes the next byte with it, whatever
    // it is, so a slash there is no character of its own. Under a single-byte
    // code page the same bytes are separate characters and the switch stands.
    const bool bDbcs = IsCodePage932();
    EXPECT_EQ(!bDbcs, HasRemovalSwitch("\x81/UNREGIST"));
    EXPECT_EQ(!bDbcs, HasRemovalSwitch("x\x9F/unregist"));
    EXPECT_EQ(!bDbcs, HasRemovalSwitch("C:\\x\\quillfind.exe \xE0/UNREGIST"));
    // The characters are counted from the start of the line: two lead bytes
    // make one character, so the slash after them is free; a third lead byte
    // takes the slash again.
    EXPECT_TRUE(HasRemovalSwitch("\x81\x81/UNREGIST"));
    EXPECT_EQ(!bDbcs, HasRemovalSwitch("\x81\x81\x81/UNREGIST"));
    // A captured slash does not hide a later, free one.
    EXPECT_TRUE(HasRemovalSwitch("\x81/UNREGIST /UNREGIST"));
    // A lead byte at the very end of the line is harmless.
    EXPECT_TRUE(HasRemovalSwitch("/UNREGIST\x81"));
    EXPECT_FALSE(HasRemovalSwitch("UNREGIST\x81"));
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
    EXPECT_TRUE(HasRemovalSwitch("\x83u\x83p/unregist"));
}
