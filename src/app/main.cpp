// Qorvel: moves a user's system settings from one PC to another.
//
// The program's start-up, command line and windows arrive with the engine
// and the user interface; for now it only starts, checks that it can reach
// its machine, and exits.
#include "platform/machine.h"

int main() {
  qv::OsVersion version;
  return qv::CurrentMachine().System().Version(version) == qv::err::Success ? 0 : 1;
}
