// The DLLs the setup program uses beyond the four every Windows loads from its own folder
// (kernel32, user32, gdi32, advapi32): loaded by their full path in the system folder, never by
// name, so that a DLL of the same name in the folder the setup was started from (a downloads
// folder) or beside the uninstaller's copy is never loaded.
#pragma once

#include <windows.h>

#include <shlobj.h>

namespace setup {

struct SystemDllFunctions {
  void(WINAPI* InitCommonControls)();
  HRESULT(WINAPI* CoInitialize)(LPVOID);
  void(WINAPI* CoUninitialize)();
  HRESULT(WINAPI* CoCreateInstance)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
  HRESULT(WINAPI* SHGetSpecialFolderLocation)(HWND, int, LPITEMIDLIST*);
  BOOL(WINAPI* SHGetPathFromIDListA)(LPCITEMIDLIST, LPSTR);
  HRESULT(WINAPI* SHGetMalloc)(IMalloc**);
  LPITEMIDLIST(WINAPI* SHBrowseForFolderA)(LPBROWSEINFOA);
};

// Loads them all, msvcrt first for the printf of FormatText; false, with the file that failed in
// `missing`, when one cannot be loaded or lacks a function. Before it, FormatText writes "".
bool LoadSystemDlls(char (&missing)[MAX_PATH]);
// Valid once LoadSystemDlls succeeded.
const SystemDllFunctions& Dlls();

}  // namespace setup
