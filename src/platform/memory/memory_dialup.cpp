// The in-memory machine's dial-up networking, answered as RASAPI32.DLL
// answers it for the default phone book.
#include "platform/memory/memory_dialup.h"

#include <algorithm>

#include "platform/memory/memory_state.h"

namespace qv {

mem::DialUpState& DialUpOf(MemoryMachine& machine) { return machine.state().dialup; }

namespace mem {

namespace {

constexpr std::uint32_t kEntryNameSize = 264;  // RASENTRYNAMEA
constexpr std::size_t kMaxEntryName = 256;     // RAS_MaxEntryName

const char* RasFunctionLabel(RasFunction f) {
  switch (f) {
    case RasFunction::GetEntryProperties: return "RasGetEntryProperties";
    case RasFunction::SetEntryProperties: return "RasSetEntryProperties";
    case RasFunction::EnumEntries: return "RasEnumEntries";
    case RasFunction::GetErrorString: return "RasGetErrorString";
    case RasFunction::EnumDevices: return "RasEnumDevices";
  }
  return "";
}

bool FitsPhoneBook(std::string_view name) {
  if (name.empty() || name.size() > kMaxEntryName || name.front() == '.') return false;
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == '[' || c == ']') return false;
  }
  return true;
}

std::uint32_t SizeField(const std::vector<std::uint8_t>& b) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4 && i < b.size(); ++i) v |= static_cast<std::uint32_t>(b[i]) << (8 * i);
  return v;
}

}  // namespace

void InitializeDialUp(DialUpState& s) {
  s = DialUpState{};
  s.devices = {RasDevice{"modem", "Standard Modem"}};
}

void CompareDialUp(const DialUpState& a, const DialUpState& b, std::vector<std::string>& out) {
  if (a.installed != b.installed)
    out.push_back(std::string("dial-up library: ") +
                  (a.installed ? "present -> missing" : "missing -> present"));
  for (RasFunction f : {RasFunction::GetEntryProperties, RasFunction::SetEntryProperties,
                        RasFunction::EnumEntries, RasFunction::GetErrorString,
                        RasFunction::EnumDevices}) {
    const bool ma = a.missing.count(f) != 0, mb = b.missing.count(f) != 0;
    if (ma != mb)
      out.push_back(std::string("dial-up function ") + RasFunctionLabel(f) + ": " +
                    (ma ? "missing -> present" : "present -> missing"));
  }
  auto deviceText = [](const std::vector<RasDevice>& devices) {
    std::string text;
    for (const RasDevice& d : devices) text += "[" + d.type + " " + d.name + "]";
    return text;
  };
  if (deviceText(a.devices) != deviceText(b.devices))
    out.push_back("dial-up devices " + deviceText(a.devices) + " -> " + deviceText(b.devices));
  if (a.entrySize != b.entrySize)
    out.push_back("dial-up entry size " + std::to_string(a.entrySize) + " -> " +
                  std::to_string(b.entrySize));
  // Entries compare by name, whatever their order.
  for (const RasBookEntry& ea : a.entries) {
    auto it = std::find_if(b.entries.begin(), b.entries.end(),
                           [&](const RasBookEntry& e) { return EqualNoCase(e.name, ea.name); });
    if (it == b.entries.end()) {
      out.push_back("dial-up entry \"" + ea.name + "\": only in first");
    } else if (it->bytes != ea.bytes || it->readError != ea.readError || it->name != ea.name) {
      std::size_t at = 0;
      while (at < it->bytes.size() && at < ea.bytes.size() && it->bytes[at] == ea.bytes[at]) ++at;
      out.push_back("dial-up entry \"" + ea.name + "\": differs from byte " + std::to_string(at));
    }
  }
  for (const RasBookEntry& eb : b.entries) {
    auto it = std::find_if(a.entries.begin(), a.entries.end(),
                           [&](const RasBookEntry& e) { return EqualNoCase(e.name, eb.name); });
    if (it == a.entries.end()) out.push_back("dial-up entry \"" + eb.name + "\": only in second");
  }
}

RasBookEntry* MemoryDialUp::Find(std::string_view name) {
  for (RasBookEntry& e : s_.entries)
    if (EqualNoCase(e.name, name)) return &e;
  return nullptr;
}

