#include "IconFuzzHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ExerciseIconReader(OpenAniContainer, data, size);
  return 0;
}
