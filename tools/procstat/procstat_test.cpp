// The counters behind procstat, checked against objects this test makes and frees, in its own
// process and through procstat.exe from another process.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ProcessObjects.h"

namespace {

procstat::GdiCounts OwnGdi() {
  procstat::GdiCounts counts;
  EXPECT_TRUE(procstat::ReadGdiCounts(::GetCurrentProcessId(), counts));
  return counts;
}

// Runs procstat.exe (built next to this test) on this process and returns its line.
std::string RunProcstat(const std::string& argument) {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string exe(path);
  exe = exe.substr(0, exe.find_last_of("\\/") + 1) + "procstat.exe";
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return "";
  ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION process = {};
  std::string command = "\"" + exe + "\" " + argument;
  BOOL started = ::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &startup, &process);
  ::CloseHandle(writeEnd);
  std::string output;
  if (started) {
    char buffer[256];
    DWORD got = 0;
    while (::ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) {
      output.append(buffer, got);
    }
    ::WaitForSingleObject(process.hProcess, 30000);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
  }
  ::CloseHandle(readEnd);
  return output;
}

// The first window, DC and font a process makes bring per-process objects with them (the display
// driver's surfaces, the IME window); make them before counting.
void WarmUp() {
  HWND window = ::CreateWindowExA(0, "STATIC", "warm", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
  HDC screen = ::GetDC(window);
  HDC memory = ::CreateCompatibleDC(screen);
  HFONT font = ::CreateFontA(-11, 0, 0, 0, 600, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
                             CLIP_TT_ALWAYS, DEFAULT_QUALITY, FF_SWISS, "Arial");
  HGDIOBJ old = ::SelectObject(memory, font);
  SIZE size;
  ::GetTextExtentPoint32A(memory, "warm", 4, &size);
  ::SelectObject(memory, old);
  ::DeleteObject(font);
  ::DeleteDC(memory);
  ::ReleaseDC(window, screen);
  ::DestroyWindow(window);
}

int Field(const std::string& line, const std::string& name) {
  size_t at = line.find(" " + name + "=");
  if (at == std::string::npos) return -2;
  return std::stoi(line.substr(at + name.size() + 2));
}

TEST(ProcstatGdi, CountsEachKindThisProcessMakesAndFrees) {
  WarmUp();
  procstat::GdiCounts before = OwnGdi();
  EXPECT_GT(before.stock, 0) << "the stock objects are in the table too";

  HPEN pens[3] = {::CreatePen(PS_SOLID, 0, RGB(1, 2, 3)), ::CreatePen(PS_DASH, 1, RGB(4, 5, 6)),
                  ::CreatePen(PS_SOLID, 2, RGB(7, 8, 9))};
  HBRUSH brush = ::CreateSolidBrush(RGB(9, 9, 9));
  HFONT font = ::CreateFontA(-11, 0, 0, 0, 600, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
                             CLIP_TT_ALWAYS, DEFAULT_QUALITY, FF_SWISS, "Arial");
  HDC memory = ::CreateCompatibleDC(nullptr);
  HBITMAP bitmap = ::CreateBitmap(8, 8, 1, 1, nullptr);
  HRGN region = ::CreateRectRgn(0, 0, 4, 4);

  procstat::GdiCounts during = OwnGdi();
  EXPECT_EQ(during.pen - before.pen, 3);
  EXPECT_EQ(during.brush - before.brush, 1);
  EXPECT_EQ(during.font - before.font, 1);
  EXPECT_EQ(during.dc - before.dc, 1);
  EXPECT_EQ(during.bitmap - before.bitmap, 1);
  EXPECT_EQ(during.region - before.region, 1);
  EXPECT_EQ(during.total - before.total, 8);
  EXPECT_EQ(during.stock, before.stock);

  for (HPEN pen : pens) ::DeleteObject(pen);
  ::DeleteObject(brush);
  ::DeleteObject(font);
  ::DeleteDC(memory);
  ::DeleteObject(bitmap);
  ::DeleteObject(region);
  procstat::GdiCounts after = OwnGdi();
  EXPECT_EQ(after.total, before.total);
  EXPECT_EQ(after.pen, before.pen);
}

TEST(ProcstatGdi, EntriesAreSortedByKindAndStockOnesKeptApart) {
  procstat::GdiCounts counts;
  procstat::GdiEntry entry = {};
  procstat::CountGdiEntry(entry, counts);  // a free entry
  EXPECT_EQ(counts.total + counts.stock, 0);
  entry.type = 0x10;
  entry.unique = 0x0130;  // pen, generation 1
  procstat::CountGdiEntry(entry, counts);
  entry.unique = 0x01b0;  // stock pen
  procstat::CountGdiEntry(entry, counts);
  entry.unique = 0x0741;  // memory DC
  procstat::CountGdiEntry(entry, counts);
  entry.unique = 0x0205;  // a surface
  procstat::CountGdiEntry(entry, counts);
  EXPECT_EQ(counts.pen, 1);
  EXPECT_EQ(counts.stock, 1);
  EXPECT_EQ(counts.dc, 1);
  EXPECT_EQ(counts.other, 1);
  EXPECT_EQ(counts.total, 3);
}

TEST(ProcstatUser, CountsWindowsWithTheirChildrenAndMessageOnlyOnes) {
  // Wine gives a thread with windows a hidden IME window too, made with the first window and
  // destroyed with the last: keep one window for the whole test.
  HWND keeper = ::CreateWindowExA(0, "STATIC", "keeper", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
  DWORD self = ::GetCurrentProcessId();
  int before = procstat::CountWindows(self);
  HWND top = ::CreateWindowExA(0, "STATIC", "procstat", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                               nullptr, nullptr);
  HWND child =
      ::CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, top, nullptr, nullptr, nullptr);
  ::CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, child, nullptr, nullptr, nullptr);
  HWND hidden =
      ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 5, 5, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(top, nullptr);
  ASSERT_NE(hidden, nullptr);
  EXPECT_EQ(procstat::CountWindows(self) - before, 4);
  ::DestroyWindow(hidden);
  ::DestroyWindow(top);
  EXPECT_EQ(procstat::CountWindows(self), before);
  ::DestroyWindow(keeper);
}

