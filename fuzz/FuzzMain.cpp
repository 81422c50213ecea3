// The libFuzzer entry point of one target, named by WEBACCESS_FUZZ_TARGET.
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "FuzzSupport.h"
#include "FuzzTargets.h"

#ifndef WEBACCESS_FUZZ_TARGET
#error "WEBACCESS_FUZZ_TARGET names the target function"
#endif

namespace {
// Removed by the exit that ends a fuzzing run; left behind by a crash.
std::unique_ptr<webaccess::fuzz::ScratchDirectory> scratch;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  scratch = std::make_unique<webaccess::fuzz::ScratchDirectory>("webaccess-fuzz");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    webaccess::fuzz::WEBACCESS_FUZZ_TARGET(data, size);
  } catch (const webaccess::fuzz::InvariantBroken& broken) {
    std::fprintf(stderr, "\ninvariant broken: %s\n", broken.what());
    std::abort();
  }
  return 0;
}
