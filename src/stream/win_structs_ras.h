// The dial-up entry structure as bytes: the 1768-byte ANSI RASENTRY of the
// Remote Access Service with its 32-bit layout. Settings files carry the
// whole block; the fields below are the ones the program reads, shows and
// changes, at their fixed offsets. Everything else stays as raw bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct RasEntryFields {
  static constexpr std::size_t kSize = 1768;

  // Offsets and widths (character fields include their terminating zero).
  static constexpr std::size_t kOptions = 4, kCountryId = 8, kCountryCode = 12;
  static constexpr std::size_t kAreaCode = 16, kAreaCodeWidth = 11;
  static constexpr std::size_t kPhoneNumber = 27, kPhoneNumberWidth = 129;
  static constexpr std::size_t kIpAddress = 160, kDns = 164, kDnsAlt = 168, kWins = 172,
                               kWinsAlt = 176;
  static constexpr std::size_t kScript = 192, kAutodialDll = 452, kAutodialFunc = 712,
                               kPathWidth = 260;
  static constexpr std::size_t kDeviceType = 972, kDeviceTypeWidth = 17;
  static constexpr std::size_t kDeviceName = 989, kDeviceNameWidth = 129;

  using Address = std::array<std::uint8_t, 4>;

  std::uint32_t size = 0;
  std::uint32_t options = 0;
  std::uint32_t countryId = 0;
  std::uint32_t countryCode = 0;
  std::string areaCode;
  std::string phoneNumber;
  Address ipAddress{}, dns{}, dnsAlt{}, wins{}, winsAlt{};
  std::string script;
  std::string autodialDll;
  std::string autodialFunc;
  std::string deviceType;
  std::string deviceName;

  // Reads the fields from an entry block; a shorter block reads as zeros
  // past its end, and a character field without a zero ends at its width.
  static RasEntryFields Decode(const std::vector<std::uint8_t>& block);
  // Stores the fields into `block` (made kSize bytes long first when it is
  // shorter), leaving every other byte as it is. Texts are cut to their
  // field's width - 1 and the rest of the field is zero.
  void EncodeInto(std::vector<std::uint8_t>& block) const;
};

// An address as its four bytes in memory order, in decimal, joined by ".".
std::string DottedAddress(const RasEntryFields::Address& address);

// Reads or stores the 4-byte little-endian size field at the block's start.
std::uint32_t EntrySizeField(const std::vector<std::uint8_t>& block);
void SetEntrySizeField(std::vector<std::uint8_t>& block, std::uint32_t size);
