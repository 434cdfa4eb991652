// Network port: the computer name, drive-letter network connections, the
// system's network message texts, and the Windows NT security-policy (Lsa*)
// and network-management (Net*) functions.
//
// The Lsa* and Net* functions live in ADVAPI32.DLL and NETAPI32.DLL, which
// the adapter loads at run time and searches by export name, since a
// computer may lack them (Windows 95/98 do). Has and HasLibrary tell what
// was found; calling a function that was not found gives err::ProcNotFound
// (ntstatus::ProcedureNotFound for the Lsa* calls) and does nothing.
//
// Strings are ANSI; the adapter converts to and from the wide strings of
// the Lsa* and Net* functions with the ANSI code page. A server name may be
// empty (the local computer) or carry leading backslashes; Windows answers
// err::BadNetPath for a server it cannot reach. SIDs travel as
// their binary form (revision, sub-authority count, authority, sub-
// authorities); an empty vector stands for no SID.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace qv {

// Network error codes (the values of winerror.h and lmerr.h).
namespace err {
inline constexpr WinError GenFailure = 31;   // ERROR_GEN_FAILURE
inline constexpr WinError BadNetPath = 53;   // ERROR_BAD_NETPATH: no such server
inline constexpr WinError BadNetName = 67;   // ERROR_BAD_NET_NAME: no such share
inline constexpr WinError AlreadyAssigned = 85;
inline constexpr WinError MrMidNotFound = 317;  // ERROR_MR_MID_NOT_FOUND
inline constexpr WinError BadDevice = 1200;
inline constexpr WinError ConnectionUnavailable = 1201;
inline constexpr WinError DeviceAlreadyRemembered = 1202;
inline constexpr WinError NoNetOrBadPath = 1203;
inline constexpr WinError ExtendedError = 1208;
inline constexpr WinError InvalidComputerName = 1210;
inline constexpr WinError NoNetwork = 1222;
inline constexpr WinError InvalidSid = 1337;
inline constexpr WinError NoSuchDomain = 1355;
inline constexpr WinError RpcServerUnavailable = 1722;
inline constexpr WinError UserNotFound = 2221;  // NERR_UserNotFound
inline constexpr WinError NotConnected = 2250;
inline constexpr WinError DcNotFound = 2453;    // NERR_DCNotFound
}  // namespace err

// NTSTATUS values of the Lsa* functions.
using NtStatus = std::uint32_t;

namespace ntstatus {
inline constexpr NtStatus Success = 0;
inline constexpr NtStatus Unsuccessful = 0xC0000001u;
inline constexpr NtStatus InvalidHandle = 0xC0000008u;
inline constexpr NtStatus AccessDenied = 0xC0000022u;
inline constexpr NtStatus ObjectNameCollision = 0xC0000035u;
inline constexpr NtStatus InvalidSid = 0xC0000078u;
inline constexpr NtStatus ProcedureNotFound = 0xC000007Au;
inline constexpr NtStatus NoSuchDomain = 0xC00000DFu;
inline constexpr NtStatus RpcServerUnavailable = 0xC0020017u;  // RPC_NT_SERVER_UNAVAILABLE
inline constexpr bool IsSuccess(NtStatus s) { return (s & 0x80000000u) == 0; }
}  // namespace ntstatus

// A policy handle from OpenPolicy: a small number chosen by the adapter,
// never 0.
using LsaPolicy = std::uint32_t;

// LSA policy access rights (POLICY_*).
namespace policyaccess {
inline constexpr std::uint32_t ViewLocalInformation = 0x01;
inline constexpr std::uint32_t TrustAdmin = 0x08;
inline constexpr std::uint32_t CreateSecret = 0x20;
}  // namespace policyaccess

// Server type bits of NetServerGetInfo level 101 (SV_TYPE_*).
namespace svtype {
inline constexpr std::uint32_t Workstation = 0x01;
inline constexpr std::uint32_t Server = 0x02;
inline constexpr std::uint32_t DomainCtrl = 0x08;
inline constexpr std::uint32_t DomainBakCtrl = 0x10;
inline constexpr std::uint32_t Nt = 0x1000;
}  // namespace svtype

