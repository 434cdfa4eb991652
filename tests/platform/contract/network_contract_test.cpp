// What the program relies on from the network calls: the computer name, drive
// connections, network error texts, and on Windows NT the security policy
// and network-management functions. The suites query and refuse; whatever
// they change on a real machine they put back.
#include <cctype>

#include "platform/contract/fixture.h"
#include "platform/network.h"

namespace qv::test {
namespace {

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

constexpr const char* kComputerNameKey =
    "System\\CurrentControlSet\\Control\\ComputerName\\ComputerName";

class NetworkContract : public ContractTest {
 protected:
  INetwork& net() { return *bench().machine().Network(); }

  std::string ComputerName() {
    std::string name;
    EXPECT_EQ(sys().ComputerName(name), err::Success);
    return name;
  }

  // The name the computer takes at its next start, as the registry holds it.
  std::string PendingComputerName() {
    RegKey k;
    if (reg().OpenKey(hkey::LocalMachine, kComputerNameKey, RegAccess::Read, k) != err::Success)
      return "<no key>";
    char buf[64] = {};
    std::uint32_t size = sizeof buf - 1;
    WinError e = reg().QueryValue(k, "ComputerName", nullptr,
                                  reinterpret_cast<std::uint8_t*>(buf), &size);
    reg().CloseKey(k);
    return e == err::Success ? std::string(buf) : "<no value>";
  }

  // A drive letter ("Q:") that names no drive of the machine.
  std::string FreeLetter() {
    for (char c = 'Q'; c <= 'Y'; ++c) {
      std::uint32_t a = 0;
      if (files().Attributes(std::string(1, c) + ":\\", a) != err::Success)
        return std::string(1, c) + ":";
    }
    return "";
  }

