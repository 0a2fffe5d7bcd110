// libFuzzer entry point for one target of FuzzTargets.h, chosen at build time with
// -DVS_FUZZ_TARGET=<function>. A broken rule aborts, so libFuzzer keeps the input.
#include <cstdio>
#include <cstdlib>

#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (const char* broken = fuzz::VS_FUZZ_TARGET(data, size)) {
    std::fprintf(stderr, "fuzz rule broken: %s\n", broken);
    std::abort();
  }
  return 0;
}
