// The in-memory machine's dial-up networking: whether RASAPI32.DLL is there
// and which of its functions, the dial-up devices, and the default phone
// book, whose entries keep the exact bytes they were stored with.
#pragma once

#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialup.h"

namespace qv {

class MemoryMachine;

namespace mem {

// One phone-book entry: its name and its RASENTRY bytes as stored (the
// structure the system expects, possibly followed by a variable part).
// An entry with a readError is listed but every read of it fails with that
// code, as a damaged phone-book section does.
struct RasBookEntry {
  std::string name;
  std::vector<std::uint8_t> bytes;
  WinError readError = 0;
};

struct DialUpState {
  bool installed = true;                   // RASAPI32.DLL loads
  std::set<RasFunction> missing;           // functions the library lacks
  std::vector<RasDevice> devices;          // in the system's order
  std::vector<RasBookEntry> entries;       // the default phone book, in its order
  std::uint32_t entrySize = RasEntrySize;  // the RASENTRY size the system expects
  WinError bookError = 0;  // RasEnumEntries fails with it (a phone book that does not open)
};

// A fresh machine: dial-up networking installed with one modem and an
// empty phone book.
void InitializeDialUp(DialUpState& state);
// Readable lines for the dial-up differences between two states.
void CompareDialUp(const DialUpState& a, const DialUpState& b, std::vector<std::string>& out);

// The dial-up port on the state. Names compare without regard to case.
// RasSetEntryProperties refuses what the phone book cannot hold as an entry
// name (empty, over 256 characters, control characters, "[" or "]", or a
// leading ".") with err::InvalidName, an entry block shorter than the
// structure the system expects with err::BufferTooSmall and a dwSize field
// other than that size with err::InvalidSize. RasGetEntryProperties for the
// empty name gives the default entry (zeros with its size field), which is
// how a caller learns the structure size the system expects.
class MemoryDialUp : public IDialUp {
 public:
  MemoryDialUp(DialUpState& s, std::recursive_mutex& lock) : s_(s), lock_(lock) {}
  std::uint64_t LibraryHandle() override;
  bool Has(RasFunction function) override;
  WinError EnumEntries(std::uint32_t room, std::vector<std::string>& names, std::uint32_t& bytes,
                       std::uint32_t& count) override;
  WinError GetEntryProperties(std::string_view name, std::vector<std::uint8_t>& entry,
                              std::uint32_t& size) override;
  WinError SetEntryProperties(std::string_view name,
                              const std::vector<std::uint8_t>& entry) override;
  WinError EnumDevices(std::vector<RasDevice>& devices) override;
  std::string ErrorString(WinError code) override;

 private:
  RasBookEntry* Find(std::string_view name);

  DialUpState& s_;
  std::recursive_mutex& lock_;
};

}  // namespace mem

// The dial-up state of a machine, for tests and scenarios that set up its
// devices and phone book or look at what a load stored.
mem::DialUpState& DialUpOf(MemoryMachine& machine);

}  // namespace qv
