// Runs the unchanged VaristepMonitor.exe on an emulated Zephrin: the program is started under the
// debugging API, each of its CPUID instructions (found by the caller in a disassembly and given
// as --site RVA) becomes a breakpoint answered from the emulated driver's processor model, and its
// PCI port I/O, which faults without ring-0 rights, is emulated. Every other exception goes back
// to the program. The harness installs and starts the driver when "\\.\I2CDev" is missing, sets
// up the run (processor profile, faults), and at the end writes the driver's request log and what
// it answered to the report. Its exit status is the program's.
//
//   vs_harness [--profile NAME] [--refuse N] [--fail-open ERROR] [--report FILE]
//              --site RVA [--site RVA...] PROGRAM.exe
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "EmulatorProtocol.h"
#include "app/HostLoadReader.h"
#include "sim/SimProcessor.h"

namespace {

using namespace emulator;

constexpr int HarnessFailed = 120;  // not a status the program gives

struct Profile {
  const char* name;
  sim::Profile profile;
};
const Profile Profiles[] = {
    {"default", sim::Profile::Default},          {"sweep", sim::Profile::SweepOnly},
    {"absent", sim::Profile::VaristepAbsent},    {"wrong-vendor", sim::Profile::WrongVendor},
    {"psn-disabled", sim::Profile::PsnDisabled}, {"small-cache", sim::Profile::SmallCache},
    {"one-step", sim::Profile::OneStep},         {"too-many-steps", sim::Profile::TooManySteps},
};

struct Options {
  std::string profile = "default";
  ConfigureIn plan = {};
  uint32_t failOpen = 0;  // the error of a failed device open; 0: the open goes through
  std::vector<uintptr_t> sites;
  std::string report;
  std::string program;
};

[[noreturn]] void Fail(const char* what, DWORD error = 0) {
  if (error != 0) {
    std::fprintf(stderr, "harness: %s (error %lu)\n", what, static_cast<unsigned long>(error));
  } else {
    std::fprintf(stderr, "harness: %s\n", what);
  }
  std::exit(HarnessFailed);
}

std::string HereFile(const char* name) {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, sizeof path);
  char* slash = std::strrchr(path, '\\');
  if (slash != nullptr) slash[1] = '\0';
  return std::string(path) + name;
}

std::vector<char> ReadWhole(const std::string& path) {
  std::vector<char> bytes;
  HANDLE f = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
  if (f == INVALID_HANDLE_VALUE) return bytes;
  DWORD size = ::GetFileSize(f, nullptr);
  bytes.resize(size);
  DWORD got = 0;
  if (size != 0 && (!::ReadFile(f, bytes.data(), size, &got, nullptr) || got != size)) {
    bytes.clear();
  }
  ::CloseHandle(f);
  return bytes;
}

bool Differs(const std::string& from, const std::string& to) {
  std::vector<char> want = ReadWhole(from);
  if (want.empty()) Fail(("cannot read " + from).c_str(), ::GetLastError());
  return ReadWhole(to) != want;
}

void Copy(const std::string& from, const std::string& to) {
  if (!::CopyFileA(from.c_str(), to.c_str(), FALSE)) {
    Fail(("cannot copy to " + to).c_str(), ::GetLastError());
  }
}

