// Dial-up port: the Remote Access Service calls of RASAPI32.DLL for the
// default phone book.
//
// The adapter loads RASAPI32.DLL at run time, since dial-up networking may
// not be installed, and looks each function up under its plain name and
// then under the name with "A" appended. LibraryHandle and Has tell what was
// found; calling a function that was not found gives err::ProcNotFound and
// does nothing.
//
// A phone-book entry is the ANSI RASENTRY as raw bytes with its 32-bit
// layout: 1768 bytes (the first 4 its dwSize field), possibly followed by
// the variable part the system appends to it (alternate phone numbers).
// Device-specific information is never asked for nor given.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace qv {

// Remote Access Service error codes (the values of raserror.h).
namespace err {
inline constexpr WinError BufferTooSmall = 603;
inline constexpr WinError DeviceDoesNotExist = 608;
inline constexpr WinError CannotOpenPhonebook = 621;
inline constexpr WinError CannotFindPhonebookEntry = 623;
inline constexpr WinError InvalidSize = 632;
}  // namespace err

// Size of the ANSI RASENTRY the program carries.
inline constexpr std::uint32_t RasEntrySize = 1768;

// The functions looked up in RASAPI32.DLL.
enum class RasFunction {
  GetEntryProperties,
  SetEntryProperties,
  EnumEntries,
  GetErrorString,
  EnumDevices,
};

// RASDEVINFO: one dial-up device.
struct RasDevice {
  std::string type;  // "modem", "isdn", ...
  std::string name;
};

class IDialUp {
 public:
  virtual ~IDialUp() = default;

  // LoadLibrary("RASAPI32.DLL"): the module handle as a number, 0 when the
  // library is not there.
  virtual std::uint64_t LibraryHandle() = 0;
  // Whether a function was found in the library.
  virtual bool Has(RasFunction function) = 0;

  // RasEnumEntries(NULL, NULL, ...) offering room for `room` RASENTRYNAME
  // records of 264 bytes: the entry names of the default phone book.
  // err::BufferTooSmall when more entries exist than there is room for
  // (`names` then stays empty). In both cases `bytes` is the buffer size
  // the call asks for and `count` the number of entries.
  virtual WinError EnumEntries(std::uint32_t room, std::vector<std::string>& names,
                               std::uint32_t& bytes, std::uint32_t& count) = 0;
  // RasGetEntryProperties(NULL, name, entry, &size, NULL, NULL): `entry` is
  // the buffer, its first 4 bytes the dwSize the caller sets, `size` on entry
  // its size in bytes (at most entry.size()). Fills the buffer; `size`
  // returns the size the call reports, which with err::BufferTooSmall is the
  // size it needs. err::CannotFindPhonebookEntry for an unknown name.
  virtual WinError GetEntryProperties(std::string_view name, std::vector<std::uint8_t>& entry,
                                      std::uint32_t& size) = 0;
  // RasSetEntryProperties(NULL, name, entry, entry.size(), NULL, 0): creates
  // the entry or replaces one of that name. err::BufferTooSmall or
  // err::InvalidSize when the system expects another structure size.
  virtual WinError SetEntryProperties(std::string_view name,
                                      const std::vector<std::uint8_t>& entry) = 0;
  // RasEnumDevices: the dial-up devices in the system's order.
  virtual WinError EnumDevices(std::vector<RasDevice>& devices) = 0;
  // RasGetErrorString: the text for a Remote Access Service or system error
  // code; "" when there is none.
  virtual std::string ErrorString(WinError code) = 0;
};

}  // namespace qv
