// Reading back what a test wrote.
#pragma once

#include <memory>

#include "stream/connection.h"

namespace qv::test {

// A reading stream over the data written so far.
inline std::unique_ptr<TReadMemoryConnection> ReaderOf(const TWriteMemoryConnection& w) {
  auto r = std::make_unique<TReadMemoryConnection>();
  const std::uint8_t* block;
  std::uint32_t size;
  w.GetBuffer(block, size);
  r->SetBuffer(block, w.Position());
  return r;
}

}  // namespace qv::test
