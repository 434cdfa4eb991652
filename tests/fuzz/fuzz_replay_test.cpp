// Every input the fuzzers found a fault with, and the seed corpus, goes
// through the fuzz targets again: a fault that comes back fails here (and
// under the sanitizers in the test command's second build).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_targets.h"

namespace qv::fuzz {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> Inputs(const char* set, const std::string& kind) {
  std::vector<fs::path> inputs;
  {
    fs::path folder = fs::path(QORVEL_FUZZ_DIR) / set / kind;
    if (!fs::is_directory(folder)) return inputs;
    for (const fs::directory_entry& e : fs::directory_iterator(folder))
      if (e.is_regular_file() && e.path().filename().string()[0] != '.') inputs.push_back(e.path());
  }
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

std::vector<std::uint8_t> Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(FuzzReplay, SeedSettingsFilesLoadOnEveryKind) {
  std::vector<fs::path> inputs = Inputs("corpus", "load");
  ASSERT_GE(inputs.size(), 3u);
  for (const fs::path& input : inputs) {
    SCOPED_TRACE(input.string());
    std::vector<std::uint8_t> bytes = Bytes(input);
    EXPECT_EQ(LoadSettingsBytes(bytes.data(), bytes.size()), 3);
  }
}

TEST(FuzzReplay, SettingsFilesTheFuzzerKeptLoadOrFailCleanly) {
  for (const fs::path& input : Inputs("regressions", "load")) {
    SCOPED_TRACE(input.string());
    std::vector<std::uint8_t> bytes = Bytes(input);
    LoadSettingsBytes(bytes.data(), bytes.size());
  }
}

TEST(FuzzReplay, ConfigurationFilesTheFuzzerKeptRead) {
  std::vector<fs::path> inputs = Inputs("corpus", "config");
  ASSERT_GE(inputs.size(), 1u);
  std::vector<fs::path> kept = Inputs("regressions", "config");
  inputs.insert(inputs.end(), kept.begin(), kept.end());
  for (const fs::path& input : inputs) {
    SCOPED_TRACE(input.string());
    std::vector<std::uint8_t> bytes = Bytes(input);
    LoadConfigurationBytes(bytes.data(), bytes.size());
  }
}

}  // namespace
}  // namespace qv::fuzz
