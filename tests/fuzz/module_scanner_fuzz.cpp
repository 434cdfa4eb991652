// Fuzz target for the module-dependency scanner's image parser.
//
// With clang and -fsanitize=fuzzer the entry point below is driven by
// libFuzzer. Otherwise this file has its own main: each argument is an
// input file, and without arguments it mutates a small built-in image for
// a number of rounds (QORVEL_FUZZ_ROUNDS, default 200000), checking that
// every name it gives back is a short printable one.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "items/connectivity/module_scanner.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const items::ModuleImports imports = items::ParseModuleImports(data, size);
  for (const std::string& name : imports.names) {
    if (name.empty() || name.size() > 261) std::abort();
    for (char c : name)
      if (static_cast<unsigned char>(c) < 0x20) std::abort();
  }
  if (imports.format != items::ModuleFormat::Portable && !imports.names.empty()) std::abort();
  return 0;
}

#ifndef QORVEL_LIBFUZZER
namespace {

void Put32(std::string& b, std::size_t at, std::uint32_t v) {
  if (b.size() < at + 4) b.resize(at + 4, '\0');
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A PE32 image with one section holding two import descriptors.
std::string Seed() {
  std::string b(0x200, '\0');
  b[0] = 'M';
  b[1] = 'Z';
  Put32(b, 0x3C, 0x40);
  b.replace(0x40, 4, std::string("PE\0\0", 4));
  Put32(b, 0x44, 0x0001014C);        // machine, one section
  Put32(b, 0x54, 0x000000E0);        // optional header size
  Put32(b, 0x58, 0x0000010B);        // PE32 magic
  Put32(b, 0x58 + 92, 16);
  Put32(b, 0x58 + 104, 0x1000);
  Put32(b, 0x58 + 108, 60);
  const std::size_t s = 0x58 + 224;
  Put32(b, s + 8, 0x60);
  Put32(b, s + 12, 0x1000);
  Put32(b, s + 16, 0x60);
  Put32(b, s + 20, 0x200);
  std::string raw(60, '\0');
  Put32(raw, 12, 0x1000 + 60);
  Put32(raw, 32, 0x1000 + 72);
  raw += std::string("KERNEL32.DLL\0HELPER.DLL\0", 24);
  raw.resize(0x60, '\0');
  return b + raw;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    for (int i = 1; i < argc; ++i) {
      std::ifstream in(argv[i], std::ios::binary);
      std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    return 0;
  }
  const char* text = std::getenv("QORVEL_FUZZ_ROUNDS");
  const unsigned long rounds = text && *text ? std::strtoul(text, nullptr, 10) : 200000;
  const std::string seed = Seed();
  std::mt19937 rng(12345);
  unsigned long withImports = 0;
  for (unsigned long round = 0; round < rounds; ++round) {
    std::string image = seed;  // the first round parses the seed itself
    const unsigned flips = round == 0 ? 0 : 1 + rng() % 16;
    for (unsigned i = 0; i < flips; ++i) {
      const std::size_t at = rng() % image.size();
      switch (rng() % 3) {
        case 0: image[at] = static_cast<char>(rng()); break;
        case 1: image[at] = static_cast<char>(0xFF); break;
        default: if (at + 4 <= image.size()) Put32(image, at, rng() % 0x2000); break;
      }
    }
    if (round > 0 && rng() % 8 == 0) image.resize(rng() % image.size());
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(image.data());
    LLVMFuzzerTestOneInput(bytes, image.size());
    if (!items::ParseModuleImports(bytes, image.size()).names.empty()) ++withImports;
  }
  std::printf("%lu images parsed, %lu of them with imports\n", rounds, withImports);
  // A seed that never parses would test nothing.
  if (rounds > 0 && withImports == 0) return 1;
  return 0;
}
#endif