  LsaPolicy Open(std::uint32_t access) {
    LsaPolicy h = 0;
    EXPECT_EQ(net().OpenPolicy("", access, h), ntstatus::Success) << access;
    EXPECT_NE(h, 0u);
    return h;
  }
};

TEST_P(NetworkContract, ExportsAreFoundByTheirNames) {
  EXPECT_TRUE(net().HasLibrary(NetLibrary::Advapi32));
  for (NetFunction f : AllNetFunctions()) {
    if (IsNT()) {
      EXPECT_TRUE(net().Has(f)) << NetFunctionName(f);
    } else if (LibraryOf(f) == NetLibrary::Advapi32) {
      // Windows 95/98 have no security policy.
      EXPECT_FALSE(net().Has(f)) << NetFunctionName(f);
    }
  }
  if (!IsNT()) {
    LsaPolicy h = 0;
    EXPECT_EQ(net().OpenPolicy("", policyaccess::ViewLocalInformation, h),
              ntstatus::ProcedureNotFound);
    EXPECT_EQ(net().LsaStatusToWinError(ntstatus::AccessDenied), err::ProcNotFound);
  }
}

TEST_P(NetworkContract, StatusesConvertToWinErrors) {
  if (!IsNT()) {
    EXPECT_EQ(net().LsaStatusToWinError(ntstatus::Success), err::ProcNotFound);
    return;
  }
  const std::pair<NtStatus, WinError> table[] = {
      {ntstatus::Success, err::Success},
      {ntstatus::Unsuccessful, err::GenFailure},
      {ntstatus::InvalidHandle, err::InvalidHandle},
      {ntstatus::AccessDenied, err::AccessDenied},
      {ntstatus::ObjectNameCollision, err::AlreadyExists},
      {ntstatus::InvalidSid, err::InvalidSid},
      {ntstatus::ProcedureNotFound, err::ProcNotFound},
      {ntstatus::NoSuchDomain, err::NoSuchDomain},
      {ntstatus::RpcServerUnavailable, err::RpcServerUnavailable},
      {0x12345678u, err::MrMidNotFound},  // no such status
  };
  for (auto [status, code] : table)
    EXPECT_EQ(net().LsaStatusToWinError(status), code) << std::hex << status;
}

TEST_P(NetworkContract, TheLocalPolicyOpensReadsAndCloses) {
  LsaPolicy h = 0;
  if (!IsNT()) {
    EXPECT_EQ(net().OpenPolicy("", policyaccess::ViewLocalInformation, h),
              ntstatus::ProcedureNotFound);
    return;
  }
  h = Open(policyaccess::ViewLocalInformation);
  PrimaryDomainInfo primary;
  ASSERT_EQ(net().QueryPrimaryDomain(h, primary), ntstatus::Success);
  EXPECT_FALSE(primary.name.empty());
  // The machines the suite runs on are in a workgroup.
  EXPECT_TRUE(primary.sid.empty()) << SidToText(primary.sid);
  EXPECT_EQ(net().ClosePolicy(h), ntstatus::Success);
  EXPECT_EQ(net().ClosePolicy(h), ntstatus::InvalidHandle);
  EXPECT_EQ(net().QueryPrimaryDomain(h, primary), ntstatus::InvalidHandle);

  // The computer's own name is the local computer too.
  LsaPolicy own = 0;
  ASSERT_EQ(net().OpenPolicy("\\\\" + ComputerName(), policyaccess::ViewLocalInformation, own),
            ntstatus::Success);
  PrimaryDomainInfo again;
  EXPECT_EQ(net().QueryPrimaryDomain(own, again), ntstatus::Success);
  EXPECT_EQ(again.name, primary.name);
  EXPECT_EQ(net().ClosePolicy(own), ntstatus::Success);
}

TEST_P(NetworkContract, APolicyDoesOnlyWhatItWasOpenedFor) {
  if (!IsNT()) {
    EXPECT_FALSE(net().Has(NetFunction::LsaSetInformationPolicy));
    return;
  }
  const LsaPolicy view = Open(policyaccess::ViewLocalInformation);
  PrimaryDomainInfo before;
  ASSERT_EQ(net().QueryPrimaryDomain(view, before), ntstatus::Success);

  const NtStatus join = net().SetPrimaryDomain(view, PrimaryDomainInfo{"QVNOTJOINED", {}});
  const NtStatus trust =
      net().SetTrustedDomainName(view, SidFromText("S-1-5-21-7-8-9"), "QVNOTTRUSTED");
  if (bench().wine()) {
    // Wine checks no access rights: setting the primary domain is not
    // implemented, and setting a trust succeeds without keeping anything.
    EXPECT_EQ(join, ntstatus::Unsuccessful);
    EXPECT_EQ(trust, ntstatus::Success);
  } else {
    EXPECT_EQ(join, ntstatus::AccessDenied);
    EXPECT_EQ(trust, ntstatus::AccessDenied);
  }
  PrimaryDomainInfo after;
  ASSERT_EQ(net().QueryPrimaryDomain(view, after), ntstatus::Success);
  EXPECT_EQ(after.name, before.name);
  EXPECT_EQ(after.sid, before.sid);
  EXPECT_EQ(net().ClosePolicy(view), ntstatus::Success);

  // Trust administration alone does not let the policy be read.
  const LsaPolicy admin = Open(policyaccess::TrustAdmin);
  PrimaryDomainInfo unread;
  EXPECT_EQ(net().QueryPrimaryDomain(admin, unread),
            bench().wine() ? ntstatus::Success : ntstatus::AccessDenied);
  EXPECT_EQ(net().ClosePolicy(admin), ntstatus::Success);
}

TEST_P(NetworkContract, TheWorkstationNamesItselfAndItsWorkgroup) {
  WorkstationInfo info;
  if (!IsNT()) {
    EXPECT_EQ(net().WorkstationInfo100(info), err::ProcNotFound);
    return;
  }
  ASSERT_EQ(net().WorkstationInfo100(info), err::Success);
  EXPECT_TRUE(SameName(info.computerName, ComputerName())) << info.computerName;
  const LsaPolicy h = Open(policyaccess::ViewLocalInformation);
  PrimaryDomainInfo primary;
  ASSERT_EQ(net().QueryPrimaryDomain(h, primary), ntstatus::Success);
  net().ClosePolicy(h);
  if (bench().wine()) {
    // Wine's workstation names the computer as its workgroup, and its
    // policy the fixed name "DOMAIN".
    EXPECT_EQ(info.langroup, info.computerName);
    EXPECT_EQ(primary.name, "DOMAIN");
  } else {
    EXPECT_EQ(info.langroup, primary.name);
  }
}

TEST_P(NetworkContract, AWorkstationIsItsOwnAccountDomain) {
  std::uint32_t type = 0;
  std::string name;
  std::vector<std::uint8_t> sid;
  if (!IsNT()) {
    EXPECT_EQ(net().ServerType("", type), err::ProcNotFound);
    EXPECT_EQ(net().AccountDomain("", name, sid), err::ProcNotFound);
    return;
  }
  ASSERT_EQ(net().ServerType("", type), err::Success);
  EXPECT_EQ(type & (svtype::DomainCtrl | svtype::DomainBakCtrl), 0u);
  EXPECT_NE(type & svtype::Nt, 0u);
  if (!bench().wine()) {
    // Wine's server has the Windows NT bit only.
    EXPECT_EQ(type & (svtype::Workstation | svtype::Server), svtype::Workstation | svtype::Server);
  }

  ASSERT_EQ(net().AccountDomain("", name, sid), err::Success);
  EXPECT_TRUE(SameName(name, ComputerName())) << name;
  // S-1-5-21 and three numbers of the machine's own.
  const std::string text = SidToText(sid);
  EXPECT_EQ(text.rfind("S-1-5-21-", 0), 0u) << text;
  ASSERT_TRUE(IsWellFormedSid(sid));
  EXPECT_EQ(sid[1], 4);

  std::string ownName;
  std::vector<std::uint8_t> ownSid;
  ASSERT_EQ(net().AccountDomain("\\\\" + ComputerName(), ownName, ownSid), err::Success);
  EXPECT_EQ(ownName, name);
  EXPECT_EQ(ownSid, sid);
}

TEST_P(NetworkContract, UnknownDomainsAccountsAndServers) {
  std::string controller;
  std::uint32_t flags = 0, type = 0;
  if (!IsNT()) {
    EXPECT_EQ(net().DomainControllerName("", "QVNOSUCHDOMAIN", controller), err::ProcNotFound);
    EXPECT_EQ(net().UserFlags("", "Administrator", flags), err::ProcNotFound);
    return;
  }
  EXPECT_EQ(net().DomainControllerName("", "QVNOSUCHDOMAIN", controller), err::DcNotFound);
  // A workgroup has no controller.
  EXPECT_EQ(net().DomainControllerName("", "", controller), err::DcNotFound);
  EXPECT_EQ(net().UserFlags("", "QVNOSUCHUSER$", flags), err::UserNotFound);

  std::string user;
  ASSERT_EQ(sys().UserName(user), err::Success);
  ASSERT_EQ(net().UserFlags("", user, flags), err::Success);
  EXPECT_EQ(flags & uf::WorkstationTrustAccount, 0u);
  if (!bench().wine()) {
    // Wine gives its accounts no flags.
    EXPECT_NE(flags & uf::NormalAccount, 0u);
  }

  const std::string nowhere = "\\\\QVNOSUCHSERVER";
  std::string name;
  std::vector<std::uint8_t> sid;
  const WinError typeError = net().ServerType(nowhere, type);
  const WinError modalsError = net().AccountDomain(nowhere, name, sid);
  const WinError userError = net().UserFlags(nowhere, "X$", flags);
  if (bench().wine()) {
    // Wine answers for the local computer whatever the server, or refuses
    // the level or the name.
    EXPECT_EQ(typeError, 124u);   // ERROR_INVALID_LEVEL
    EXPECT_EQ(modalsError, err::Success);
    EXPECT_EQ(userError, 2351u);  // NERR_InvalidComputer
  } else {
    EXPECT_EQ(typeError, err::BadNetPath);
    EXPECT_EQ(modalsError, err::BadNetPath);
    EXPECT_EQ(userError, err::BadNetPath);
  }
}

TEST_P(NetworkContract, ConnectionsWithoutADeviceNeedTheServer) {
  const std::string ipc = "\\\\QVNOSUCHSERVER\\IPC$";
  if (!IsNT()) {
    EXPECT_EQ(net().AddUse("", ipc, netuse::Ipc), err::ProcNotFound);
    EXPECT_EQ(net().DeleteUse(ipc, netuse::NoForce), err::ProcNotFound);
    return;
  }
  const WinError add = net().AddUse("", ipc, netuse::Ipc);
  const WinError del = net().DeleteUse(ipc, netuse::NoForce);
  if (bench().wine()) {
    // Wine connects nothing and reports success both ways.
    EXPECT_EQ(add, err::Success);
    EXPECT_EQ(del, err::Success);
  } else {
    EXPECT_EQ(add, err::BadNetPath);
    EXPECT_EQ(del, err::NotConnected);
  }
}

TEST_P(NetworkContract, DriveLettersAndTheirConnections) {
  std::string remote = "unchanged";
  EXPECT_EQ(net().DriveConnection("C:", remote), err::NotConnected);
  EXPECT_EQ(remote, "unchanged");
  EXPECT_EQ(net().DriveConnection("QQ", remote), err::BadDevice);
  const std::string free = FreeLetter();
  ASSERT_FALSE(free.empty());
  // Windows: the letter is not connected; Wine refuses a letter without a
  // drive as no device.
  EXPECT_EQ(net().DriveConnection(free, remote),
            bench().wine() ? err::BadDevice : err::NotConnected);

  const WinError inUse = net().AddDriveConnection("C:", "\\\\QVNOSUCHSERVER\\DATA", "", 0);
  const WinError noServer =
      net().AddDriveConnection(free, "\\\\QVNOSUCHSERVER\\DATA", "", connflag::UpdateProfile);
  const WinError cancel = net().CancelDriveConnection(free, connflag::UpdateProfile, true);
  if (bench().wine()) {
    // Wine has no network provider.
    EXPECT_EQ(inUse, err::NoNetwork);
    EXPECT_EQ(noServer, err::NoNetwork);
    EXPECT_EQ(cancel, err::NoNetwork);
  } else {
    EXPECT_EQ(inUse, err::AlreadyAssigned);
    EXPECT_EQ(noServer, err::BadNetPath);
    EXPECT_EQ(cancel, err::NotConnected);
  }
  EXPECT_EQ(net().DriveConnection("C:", remote), err::NotConnected);
}

TEST_P(NetworkContract, ANewComputerNameWaitsForTheNextStart) {
  const std::string active = ComputerName();
  const std::string pending = PendingComputerName();
  ASSERT_EQ(pending, active);  // nothing waits yet

  ASSERT_EQ(net().ChangeComputerName("qvRenamed"), err::Success);
  EXPECT_EQ(PendingComputerName(), "QVRENAMED");
  EXPECT_EQ(ComputerName(), active);

  struct Refused {
    std::string name;
    std::string wineKeeps;  // what Wine stores instead of refusing
  };
  for (const Refused& r : {Refused{"", ""}, Refused{"ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNO"},
                           Refused{"BAD NAME", "BAD_NAME"}, Refused{"BAD*NAME", "BAD_NAME"}}) {
    const WinError e = net().ChangeComputerName(r.name);
    if (bench().wine()) {
      // Wine takes any name, cut to 15 characters, with '_' for what a name
      // may not hold.
      EXPECT_EQ(e, err::Success) << r.name;
      EXPECT_EQ(PendingComputerName(), r.wineKeeps) << r.name;
    } else {
      EXPECT_EQ(e, err::InvalidParameter) << r.name;
      EXPECT_EQ(sys().LastError(), err::InvalidParameter) << r.name;
      EXPECT_EQ(PendingComputerName(), "QVRENAMED") << r.name;
    }
  }

  ASSERT_EQ(net().ChangeComputerName(pending), err::Success);
  EXPECT_EQ(PendingComputerName(), pending);
  EXPECT_EQ(ComputerName(), active);
}

TEST_P(NetworkContract, NetworkErrorsHaveTheSystemsTexts) {
  for (WinError code : {err::BadNetPath, err::BadNetName, err::AlreadyAssigned,
                        err::BadDevice, err::NoNetwork, err::NoSuchDomain}) {
    const std::string text = net().NetErrorMessage(code);
    ASSERT_GT(text.size(), 2u) << code;
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << code;
    EXPECT_EQ(text, sys().ErrorMessage(code)) << code;
  }
  if (bench().wine()) {
    // Wine has no netmsg.dll; its system table words two of the network
    // texts its own way and lacks the third.
    EXPECT_EQ(net().NetErrorMessage(err::UserNotFound), "The username could not be found.\r\n");
    EXPECT_EQ(net().NetErrorMessage(err::NotConnected),
              "This network connection does not exist.\r\n");
    EXPECT_EQ(net().NetErrorMessage(err::DcNotFound), "");
  } else {
    EXPECT_EQ(net().NetErrorMessage(err::UserNotFound), "The user name could not be found.\r\n");
    EXPECT_EQ(net().NetErrorMessage(err::NotConnected),
              "The network connection could not be found.\r\n");
    EXPECT_EQ(net().NetErrorMessage(err::DcNotFound),
              "Could not find domain controller for this domain.\r\n");
    EXPECT_EQ(net().NetErrorMessage(err::NoNetwork),
              "The network is not present or not started.\r\n");
  }
  EXPECT_EQ(net().NetErrorMessage(0x20001234u), "");
}

QV_CONTRACT_SUITE(NetworkContract);

}  // namespace
}  // namespace qv::test