HANDLE OpenDevice() {
  return ::CreateFileA("\\\\.\\I2CDev", GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

// A kernel service lives as long as the Wine session, so each run may find it gone.
HANDLE StartDriver() {
  HANDLE device = OpenDevice();
  char windows[MAX_PATH] = {};
  ::GetWindowsDirectoryA(windows, sizeof windows);
  // A 32-bit harness in a WoW64 prefix writes system32 through the redirection, into the
  // syswow64 where the 32-bit winedevice looks.
  std::string drivers = std::string(windows) + "\\system32\\drivers";
  ::CreateDirectoryA(drivers.c_str(), nullptr);
  std::string sys = drivers + "\\i2cdev.sys";
  const bool changed = Differs(HereFile("i2cdev.sys"), sys);
#ifndef _WIN64
  // Wine's 98 mode loads the VxD from the system folder.
  char system[MAX_PATH] = {};
  ::GetSystemDirectoryA(system, sizeof system);
  std::string vxd = std::string(system) + "\\stpvxd.vxd";
  if (Differs(HereFile("stpvxd.vxd"), vxd)) Copy(HereFile("stpvxd.vxd"), vxd);
#endif
  if (device != INVALID_HANDLE_VALUE && !changed) return device;

  SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (manager == nullptr) Fail("no service manager", ::GetLastError());
  SC_HANDLE service = ::OpenServiceA(manager, "I2CDev", SERVICE_ALL_ACCESS);
  if (service == nullptr) {
    service = ::CreateServiceA(manager, "I2CDev", "I2CDev", SERVICE_ALL_ACCESS,
                               SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                               sys.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
  }
  if (service == nullptr) Fail("cannot create the I2CDev service", ::GetLastError());
  if (device != INVALID_HANDLE_VALUE) {
    // A new build of the driver: the loaded one goes first, as its file is in use.
    ::CloseHandle(device);
    SERVICE_STATUS status;
    ::ControlService(service, SERVICE_CONTROL_STOP, &status);
    for (int i = 0; i < 50 && ::QueryServiceStatus(service, &status) &&
                    status.dwCurrentState != SERVICE_STOPPED;
         ++i) {
      ::Sleep(100);
    }
  }
  if (changed) Copy(HereFile("i2cdev.sys"), sys);
  // Right after its creation the service database may still be locked, or the service unknown.
  DWORD error = 0;
  for (int i = 0; i < 40; ++i) {
    if (::StartServiceA(service, 0, nullptr)) break;
    error = ::GetLastError();
    if (error == ERROR_SERVICE_ALREADY_RUNNING) break;
    if (error != ERROR_SERVICE_DATABASE_LOCKED && error != ERROR_SERVICE_DOES_NOT_EXIST) {
      Fail("cannot start the I2CDev driver", error);
    }
    ::Sleep(250);
  }
  ::CloseServiceHandle(service);
  ::CloseServiceHandle(manager);
  for (int i = 0; i < 50; ++i) {
    device = OpenDevice();
    if (device != INVALID_HANDLE_VALUE) return device;
    ::Sleep(100);
  }
  Fail("the I2CDev driver started, but its device does not open", ::GetLastError());
}

template <typename In, typename Out>
void Ask(HANDLE device, DWORD code, const In& in, Out& out) {
  DWORD returned = 0;
  if (!::DeviceIoControl(device, code, const_cast<In*>(&in), sizeof in, &out, sizeof out, &returned,
                         nullptr)) {
    Fail("the emulated driver refused a private request", ::GetLastError());
  }
}

// The program's process, as a debugger sees it.
class Debuggee {
 public:
  Debuggee(HANDLE device, const Options& options) : device_(device), options_(options) {
    startMs_ = ::GetTickCount();
  }

  int Run();
  unsigned long Answered() const { return answered_; }
  unsigned long PortReads() const { return portReads_; }
  const std::string& Opens() const { return opens_; }

 private:
  struct Thread {
    DWORD id;
    HANDLE handle;
  };

  HANDLE ThreadHandle(DWORD id) const {
    for (const Thread& t : threads_) {
      if (t.id == id) return t.handle;
    }
    return nullptr;
  }
  bool Read(uintptr_t at, void* into, size_t size) const {
    SIZE_T got = 0;
    return ::ReadProcessMemory(process_, reinterpret_cast<void*>(at), into, size, &got) &&
           got == size;
  }
  bool WriteCode(uintptr_t at, uint8_t byte) const {
    DWORD old = 0;
    void* p = reinterpret_cast<void*>(at);
    if (!::VirtualProtectEx(process_, p, 1, PAGE_EXECUTE_READWRITE, &old)) return false;
    SIZE_T put = 0;
    bool ok = ::WriteProcessMemory(process_, p, &byte, 1, &put) && put == 1;
    ::VirtualProtectEx(process_, p, 1, old, &old);
    ::FlushInstructionCache(process_, p, 1);
    return ok;
  }

  void PlantSites();
  void HookCreateFile();
  uintptr_t ImportedAddress(const char* dll, const char* function) const;
  DWORD OnException(const DEBUG_EVENT& event);
  void AnswerCpuid(CONTEXT& context, uintptr_t site);
  bool EmulatePort(CONTEXT& context, uintptr_t at);
  bool RecordOpen(const CONTEXT& context);
  void FailCall(CONTEXT& context, HANDLE thread, uint32_t error);

  HANDLE device_;
  const Options& options_;
  HANDLE process_ = nullptr;
  uintptr_t base_ = 0;
  std::vector<Thread> threads_;
  bool loaderSeen_ = false;
  uintptr_t createFile_ = 0;
  uint8_t createFileByte_ = 0;
  DWORD steppingThread_ = 0;
  uint32_t pciAddress_ = 0;
  unsigned long answered_ = 0;
  unsigned long portReads_ = 0;
  std::string opens_;
  DWORD startMs_ = 0;
  DWORD lastLoadMs_ = 0;
  bool sampled_ = false;
  app::HostLoadReader load_;
};

#ifdef _WIN64
#define REG(context, name) (context).R##name
#else
#define REG(context, name) (context).E##name
#endif

void Debuggee::PlantSites() {
  for (uintptr_t rva : options_.sites) {
    uint8_t bytes[2] = {};
    if (!Read(base_ + rva, bytes, 2) || bytes[0] != 0x0F || bytes[1] != 0xA2) {
      char text[128];
      std::snprintf(text, sizeof text, "no CPUID at RVA 0x%lx (found %02X %02X)",
                    static_cast<unsigned long>(rva), bytes[0], bytes[1]);
      ::TerminateProcess(process_, HarnessFailed);
      Fail(text);
    }
    if (!WriteCode(base_ + rva, 0xCC)) Fail("cannot plant a breakpoint", ::GetLastError());
  }
}

// Where the loader bound one of the program's imports: the address in its import table.
uintptr_t Debuggee::ImportedAddress(const char* dll, const char* function) const {
  IMAGE_DOS_HEADER dos;
  IMAGE_NT_HEADERS nt;
  if (!Read(base_, &dos, sizeof dos) || !Read(base_ + dos.e_lfanew, &nt, sizeof nt)) return 0;
  const IMAGE_DATA_DIRECTORY& dir = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (uintptr_t at = base_ + dir.VirtualAddress;; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    IMAGE_IMPORT_DESCRIPTOR d;
    if (!Read(at, &d, sizeof d) || d.Name == 0) return 0;
    char name[64] = {};
    Read(base_ + d.Name, name, sizeof name - 1);
    if (::lstrcmpiA(name, dll) != 0) continue;
    uintptr_t names = base_ + (d.OriginalFirstThunk != 0 ? d.OriginalFirstThunk : d.FirstThunk);
    for (size_t i = 0;; ++i) {
      IMAGE_THUNK_DATA thunk;
      if (!Read(names + i * sizeof thunk, &thunk, sizeof thunk) || thunk.u1.AddressOfData == 0) {
        return 0;
      }
      if (IMAGE_SNAP_BY_ORDINAL(thunk.u1.Ordinal)) continue;
      char imported[64] = {};
      Read(base_ + static_cast<uintptr_t>(thunk.u1.AddressOfData) + 2, imported,
           sizeof imported - 1);
      if (std::strcmp(imported, function) != 0) continue;
      uintptr_t bound = 0;
      Read(base_ + d.FirstThunk + i * sizeof thunk, &bound, sizeof bound);
      return bound;
    }
  }
}

// The device opens are seen at CreateFileA itself, as the program calls it: path and flags.
void Debuggee::HookCreateFile() {
  createFile_ = ImportedAddress("KERNEL32.dll", "CreateFileA");
  if (createFile_ == 0 || !Read(createFile_, &createFileByte_, 1) ||
      !WriteCode(createFile_, 0xCC)) {
    createFile_ = 0;
    std::fprintf(stderr, "harness: CreateFileA is not watched\n");
  }
}

// Whether the open is of a device, which --fail-open fails.
bool Debuggee::RecordOpen(const CONTEXT& context) {
  uintptr_t name = 0;
  uint32_t flags = 0;
#ifdef _WIN64
  name = context.Rcx;
  Read(context.Rsp + 0x30, &flags, sizeof flags);
#else
  uint32_t args[6] = {};
  Read(context.Esp + 4, args, sizeof args);
  name = args[0];
  flags = args[5];
#endif
  char path[MAX_PATH] = {};
  for (size_t i = 0; i + 1 < sizeof path && Read(name + i, &path[i], 1) && path[i] != '\0'; ++i) {
  }
  char line[MAX_PATH + 64];
  std::snprintf(line, sizeof line, "open %s flags 0x%08lX\n", path,
                static_cast<unsigned long>(flags));
  opens_ += line;
  return std::strncmp(path, "\\\\.\\", 4) == 0;
}

// Returns from CreateFileA at its entry as a refused open does: INVALID_HANDLE_VALUE, with the
// error in the thread's own record, where the program's GetLastError reads it.
void Debuggee::FailCall(CONTEXT& context, HANDLE thread, uint32_t error) {
  using QueryFn = LONG(WINAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
  struct BasicInformation {
    LONG exitStatus;
    PVOID teb;
    PVOID ids[2];
    ULONG_PTR affinity;
    LONG priority, basePriority;
  } basic = {};
  auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
  if (query == nullptr || query(thread, 0, &basic, sizeof basic, nullptr) < 0) {
    Fail("cannot find a thread's environment block");
  }
#ifdef _WIN64
  const uintptr_t lastError = 0x68;
  uintptr_t back = 0;
  Read(context.Rsp, &back, sizeof back);
  context.Rsp += 8;
#else
  const uintptr_t lastError = 0x34;
  uint32_t back = 0;
  Read(context.Esp, &back, sizeof back);
  context.Esp += 4 + 7 * 4;  // stdcall: the callee takes its seven arguments off the stack
#endif
  SIZE_T put = 0;
  ::WriteProcessMemory(process_, static_cast<char*>(basic.teb) + lastError, &error, sizeof error,
                       &put);
  REG(context, ax) = static_cast<decltype(REG(context, ax))>(-1);
  REG(context, ip) = back;
}

void Debuggee::AnswerCpuid(CONTEXT& context, uintptr_t site) {
  CpuidIn in = {static_cast<uint32_t>(REG(context, ax)), -1, 0};
  DWORD now = ::GetTickCount();
  if (in.leaf == LeafCurrentState) {
    // The demo's rhythm: this machine's load, sampled at most every 250 ms.
    if (!sampled_ || now - lastLoadMs_ >= 250) {
      sampled_ = true;
      lastLoadMs_ = now;
      in.load = load_.Sample(now - startMs_);
    }
  }
  in.clockMs = now - startMs_;
  CpuidOut out;
  Ask(device_, CodeCpuid, in, out);
  // The instruction writes all four registers; in 64-bit mode it zero-extends them.
  REG(context, ax) = out.eax;
  REG(context, bx) = out.ebx;
  REG(context, cx) = out.ecx;
  REG(context, dx) = out.edx;
  // Wine leaves the instruction pointer one byte past the int3: step from the site itself.
  REG(context, ip) = site + 2;
  ++answered_;
}

// out dx, eax (EF) and in eax, dx (ED), the two the program uses for PCI space.
bool Debuggee::EmulatePort(CONTEXT& context, uintptr_t at) {
  uint8_t opcode = 0;
  if (!Read(at, &opcode, 1)) return false;
  uint16_t port = static_cast<uint16_t>(REG(context, dx) & 0xFFFF);
  if (opcode == 0xEF) {
    if (port == 0xCF8) pciAddress_ = static_cast<uint32_t>(REG(context, ax));
  } else if (opcode == 0xED) {
    uint32_t value = 0xFFFFFFFF;
    if (port == 0xCFC) {
      PciOut out;
      Ask(device_, CodePci, PciIn{pciAddress_}, out);
      value = out.value;
    } else if (port == 0xCF8) {
      value = pciAddress_;  // the address register reads back what was written
    }
    REG(context, ax) = value;
    ++portReads_;
  } else {
    return false;
  }
  REG(context, ip) = at + 1;
  return true;
}

DWORD Debuggee::OnException(const DEBUG_EVENT& event) {
  const EXCEPTION_RECORD& record = event.u.Exception.ExceptionRecord;
  const uintptr_t at = reinterpret_cast<uintptr_t>(record.ExceptionAddress);
  HANDLE thread = ThreadHandle(event.dwThreadId);
  CONTEXT context;
  std::memset(&context, 0, sizeof context);
  context.ContextFlags = CONTEXT_FULL;
  auto resume = [&]() {
    if (!::SetThreadContext(thread, &context)) Fail("cannot set a thread's context");
    return static_cast<DWORD>(DBG_CONTINUE);
  };
  switch (record.ExceptionCode) {
    case EXCEPTION_BREAKPOINT: {
      bool site = false;
      for (uintptr_t rva : options_.sites) site = site || base_ + rva == at;
      if (site || (createFile_ != 0 && at == createFile_)) {
        if (thread == nullptr || !::GetThreadContext(thread, &context)) {
          Fail("cannot read a thread's context");
        }
        if (site) {
          AnswerCpuid(context, at);
          return resume();
        }
        if (RecordOpen(context) && options_.failOpen != 0) {
          FailCall(context, thread, options_.failOpen);
          return resume();
        }
        // Let CreateFileA run once, then put the breakpoint back after its first instruction.
        WriteCode(createFile_, createFileByte_);
        REG(context, ip) = at;
        context.EFlags |= 0x100;
        steppingThread_ = event.dwThreadId;
        return resume();
      }
      if (!loaderSeen_) {
        loaderSeen_ = true;  // the loader's own, once the imports are bound
        HookCreateFile();
        return DBG_CONTINUE;
      }
      return DBG_EXCEPTION_NOT_HANDLED;
    }
    case EXCEPTION_SINGLE_STEP:
      if (event.dwThreadId == steppingThread_ && createFile_ != 0) {
        steppingThread_ = 0;
        WriteCode(createFile_, 0xCC);
        return DBG_CONTINUE;
      }
      return DBG_EXCEPTION_NOT_HANDLED;
    case EXCEPTION_PRIV_INSTRUCTION:
      if (thread != nullptr && ::GetThreadContext(thread, &context) && EmulatePort(context, at)) {
        return resume();
      }
      return DBG_EXCEPTION_NOT_HANDLED;
    default:
      return DBG_EXCEPTION_NOT_HANDLED;
  }
}

int Debuggee::Run() {
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info;
  std::string command = "\"" + options_.program + "\"";
  if (!::CreateProcessA(options_.program.c_str(), &command[0], nullptr, nullptr, FALSE,
                        DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr, &startup, &info)) {
    Fail(("cannot start " + options_.program).c_str(), ::GetLastError());
  }
  process_ = info.hProcess;
  DWORD exitCode = HarnessFailed;
  for (;;) {
    DEBUG_EVENT event;
    if (!::WaitForDebugEvent(&event, INFINITE)) Fail("lost the program", ::GetLastError());
    DWORD status = DBG_CONTINUE;
    switch (event.dwDebugEventCode) {
      case CREATE_PROCESS_DEBUG_EVENT:
        base_ = reinterpret_cast<uintptr_t>(event.u.CreateProcessInfo.lpBaseOfImage);
        threads_.push_back({event.dwThreadId, event.u.CreateProcessInfo.hThread});
        if (event.u.CreateProcessInfo.hFile != nullptr) {
          ::CloseHandle(event.u.CreateProcessInfo.hFile);
        }
        PlantSites();
        break;
      case CREATE_THREAD_DEBUG_EVENT:
        threads_.push_back({event.dwThreadId, event.u.CreateThread.hThread});
        break;
      case EXIT_THREAD_DEBUG_EVENT:
        for (size_t i = 0; i < threads_.size(); ++i) {
          if (threads_[i].id == event.dwThreadId) threads_.erase(threads_.begin() + i);
        }
        break;
      case LOAD_DLL_DEBUG_EVENT:
        if (event.u.LoadDll.hFile != nullptr) ::CloseHandle(event.u.LoadDll.hFile);
        break;
      case EXCEPTION_DEBUG_EVENT:
        status = OnException(event);
        break;
      case EXIT_PROCESS_DEBUG_EVENT:
        exitCode = event.u.ExitProcess.dwExitCode;
        ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
        return static_cast<int>(exitCode);
      default:
        break;
    }
    ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
  }
}

void WriteReport(HANDLE device, const Options& options, const Debuggee& debuggee, int exitCode) {
  FILE* out = options.report.empty() ? stdout : std::fopen(options.report.c_str(), "wb");
  if (out == nullptr) Fail(("cannot write " + options.report).c_str());
  std::fprintf(out, "profile %s\n%s", options.profile.c_str(), debuggee.Opens().c_str());
  static LogOut page;
  for (uint32_t first = 0;; first += page.count) {
    Ask(device, CodeLog, LogIn{first}, page);
    for (uint32_t i = 0; i < page.count; ++i) {
      const LogEntry& e = page.entries[i];
      std::fprintf(out, "request 0x%08lX %s 0x%08lX %lu %lu%s\n",
                   static_cast<unsigned long>(e.code), e.isRead ? "read" : "write",
                   static_cast<unsigned long>(e.msr), static_cast<unsigned long>(e.low),
                   static_cast<unsigned long>(e.high), e.accepted ? "" : " refused");
    }
    if (page.count == 0 || first + page.count >= page.total) break;
  }
  std::fprintf(out, "cpuid answered %lu\nport reads %lu\nexit status %d\n", debuggee.Answered(),
               debuggee.PortReads(), exitCode);
  if (out != stdout) std::fclose(out);
}

Options Parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool more = i + 1 < argc;
    if (arg == "--profile" && more) {
      o.profile = argv[++i];
    } else if (arg == "--refuse" && more) {
      o.plan.refuseRequest = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 0));
    } else if (arg == "--fail-open" && more) {
      o.failOpen = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 0));
    } else if (arg == "--site" && more) {
      o.sites.push_back(static_cast<uintptr_t>(std::strtoull(argv[++i], nullptr, 0)));
    } else if (arg == "--report" && more) {
      o.report = argv[++i];
    } else if (arg[0] != '-' && o.program.empty()) {
      o.program = arg;
    } else {
      Fail(("unknown argument " + arg).c_str());
    }
  }
  bool known = false;
  for (const Profile& p : Profiles) {
    if (o.profile == p.name) {
      o.plan.profile = static_cast<uint32_t>(p.profile);
      known = true;
    }
  }
  if (!known) Fail(("unknown profile " + o.profile).c_str());
  if (o.program.empty()) Fail("no program given");
  // Without a site every CPUID would reach this machine's processor: no run at all is better.
  if (o.sites.empty()) Fail("no CPUID site given: refusing to run the program on this processor");
  return o;
}

}  // namespace