// User account flags of NetUserGetInfo level 1 (UF_*).
namespace uf {
inline constexpr std::uint32_t Script = 0x0001;
inline constexpr std::uint32_t AccountDisable = 0x0002;
inline constexpr std::uint32_t NormalAccount = 0x0200;
inline constexpr std::uint32_t WorkstationTrustAccount = 0x1000;
inline constexpr std::uint32_t DontExpirePassword = 0x10000;
}  // namespace uf

// NetUseAdd assignment types (USE_*) and NetUseDel force levels.
namespace netuse {
inline constexpr std::uint32_t DiskDev = 0;
inline constexpr std::uint32_t Ipc = 3;
inline constexpr std::uint32_t NoForce = 0;
inline constexpr std::uint32_t LotsOfForce = 2;
}  // namespace netuse

// WNetAddConnection3 / WNetCancelConnection2 flags (CONNECT_*).
namespace connflag {
inline constexpr std::uint32_t UpdateProfile = 0x01;
}  // namespace connflag

// The libraries and exports loaded at run time.
enum class NetLibrary { Advapi32, Netapi32 };

enum class NetFunction {
  // ADVAPI32.DLL
  LsaNtStatusToWinError,
  LsaOpenPolicy,
  LsaSetInformationPolicy,
  LsaSetTrustedDomainInformation,
  LsaStorePrivateData,
  LsaClose,
  LsaQueryInformationPolicy,
  LsaFreeMemory,
  // NETAPI32.DLL
  NetApiBufferFree,
  NetGetDCName,
  NetServerGetInfo,
  NetUseAdd,
  NetUseDel,
  NetUserGetInfo,
  NetUserModalsGet,
  NetWkstaGetInfo,
};

// The export name of a function ("LsaOpenPolicy") and the library that
// holds it.
const char* NetFunctionName(NetFunction function);
NetLibrary LibraryOf(NetFunction function);
// "ADVAPI32.DLL" or "NETAPI32.DLL".
const char* NetLibraryName(NetLibrary library);
// Every function, in declaration order.
const std::vector<NetFunction>& AllNetFunctions();

// SIDs in their binary form: whether one is well formed (revision 1, at
// most 15 sub-authorities, the length they need), and its text form
// ("S-1-5-21-1-2-3"; "" for an empty or malformed SID) and back (empty when
// the text is no SID).
bool IsWellFormedSid(const std::vector<std::uint8_t>& sid);
std::string SidToText(const std::vector<std::uint8_t>& sid);
std::vector<std::uint8_t> SidFromText(std::string_view text);

// NetWkstaGetInfo level 100.
struct WorkstationInfo {
  std::string computerName;
  std::string langroup;  // the workgroup or domain the workstation names
};

// LsaQueryInformationPolicy(PolicyPrimaryDomainInformation).
struct PrimaryDomainInfo {
  std::string name;
  std::vector<std::uint8_t> sid;  // empty: not a domain member
};

class INetwork {
 public:
  virtual ~INetwork() = default;

  // SetComputerName: the new name takes effect at the next start. Windows
  // refuses a name that is empty, longer than 15 characters or holds
  // characters a computer name may not (blanks, \ / * ? " < > | : ; , = +
  // [ ]) with err::InvalidParameter.
  virtual WinError ChangeComputerName(std::string_view name) = 0;

