// The program's Windows resource script, compiled by windres into this test: the icon, the
// dialogs, the version information and the manifest as the executable will carry them.

#include "resources/resource.h"

#include <gtest/gtest.h>

// std
#include <string>
#include <vector>

// clang-format off
#include <windows.h> // first: the other Windows headers need its types
#include <winver.h>
// clang-format on

namespace {

std::string ResourceText(const wchar_t* type, int id)
{
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
    if (!found)
        return {};
    HGLOBAL loaded = LoadResource(nullptr, found);
    const auto* data = static_cast<const char*>(LockResource(loaded));
    return data ? std::string(data, SizeofResource(nullptr, found)) : std::string();
}

std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name)
{
    const std::wstring path = std::wstring(L"\\StringFileInfo\\041904b0\\") + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || !value)
        return {};
    return std::wstring(static_cast<const wchar_t*>(value));
}

TEST(WindowsResources, IconIs107WithOne128PixelImageOf32BitColour)
{
    // The icon group: a 6-byte header (reserved, type, count), then 14-byte entries.
    const std::string group = ResourceText(MAKEINTRESOURCEW(14), IDI_VORLEND);
    ASSERT_GE(group.size(), 6u + 14u);
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(group[i]); };
    const auto wordAt = [&](std::size_t i) { return byteAt(i) | byteAt(i + 1) << 8; };
    EXPECT_EQ(wordAt(2), 1); // icons
    ASSERT_EQ(wordAt(4), 1); // one image
    EXPECT_EQ(byteAt(6), 128);
    EXPECT_EQ(byteAt(7), 128);
    EXPECT_EQ(wordAt(6 + 6), 32); // bits per pixel

    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_VORLEND));
    EXPECT_NE(icon, nullptr);
}

TEST(WindowsResources, DialogsAndEmblemArePresent)
{
    EXPECT_NE(FindResourceW(nullptr, MAKEINTRESOURCEW(IDD_PROGRESS), MAKEINTRESOURCEW(5)), nullptr);
    EXPECT_NE(FindResourceW(nullptr, MAKEINTRESOURCEW(IDD_ABOUTBOX), MAKEINTRESOURCEW(5)), nullptr);
    EXPECT_NE(FindResourceW(nullptr, MAKEINTRESOURCEW(IDB_EMBLEM), MAKEINTRESOURCEW(2)), nullptr);
}

TEST(WindowsResources, VersionInformationNamesTheProgram)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    DWORD unused = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &unused);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 2));
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);

    EXPECT_EQ(VersionString(block, L"FileDescription"), L"VORLEND RADIO SOFTWARE VER2.0");
    EXPECT_EQ(VersionString(block, L"ProductName"), L"VORLEND RADIO SOFTWARE VER2.0");
    EXPECT_EQ(VersionString(block, L"FileVersion"), L"2.0.0.0");
    EXPECT_EQ(VersionString(block, L"ProductVersion"), L"2.0");
    EXPECT_EQ(VersionString(block, L"InternalName"), L"VORLEND.exe");
    EXPECT_EQ(VersionString(block, L"OriginalFilename"), L"VORLEND.exe");
}

TEST(WindowsResources, ManifestAsksForCommonControls6AsInvokerAndDpiAwareness)
{
    const std::string manifest = ResourceText(MAKEINTRESOURCEW(24), 1);
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find("<dpiAware"), std::string::npos);
}

} // namespace