std::uint64_t MemoryDialUp::LibraryHandle() {
  std::lock_guard g(lock_);
  return s_.installed ? 0x7E400000u : 0;
}

bool MemoryDialUp::Has(RasFunction function) {
  std::lock_guard g(lock_);
  return s_.installed && !s_.missing.count(function);
}

WinError MemoryDialUp::EnumEntries(std::uint32_t room, std::vector<std::string>& names,
                                   std::uint32_t& bytes, std::uint32_t& count) {
  std::lock_guard g(lock_);
  if (!Has(RasFunction::EnumEntries)) return Fail(err::ProcNotFound);
  names.clear();
  if (s_.bookError) {
    bytes = 0;
    count = 0;
    return s_.bookError;
  }
  count = static_cast<std::uint32_t>(s_.entries.size());
  bytes = count * kEntryNameSize;
  if (count > room) return err::BufferTooSmall;
  for (const RasBookEntry& e : s_.entries) names.push_back(e.name);
  return err::Success;
}

WinError MemoryDialUp::GetEntryProperties(std::string_view name, std::vector<std::uint8_t>& entry,
                                          std::uint32_t& size) {
  std::lock_guard g(lock_);
  if (!Has(RasFunction::GetEntryProperties)) return Fail(err::ProcNotFound);
  std::vector<std::uint8_t> stored;
  if (name.empty()) {
    stored.assign(s_.entrySize, 0);
    for (std::size_t i = 0; i < 4 && i < stored.size(); ++i)
      stored[i] = static_cast<std::uint8_t>(s_.entrySize >> (8 * i));
  } else {
    const RasBookEntry* e = Find(name);
    if (!e) return err::CannotFindPhonebookEntry;
    if (e->readError) return e->readError;
    stored = e->bytes;
  }
  const std::uint32_t offered = std::min<std::uint32_t>(size, static_cast<std::uint32_t>(entry.size()));
  const std::uint32_t needed = static_cast<std::uint32_t>(stored.size());
  if (offered < needed) {
    size = needed;
    return err::BufferTooSmall;
  }
  if (SizeField(entry) != s_.entrySize) return err::InvalidSize;
  std::copy(stored.begin(), stored.end(), entry.begin());
  size = needed;
  return err::Success;
}

WinError MemoryDialUp::SetEntryProperties(std::string_view name,
                                          const std::vector<std::uint8_t>& entry) {
  std::lock_guard g(lock_);
  if (!Has(RasFunction::SetEntryProperties)) return Fail(err::ProcNotFound);
  if (!FitsPhoneBook(name)) return err::InvalidName;
  if (entry.size() < s_.entrySize) return err::BufferTooSmall;
  if (SizeField(entry) != s_.entrySize) return err::InvalidSize;
  // The system keeps its own structure; bytes beyond it are the variable
  // part, which a caller that gives none does not have.
  std::vector<std::uint8_t> bytes(entry.begin(), entry.begin() + s_.entrySize);
  if (RasBookEntry* e = Find(name)) {
    e->bytes = std::move(bytes);
    e->readError = 0;
  } else {
    s_.entries.push_back(RasBookEntry{std::string(name), std::move(bytes), 0});
  }
  return err::Success;
}

WinError MemoryDialUp::EnumDevices(std::vector<RasDevice>& devices) {
  std::lock_guard g(lock_);
  if (!Has(RasFunction::EnumDevices)) return Fail(err::ProcNotFound);
  devices = s_.devices;
  return err::Success;
}

std::string MemoryDialUp::ErrorString(WinError code) {
  std::lock_guard g(lock_);
  if (!Has(RasFunction::GetErrorString)) return std::string();
  switch (code) {
    case 603: return "The buffer is too small.";
    case 608: return "The device does not exist.";
    case 621: return "The system could not open the phone book file.";
    case 623: return "The system could not find the phone book entry for this connection.";
    case 625: return "The system found invalid information in the phone book for this connection.";
    case 632: return "The structure size is incorrect.";
    default: break;
  }
  std::string text = SystemMessageText(code);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

}  // namespace mem
}  // namespace qv