  // WNetGetConnection("E:"): the remote name of a drive letter;
  // err::NotConnected for a letter that is no network drive, err::BadDevice
  // for a name that is no drive letter.
  virtual WinError DriveConnection(std::string_view localName, std::string& remoteName) = 0;
  // WNetAddConnection3(owner, {RESOURCE_GLOBALNET, RESOURCETYPE_DISK,
  // RESOURCEDISPLAYTYPE_SHARE, RESOURCEUSAGE_CONNECTABLE, local, remote},
  // no password, user, flags). An empty user name means the logged-on
  // user's defaults. The owner is the program's main window when it has
  // one. A letter in use gives err::AlreadyAssigned, an unknown server
  // err::BadNetPath, an unknown share err::BadNetName.
  virtual WinError AddDriveConnection(std::string_view localName, std::string_view remoteName,
                                      std::string_view userName, std::uint32_t flags) = 0;
  // WNetCancelConnection2(name, flags, force). No item removes connections;
  // tests use it to take away the ones they made.
  virtual WinError CancelDriveConnection(std::string_view localName, std::uint32_t flags,
                                         bool force) = 0;

  // FormatMessage(FROM_SYSTEM | IGNORE_INSERTS), and for codes 2100 to 2999
  // also from "netmsg.dll": the text for a system or network error code, as
  // the system words it; "" when neither has a text.
  virtual std::string NetErrorMessage(WinError code) = 0;

  // Whether a library could be loaded, and whether one of its exports was
  // found in it.
  virtual bool HasLibrary(NetLibrary library) = 0;
  virtual bool Has(NetFunction function) = 0;

  // LsaNtStatusToWinError.
  virtual WinError LsaStatusToWinError(NtStatus status) = 0;
  // LsaOpenPolicy(system, access): `systemName` empty opens the local
  // computer's policy.
  virtual NtStatus OpenPolicy(std::string_view systemName, std::uint32_t access,
                              LsaPolicy& handle) = 0;
  // LsaClose.
  virtual NtStatus ClosePolicy(LsaPolicy policy) = 0;
  // LsaQueryInformationPolicy(PolicyPrimaryDomainInformation): the
  // workgroup or domain of the computer; a domain member has a SID.
  virtual NtStatus QueryPrimaryDomain(LsaPolicy policy, PrimaryDomainInfo& info) = 0;
  // LsaSetInformationPolicy(PolicyPrimaryDomainInformation): makes the
  // computer a member of a domain (with its SID) or a workgroup (no SID).
  virtual NtStatus SetPrimaryDomain(LsaPolicy policy, const PrimaryDomainInfo& info) = 0;
  // LsaSetTrustedDomainInformation(TrustedDomainNameInformation): records
  // the trust of a domain, given by its SID, under `name`.
  // ntstatus::ObjectNameCollision when the trust exists already.
  virtual NtStatus SetTrustedDomainName(LsaPolicy policy,
                                        const std::vector<std::uint8_t>& domainSid,
                                        std::string_view name) = 0;

  // NetWkstaGetInfo(NULL, 100).
  virtual WinError WorkstationInfo100(WorkstationInfo& info) = 0;
  // NetServerGetInfo(server, 101): the server's sv101_type bits (svtype::*).
  virtual WinError ServerType(std::string_view server, std::uint32_t& type) = 0;
  // NetUserModalsGet(server, 2): the name and SID of the server's account
  // domain (a workstation's own name for a workstation). An invalid SID
  // gives err::InvalidSid.
  virtual WinError AccountDomain(std::string_view server, std::string& name,
                                 std::vector<std::uint8_t>& sid) = 0;
  // NetGetDCName(server, domain): the name of the domain's primary domain
  // controller, as the system gives it (with leading backslashes).
  virtual WinError DomainControllerName(std::string_view server, std::string_view domain,
                                        std::string& controller) = 0;
  // NetUseAdd(NULL, 2, {local, remote, no password, type, no user, no
  // domain}): `localName` empty for a connection without a device, such as
  // netuse::Ipc to "\\server\IPC$".
  virtual WinError AddUse(std::string_view localName, std::string_view remoteName,
                          std::uint32_t type) = 0;
  // NetUseDel(NULL, name, force).
  virtual WinError DeleteUse(std::string_view name, std::uint32_t force) = 0;
  // NetUserGetInfo(server, user, 1): the account's usri1_flags (uf::*).
  virtual WinError UserFlags(std::string_view server, std::string_view userName,
                             std::uint32_t& flags) = 0;
};

}  // namespace qv
