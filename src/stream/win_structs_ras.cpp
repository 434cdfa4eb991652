#include "stream/win_structs_ras.h"

#include <algorithm>
#include <cstring>

namespace {

using Block = std::vector<std::uint8_t>;

std::uint32_t U32At(const Block& b, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i)
    if (at + i < b.size()) v |= static_cast<std::uint32_t>(b[at + i]) << (8 * i);
  return v;
}

void PutU32(Block& b, std::size_t at, std::uint32_t v) {
  for (std::size_t i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::string CharsAt(const Block& b, std::size_t at, std::size_t width) {
  std::string text;
  for (std::size_t i = 0; i < width && at + i < b.size() && b[at + i] != 0; ++i)
    text.push_back(static_cast<char>(b[at + i]));
  return text;
}

void PutChars(Block& b, std::size_t at, std::size_t width, const std::string& text) {
  const std::size_t n = std::min(text.size(), width - 1);
  std::fill(b.begin() + static_cast<std::ptrdiff_t>(at),
            b.begin() + static_cast<std::ptrdiff_t>(at + width), 0);
  std::memcpy(b.data() + at, text.data(), n);
}

RasEntryFields::Address AddressAt(const Block& b, std::size_t at) {
  RasEntryFields::Address a{};
  for (std::size_t i = 0; i < 4; ++i)
    if (at + i < b.size()) a[i] = b[at + i];
  return a;
}

void PutAddress(Block& b, std::size_t at, const RasEntryFields::Address& a) {
  std::copy(a.begin(), a.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
}

}  // namespace

RasEntryFields RasEntryFields::Decode(const Block& b) {
  RasEntryFields f;
  f.size = U32At(b, 0);
  f.options = U32At(b, kOptions);
  f.countryId = U32At(b, kCountryId);
  f.countryCode = U32At(b, kCountryCode);
  f.areaCode = CharsAt(b, kAreaCode, kAreaCodeWidth);
  f.phoneNumber = CharsAt(b, kPhoneNumber, kPhoneNumberWidth);
  f.ipAddress = AddressAt(b, kIpAddress);
  f.dns = AddressAt(b, kDns);
  f.dnsAlt = AddressAt(b, kDnsAlt);
  f.wins = AddressAt(b, kWins);
  f.winsAlt = AddressAt(b, kWinsAlt);
  f.script = CharsAt(b, kScript, kPathWidth);
  f.autodialDll = CharsAt(b, kAutodialDll, kPathWidth);
  f.autodialFunc = CharsAt(b, kAutodialFunc, kPathWidth);
  f.deviceType = CharsAt(b, kDeviceType, kDeviceTypeWidth);
  f.deviceName = CharsAt(b, kDeviceName, kDeviceNameWidth);
  return f;
}

void RasEntryFields::EncodeInto(Block& b) const {
  if (b.size() < kSize) b.resize(kSize, 0);
  PutU32(b, 0, size);
  PutU32(b, kOptions, options);
  PutU32(b, kCountryId, countryId);
  PutU32(b, kCountryCode, countryCode);
  PutChars(b, kAreaCode, kAreaCodeWidth, areaCode);
  PutChars(b, kPhoneNumber, kPhoneNumberWidth, phoneNumber);
  PutAddress(b, kIpAddress, ipAddress);
  PutAddress(b, kDns, dns);
  PutAddress(b, kDnsAlt, dnsAlt);
  PutAddress(b, kWins, wins);
  PutAddress(b, kWinsAlt, winsAlt);
  PutChars(b, kScript, kPathWidth, script);
  PutChars(b, kAutodialDll, kPathWidth, autodialDll);
  PutChars(b, kAutodialFunc, kPathWidth, autodialFunc);
  PutChars(b, kDeviceType, kDeviceTypeWidth, deviceType);
  PutChars(b, kDeviceName, kDeviceNameWidth, deviceName);
}

std::string DottedAddress(const RasEntryFields::Address& a) {
  return std::to_string(a[0]) + "." + std::to_string(a[1]) + "." + std::to_string(a[2]) + "." +
         std::to_string(a[3]);
}

std::uint32_t EntrySizeField(const Block& block) { return U32At(block, 0); }

void SetEntrySizeField(Block& block, std::uint32_t size) {
  if (block.size() < 4) block.resize(4, 0);
  PutU32(block, 0, size);
}
