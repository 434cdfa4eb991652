// The in-memory machine's network: its computer name changes, drive
// connections, the Windows NT security policy and the network-management
// calls, answered as Windows answers them.
#include <cstdio>

#include "platform/memory/memory_state.h"

namespace qv::mem {

namespace {

using State = MemoryMachine::State;

constexpr const char* kComputerNameKey =
    "System\\CurrentControlSet\\Control\\ComputerName\\ComputerName";
constexpr const char* kActiveComputerNameKey =
    "System\\CurrentControlSet\\Control\\ComputerName\\ActiveComputerName";
constexpr const char* kVnetsupKey = "System\\CurrentControlSet\\Services\\VxD\\VNETSUP";
constexpr std::uint32_t kMaxComputerName = 15;  // MAX_COMPUTERNAME_LENGTH

bool IsNT(const State& s) { return s.setup.kind == okWinNT; }

// The characters a computer name may hold besides letters and digits.
bool ComputerNameChar(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  if (u >= 0x80) return true;  // letters of the ANSI code page
  for (const char* p = "!@#$%^&')(.-_{}~"; *p; ++p)
    if (c == *p) return true;
  return false;
}

std::string StripBackslashes(std::string_view server) {
  while (!server.empty() && server.front() == '\\') server.remove_prefix(1);
  return std::string(server);
}

// A drive letter such as "E:" (either case): its upper-case letter, or 0.
char DriveLetter(std::string_view localName) {
  if (localName.size() != 2 || localName[1] != ':') return 0;
  const char c = localName[0];
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') return c;
  return 0;
}

// "\\SERVER\SHARE": false for anything else.
bool SplitRemote(std::string_view remote, std::string& server, std::string& share) {
  if (remote.size() < 5 || remote[0] != '\\' || remote[1] != '\\') return false;
  remote.remove_prefix(2);
  const std::size_t slash = remote.find('\\');
  if (slash == 0 || slash == std::string_view::npos || slash + 1 == remote.size()) return false;
  server = std::string(remote.substr(0, slash));
  share = std::string(remote.substr(slash + 1));
  return share.find('\\') == std::string::npos;
}

std::string RememberedKey(const State& s, char letter) {
  return std::string(IsNT(s) ? "Network\\" : "Network\\Persistent\\") + letter;
}

void PutDword(RegNode& key, std::string_view name, std::uint32_t v) {
  PutValue(key, name, regtype::Dword,
           {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)});
}

std::string StringValue(RegNode* key, std::string_view name) {
  if (!key) return "";
  RegValue* v = key->FindValue(name);
  if (!v || (v->type != regtype::Sz && v->type != regtype::ExpandSz)) return "";
  std::string text(v->data.begin(), v->data.end());
  while (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

// A SID of the form S-1-5-21-x-y-z made from a name, so that machines and
// servers of different names have different SIDs.
std::vector<std::uint8_t> SidForName(std::string_view name) {
  std::uint32_t h = 2166136261u;
  std::uint32_t parts[3];
  for (std::uint32_t& part : parts) {
    for (char c : FoldCase(name)) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    h = (h ^ 0x5Au) * 16777619u;
    part = h;
  }
  return SidFromText("S-1-5-21-" + std::to_string(parts[0]) + "-" + std::to_string(parts[1]) +
                     "-" + std::to_string(parts[2]));
}

const char* RoleName(DomainRole role) {
  switch (role) {
    case DomainRole::Workstation: return "workstation";
    case DomainRole::PrimaryController: return "primary domain controller";
    case DomainRole::BackupController: return "backup domain controller";
  }
  return "";
}

std::string Quote(std::string_view s) { return "\"" + std::string(s) + "\""; }

std::string SidText(const std::vector<std::uint8_t>& sid) {
  if (sid.empty()) return "no SID";
  const std::string text = SidToText(sid);
  return text.empty() ? "malformed SID (" + std::to_string(sid.size()) + " bytes)" : text;
}

std::string Hex(std::uint32_t x) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%x", x);
  return buf;
}

// Walks two maps keyed alike and calls `each(key, a or null, b or null)`.
template <typename Map, typename Each>
void Merge(const Map& a, const Map& b, Each each) {
  auto ia = a.begin();
  auto ib = b.begin();
  while (ia != a.end() || ib != b.end()) {
    if (ib == b.end() || (ia != a.end() && ia->first < ib->first)) {
      each(ia->first, &ia->second, nullptr);
      ++ia;
    } else if (ia == a.end() || ib->first < ia->first) {
      each(ib->first, nullptr, &ib->second);
      ++ib;
    } else {
      each(ia->first, &ia->second, &ib->second);
      ++ia;
      ++ib;
    }
  }
}

const char* Only(const void* a) { return a ? "only in first" : "only in second"; }

}  // namespace

void InitializeNetwork(State& s) {
  NetworkState& n = s.network;
  n.libraries = {NetLibrary::Advapi32, NetLibrary::Netapi32};
  // Windows 95/98 have both libraries but no security policy or network
  // management exports in them.
  if (IsNT(s))
    n.exports.insert(AllNetFunctions().begin(), AllNetFunctions().end());
  n.role = DomainRole::Workstation;
  n.machineSid = SidForName(s.setup.computerName);
  n.primary = PrimaryDomainInfo{"WORKGROUP", {}};
  n.workstationDomain = "WORKGROUP";
}

void StorePendingComputerName(State& s, std::string_view name) {
  PutString(MakeKey(s, hkey::LocalMachine, kComputerNameKey), "ComputerName", name);
  if (!IsNT(s)) PutString(MakeKey(s, hkey::LocalMachine, kVnetsupKey), "ComputerName", name);
}

void RestartNetwork(State& s) {
  const std::string pending =
      StringValue(FindKey(s, hkey::LocalMachine, kComputerNameKey), "ComputerName");
  if (!pending.empty()) {
    s.computerName = pending;
    if (IsNT(s))
      PutString(MakeKey(s, hkey::LocalMachine, kActiveComputerNameKey), "ComputerName", pending);
  }
  NetworkState& n = s.network;
  n.workstationDomain = n.primary.name;
  s.policies.clear();

  // Connections end with the session; the remembered ones are made again.
  n.connections.clear();
  RegNode* remembered =
      FindKey(s, hkey::CurrentUser, IsNT(s) ? "Network" : "Network\\Persistent");
  if (!remembered) return;
  for (auto& [folded, key] : remembered->children) {
    if (folded.size() != 1 || folded[0] < 'A' || folded[0] > 'Z') continue;
    const std::string remote = StringValue(&key, "RemotePath");
    std::string server, share;
    if (!SplitRemote(remote, server, share)) continue;
    auto srv = n.servers.find(FoldCase(server));
    if (srv == n.servers.end()) continue;
    if (FoldCase(share) != "IPC$" && !srv->second.shares.count(FoldCase(share))) continue;
    n.connections.push_back(NetConnection{folded + ":", remote});
  }
}

void CompareNetwork(const State& a, const State& b, std::vector<std::string>& out) {
  const NetworkState& na = a.network;
  const NetworkState& nb = b.network;
  for (NetLibrary library : {NetLibrary::Advapi32, NetLibrary::Netapi32}) {
    const bool ia = na.libraries.count(library) != 0, ib = nb.libraries.count(library) != 0;
    if (ia != ib)
      out.push_back(std::string("network library ") + NetLibraryName(library) + ": " +
                    (ia ? "present -> missing" : "missing -> present"));
  }
  for (NetFunction f : AllNetFunctions()) {
    const bool ia = na.exports.count(f) != 0, ib = nb.exports.count(f) != 0;
    if (ia != ib)
      out.push_back(std::string("network export ") + NetFunctionName(f) + ": " +
                    (ia ? "present -> missing" : "missing -> present"));
  }
  if (na.role != nb.role)
    out.push_back(std::string("network role ") + RoleName(na.role) + " -> " + RoleName(nb.role));
  if (na.machineSid != nb.machineSid)
    out.push_back("network machine SID " + SidText(na.machineSid) + " -> " +
                  SidText(nb.machineSid));
  if (na.primary.name != nb.primary.name || na.primary.sid != nb.primary.sid)
    out.push_back("network primary domain " + Quote(na.primary.name) + " " +
                  SidText(na.primary.sid) + " -> " + Quote(nb.primary.name) + " " +
                  SidText(nb.primary.sid));
  if (na.workstationDomain != nb.workstationDomain)
    out.push_back("network workstation domain " + Quote(na.workstationDomain) + " -> " +
                  Quote(nb.workstationDomain));
  Merge(na.trusts, nb.trusts,
        [&](const std::string&, const TrustedDomain* ta, const TrustedDomain* tb) {
          const TrustedDomain& t = ta ? *ta : *tb;
          const std::string label = "network trusted domain " + Quote(t.name) + ": ";
          if (!ta || !tb)
            out.push_back(label + SidText(t.sid) + " " + Only(ta));
          else if (ta->sid != tb->sid || ta->name != tb->name)
            out.push_back(label + Quote(ta->name) + " " + SidText(ta->sid) + " -> " +
                          Quote(tb->name) + " " + SidText(tb->sid));
        });
  Merge(na.domains, nb.domains,
        [&](const std::string&, const NetDomain* da, const NetDomain* db) {
          const std::string label = "network domain " + Quote((da ? da : db)->name) + ": ";
          if (!da || !db) {
            out.push_back(label + Only(da));
            return;
          }
          if (da->controller != db->controller)
            out.push_back(label + "controller " + Quote(da->controller) + " -> " +
                          Quote(db->controller));
          if (da->sid != db->sid)
            out.push_back(label + "SID " + SidText(da->sid) + " -> " + SidText(db->sid));
          Merge(da->accounts, db->accounts,
                [&](const std::string&, const NetAccount* aa, const NetAccount* ab) {
                  const std::string account =
                      label + "account " + Quote((aa ? aa : ab)->name) + " ";
                  if (!aa || !ab)
                    out.push_back(account + Only(aa));
                  else if (aa->flags != ab->flags)
                    out.push_back(account + "flags " + Hex(aa->flags) + " -> " + Hex(ab->flags));
                });
        });
  Merge(na.servers, nb.servers,
        [&](const std::string&, const NetServer* sa, const NetServer* sb) {
          const std::string label = "network server " + Quote((sa ? sa : sb)->name) + ": ";
          if (!sa || !sb) {
            out.push_back(label + Only(sa));
            return;
          }
          Merge(sa->shares, sb->shares,
                [&](const std::string&, const std::string* ha, const std::string* hb) {
                  if (!ha || !hb) out.push_back(label + "share " + Quote(ha ? *ha : *hb) + " " +
                                                Only(ha));
                });
        });
  // Connections compare by what they connect, whatever their order.
  auto keyed = [](const NetworkState& n) {
    std::map<std::string, const NetConnection*> m;
    for (const NetConnection& c : n.connections)
      m[FoldCase(c.localName) + "|" + FoldCase(c.remoteName)] = &c;
    return m;
  };
  Merge(keyed(na), keyed(nb),
        [&](const std::string&, const NetConnection* const* ca, const NetConnection* const* cb) {
          if (ca && cb) return;
          const NetConnection& c = ca ? **ca : **cb;
          out.push_back("network connection " +
                        (c.localName.empty() ? std::string("(no device)") : c.localName) + " " +
                        c.remoteName + ": " + Only(ca));
        });
}

std::string NetworkMessageText(WinError code) {
  const char* text = nullptr;
  switch (code) {
    case 2221: text = "The user name could not be found."; break;
    case 2250: text = "The network connection could not be found."; break;
    case 2453: text = "Could not find domain controller for this domain."; break;
    default: return std::string();
  }
  return std::string(text) + "\r\n";
}

// ---------------------------------------------------------------------------
// The port

MemoryNetwork::Where MemoryNetwork::Locate(std::string_view server, std::string& folded) const {
  folded = FoldCase(StripBackslashes(server));
  if (folded.empty() || folded == FoldCase(s_.computerName)) return Where::Local;
  return s_.network.servers.count(folded) ? Where::Remote : Where::Unknown;
}

NtStatus MemoryNetwork::CheckPolicy(LsaPolicy policy, std::uint32_t access) const {
  auto it = s_.policies.find(policy);
  if (it == s_.policies.end()) return ntstatus::InvalidHandle;
  return (it->second.access & access) == access ? ntstatus::Success : ntstatus::AccessDenied;
}

WinError MemoryNetwork::CheckShare(std::string_view remoteName) const {
  std::string server, share;
  if (!SplitRemote(remoteName, server, share)) return err::BadNetName;
  std::string folded;
  if (Locate(server, folded) == Where::Unknown) return err::BadNetPath;
  // Every server has IPC$; the machine itself shares nothing else unless
  // it was given shares as a server of the network.
  if (FoldCase(share) == "IPC$") return err::Success;
  auto srv = s_.network.servers.find(folded);
  if (srv != s_.network.servers.end() && srv->second.shares.count(FoldCase(share)))
    return err::Success;
  return err::BadNetName;
}

WinError MemoryNetwork::CheckFreeLetter(std::string_view localName) const {
  const char letter = DriveLetter(localName);
  if (!letter) return err::BadDevice;
  if (s_.drives.count(letter)) return err::AlreadyAssigned;
  for (const NetConnection& c : s_.network.connections)
    if (DriveLetter(c.localName) == letter) return err::AlreadyAssigned;
  return err::Success;
}

std::vector<NetConnection>::iterator MemoryNetwork::FindConnection(std::string_view name) {
  auto& list = s_.network.connections;
  const char letter = DriveLetter(name);
  for (auto it = list.begin(); it != list.end(); ++it) {
    if (letter ? DriveLetter(it->localName) == letter
               : it->localName.empty() && EqualNoCase(it->remoteName, name))
      return it;
  }
  return list.end();
}

WinError MemoryNetwork::ChangeComputerName(std::string_view name) {
  std::lock_guard g(s_.lock);
  if (name.empty() || name.size() > kMaxComputerName) return Fail(err::InvalidParameter);
  for (char c : name)
    if (!ComputerNameChar(c)) return Fail(err::InvalidParameter);
  // The name lives below HKEY_LOCAL_MACHINE, which only administrators may
  // change.
  if (!s_.setup.administrator) return Fail(err::AccessDenied);
  StorePendingComputerName(s_, FoldCase(name));
  return err::Success;
}

WinError MemoryNetwork::DriveConnection(std::string_view localName, std::string& remoteName) {
  std::lock_guard g(s_.lock);
  if (!DriveLetter(localName)) return Fail(err::BadDevice);
  auto it = FindConnection(localName);
  if (it == s_.network.connections.end()) return Fail(err::NotConnected);
  remoteName = it->remoteName;
  return err::Success;
}

WinError MemoryNetwork::AddDriveConnection(std::string_view localName,
                                           std::string_view remoteName,
                                           std::string_view userName, std::uint32_t flags) {
  std::lock_guard g(s_.lock);
  if (!localName.empty()) {
    if (WinError e = CheckFreeLetter(localName)) return Fail(e);
  }
  if (WinError e = CheckShare(remoteName)) return Fail(e);
  const char letter = DriveLetter(localName);
  // Only connections of a drive letter are remembered.
  const bool remember = letter && (flags & connflag::UpdateProfile);
  if (remember && FindKey(s_, hkey::CurrentUser, RememberedKey(s_, letter)))
    return Fail(err::DeviceAlreadyRemembered);
  if (remember) {
    RegNode& key = MakeKey(s_, hkey::CurrentUser, RememberedKey(s_, letter));
    PutString(key, "RemotePath", remoteName);
    PutString(key, "UserName", userName);
    if (IsNT(s_)) {
      PutString(key, "ProviderName", "Microsoft Windows Network");
      PutDword(key, "ProviderType", 0x20000);  // WNNC_NET_LANMAN
      PutDword(key, "ConnectionType", 1);      // a disk
    } else {
      PutString(key, "ProviderName", "Microsoft Network");
    }
  }
  s_.network.connections.push_back(
      NetConnection{letter ? std::string{letter, ':'} : std::string(), std::string(remoteName)});
  return err::Success;
}

WinError MemoryNetwork::CancelDriveConnection(std::string_view localName, std::uint32_t flags,
                                              bool /*force*/) {
  std::lock_guard g(s_.lock);
  // No files are open on the connections of this machine, so force
  // changes nothing.
  const char letter = DriveLetter(localName);
  const bool forget = letter && (flags & connflag::UpdateProfile);
  bool remembered = false;
  if (letter) {
    remembered = FindKey(s_, hkey::CurrentUser, RememberedKey(s_, letter)) != nullptr;
  }
  auto it = FindConnection(localName);
  if (it == s_.network.connections.end() && !(forget && remembered))
    return Fail(err::NotConnected);
  if (it != s_.network.connections.end()) s_.network.connections.erase(it);
  if (forget && remembered) {
    RegNode* parent =
        FindKey(s_, hkey::CurrentUser, IsNT(s_) ? "Network" : "Network\\Persistent");
    if (parent) parent->children.erase(std::string(1, letter));
  }
  return err::Success;
}

std::string MemoryNetwork::NetErrorMessage(WinError code) {
  std::string text = SystemMessageText(code);
  if (text.empty() && code >= 2100 && code <= 2999) text = NetworkMessageText(code);
  return text;
}

bool MemoryNetwork::HasLibrary(NetLibrary library) {
  std::lock_guard g(s_.lock);
  return s_.network.libraries.count(library) != 0;
}

bool MemoryNetwork::Has(NetFunction function) {
  std::lock_guard g(s_.lock);
  return s_.network.libraries.count(LibraryOf(function)) != 0 &&
         s_.network.exports.count(function) != 0;
}

WinError MemoryNetwork::LsaStatusToWinError(NtStatus status) {
  if (!Has(NetFunction::LsaNtStatusToWinError)) return err::ProcNotFound;
  switch (status) {
    case ntstatus::Success: return err::Success;
    case ntstatus::Unsuccessful: return err::GenFailure;
    case ntstatus::InvalidHandle: return err::InvalidHandle;
    case ntstatus::AccessDenied: return err::AccessDenied;
    case ntstatus::ObjectNameCollision: return err::AlreadyExists;
    case ntstatus::InvalidSid: return err::InvalidSid;
    case ntstatus::ProcedureNotFound: return err::ProcNotFound;
    case ntstatus::NoSuchDomain: return err::NoSuchDomain;
    case ntstatus::RpcServerUnavailable: return err::RpcServerUnavailable;
    default: return err::MrMidNotFound;
  }
}

NtStatus MemoryNetwork::OpenPolicy(std::string_view systemName, std::uint32_t access,
                                   LsaPolicy& handle) {
  if (!Has(NetFunction::LsaOpenPolicy)) return ntstatus::ProcedureNotFound;
  std::lock_guard g(s_.lock);
  std::string folded;
  if (Locate(systemName, folded) != Where::Local) return ntstatus::RpcServerUnavailable;
  // Every user may read the local policy; anything more takes an
  // administrator.
  if ((access & ~policyaccess::ViewLocalInformation) != 0 && !s_.setup.administrator)
    return ntstatus::AccessDenied;
  handle = s_.nextHandle++;
  s_.policies[handle] = PolicyRecord{access};
  return ntstatus::Success;
}

NtStatus MemoryNetwork::ClosePolicy(LsaPolicy policy) {
  if (!Has(NetFunction::LsaClose)) return ntstatus::ProcedureNotFound;
  std::lock_guard g(s_.lock);
  return s_.policies.erase(policy) ? ntstatus::Success : ntstatus::InvalidHandle;
}

NtStatus MemoryNetwork::QueryPrimaryDomain(LsaPolicy policy, PrimaryDomainInfo& info) {
  if (!Has(NetFunction::LsaQueryInformationPolicy)) return ntstatus::ProcedureNotFound;
  std::lock_guard g(s_.lock);
  if (NtStatus st = CheckPolicy(policy, policyaccess::ViewLocalInformation)) return st;
  info = s_.network.primary;
  return ntstatus::Success;
}

NtStatus MemoryNetwork::SetPrimaryDomain(LsaPolicy policy, const PrimaryDomainInfo& info) {
  if (!Has(NetFunction::LsaSetInformationPolicy)) return ntstatus::ProcedureNotFound;
  std::lock_guard g(s_.lock);
  if (NtStatus st = CheckPolicy(policy, policyaccess::TrustAdmin)) return st;
  if (!info.sid.empty() && !IsWellFormedSid(info.sid)) return ntstatus::InvalidSid;
  s_.network.primary = info;
  return ntstatus::Success;
}

NtStatus MemoryNetwork::SetTrustedDomainName(LsaPolicy policy,
                                             const std::vector<std::uint8_t>& domainSid,
                                             std::string_view name) {
  if (!Has(NetFunction::LsaSetTrustedDomainInformation)) return ntstatus::ProcedureNotFound;
  std::lock_guard g(s_.lock);
  if (NtStatus st = CheckPolicy(policy, policyaccess::TrustAdmin)) return st;
  if (!IsWellFormedSid(domainSid)) return ntstatus::InvalidSid;
  for (const auto& [key, trust] : s_.network.trusts)
    if (trust.sid == domainSid) return ntstatus::ObjectNameCollision;
  auto [it, inserted] =
      s_.network.trusts.try_emplace(FoldCase(name), TrustedDomain{std::string(name), domainSid});
  return inserted ? ntstatus::Success : ntstatus::ObjectNameCollision;
}

WinError MemoryNetwork::WorkstationInfo100(WorkstationInfo& info) {
  if (!Has(NetFunction::NetWkstaGetInfo)) return err::ProcNotFound;
  std::lock_guard g(s_.lock);
  info.computerName = s_.computerName;
  info.langroup = s_.network.workstationDomain;
  return err::Success;
}

WinError MemoryNetwork::ServerType(std::string_view server, std::uint32_t& type) {
  if (!Has(NetFunction::NetServerGetInfo)) return err::ProcNotFound;
  std::lock_guard g(s_.lock);
  std::string folded;
  type = svtype::Workstation | svtype::Server | svtype::Nt;
  switch (Locate(server, folded)) {
    case Where::Unknown: return err::BadNetPath;
    case Where::Local:
      if (s_.network.role == DomainRole::PrimaryController) type |= svtype::DomainCtrl;
      if (s_.network.role == DomainRole::BackupController) type |= svtype::DomainBakCtrl;
      return err::Success;
    case Where::Remote:
      for (const auto& [key, domain] : s_.network.domains)
        if (FoldCase(domain.controller) == folded) type |= svtype::DomainCtrl;
      return err::Success;
  }
  return err::Success;
}

WinError MemoryNetwork::AccountDomain(std::string_view server, std::string& name,
                                      std::vector<std::uint8_t>& sid) {
  if (!Has(NetFunction::NetUserModalsGet)) return err::ProcNotFound;
  std::lock_guard g(s_.lock);
  std::string folded;
  switch (Locate(server, folded)) {
    case Where::Unknown: return err::BadNetPath;
    case Where::Local:
      // A controller's accounts are its domain's; a workstation keeps its
      // own, under its own name.
      if (s_.network.role == DomainRole::Workstation) {
        name = s_.computerName;
        sid = s_.network.machineSid;
      } else {
        name = s_.network.primary.name;
        sid = s_.network.primary.sid;
      }
      break;
    case Where::Remote: {
      const NetServer& srv = s_.network.servers.at(folded);
      name = srv.name;
      sid = SidForName(srv.name);
      for (const auto& [key, domain] : s_.network.domains) {
        if (FoldCase(domain.controller) == folded) {
          name = domain.name;
          sid = domain.sid;
        }
      }
      break;
    }
  }
  return IsWellFormedSid(sid) ? err::Success : err::InvalidSid;
}

WinError MemoryNetwork::DomainControllerName(std::string_view server, std::string_view domain,
                                             std::string& controller) {
  if (!Has(NetFunction::NetGetDCName)) return err::ProcNotFound;
  std::lock_guard g(s_.lock);
  std::string folded;
  if (Locate(server, folded) == Where::Unknown) return err::BadNetPath;
  // No domain name means the primary domain, which a workgroup is not.
  std::string wanted(domain);
  if (wanted.empty()) {
    if (s_.network.primary.sid.empty()) return err::DcNotFound;
    wanted = s_.network.primary.name;
  }
  auto it = s_.network.domains.find(FoldCase(wanted));
  if (it == s_.network.domains.end()) return err::DcNotFound;
  controller = "\\\\" + it->second.controller;
  return err::Success;
}

WinError MemoryNetwork::AddUse(std::string_view localName, std::string_view remoteName,
                               std::uint32_t /*type*/) {
  if (!Has(NetFunction::NetUseAdd)) return err::ProcNotFound;
  std::lock_guard g(s_.lock);
  if (!localName.empty()) {
    if (WinError e = CheckFreeLetter(localName)) return e;
  }
  if (WinError e = CheckShare(remoteName)) return e;
  // A second connection without a device to the same resource shares the
  // first one.
  if (localName.empty() && FindConnection(remoteName) != s_.network.connections.end())
    return err::Success;
  const char letter = DriveLetter(localName);
  s_.network.connections.push_back(
      NetConnection{letter ? std::string{letter, ':'} : std::string(), std::string(remoteName)});
  return err::Success;
}

WinError MemoryNetwork::DeleteUse(std::string_view name, std::uint32_t /*force*/) {
  if (!Has(NetFunction::NetUseDel)) return err::ProcNotFound;
  std::lock_guard g(s_.lock);
  auto it = FindConnection(name);
  if (it == s_.network.connections.end()) return err::NotConnected;
  s_.network.connections.erase(it);
  return err::Success;
}

WinError MemoryNetwork::UserFlags(std::string_view server, std::string_view userName,
                                  std::uint32_t& flags) {
  if (!Has(NetFunction::NetUserGetInfo)) return err::ProcNotFound;
  std::lock_guard g(s_.lock);
  std::string folded;
  const NetDomain* domain = nullptr;
  switch (Locate(server, folded)) {
    case Where::Unknown: return err::BadNetPath;
    case Where::Local: {
      if (s_.network.role != DomainRole::Workstation) {
        auto it = s_.network.domains.find(FoldCase(s_.network.primary.name));
        if (it != s_.network.domains.end()) domain = &it->second;
        break;
      }
      // A workstation's own accounts.
      const std::string user = FoldCase(userName);
      if (user == "ADMINISTRATOR") {
        flags = uf::Script | uf::NormalAccount | uf::DontExpirePassword;
      } else if (user == "GUEST") {
        flags = uf::Script | uf::AccountDisable | uf::NormalAccount | uf::DontExpirePassword;
      } else if (!s_.userName.empty() && user == FoldCase(s_.userName)) {
        flags = uf::Script | uf::NormalAccount;
      } else {
        return err::UserNotFound;
      }
      return err::Success;
    }
    case Where::Remote:
      for (const auto& [key, d] : s_.network.domains)
        if (FoldCase(d.controller) == folded) domain = &d;
      break;
  }
  if (!domain) return err::UserNotFound;
  auto account = domain->accounts.find(FoldCase(userName));
  if (account == domain->accounts.end()) return err::UserNotFound;
  flags = account->second.flags;
  return err::Success;
}

}  // namespace qv::mem
