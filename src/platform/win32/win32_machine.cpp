#include "platform/win32/win32_machine.h"

namespace qv {

IRegistry& Win32Machine::Registry() { return registry_; }

IFiles& Win32Machine::Files() { return files_; }

ISystemInfo& Win32Machine::System() { return system_; }

}  // namespace qv
