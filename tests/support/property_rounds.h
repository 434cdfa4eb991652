// How many random rounds a property test runs: its own small count in the
// test command, or QORVEL_PROPERTY_ROUNDS when that is set (the soak runs).
#pragma once

#include <cstdlib>

namespace qv::test {

inline unsigned PropertyRounds(unsigned usual) {
  const char* text = std::getenv("QORVEL_PROPERTY_ROUNDS");
  if (!text || !*text) return usual;
  const unsigned long rounds = std::strtoul(text, nullptr, 10);
  return rounds > 0 ? static_cast<unsigned>(rounds) : usual;
}

}  // namespace qv::test
