#include "setup/SystemDlls.h"

#include <cstdarg>
#include <cstring>

// FormatText calls msvcrt's _vsnprintf through this import slot; the setup fills it from the
// msvcrt.dll of the system folder instead of importing it by name.
using VsnprintfFunction = int(__cdecl*)(char*, size_t, const char*, va_list);
extern "C" VsnprintfFunction vsnprintfSlot __asm__("__imp___vsnprintf");

namespace {

int __cdecl NoFormatting(char* text, size_t size, const char*, va_list) {
  if (size > 0) text[0] = '\0';
  return 0;
}

setup::SystemDllFunctions g_functions = {};

// The system folder's copy, and the dependencies it loads from there first.
HMODULE LoadFromSystem(const char* name, char (&path)[MAX_PATH]) {
  const UINT length = ::GetSystemDirectoryA(path, MAX_PATH);
  if (length == 0 || length + 1 + std::strlen(name) >= MAX_PATH) return nullptr;
  path[length] = '\\';
  std::memcpy(path + length + 1, name, std::strlen(name) + 1);
  return ::LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

template <class Function>
bool Take(HMODULE module, const char* name, Function& function) {
  function =
      module != nullptr
          ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)))
          : nullptr;
  return function != nullptr;
}

}  // namespace

extern "C" {
VsnprintfFunction vsnprintfSlot = &NoFormatting;
}

namespace setup {

bool LoadSystemDlls(char (&missing)[MAX_PATH]) {
  SystemDllFunctions& f = g_functions;
  HMODULE msvcrt = LoadFromSystem("msvcrt.dll", missing);
  VsnprintfFunction vsnprintf = nullptr;
  if (!Take(msvcrt, "_vsnprintf", vsnprintf)) return false;
  vsnprintfSlot = vsnprintf;
  // In the order of their dependencies: a DLL loaded later finds these already loaded.
  HMODULE comctl32 = LoadFromSystem("comctl32.dll", missing);
  if (!Take(comctl32, "InitCommonControls", f.InitCommonControls)) return false;
  HMODULE ole32 = LoadFromSystem("ole32.dll", missing);
  if (!Take(ole32, "CoInitialize", f.CoInitialize) ||
      !Take(ole32, "CoUninitialize", f.CoUninitialize) ||
      !Take(ole32, "CoCreateInstance", f.CoCreateInstance)) {
    return false;
  }
  HMODULE shell32 = LoadFromSystem("shell32.dll", missing);
  return Take(shell32, "SHGetSpecialFolderLocation", f.SHGetSpecialFolderLocation) &&
         Take(shell32, "SHGetPathFromIDListA", f.SHGetPathFromIDListA) &&
         Take(shell32, "SHGetMalloc", f.SHGetMalloc) &&
         Take(shell32, "SHBrowseForFolderA", f.SHBrowseForFolderA);
}

const SystemDllFunctions& Dlls() {
  return g_functions;
}

}  // namespace setup
