#include "platform/network.h"

namespace qv {

const char* NetFunctionName(NetFunction function) {
  switch (function) {
    case NetFunction::LsaNtStatusToWinError: return "LsaNtStatusToWinError";
    case NetFunction::LsaOpenPolicy: return "LsaOpenPolicy";
    case NetFunction::LsaSetInformationPolicy: return "LsaSetInformationPolicy";
    case NetFunction::LsaSetTrustedDomainInformation: return "LsaSetTrustedDomainInformation";
    case NetFunction::LsaStorePrivateData: return "LsaStorePrivateData";
    case NetFunction::LsaClose: return "LsaClose";
    case NetFunction::LsaQueryInformationPolicy: return "LsaQueryInformationPolicy";
    case NetFunction::LsaFreeMemory: return "LsaFreeMemory";
    case NetFunction::NetApiBufferFree: return "NetApiBufferFree";
    case NetFunction::NetGetDCName: return "NetGetDCName";
    case NetFunction::NetServerGetInfo: return "NetServerGetInfo";
    case NetFunction::NetUseAdd: return "NetUseAdd";
    case NetFunction::NetUseDel: return "NetUseDel";
    case NetFunction::NetUserGetInfo: return "NetUserGetInfo";
    case NetFunction::NetUserModalsGet: return "NetUserModalsGet";
    case NetFunction::NetWkstaGetInfo: return "NetWkstaGetInfo";
  }
  return "";
}

NetLibrary LibraryOf(NetFunction function) {
  return static_cast<int>(function) < static_cast<int>(NetFunction::NetApiBufferFree)
             ? NetLibrary::Advapi32
             : NetLibrary::Netapi32;
}

const char* NetLibraryName(NetLibrary library) {
  return library == NetLibrary::Advapi32 ? "ADVAPI32.DLL" : "NETAPI32.DLL";
}

const std::vector<NetFunction>& AllNetFunctions() {
  static const std::vector<NetFunction> all = [] {
    std::vector<NetFunction> v;
    for (int f = 0; f <= static_cast<int>(NetFunction::NetWkstaGetInfo); ++f)
      v.push_back(static_cast<NetFunction>(f));
    return v;
  }();
  return all;
}

// Binary layout: revision (1 byte), sub-authority count (1 byte), identifier
// authority (6 bytes, big-endian), sub-authorities (4 bytes each,
// little-endian).
bool IsWellFormedSid(const std::vector<std::uint8_t>& sid) {
  return sid.size() >= 8 && sid[0] == 1 && sid[1] <= 15 && sid.size() == 8u + 4u * sid[1];
}

std::string SidToText(const std::vector<std::uint8_t>& sid) {
  if (!IsWellFormedSid(sid)) return "";
  std::uint64_t authority = 0;
  for (int i = 2; i < 8; ++i) authority = (authority << 8) | sid[i];
  std::string text = "S-1-" + std::to_string(authority);
  for (int i = 0; i < sid[1]; ++i) {
    const std::size_t at = 8 + 4 * static_cast<std::size_t>(i);
    const std::uint32_t sub = sid[at] | (sid[at + 1] << 8) | (sid[at + 2] << 16) |
                              (static_cast<std::uint32_t>(sid[at + 3]) << 24);
    text += "-" + std::to_string(sub);
  }
  return text;
}

std::vector<std::uint8_t> SidFromText(std::string_view text) {
  if (text.size() < 4 || (text[0] != 'S' && text[0] != 's') || text[1] != '-') return {};
  std::vector<std::uint64_t> numbers;
  std::size_t i = 2;
  while (i <= text.size()) {
    std::size_t end = text.find('-', i);
    if (end == std::string_view::npos) end = text.size();
    if (end == i || end - i > 15) return {};
    std::uint64_t n = 0;
    for (std::size_t k = i; k < end; ++k) {
      if (text[k] < '0' || text[k] > '9') return {};
      n = n * 10 + static_cast<std::uint64_t>(text[k] - '0');
    }
    numbers.push_back(n);
    i = end + 1;
  }
  // Revision, authority, then up to 15 sub-authorities.
  if (numbers.size() < 2 || numbers.size() > 17 || numbers[0] != 1 ||
      numbers[1] >= (std::uint64_t{1} << 48))
    return {};
  std::vector<std::uint8_t> sid;
  sid.push_back(1);
  sid.push_back(static_cast<std::uint8_t>(numbers.size() - 2));
  for (int shift = 40; shift >= 0; shift -= 8)
    sid.push_back(static_cast<std::uint8_t>(numbers[1] >> shift));
  for (std::size_t k = 2; k < numbers.size(); ++k) {
    if (numbers[k] > 0xFFFFFFFFu) return {};
    for (int b = 0; b < 4; ++b) sid.push_back(static_cast<std::uint8_t>(numbers[k] >> (8 * b)));
  }
  return sid;
}

}  // namespace qv