int main(int argc, char** argv) {
  Options options = Parse(argc, argv);
  // Copies started together (a second copy, a race) take turns to start the driver, and only
  // the first resets the processor: the others' programs meet it as the first one left it.
  HANDLE turn = ::CreateMutexA(nullptr, FALSE, "VaristepEmulatorSetUp");
  ::WaitForSingleObject(turn, INFINITE);
  HANDLE running = ::CreateMutexA(nullptr, FALSE, "VaristepEmulatorRunning");
  options.plan.keep = ::GetLastError() == ERROR_ALREADY_EXISTS ? 1u : 0u;
  HANDLE device = StartDriver();
  ConfigureOut configured;
  Ask(device, CodeConfigure, options.plan, configured);
  ::ReleaseMutex(turn);
  if (options.plan.keep != 0) {
    std::fprintf(stderr, "harness: another run holds the processor; its state is kept\n");
  }
  Debuggee debuggee(device, options);
  int exitCode = debuggee.Run();
  WriteReport(device, options, debuggee, exitCode);
  std::fprintf(stderr, "harness: %lu CPUID answered at %u site(s), %lu port reads, status %d\n",
               debuggee.Answered(), static_cast<unsigned>(options.sites.size()),
               debuggee.PortReads(), exitCode);
  ::CloseHandle(device);
  ::CloseHandle(running);
  ::CloseHandle(turn);
  return exitCode;
}
