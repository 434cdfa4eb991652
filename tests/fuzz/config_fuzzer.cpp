// libFuzzer target: arbitrary bytes read as a configuration file.
#include "fuzz/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qv::fuzz::LoadConfigurationBytes(data, size);
  return 0;
}
