#include "platform/win32/win32_network.h"

#include <lm.h>
#include <ntsecapi.h>
#include <winnetwk.h>

#include <type_traits>

namespace qv {

namespace {

// The exports' types, as the system headers declare them.
typedef ULONG(NTAPI* LsaNtStatusToWinErrorFn)(NTSTATUS);
typedef NTSTATUS(NTAPI* LsaOpenPolicyFn)(PLSA_UNICODE_STRING, PLSA_OBJECT_ATTRIBUTES,
                                         ACCESS_MASK, PLSA_HANDLE);
typedef NTSTATUS(NTAPI* LsaSetInformationPolicyFn)(LSA_HANDLE, POLICY_INFORMATION_CLASS, PVOID);
typedef NTSTATUS(NTAPI* LsaSetTrustedDomainInformationFn)(LSA_HANDLE, PSID,
                                                          TRUSTED_INFORMATION_CLASS, PVOID);
typedef NTSTATUS(NTAPI* LsaCloseFn)(LSA_HANDLE);
typedef NTSTATUS(NTAPI* LsaQueryInformationPolicyFn)(LSA_HANDLE, POLICY_INFORMATION_CLASS,
                                                     PVOID*);
typedef NTSTATUS(NTAPI* LsaFreeMemoryFn)(PVOID);
typedef NET_API_STATUS(NET_API_FUNCTION* NetApiBufferFreeFn)(LPVOID);
typedef NET_API_STATUS(NET_API_FUNCTION* NetGetDCNameFn)(LPCWSTR, LPCWSTR, LPBYTE*);
typedef NET_API_STATUS(NET_API_FUNCTION* NetServerGetInfoFn)(LMSTR, DWORD, LPBYTE*);
typedef NET_API_STATUS(NET_API_FUNCTION* NetUseAddFn)(LMSTR, DWORD, LPBYTE, LPDWORD);
typedef NET_API_STATUS(NET_API_FUNCTION* NetUseDelFn)(LMSTR, LMSTR, DWORD);
typedef NET_API_STATUS(NET_API_FUNCTION* NetUserGetInfoFn)(LPCWSTR, LPCWSTR, DWORD, LPBYTE*);
typedef NET_API_STATUS(NET_API_FUNCTION* NetUserModalsGetFn)(LPCWSTR, DWORD, LPBYTE*);
typedef NET_API_STATUS(NET_API_FUNCTION* NetWkstaGetInfoFn)(LMSTR, DWORD, LPBYTE*);

// A wrong calling convention would only show at run time on x86: hold the
// types to the declarations.
static_assert(std::is_same_v<LsaNtStatusToWinErrorFn, decltype(&::LsaNtStatusToWinError)>);
static_assert(std::is_same_v<LsaOpenPolicyFn, decltype(&::LsaOpenPolicy)>);
static_assert(std::is_same_v<LsaSetInformationPolicyFn, decltype(&::LsaSetInformationPolicy)>);
static_assert(std::is_same_v<LsaSetTrustedDomainInformationFn,
                             decltype(&::LsaSetTrustedDomainInformation)>);
static_assert(std::is_same_v<LsaCloseFn, decltype(&::LsaClose)>);
static_assert(
    std::is_same_v<LsaQueryInformationPolicyFn, decltype(&::LsaQueryInformationPolicy)>);
static_assert(std::is_same_v<LsaFreeMemoryFn, decltype(&::LsaFreeMemory)>);
static_assert(std::is_same_v<NetApiBufferFreeFn, decltype(&::NetApiBufferFree)>);
static_assert(std::is_same_v<NetGetDCNameFn, decltype(&::NetGetDCName)>);
static_assert(std::is_same_v<NetServerGetInfoFn, decltype(&::NetServerGetInfo)>);
static_assert(std::is_same_v<NetUseAddFn, decltype(&::NetUseAdd)>);
static_assert(std::is_same_v<NetUseDelFn, decltype(&::NetUseDel)>);
static_assert(std::is_same_v<NetUserGetInfoFn, decltype(&::NetUserGetInfo)>);
static_assert(std::is_same_v<NetUserModalsGetFn, decltype(&::NetUserModalsGet)>);
static_assert(std::is_same_v<NetWkstaGetInfoFn, decltype(&::NetWkstaGetInfo)>);

std::wstring Wide(std::string_view text) {
  if (text.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

// `length` in characters; -1 for a string that ends with a zero.
std::string Narrow(const wchar_t* text, int length = -1) {
  if (!text || length == 0) return std::string();
  const int n = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, length, out.data(), n, nullptr, nullptr);
  if (length < 0 && !out.empty()) out.pop_back();  // the terminating zero
  return out;
}

std::string Narrow(const LSA_UNICODE_STRING& text) {
  return Narrow(text.Buffer, text.Length / static_cast<int>(sizeof(WCHAR)));
}

// Points an LSA string at `text`, which must outlive it.
LSA_UNICODE_STRING LsaString(std::wstring& text) {
  LSA_UNICODE_STRING s;
  s.Buffer = text.data();
  s.Length = static_cast<USHORT>(text.size() * sizeof(WCHAR));
  s.MaximumLength = static_cast<USHORT>(s.Length + sizeof(WCHAR));
  return s;
}

std::vector<std::uint8_t> SidBytes(PSID sid) {
  if (!sid || !::IsValidSid(sid)) return {};
  const auto* bytes = static_cast<const std::uint8_t*>(sid);
  return std::vector<std::uint8_t>(bytes, bytes + GetLengthSid(sid));
}

// A server argument: null for the local computer.
LPWSTR ServerArg(std::wstring& server) { return server.empty() ? nullptr : server.data(); }

}  // namespace

Win32Network::Win32Network() {
  advapi32_ = LoadLibraryA("ADVAPI32.DLL");
  netapi32_ = LoadLibraryA("NETAPI32.DLL");
  for (NetFunction f : AllNetFunctions()) {
    HMODULE module = LibraryOf(f) == NetLibrary::Advapi32 ? advapi32_ : netapi32_;
    if (!module) continue;
    procs_[static_cast<int>(f)] =
        reinterpret_cast<void*>(GetProcAddress(module, NetFunctionName(f)));
  }
}

Win32Network::~Win32Network() {
  if (auto close = Proc<LsaCloseFn>(NetFunction::LsaClose)) {
    for (auto& [number, handle] : policies_) close(handle);
  }
  if (netapi32_) FreeLibrary(netapi32_);
  if (advapi32_) FreeLibrary(advapi32_);
}

void Win32Network::SetOwnerWindow(HWND window) { owner_.store(window); }

bool Win32Network::Policy(LsaPolicy policy, void*& handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = policies_.find(policy);
  if (it == policies_.end()) return false;
  handle = it->second;
  return true;
}

void Win32Network::FreeNetBuffer(void* buffer) {
  if (!buffer) return;
  if (auto free = Proc<NetApiBufferFreeFn>(NetFunction::NetApiBufferFree)) free(buffer);
}

WinError Win32Network::ChangeComputerName(std::string_view name) {
  const std::string n(name);
  return SetComputerNameA(n.c_str()) ? err::Success : ::GetLastError();
}

WinError Win32Network::DriveConnection(std::string_view localName, std::string& remoteName) {
  const std::string local(localName);
  std::string buffer(MAX_PATH, '\0');
  for (;;) {
    DWORD size = static_cast<DWORD>(buffer.size());
    DWORD e = WNetGetConnectionA(local.c_str(), buffer.data(), &size);
    if (e == NO_ERROR) {
      remoteName.assign(buffer.c_str());
      return err::Success;
    }
    if (e != ERROR_MORE_DATA || size <= buffer.size()) return e;
    buffer.assign(size, '\0');
  }
}

WinError Win32Network::AddDriveConnection(std::string_view localName,
                                          std::string_view remoteName,
                                          std::string_view userName, std::uint32_t flags) {
  std::string local(localName), remote(remoteName), user(userName);
  NETRESOURCEA resource = {};
  resource.dwScope = RESOURCE_GLOBALNET;
  resource.dwType = RESOURCETYPE_DISK;
  resource.dwDisplayType = RESOURCEDISPLAYTYPE_SHARE;
  resource.dwUsage = RESOURCEUSAGE_CONNECTABLE;
  resource.lpLocalName = local.empty() ? nullptr : local.data();
  resource.lpRemoteName = remote.data();
  return WNetAddConnection3A(owner_.load(), &resource, nullptr,
                             user.empty() ? nullptr : user.c_str(), flags);
}

WinError Win32Network::CancelDriveConnection(std::string_view localName, std::uint32_t flags,
                                             bool force) {
  const std::string name(localName);
  return WNetCancelConnection2A(name.c_str(), flags, force ? TRUE : FALSE);
}

std::string Win32Network::NetErrorMessage(WinError code) {
  DWORD flags =
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
  // The network texts live in netmsg.dll.
  HMODULE messages = nullptr;
  if (code >= 2100 && code <= 2999) {
    messages = LoadLibraryExA("netmsg.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (messages) flags |= FORMAT_MESSAGE_FROM_HMODULE;
  }
  char* text = nullptr;
  const DWORD n = FormatMessageA(flags, messages, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                 reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message;
  if (n != 0 && text) message.assign(text, n);
  if (text) LocalFree(text);
  if (messages) FreeLibrary(messages);
  return message;
}

bool Win32Network::HasLibrary(NetLibrary library) {
  return (library == NetLibrary::Advapi32 ? advapi32_ : netapi32_) != nullptr;
}

bool Win32Network::Has(NetFunction function) {
  return procs_[static_cast<int>(function)] != nullptr;
}

WinError Win32Network::LsaStatusToWinError(NtStatus status) {
  auto convert = Proc<LsaNtStatusToWinErrorFn>(NetFunction::LsaNtStatusToWinError);
  if (!convert) return err::ProcNotFound;
  return convert(static_cast<NTSTATUS>(status));
}

NtStatus Win32Network::OpenPolicy(std::string_view systemName, std::uint32_t access,
                                  LsaPolicy& handle) {
  auto open = Proc<LsaOpenPolicyFn>(NetFunction::LsaOpenPolicy);
  if (!open) return ntstatus::ProcedureNotFound;
  std::wstring system = Wide(systemName);
  LSA_UNICODE_STRING systemString = LsaString(system);
  LSA_OBJECT_ATTRIBUTES attributes = {};
  LSA_HANDLE policy = nullptr;
  const NTSTATUS st =
      open(system.empty() ? nullptr : &systemString, &attributes, access, &policy);
  if (st != 0) return static_cast<NtStatus>(st);
  std::lock_guard<std::mutex> lock(mutex_);
  while (nextPolicy_ == 0 || policies_.count(nextPolicy_)) ++nextPolicy_;
  handle = nextPolicy_++;
  policies_[handle] = policy;
  return ntstatus::Success;
}

NtStatus Win32Network::ClosePolicy(LsaPolicy policy) {
  auto close = Proc<LsaCloseFn>(NetFunction::LsaClose);
  if (!close) return ntstatus::ProcedureNotFound;
  void* handle = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = policies_.find(policy);
    if (it == policies_.end()) return ntstatus::InvalidHandle;
    handle = it->second;
    policies_.erase(it);
  }
  return static_cast<NtStatus>(close(handle));
}

NtStatus Win32Network::QueryPrimaryDomain(LsaPolicy policy, PrimaryDomainInfo& info) {
  auto query = Proc<LsaQueryInformationPolicyFn>(NetFunction::LsaQueryInformationPolicy);
  if (!query) return ntstatus::ProcedureNotFound;
  void* handle = nullptr;
  if (!Policy(policy, handle)) return ntstatus::InvalidHandle;
  void* buffer = nullptr;
  const NTSTATUS st = query(handle, PolicyPrimaryDomainInformation, &buffer);
  if (st == 0 && buffer) {
    const auto* primary = static_cast<const POLICY_PRIMARY_DOMAIN_INFO*>(buffer);
    info.name = Narrow(primary->Name);
    info.sid = SidBytes(primary->Sid);
  }
  if (buffer) {
    if (auto free = Proc<LsaFreeMemoryFn>(NetFunction::LsaFreeMemory)) free(buffer);
  }
  return static_cast<NtStatus>(st);
}

NtStatus Win32Network::SetPrimaryDomain(LsaPolicy policy, const PrimaryDomainInfo& info) {
  auto set = Proc<LsaSetInformationPolicyFn>(NetFunction::LsaSetInformationPolicy);
  if (!set) return ntstatus::ProcedureNotFound;
  void* handle = nullptr;
  if (!Policy(policy, handle)) return ntstatus::InvalidHandle;
  // The system reads a SID as long as its header says: a malformed one
  // never reaches it.
  if (!info.sid.empty() && !IsWellFormedSid(info.sid)) return ntstatus::InvalidSid;
  std::wstring name = Wide(info.name);
  std::vector<std::uint8_t> sid = info.sid;
  POLICY_PRIMARY_DOMAIN_INFO primary;
  primary.Name = LsaString(name);
  primary.Sid = sid.empty() ? nullptr : static_cast<PSID>(sid.data());
  return static_cast<NtStatus>(set(handle, PolicyPrimaryDomainInformation, &primary));
}

NtStatus Win32Network::SetTrustedDomainName(LsaPolicy policy,
                                            const std::vector<std::uint8_t>& domainSid,
                                            std::string_view name) {
  auto set = Proc<LsaSetTrustedDomainInformationFn>(NetFunction::LsaSetTrustedDomainInformation);
  if (!set) return ntstatus::ProcedureNotFound;
  void* handle = nullptr;
  if (!Policy(policy, handle)) return ntstatus::InvalidHandle;
  if (!IsWellFormedSid(domainSid)) return ntstatus::InvalidSid;
  std::wstring wide = Wide(name);
  std::vector<std::uint8_t> sid = domainSid;
  TRUSTED_DOMAIN_NAME_INFO trusted;
  trusted.Name = LsaString(wide);
  return static_cast<NtStatus>(
      set(handle, static_cast<PSID>(sid.data()), TrustedDomainNameInformation, &trusted));
}

WinError Win32Network::WorkstationInfo100(WorkstationInfo& info) {
  auto get = Proc<NetWkstaGetInfoFn>(NetFunction::NetWkstaGetInfo);
  if (!get) return err::ProcNotFound;
  LPBYTE buffer = nullptr;
  const NET_API_STATUS e = get(nullptr, 100, &buffer);
  if (e == NERR_Success && buffer) {
    const auto* w = reinterpret_cast<const WKSTA_INFO_100*>(buffer);
    info.computerName = Narrow(w->wki100_computername);
    info.langroup = Narrow(w->wki100_langroup);
  }
  FreeNetBuffer(buffer);
  return e;
}

WinError Win32Network::ServerType(std::string_view server, std::uint32_t& type) {
  auto get = Proc<NetServerGetInfoFn>(NetFunction::NetServerGetInfo);
  if (!get) return err::ProcNotFound;
  std::wstring s = Wide(server);
  LPBYTE buffer = nullptr;
  const NET_API_STATUS e = get(ServerArg(s), 101, &buffer);
  if (e == NERR_Success && buffer) type = reinterpret_cast<const SERVER_INFO_101*>(buffer)->sv101_type;
  FreeNetBuffer(buffer);
  return e;
}

WinError Win32Network::AccountDomain(std::string_view server, std::string& name,
                                     std::vector<std::uint8_t>& sid) {
  auto get = Proc<NetUserModalsGetFn>(NetFunction::NetUserModalsGet);
  if (!get) return err::ProcNotFound;
  std::wstring s = Wide(server);
  LPBYTE buffer = nullptr;
  NET_API_STATUS e = get(ServerArg(s), 2, &buffer);
  if (e == NERR_Success && buffer) {
    const auto* modals = reinterpret_cast<const USER_MODALS_INFO_2*>(buffer);
    name = Narrow(modals->usrmod2_domain_name);
    sid = SidBytes(modals->usrmod2_domain_id);
    if (sid.empty()) e = ERROR_INVALID_SID;
  }
  FreeNetBuffer(buffer);
  return e;
}

WinError Win32Network::DomainControllerName(std::string_view server, std::string_view domain,
                                            std::string& controller) {
  auto get = Proc<NetGetDCNameFn>(NetFunction::NetGetDCName);
  if (!get) return err::ProcNotFound;
  std::wstring s = Wide(server), d = Wide(domain);
  LPBYTE buffer = nullptr;
  const NET_API_STATUS e = get(ServerArg(s), d.empty() ? nullptr : d.c_str(), &buffer);
  if (e == NERR_Success && buffer) controller = Narrow(reinterpret_cast<const wchar_t*>(buffer));
  FreeNetBuffer(buffer);
  return e;
}

WinError Win32Network::AddUse(std::string_view localName, std::string_view remoteName,
                              std::uint32_t type) {
  auto add = Proc<NetUseAddFn>(NetFunction::NetUseAdd);
  if (!add) return err::ProcNotFound;
  std::wstring local = Wide(localName), remote = Wide(remoteName);
  USE_INFO_2 use = {};
  use.ui2_local = local.empty() ? nullptr : local.data();
  use.ui2_remote = remote.data();
  use.ui2_asg_type = type;
  DWORD parameter = 0;
  return add(nullptr, 2, reinterpret_cast<LPBYTE>(&use), &parameter);
}

WinError Win32Network::DeleteUse(std::string_view name, std::uint32_t force) {
  auto del = Proc<NetUseDelFn>(NetFunction::NetUseDel);
  if (!del) return err::ProcNotFound;
  std::wstring n = Wide(name);
  return del(nullptr, n.data(), force);
}

WinError Win32Network::UserFlags(std::string_view server, std::string_view userName,
                                 std::uint32_t& flags) {
  auto get = Proc<NetUserGetInfoFn>(NetFunction::NetUserGetInfo);
  if (!get) return err::ProcNotFound;
  std::wstring s = Wide(server), user = Wide(userName);
  LPBYTE buffer = nullptr;
  const NET_API_STATUS e = get(ServerArg(s), user.c_str(), 1, &buffer);
  if (e == NERR_Success && buffer) flags = reinterpret_cast<const USER_INFO_1*>(buffer)->usri1_flags;
  FreeNetBuffer(buffer);
  return e;
}

}  // namespace qv
