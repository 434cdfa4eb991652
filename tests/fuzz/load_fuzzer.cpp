// libFuzzer target: arbitrary bytes loaded as a settings file.
#include "fuzz/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qv::fuzz::LoadSettingsBytes(data, size);
  return 0;
}
