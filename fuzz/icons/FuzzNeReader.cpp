#include "IconFuzzHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ExerciseIconReader(OpenNeContainer, data, size);
  return 0;
}
