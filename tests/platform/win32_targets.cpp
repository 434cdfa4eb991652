// The real Windows API (Wine on the build machines) as a contract-test target.
#include "platform/contract/bench.h"
#include "platform/win32/win32_machine.h"

namespace qv::test {
namespace {

Win32Machine& Real() {
  static Win32Machine machine;
  return machine;
}

const bool registered =
    RegisterTarget(Target{"Win32", [] { return std::make_unique<Bench>(Real()); }});

}  // namespace
}  // namespace qv::test
