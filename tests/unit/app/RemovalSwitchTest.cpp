// The start-up test for the uninstaller's switch: found anywhere in the
// arguments, in any letter case, but never in the program's own name and
// never starting inside a double-byte character of the ANSI code page.
#include <gtest/gtest.h>

#include "TestSupport.h"

#include "app/RemovalSwitch.h"
#include "framework/String.h"

#include <windows.h>

TEST(RemovalSwitch, FoundInAnyCaseAnywhereInTheArgumentsButNeverInTheProgramName)
{
    const struct {
        const char* line;
        bool removal;
    } cases[] = {
        {"q.exe /unregist", true},
        {"q.exe /UnRegist", true},
        {"q.exe /UNREGIST", true},
        {"q.exe /UNREGISTER", true},
        {"q.exe x/UNREGISTx", true},
        {"C:\\x\\quillfind.exe /unregist", true},
        {"\"C:\\Program Files\\Qf\\quillfind.exe\" /UnRegist /S", true},
        {"quillfind.exe -x /unregist", true},
        {"q.exe\t/unregist", true},
        // A quoted name ends at its quote, even with no space after it.
        {"\"C:\\x\\q.exe\"/unregist", true},
        // After a double-byte character whose trail byte is a backslash the
        // slash stands on a character boundary.
        {"C:\\表\\quillfind.exe 表/UNREGIST", true},
        {"C:\\表\\ソ.exe ｱ/unregist", true},
        // The program's own path is not searched, quoted or not, whatever
        // its slashes.
        {"C:/unregist/quillfind.exe", false},
        {"C:/tools/unregister/Quillfind.exe -x", false},
        {"\"C:/my tools/unregister/Quillfind.exe\"", false},
        {"\"C:/a b/unregist/q.exe\" /unregis", false},
        {"C:\\表\\ソ/unregist", false},
        {"\"C:/x /unregist", false}, // an unclosed quote takes the whole line
        {"/unregist", false},
        {"", false},
        {"q.exe -UNREGIST", false},
        {"q.exe UNREGIST", false},
        {"q.exe unregist", false},
        {"C:\\x\\quillfind.exe", false},
        {"C:\\x\\quillfind.exe -unregist", false},
        {"C:\\x\\quillfind.exe \\UNREGIST", false},
        {"q.exe /UNREGIS", false},
        {"q.exe / UNREGIST", false},
        {"q.exe //UN REGIST", false},
        {"q.exe /nonsense -x --help", false},
        // Full-width letters are other characters, not the switch.
        {"q.exe ／ＵＮＲＥＧＩＳＴ", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HasRemovalSwitch(c.line), c.removal) << c.line;
    EXPECT_FALSE(HasRemovalSwitch(nullptr));
}

TEST(RemovalSwitch, SlashRightAfterALeadByteIsPartOfThatCharacter)
{
    // Under code page 932 a lead byte takes the next byte with it, whatever
    // it is, so a slash there is no character of its own. Under a single-byte
    // code page the same bytes are separate characters and the switch stands.
    const bool bDbcs = IsCodePage932();
    EXPECT_EQ(!bDbcs, HasRemovalSwitch("q.exe \x81/UNREGIST"));
    EXPECT_EQ(!bDbcs, HasRemovalSwitch("q.exe x\x9F/unregist"));
    EXPECT_EQ(!bDbcs, HasRemovalSwitch("C:\\x\\quillfind.exe \xE0/UNREGIST"));
    // The characters are counted from the start of the arguments: two lead bytes
    // make one character, so the slash after them is free; a third lead byte
    // takes the slash again.
    EXPECT_TRUE(HasRemovalSwitch("q.exe \x81\x81/UNREGIST"));
    EXPECT_EQ(!bDbcs, HasRemovalSwitch("q.exe \x81\x81\x81/UNREGIST"));
    // A captured slash does not hide a later, free one.
    EXPECT_TRUE(HasRemovalSwitch("q.exe \x81/UNREGIST /UNREGIST"));
    // A lead byte at the very end of the line is harmless.
    EXPECT_TRUE(HasRemovalSwitch("q.exe /UNREGIST\x81"));
    EXPECT_FALSE(HasRemovalSwitch("q.exe UNREGIST\x81"));
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
    EXPECT_TRUE(HasRemovalSwitch("q.exe \x83u\x83p/unregist"));
}
