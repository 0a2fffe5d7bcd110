// procstat <exe name | process id>: one line of what a running program holds, for the benchmarks
// and the soak test. See README.md for the fields. Exits 1 when no such process runs.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ProcessObjects.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: procstat <exe name | process id>\n");
    return 2;
  }
  char* end = nullptr;
  unsigned long number = std::strtoul(argv[1], &end, 10);
  DWORD processId = (end != argv[1] && *end == '\0') ? static_cast<DWORD>(number)
                                                     : procstat::FindProcess(argv[1]);
  if (processId == 0) {
    std::fprintf(stderr, "procstat: no process %s\n", argv[1]);
    return 1;
  }
  std::printf("procstat pid=%lu %s\n", processId, procstat::Describe(processId).c_str());
  return 0;
}
