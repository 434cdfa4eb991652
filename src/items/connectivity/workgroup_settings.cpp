#include "items/connectivity/workgroup_settings.h"

#include <cstdio>

#include "engine/debug_log.h"
#include "items/connectivity/identity_settings.h"
#include "items/item_support.h"
#include "platform/machine.h"
#include "platform/system_info.h"
#include "registry/reg_utils.h"
#include "stream/connection.h"

namespace {

constexpr std::size_t kMaxWideName = 1024;  // the wide-name buffer of the join
constexpr std::size_t kMaxNetBiosName = 15;
constexpr std::size_t kMaxAccountDomainName = 255;

bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// The comment form of ErrorText, whose parts end with line breaks.
std::string AsLine(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

constexpr qv::NetFunction kAdvapiFunctions[] = {
    qv::NetFunction::LsaNtStatusToWinError,      qv::NetFunction::LsaOpenPolicy,
    qv::NetFunction::LsaSetInformationPolicy,    qv::NetFunction::LsaSetTrustedDomainInformation,
    qv::NetFunction::LsaStorePrivateData,        qv::NetFunction::LsaClose,
    qv::NetFunction::LsaQueryInformationPolicy,  qv::NetFunction::LsaFreeMemory,
};
constexpr qv::NetFunction kNetapiFunctions[] = {
    qv::NetFunction::NetApiBufferFree, qv::NetFunction::NetGetDCName,
    qv::NetFunction::NetServerGetInfo, qv::NetFunction::NetUseAdd,
    qv::NetFunction::NetUseDel,        qv::NetFunction::NetUserGetInfo,
    qv::NetFunction::NetUserModalsGet, qv::NetFunction::NetWkstaGetInfo,
};

// Whether a library and all its functions are there; each missing function
// is logged.
template <std::size_t N>
bool HasAll(qv::INetwork* network, qv::NetLibrary library, const qv::NetFunction (&functions)[N]) {
  if (!network || !network->HasLibrary(library)) return false;
  bool all = true;
  for (qv::NetFunction f : functions) {
    if (!network->Has(f)) {
      DebugLog(std::string(qv::NetFunctionName(f)) + " is NULL");
      all = false;
    }
  }
  return all;
}

// Closes an open policy when the join leaves, whichever way.
class PolicyCloser {
 public:
  explicit PolicyCloser(qv::INetwork& network) : network_(network) {}
  ~PolicyCloser() {
    if (policy) network_.ClosePolicy(policy);
  }
  qv::LsaPolicy policy = 0;

 private:
  qv::INetwork& network_;
};

}  // namespace

TWorkGroupSettings::TWorkGroupSettings() : nt_(items::RunningOnNT()) {
  if (nt_) {
    LibrariesLoaded = LoadNetworkLibraries();
    return;
  }
  if (UTLHasRegistryAccess()) {
    try {
      MembershipName =
          UTLGetRegString(qv::hkey::LocalMachine, kNetworkSetupKey, "WorkGroup", kNoWorkgroup);
    } catch (const ERegistryException&) {
      MembershipName = kNoWorkgroup;
    }
  }
  DebugLog("WorkGroup = " + MembershipName);
}

// The libraries belong to the machine's network service, which frees them.
TWorkGroupSettings::~TWorkGroupSettings() = default;

bool TWorkGroupSettings::RequiresRegistryAccess() { return !nt_; }

bool TWorkGroupSettings::LoadNetworkLibraries() {
  qv::INetwork* network = qv::CurrentMachine().Network();
  if (!HasAll(network, qv::NetLibrary::Advapi32, kAdvapiFunctions)) {
    ErrorText = "Error loading ADVAPI32.DLL";
    return false;
  }
  if (!HasAll(network, qv::NetLibrary::Netapi32, kNetapiFunctions)) {
    ErrorText = "Error loading NETAPI32.DLL";
    return false;
  }
  return true;
}

bool TWorkGroupSettings::QueryMembership() {
  if (!LibrariesLoaded) return false;
  qv::INetwork& network = *qv::CurrentMachine().Network();

  qv::WorkstationInfo workstation;
  qv::WinError code = network.WorkstationInfo100(workstation);
  if (code != qv::err::Success) {
    ReportNetError("NetWkstaGetInfo Error: ", code);
    return false;
  }
  PolicyCloser closer(network);
  qv::NtStatus status =
      network.OpenPolicy("", qv::policyaccess::ViewLocalInformation, closer.policy);
  if (!qv::ntstatus::IsSuccess(status)) {
    closer.policy = 0;
    ReportLsaError("OpenPolicy Error: ", status);
    return false;
  }
  qv::PrimaryDomainInfo domain;
  status = network.QueryPrimaryDomain(closer.policy, domain);
  if (!qv::ntstatus::IsSuccess(status)) {
    ReportLsaError("LsaQueryInformationPolicy Error: ", status);
    return false;
  }
  MembershipName = domain.name;
  if (!domain.sid.empty()) {
    IsWorkgroup = false;
    DebugLog("Member of Domain " + MembershipName);
  } else {
    IsWorkgroup = true;
    const std::string& computer = workstation.computerName;
    if (MembershipName.compare(0, computer.size(), computer) != 0)
      DebugLog("Member of workgroup " + MembershipName);
    else
      DebugLog(MembershipName + " is a standalone workstation");
  }
  return true;
}

bool TWorkGroupSettings::JoinMembership() {
  qv::INetwork* network = qv::CurrentMachine().Network();
  if (!LibrariesLoaded || !network) return false;
  std::string remoteName;
  bool joined = JoinWith(*network, remoteName);
  // A session opened to the controller is not left behind, whether the
  // join worked or not.
  if (!remoteName.empty()) {
    DebugLog("Disconnecting NULL session to " + remoteName);
    network->DeleteUse(remoteName, qv::netuse::NoForce);
  }
  return joined;
}

bool TWorkGroupSettings::JoinWith(qv::INetwork& network, std::string& remoteName) {
  std::string target = MembershipName.substr(0, kMaxWideName);
  DebugLog("TrustedDomainName is " + target);

  std::uint32_t serverType = 0;
  qv::WinError code = network.ServerType("", serverType);
  if (code != qv::err::Success) {
    ReportNetError("NetServerGetInfo", code);
    return false;
  }
  if (serverType & (qv::svtype::DomainCtrl | qv::svtype::DomainBakCtrl)) {
    DebugLog("Operation is not valid on a domain controller.");
    ErrorText += "Operation is not valid on a Domain Controller.\n";
    return false;
  }

  std::string workstation;
  std::vector<std::uint8_t> ownSid;
  code = network.AccountDomain("", workstation, ownSid);
  if (code != qv::err::Success) {
    ReportNetError("NetUserModalsGet", code);
    return false;
  }
  if (workstation.size() > kMaxAccountDomainName) workstation.resize(kMaxAccountDomainName);
  DebugLog("Workstation name is " + workstation);

  if (EqualNoCase(target, workstation)) {
    const std::string text = "Error:  Domain " + target + " cannot be a member of itself.";
    DebugLog(text);
    ErrorText += text;
    return false;
  }
  if (target.size() > kMaxNetBiosName) target.resize(kMaxNetBiosName);

  std::vector<std::uint8_t> domainSid;
  if (!IsWorkgroup) {
    std::string controller;
    code = network.DomainControllerName("", target, controller);
    if (code != qv::err::Success) {
      ReportNetError("NetGetDCName", code);
      ErrorText += "Could not get Domain Controller name.\n";
      DebugLog(ErrorText);
      return false;
    }

    // The null session: "\\controller\IPC$" without a user or password.
    std::string bare = controller;
    while (!bare.empty() && bare.front() == '\\') bare.erase(0, 1);
    const bool prefixed = (!controller.empty() && controller[0] == '\\') ||
                          (controller.size() > 1 && controller[1] == '\\');
    std::string remote = prefixed ? controller : "\\\\" + controller;
    remote += "\\IPC$";
    DebugLog("Establishing NULL session to " + controller);
    code = (bare.empty() || bare.size() > kMaxNetBiosName)
               ? qv::err::InvalidComputerName
               : network.AddUse("", remote, qv::netuse::Ipc);
    if (code != qv::err::Success) {
      ReportNetError("EstablishNullSession", code);
      const std::string text = "Could not connect to Primary Domain Controler " + controller + "\n";
      DebugLog(text);
      ErrorText += text;
      return false;
    }
    remoteName = remote;
    DebugLog("NULL session established to Domain Controller (" + controller + ")");

    const std::string account = workstation + "$";
    DebugLog("NetAccountName = " + account);
    std::uint32_t flags = 0;
    code = network.UserFlags(controller, account, flags);
    if (code != qv::err::Success) {
      ErrorText += "Account name is " + workstation + "\n";
      ReportNetError("NetUserGetInfo", code);
      return false;
    }
    if (!(flags & qv::uf::WorkstationTrustAccount)) {
      ErrorText += "Account name is " + workstation + "\n";
      const std::string text =
          "Account on Primary Domain Controller wrong type (" + std::to_string(flags) + ")\n";
      DebugLog(text);
      ErrorText += text;
      return false;
    }

    std::string domainName;
    code = network.AccountDomain(controller, domainName, domainSid);
    if (code == qv::err::Success && domainSid.empty()) code = qv::err::InvalidSid;
    if (code != qv::err::Success) {
      ReportNetError("GetDomainSid", code);
      return false;
    }
  }

  DebugLog("opening policy on " + workstation);
  PolicyCloser closer(network);
  qv::NtStatus status = network.OpenPolicy(
      workstation, qv::policyaccess::TrustAdmin | qv::policyaccess::CreateSecret, closer.policy);
  if (!qv::ntstatus::IsSuccess(status)) {
    closer.policy = 0;
    ReportLsaError("OpenPolicy", status);
    return false;
  }

  if (!IsWorkgroup) {
    status = network.SetTrustedDomainName(closer.policy, domainSid, Upper(target));
    if (status == qv::ntstatus::ObjectNameCollision) {
      DebugLog("LsaSetTrustedDomainInformation: Name Collision (ok)");
    } else if (!qv::ntstatus::IsSuccess(status)) {
      ReportLsaError("LsaSetTrustedDomainInformation", status);
      return false;
    }
  }

  qv::PrimaryDomainInfo primary;
  primary.name = target;
  if (!IsWorkgroup) primary.sid = domainSid;
  status = network.SetPrimaryDomain(closer.policy, primary);
  if (!qv::ntstatus::IsSuccess(status)) {
    ReportLsaError("SetPrimaryDomain", status);
    return false;
  }
  DebugLog("Workstation " + workstation + " is now a member of " +
           (IsWorkgroup ? "workgroup " : "domain ") + target);
  return true;
}

void TWorkGroupSettings::ReportLsaError(const std::string& operation, qv::NtStatus status) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(status));
  DebugLog(std::string("error=") + hex);
  qv::INetwork* network = qv::CurrentMachine().Network();
  qv::WinError code = network ? network->LsaStatusToWinError(status) : status;
  ReportNetError(operation, code);
}

