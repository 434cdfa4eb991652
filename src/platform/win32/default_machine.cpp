// The Windows build runs on the real API.
#include "platform/win32/win32_machine.h"

namespace qv {

Machine& DefaultMachine() {
  static Win32Machine machine;
  return machine;
}

}  // namespace qv
