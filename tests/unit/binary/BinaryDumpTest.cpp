// The debug listing, byte for byte, and the box it is shown in.
#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>
#include <thread>

#include "BinaryTestBytes.h"

namespace {

// The column's stand-in for bytes that do not print.
std::string Dots(int nCount)
{
    return std::string(static_cast<size_t>(nCount), '\xA5');
}

std::string Hex(const void* p)
{
    std::ostringstream out;
    out << std::uppercase << std::hex << std::setfill('0') << std::setw(sizeof(void*) * 2)
        << reinterpret_cast<uintptr_t>(p);
    return out.str();
}

// The header of an unlocked substance.
std::string Header(const CBinary& bin)
{
    return "T\n\nbuff = " + Hex(bin.GetData()) + ", length = " + std::to_string(bin.GetLength()) +
           ", Free, focus[-1][-1], substance\n\n";
}

} // namespace

TEST(BinaryDump, ListsTheWholeBlockSixteenBytesARow)
{
    const std::string kSixteen("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F",
                               16);
    const char* kRow0 = "  00000000  00 01 02 03 04 05 06 07  08 09 0A 0B 0C 0D 0E 0F  ";
    const CBinary empty;
    const CBinary sixteen = Unlocked(kSixteen);
    const CBinary seventeen = Unlocked(kSixteen + "A");
    const CBinary column = Unlocked("\x41\x0A\x7F\x80");
    const std::string kPadding = " 00 00 00 00  00 00 00 00 00 00 00 00  ";
    struct Case {
        const CBinary& bin;
        std::string strExpected;
    } cases[] = {
        {empty, Header(empty)},
        {sixteen, Header(sixteen) + Hex(sixteen.GetData()) + kRow0 + Dots(16) + "\n"},
        {seventeen, Header(seventeen) + Hex(seventeen.GetData()) + kRow0 + Dots(16) + "\n" +
                        Hex(seventeen.GetData() + 16) + "  00000010  41 00 00 00" + kPadding + "A" +
                        Dots(15) + "\n"},
        {column, Header(column) + Hex(column.GetData()) + "  00000000  41 0A 7F 80" + kPadding +
                     "A" + Dots(1) + "\x7F" + Dots(13) + "\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bin.GetLength());
        EXPECT_EQ(c.strExpected, c.bin.GetDumpText("T").str());
    }
}

TEST(BinaryDump, AFixedViewListsItsSubstancesWholeBlock)
{
    CBinary sub = Unlocked("ABCDEFGHIJ");
    CBinary open = sub.Focus(2);
    const CBinary view = open.Focus(3);
    EXPECT_EQ("T\n\nbuff = " + Hex(sub.GetData()) +
                  ", length = 10, Locked, focus[2][3], virtual\n\n" + Hex(sub.GetData()) +
                  "  00000000  41 42 43 44 45 46 47 48  49 4A 00 00 00 00 00 00  ABCDEFGHIJ" +
                  Dots(6) + "\n",
              view.GetDumpText("T").str());
    EXPECT_NE(std::string::npos, sub.GetDumpText("T").str().find(", substance\n\n"));
}

TEST(BinaryDump, ShowsTheTextInAMessageBox)
{
    const CBinary bin = Unlocked("Quill\n");
    const DWORD dwThread = GetCurrentThreadId();
    std::string strShown;
    std::thread watcher([&] {
        for (int i = 0; i < 1000; ++i) {
            // The box of this thread only: other programs may show theirs.
            HWND hBox = nullptr;
            do
                hBox = FindWindowExA(nullptr, hBox, nullptr, "CBinary dumping");
            while (hBox && GetWindowThreadProcessId(hBox, nullptr) != dwThread);
            if (hBox) {
                char szText[512] = {};
                GetDlgItemTextA(hBox, 0xFFFF, szText, sizeof(szText));
                strShown = szText;
                PostMessageA(hBox, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(10);
        }
    });
    bin.Dump("title");
    watcher.join();
    EXPECT_EQ(bin.GetDumpText("title").str(), strShown);
}
