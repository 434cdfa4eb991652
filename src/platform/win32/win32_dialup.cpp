#include "platform/win32/win32_dialup.h"

#include <ras.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "stream/win_structs_ras.h"

namespace qv {

// The entry codec's offsets are those of the system's RASENTRYA, whose first
// 1768 bytes are the structure the program carries (the header's RASENTRYA
// goes on with later fields).
static_assert(offsetof(RASENTRYA, dwfOptions) == RasEntryFields::kOptions);
static_assert(offsetof(RASENTRYA, dwCountryID) == RasEntryFields::kCountryId);
static_assert(offsetof(RASENTRYA, dwCountryCode) == RasEntryFields::kCountryCode);
static_assert(offsetof(RASENTRYA, szAreaCode) == RasEntryFields::kAreaCode);
static_assert(offsetof(RASENTRYA, szLocalPhoneNumber) == RasEntryFields::kPhoneNumber);
static_assert(offsetof(RASENTRYA, ipaddr) == RasEntryFields::kIpAddress);
static_assert(offsetof(RASENTRYA, ipaddrDns) == RasEntryFields::kDns);
static_assert(offsetof(RASENTRYA, ipaddrDnsAlt) == RasEntryFields::kDnsAlt);
static_assert(offsetof(RASENTRYA, ipaddrWins) == RasEntryFields::kWins);
static_assert(offsetof(RASENTRYA, ipaddrWinsAlt) == RasEntryFields::kWinsAlt);
static_assert(offsetof(RASENTRYA, szScript) == RasEntryFields::kScript);
static_assert(offsetof(RASENTRYA, szAutodialDll) == RasEntryFields::kAutodialDll);
static_assert(offsetof(RASENTRYA, szAutodialFunc) == RasEntryFields::kAutodialFunc);
static_assert(offsetof(RASENTRYA, szDeviceType) == RasEntryFields::kDeviceType);
static_assert(offsetof(RASENTRYA, szDeviceName) == RasEntryFields::kDeviceName);
static_assert(offsetof(RASENTRYA, dwReserved2) + sizeof(DWORD) == RasEntryFields::kSize);
static_assert(sizeof(RASDEVINFOA) == 152);

namespace {

// RASENTRYNAMEA of the layout every Remote Access Service accepts: the size
// and the 257-character name, 264 bytes (the header's RASENTRYNAMEA has
// later fields).
constexpr std::uint32_t kEntryNameSize = 264;
constexpr std::uint32_t kNameWidth = 257;
constexpr std::uint32_t kDeviceInfoSize = sizeof(RASDEVINFOA);

using EnumEntriesFn = DWORD(WINAPI*)(LPCSTR, LPCSTR, void*, LPDWORD, LPDWORD);
using GetEntryFn = DWORD(WINAPI*)(LPCSTR, LPCSTR, void*, LPDWORD, LPBYTE, LPDWORD);
using SetEntryFn = DWORD(WINAPI*)(LPCSTR, LPCSTR, void*, DWORD, LPBYTE, DWORD);
using ErrorStringFn = DWORD(WINAPI*)(UINT, LPSTR, DWORD);
using EnumDevicesFn = DWORD(WINAPI*)(void*, LPDWORD, LPDWORD);

const char* PlainName(RasFunction f) {
  switch (f) {
    case RasFunction::GetEntryProperties: return "RasGetEntryProperties";
    case RasFunction::SetEntryProperties: return "RasSetEntryProperties";
    case RasFunction::EnumEntries: return "RasEnumEntries";
    case RasFunction::GetErrorString: return "RasGetErrorString";
    case RasFunction::EnumDevices: return "RasEnumDevices";
  }
  return "";
}

void PutU32(std::uint8_t* at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::string CharsAt(const std::uint8_t* at, std::size_t width) {
  const char* p = reinterpret_cast<const char*>(at);
  return std::string(p, strnlen(p, width));
}

}  // namespace

Win32DialUp::~Win32DialUp() {
  if (module_) FreeLibrary(module_);
}

void Win32DialUp::Load() {
  std::call_once(loaded_, [this] {
    module_ = LoadLibraryA("RASAPI32.DLL");
    if (!module_) return;
    for (int f = 0; f < 5; ++f) {
      const std::string plain = PlainName(static_cast<RasFunction>(f));
      FARPROC p = GetProcAddress(module_, plain.c_str());
      if (!p) p = GetProcAddress(module_, (plain + "A").c_str());
      procs_[f] = p;
    }
  });
}

std::uint64_t Win32DialUp::LibraryHandle() {
  Load();
  return reinterpret_cast<std::uintptr_t>(module_);
}

bool Win32DialUp::Has(RasFunction function) {
  Load();
  return procs_[static_cast<int>(function)] != nullptr;
}

WinError Win32DialUp::EnumEntries(std::uint32_t room, std::vector<std::string>& names,
                                  std::uint32_t& bytes, std::uint32_t& count) {
  auto fn = Proc<EnumEntriesFn>(RasFunction::EnumEntries);
  names.clear();
  if (!fn) return err::ProcNotFound;
  std::vector<std::uint8_t> buffer(std::max<std::uint32_t>(room, 1) * kEntryNameSize, 0);
  PutU32(buffer.data(), kEntryNameSize);
  DWORD cb = room * kEntryNameSize, entries = 0;
  const DWORD e = fn(nullptr, nullptr, buffer.data(), &cb, &entries);
  bytes = cb;
  count = entries;
  if (e == ERROR_SUCCESS) {
    for (DWORD i = 0; i < entries && i < std::max<std::uint32_t>(room, 1); ++i)
      names.push_back(CharsAt(buffer.data() + i * kEntryNameSize + 4, kNameWidth));
  }
  return e;
}

WinError Win32DialUp::GetEntryProperties(std::string_view name, std::vector<std::uint8_t>& entry,
                                         std::uint32_t& size) {
  auto fn = Proc<GetEntryFn>(RasFunction::GetEntryProperties);
  if (!fn) return err::ProcNotFound;
  const std::string n(name);
  DWORD cb = std::min<std::uint32_t>(size, static_cast<std::uint32_t>(entry.size()));
  const DWORD e = fn(nullptr, n.c_str(), entry.empty() ? nullptr : entry.data(), &cb, nullptr,
                     nullptr);
  size = cb;
  return e;
}

WinError Win32DialUp::SetEntryProperties(std::string_view name,
                                         const std::vector<std::uint8_t>& entry) {
  auto fn = Proc<SetEntryFn>(RasFunction::SetEntryProperties);
  if (!fn) return err::ProcNotFound;
  const std::string n(name);
  std::vector<std::uint8_t> copy(entry);
  return fn(nullptr, n.c_str(), copy.data(), static_cast<DWORD>(copy.size()), nullptr, 0);
}

WinError Win32DialUp::EnumDevices(std::vector<RasDevice>& devices) {
  auto fn = Proc<EnumDevicesFn>(RasFunction::EnumDevices);
  devices.clear();
  if (!fn) return err::ProcNotFound;
  DWORD cb = 0, count = 0;
  DWORD e = fn(nullptr, &cb, &count);
  if (e != ERROR_SUCCESS && e != err::BufferTooSmall) return e;
  if (count == 0 && e == ERROR_SUCCESS) return e;
  const DWORD records = std::max<DWORD>({count, cb / kDeviceInfoSize, 1});
  std::vector<std::uint8_t> buffer(records * kDeviceInfoSize, 0);
  PutU32(buffer.data(), kDeviceInfoSize);
  cb = static_cast<DWORD>(buffer.size());
  e = fn(buffer.data(), &cb, &count);
  if (e != ERROR_SUCCESS) return e;
  for (DWORD i = 0; i < count && i < records; ++i) {
    const std::uint8_t* at = buffer.data() + i * kDeviceInfoSize;
    devices.push_back(RasDevice{CharsAt(at + offsetof(RASDEVINFOA, szDeviceType),
                                        RAS_MaxDeviceType + 1),
                                CharsAt(at + offsetof(RASDEVINFOA, szDeviceName),
                                        RAS_MaxDeviceName + 1)});
  }
  return ERROR_SUCCESS;
}

std::string Win32DialUp::ErrorString(WinError code) {
  auto fn = Proc<ErrorStringFn>(RasFunction::GetErrorString);
  if (!fn) return std::string();
  char text[1024] = {};
  if (fn(code, text, sizeof text) != ERROR_SUCCESS) return std::string();
  return CharsAt(reinterpret_cast<const std::uint8_t*>(text), sizeof text);
}

}  // namespace qv