TEST(ProcstatUser, CountsThisProcessMenus) {
  int before = procstat::CountOwnMenus();
  HMENU bar = ::CreateMenu();
  HMENU popup = ::CreatePopupMenu();
  EXPECT_EQ(procstat::CountOwnMenus() - before, 2);
  ::DestroyMenu(bar);
  ::DestroyMenu(popup);
  EXPECT_EQ(procstat::CountOwnMenus(), before);
}

TEST(ProcstatTool, ReportsAnotherProcessByIdAndByName) {
  HPEN pen = ::CreatePen(PS_SOLID, 0, RGB(1, 1, 1));
  HWND top = ::CreateWindowExA(0, "STATIC", "procstat", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                               nullptr, nullptr);
  procstat::GdiCounts own = OwnGdi();
  std::string line = RunProcstat(std::to_string(::GetCurrentProcessId()));
  ASSERT_EQ(line.rfind("procstat pid=", 0), 0u) << line;
  EXPECT_EQ(Field(line, "pid"), static_cast<int>(::GetCurrentProcessId()));
  EXPECT_EQ(Field(line, "gdi"), own.total) << line;
  EXPECT_EQ(Field(line, "gdi_pen"), own.pen) << line;
  EXPECT_EQ(Field(line, "user_windows"), procstat::CountWindows(::GetCurrentProcessId())) << line;

  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name(path);
  name = name.substr(name.find_last_of("\\/") + 1);
  EXPECT_EQ(Field(RunProcstat(name), "pid"), static_cast<int>(::GetCurrentProcessId()));
  EXPECT_EQ(RunProcstat("no-such-program.exe").rfind("procstat: no process", 0), 0u);

  ::DestroyWindow(top);
  ::DeleteObject(pen);
}

}  // namespace
