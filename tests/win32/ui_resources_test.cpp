// The resources every window exe carries besides the dialogs: the manifest, the version block,
// the icons and the tray menu.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// One line per item of a menu and its sub-menus, depth first: depth, position, then the command
// id, "popup" or "separator", and the text.
void Flatten(HMENU menu, int depth, std::vector<std::string>& lines) {
  for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
    char text[64] = {};
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    item.dwTypeData = text;
    item.cch = sizeof text;
    ASSERT_TRUE(::GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &item));
    std::string kind = (item.fType & MFT_SEPARATOR) != 0 ? "separator"
                       : item.hSubMenu != nullptr        ? "popup"
                                                         : std::to_string(item.wID);
    lines.push_back(std::to_string(depth) + " " + std::to_string(i) + " " + kind + " " + text);
    if (item.hSubMenu != nullptr) Flatten(item.hSubMenu, depth + 1, lines);
  }
}

TEST(UiResources, TrayMenuHoldsEveryItemWithItsMnemonicAndCommand) {
  HMENU menu = ::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(134));
  ASSERT_NE(menu, nullptr);
  std::vector<std::string> lines;
  Flatten(menu, 0, lines);
  const std::vector<std::string> expected = {
      "0 0 popup _POPUP_",
      "1 0 32771 &Show Varistep Monitor",
      "1 1 separator ",
      "1 2 popup &Varistep Mode Selection",
      "2 0 32776 Per&formance",
      "2 1 32777 &Economy",
      "2 2 32779 Manual &Selection...",
      "1 3 32780 CPU &Information...",
      "1 4 32772 &Properties...",
      "1 5 32778 &Help...",
      "1 6 32773 &About...",
      "1 7 separator ",
      "1 8 32774 &Close",
  };
  EXPECT_EQ(lines, expected);
  ::DestroyMenu(menu);
}

}  // namespace
