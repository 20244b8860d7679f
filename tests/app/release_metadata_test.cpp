// What Explorer and the installer read from the built tavrolin.exe: the version resource
// (Properties > Details) and the icon's images, read back through the system's own readers.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/resource.h"
#include "common/texts.h"
#include "common/version.h"
#include "support/program.h"

namespace {

#define WIDEN_(s) L##s
#define WIDEN(s) WIDEN_(s)

std::vector<BYTE> VersionBlock(const std::wstring& file) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
    std::vector<BYTE> block(size);
    if (!size || !::GetFileVersionInfoW(file.c_str(), 0, size, block.data())) block.clear();
    return block;
}

std::wstring VersionString(std::vector<BYTE>& block, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
    if (!::VerQueryValueW(block.data(), query.c_str(), &value, &length) || !value) return L"<missing>";
    return std::wstring(static_cast<const wchar_t*>(value));
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colors, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

}  // namespace

TEST(ReleaseMetadata, VersionResourceNamesTheProductAndTheVersionTheTitleShows) {
    std::vector<BYTE> block = VersionBlock(testing_program::ProgramPath());
    ASSERT_FALSE(block.empty()) << "no version resource, error " << ::GetLastError();

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    const DWORD high = MAKELONG(TAVROLIN_VERSION_MINOR, TAVROLIN_VERSION_MAJOR);
    const DWORD low = MAKELONG(TAVROLIN_VERSION_BUILD, TAVROLIN_VERSION_PATCH);
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);

    // One translation: Chinese (PRC), Unicode.
    WORD* translation = nullptr;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                                 &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0804);
    EXPECT_EQ(translation[1], 1200);

    const std::wstring shown = L"V" WIDEN(TAVROLIN_VERSION_SHORT);
    EXPECT_NE(std::wstring(texts::kMainTitle).find(L"Tavrolin " + shown + L" "), std::wstring::npos);
    EXPECT_NE(std::wstring(texts::kAboutText).find(L"版本：" + shown + L"\r\n"), std::wstring::npos);
    const std::wstring full = WIDEN(TAVROLIN_VERSION_FULL);
    ASSERT_EQ(full.rfind(shown.substr(1) + L".", 0), 0u) << full;

    const std::pair<const wchar_t*, std::wstring> expected[] = {
        {L"CompanyName", texts::kVendorName},
        {L"ProductName", L"Tavrolin"},
        {L"FileVersion", full},
        {L"ProductVersion", full},
        {L"LegalCopyright", L"版权所有 © 2026 青木办公软件"},
        {L"OriginalFilename", L"tavrolin.exe"},
    };
    for (const auto& [name, value] : expected) EXPECT_EQ(VersionString(block, name), value) << name;
    EXPECT_NE(VersionString(block, L"FileDescription"), L"<missing>");
    EXPECT_NE(std::wstring(texts::kAboutText).find(VersionString(block, L"LegalCopyright")), std::wstring::npos)
        << "the About box and the file's properties name the same holder";
}

TEST(ReleaseMetadata, IconHoldsEverySizeInThirtyTwoBitsWithAlpha) {
    HMODULE program = ::LoadLibraryExW(testing_program::ProgramPath().c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(program, nullptr) << ::GetLastError();
    HRSRC group = ::FindResourceW(program, MAKEINTRESOURCEW(IDR_MAINFRAME), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const auto* dir = static_cast<const WORD*>(::LockResource(::LoadResource(program, group)));
    ASSERT_EQ(dir[1], 1) << "an icon group";
    const auto* entries = reinterpret_cast<const GroupIconEntry*>(dir + 3);

    std::set<int> sizes;
    for (WORD i = 0; i < dir[2]; ++i) {
        const GroupIconEntry& e = entries[i];
        const int size = e.width ? e.width : 256;
        sizes.insert(size);
        EXPECT_EQ(e.bitCount, 32) << size << " px";
        HRSRC image = ::FindResourceW(program, MAKEINTRESOURCEW(e.id), RT_ICON);
        ASSERT_NE(image, nullptr) << size << " px";
        const DWORD bytes = ::SizeofResource(program, image);
        const auto* data = static_cast<const BYTE*>(::LockResource(::LoadResource(program, image)));
        ASSERT_EQ(bytes, e.bytes);

        if (std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0) {
            // IHDR: big-endian width and height, then 8 bits per channel, colour type 6 (RGBA).
            auto be32 = [&](int at) { return data[at] << 24 | data[at + 1] << 16 | data[at + 2] << 8 | data[at + 3]; };
            EXPECT_EQ(be32(16), size);
            EXPECT_EQ(be32(20), size);
            EXPECT_EQ(data[24], 8);
            EXPECT_EQ(data[25], 6) << size << " px PNG without alpha";
        } else {
            const auto* info = reinterpret_cast<const BITMAPINFOHEADER*>(data);
            EXPECT_EQ(info->biWidth, size);
            EXPECT_EQ(info->biHeight, 2 * size) << "picture and mask";
            EXPECT_EQ(info->biBitCount, 32);
            // Bottom-up BGRA: the rounded tile leaves the corner transparent, the middle is opaque.
            const BYTE* pixels = data + info->biSize;
            auto alpha = [&](int x, int y) { return pixels[((size - 1 - y) * size + x) * 4 + 3]; };
            EXPECT_EQ(alpha(0, 0), 0) << size << " px";
            EXPECT_EQ(alpha(size / 2, size / 2), 255) << size << " px";
        }

        // The system's own decoder takes every image, the compressed one included.
        HICON icon = ::CreateIconFromResourceEx(const_cast<BYTE*>(data), bytes, TRUE, 0x00030000, size, size, 0);
        EXPECT_NE(icon, nullptr) << size << " px";
        if (icon) ::DestroyIcon(icon);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 24, 32, 48, 64, 256}));
    ::FreeLibrary(program);
}