void TWorkGroupSettings::ReportNetError(const std::string& operation, qv::WinError code) {
  DebugLog(operation + "  error! rc=" + std::to_string(code));
  qv::INetwork* network = qv::CurrentMachine().Network();
  std::string text = network ? network->NetErrorMessage(code) : std::string();
  if (text.empty()) {
    DebugLog("FormatMessage failed - " +
             std::to_string(qv::CurrentMachine().System().LastError()));
    return;
  }
  DebugLog(text);
  ErrorText += text;
}

bool TWorkGroupSettings::Write(TConnection& stream) {
  if (nt_ && !QueryMembership()) {
    stream.AddComment("An error occured while retrieving the domain/workgroup :");
    stream.AddComment(AsLine(ErrorText));
  }
  stream.WriteBoolean(IsWorkgroup, "IsWorkgroup");
  stream.WriteString(Reserved, "Reserved");
  stream.WriteString(MembershipName, "MembershipName");
  Describe(stream);
  return true;
}

bool TWorkGroupSettings::Read(TConnection& stream) {
  RestartRequired = true;
  bool result = true;
  IsWorkgroup = stream.ReadBoolean("IsWorkgroup");
  Reserved = stream.ReadString("Reserved");
  MembershipName = stream.ReadString("MembershipName");
  if (nt_) {
    if (!JoinMembership()) {
      stream.AddComment("An error occured while setting the domain/workgroup :");
      stream.AddComment(AsLine(ErrorText));
      stream.AddComment("Your domain/workgroup has not been changed.");
      QueryMembership();
    }
  } else if (MembershipName != kNoWorkgroup && UTLHasRegistryAccess()) {
    result = items::SetRegStringForUndo(qv::hkey::LocalMachine, kNetworkSetupKey, "WorkGroup",
                                        MembershipName);
  }
  Describe(stream);
  return result;
}

void TWorkGroupSettings::Describe(TConnection& stream) {
  if (nt_) {
    stream.AddComment((IsWorkgroup ? "WorkGroup     : " : "Domain     : ") + MembershipName);
    return;
  }
  if (!UTLHasRegistryAccess()) {
    stream.AddComment("WorkGroup   : ");
    ReportRegistryAccessRequired(stream);
  } else if (MembershipName != kNoWorkgroup) {
    stream.AddComment("WorkGroup     : " + MembershipName);
  }
}
