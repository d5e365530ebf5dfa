#include <gtest/gtest.h>

#include "res/resource.h"

#include <windows.h>

#include <cstring>
#include <set>
#include <string>
#include <utility>

namespace {

std::string Resource(LPCSTR type, int id)
{
    HMODULE hModule = GetModuleHandleA(nullptr);
    HRSRC hRes = FindResourceA(hModule, MAKEINTRESOURCEA(id), type);
    const char* p = hRes ? static_cast<const char*>(LockResource(LoadResource(hModule, hRes))) : "";
    return std::string(p, hRes ? SizeofResource(hModule, hRes) : 0);
}

} // namespace

// Icons 128 and 129 hold an image for every size a desktop asks for, 32-bit
// with alpha: the icon directory's 14-byte entries after its 6-byte head.
TEST(Resources, IconsHoldEverySizeIn32Bit)
{
    const struct {
        int nId, nLargest;
    } icons[] = {{IDR_MAINFRAME, 256}, {IDI_TRAY, 48}};
    for (const auto& icon : icons) {
        std::set<std::pair<int, int>> expected, sizes; // width, bits per pixel
        for (int size : {16, 20, 24, 32, 48, 256})
            if (size <= icon.nLargest)
                expected.insert({size, 32});
        const std::string dir = Resource(RT_GROUP_ICON, icon.nId);
        for (size_t at = 6; at + 14 <= dir.size(); at += 14) {
            const int width = static_cast<unsigned char>(dir[at]);
            sizes.insert({width ? width : 256, dir[at + 6]});
        }
        EXPECT_EQ(sizes, expected) << "icon " << icon.nId;
    }
}

// The version resource and the manifest carry one version, above 1.0.0.1 (the
// last release's manifest), and the manifest asks for no elevation.
TEST(Resources, OneVersionAboveTheLastRelease)
{
    const std::string block = Resource(RT_VERSION, 1);
    const DWORD kSignature = 0xFEEF04BD; // the fixed part's first member
    const size_t at = block.find(std::string(reinterpret_cast<const char*>(&kSignature), 4));
    ASSERT_TRUE(at != std::string::npos && at + sizeof(VS_FIXEDFILEINFO) <= block.size());
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, block.data() + at, sizeof(fixed));
    EXPECT_GT(static_cast<unsigned long long>(fixed.dwFileVersionMS) << 32 | fixed.dwFileVersionLS,
              0x0001000000000001ULL);
    const std::string version = std::to_string(HIWORD(fixed.dwFileVersionMS)) + "." +
                                std::to_string(LOWORD(fixed.dwFileVersionMS)) + "." +
                                std::to_string(HIWORD(fixed.dwFileVersionLS)) + "." +
                                std::to_string(LOWORD(fixed.dwFileVersionLS));
    const std::string manifest = Resource(RT_MANIFEST, 1);
    EXPECT_NE(manifest.find("Quillfind\" version=\"" + version + "\""), std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
}
