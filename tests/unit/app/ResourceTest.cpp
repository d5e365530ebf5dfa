#include <gtest/gtest.h>

#include "res/resource.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

std::string Resource(LPCSTR type, int id)
{
    HMODULE hModule = GetModuleHandleA(nullptr);
    HRSRC hRes = FindResourceA(hModule, MAKEINTRESOURCEA(id), type);
    if (!hRes)
        return {};
    const char* p = static_cast<const char*>(LockResource(LoadResource(hModule, hRes)));
    return std::string(p, SizeofResource(hModule, hRes));
}

// Width and bits per pixel of an icon image: a bitmap, or PNG (RGBA only).
std::pair<int, int> ImageFormat(const std::string& image)
{
    if (image.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0 && image.size() > 25) {
        const auto* p = reinterpret_cast<const unsigned char*>(image.data());
        return {p[16] << 24 | p[17] << 16 | p[18] << 8 | p[19], p[25] == 6 ? 32 : 0};
    }
    BITMAPINFOHEADER bih = {};
    std::memcpy(&bih, image.data(), std::min(image.size(), sizeof(bih)));
    return {bih.biWidth, bih.biBitCount};
}

} // namespace

// The image the system takes for each size it asks for is drawn at that size,
// 32-bit with alpha.
TEST(Resources, IconsHoldEverySizeIn32Bit)
{
    const struct {
        int nId, nLargest;
    } icons[] = {{IDR_MAINFRAME, 256}, {IDI_TRAY, 48}};
    for (const auto& icon : icons) {
        std::string dir = Resource(RT_GROUP_ICON, icon.nId);
        ASSERT_FALSE(dir.empty()) << icon.nId;
        for (int size : {16, 20, 24, 32, 48, 256}) {
            if (size > icon.nLargest)
                continue;
            int nImage = LookupIconIdFromDirectoryEx(reinterpret_cast<BYTE*>(&dir[0]), TRUE, size,
                                                     size, LR_DEFAULTCOLOR);
            EXPECT_EQ(ImageFormat(Resource(RT_ICON, nImage)), std::make_pair(size, 32))
                << "icon " << icon.nId << " at " << size;
        }
    }
}

// The manifest and the version resource carry one version, above 1.0.0.1
// (the last release's manifest), and the manifest asks for no elevation.
TEST(Resources, OneVersionAboveTheLastRelease)
{
    const std::string block = Resource(RT_VERSION, 1);
    const DWORD kSignature = 0xFEEF04BD; // the fixed part's first member
    const size_t at = block.find(std::string(reinterpret_cast<const char*>(&kSignature), 4));
    ASSERT_TRUE(at != std::string::npos && at + sizeof(VS_FIXEDFILEINFO) <= block.size());
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, block.data() + at, sizeof(fixed));
    const unsigned long long version =
        static_cast<unsigned long long>(fixed.dwFileVersionMS) << 32 | fixed.dwFileVersionLS;
    EXPECT_GT(version, 0x0001000000000001ULL);
    EXPECT_EQ(fixed.dwProductVersionMS, fixed.dwFileVersionMS);
    EXPECT_EQ(fixed.dwProductVersionLS, fixed.dwFileVersionLS);

    const std::string manifest = Resource(RT_MANIFEST, 1);
    const std::string text = std::to_string(HIWORD(fixed.dwFileVersionMS)) + "." +
                             std::to_string(LOWORD(fixed.dwFileVersionMS)) + "." +
                             std::to_string(HIWORD(fixed.dwFileVersionLS)) + "." +
                             std::to_string(LOWORD(fixed.dwFileVersionLS));
    EXPECT_NE(manifest.find("name=\"Vornelix.Quillfind\" version=\"" + text + "\""),
              std::string::npos)
        << manifest;
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
}
