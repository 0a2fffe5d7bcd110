// The resources every window exe carries besides the dialogs: the manifest, the version block
// and the icons.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "resources/resource.h"

namespace {

std::string ResourceBytes(LPCSTR name, LPCSTR type) {
  HRSRC found = ::FindResourceA(nullptr, name, type);
  if (found == nullptr) return std::string();
  const char* data = static_cast<const char*>(::LockResource(::LoadResource(nullptr, found)));
  return std::string(data, ::SizeofResource(nullptr, found));
}

std::string Utf16(const std::string& text) {
  std::string wide;
  for (char c : text) {
    wide += c;
    wide += '\0';
  }
  return wide;
}

TEST(UiResources, ManifestAsksForCommonControls6AsInvokerAndNoDpiAwareness) {
  const std::string manifest =
      ResourceBytes(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
  ASSERT_FALSE(manifest.empty());
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos);
#ifdef _WIN64
  const char* const arch = "processorArchitecture=\"amd64\" publicKeyToken=\"6595b64144ccf1df\"";
#else
  const char* const arch = "processorArchitecture=\"x86\" publicKeyToken=\"6595b64144ccf1df\"";
#endif
  EXPECT_NE(manifest.find(arch), std::string::npos);
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
  EXPECT_EQ(manifest.find("dpiAware"), std::string::npos);
  EXPECT_EQ(manifest.find("dpiAwareness"), std::string::npos);
}

TEST(UiResources, VersionBlockNamesTheProductAndTheMaker) {
  const std::string version = ResourceBytes(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));
  ASSERT_FALSE(version.empty());
  const std::string signature("\xBD\x04\xEF\xFE", 4);
  const size_t fixed = version.find(signature);
  ASSERT_NE(fixed, std::string::npos);
  VS_FIXEDFILEINFO info = {};
  ASSERT_LE(fixed + sizeof info, version.size());
  memcpy(&info, version.data() + fixed, sizeof info);
  EXPECT_EQ(info.dwFileVersionMS, 90u);  // 0.90
  EXPECT_EQ(info.dwProductVersionMS, 90u);
  EXPECT_EQ(info.dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_NE(version.find(Utf16("CompanyName")), std::string::npos);
  EXPECT_NE(version.find(Utf16("Corvalith")), std::string::npos);
  EXPECT_NE(version.find(Utf16("ProductName")), std::string::npos);
  EXPECT_NE(version.find(Utf16("Varistep Monitor")), std::string::npos);
}

TEST(UiResources, EveryIconHasA32And16PixelImageIn16Colours) {
  for (int id : {IDI_APPLICATION_ICON, IDI_SPEED_1, IDI_SPEED_2, IDI_SPEED_3, IDI_SPEED_4,
                 IDI_SPEED_5, IDI_SPEED_6, IDI_SPEED_7, IDI_SPEED_IDLE}) {
    SCOPED_TRACE(id);
    const std::string group = ResourceBytes(MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14));
    ASSERT_EQ(group.size(), 6u + 2 * 14u);  // header and two entries
    const auto* bytes = reinterpret_cast<const unsigned char*>(group.data());
    EXPECT_EQ(bytes[4], 2);
    for (int entry = 0; entry < 2; ++entry) {
      const unsigned char* e = bytes + 6 + 14 * entry;
      const int size = entry == 0 ? 32 : 16;
      EXPECT_EQ(e[0], size);
      EXPECT_EQ(e[1], size);
      EXPECT_EQ(e[6] | e[7] << 8, 4);  // bits per pixel
    }
    for (int size : {16, 32}) {
      HANDLE icon = ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON,
                                 size, size, LR_SHARED);
      EXPECT_NE(icon, nullptr) << size;
    }
  }
}

}  // namespace
