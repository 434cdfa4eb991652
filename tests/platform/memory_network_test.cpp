// The in-memory machine's network: the domains around it, joining one as the
// computer-identity items do, missing exports, rights, drive connections,
// restarts, and how copies and Differences show the network.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/memory/memory_machine.h"
#include "platform/network.h"

namespace qv {
namespace {

const std::vector<std::uint8_t> kCorpSid = SidFromText("S-1-5-21-100-200-300");
const std::vector<std::uint8_t> kOtherSid = SidFromText("S-1-5-21-400-500-600");

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

std::string RegString(MemoryMachine& m, RegKey root, const std::string& path,
                      const std::string& name) {
  RegKey k;
  if (m.Registry().OpenKey(root, path, RegAccess::Read, k) != err::Success) return "<no key>";
  char buf[256] = {};
  std::uint32_t size = sizeof buf - 1;
  WinError e =
      m.Registry().QueryValue(k, name, nullptr, reinterpret_cast<std::uint8_t*>(buf), &size);
  m.Registry().CloseKey(k);
  return e == err::Success ? std::string(buf) : "<missing>";
}

// A workstation next to the domain CORP, whose controller CORPDC holds a
// computer account for it.
class DomainNetwork : public ::testing::Test {
 protected:
  DomainNetwork() : machine_(okWinNT) {
    machine_.AddDomain("CORP", "CORPDC", kCorpSid);
    machine_.AddDomainAccount("CORP", "QORVELPC$", uf::Script | uf::WorkstationTrustAccount);
    machine_.AddDomainAccount("CORP", "alice", uf::Script | uf::NormalAccount);
  }

  MemoryMachine& machine() { return machine_; }
  INetwork& net() { return *machine_.Network(); }

  LsaPolicy Open(std::uint32_t access) {
    LsaPolicy h = 0;
    EXPECT_EQ(net().OpenPolicy("", access, h), ntstatus::Success);
    return h;
  }

 private:
  MemoryMachine machine_;
};

TEST(NetworkNames, ExportsNameTheirLibraries) {
  ASSERT_EQ(AllNetFunctions().size(), 16u);
  for (NetFunction f : AllNetFunctions()) {
    const std::string name = NetFunctionName(f);
    if (LibraryOf(f) == NetLibrary::Advapi32) {
      EXPECT_EQ(name.rfind("Lsa", 0), 0u) << name;
    } else {
      EXPECT_EQ(name.rfind("Net", 0), 0u) << name;
    }
  }
  EXPECT_STREQ(NetFunctionName(NetFunction::LsaSetTrustedDomainInformation),
               "LsaSetTrustedDomainInformation");
  EXPECT_STREQ(NetFunctionName(NetFunction::NetGetDCName), "NetGetDCName");
  EXPECT_EQ(LibraryOf(NetFunction::LsaFreeMemory), NetLibrary::Advapi32);
  EXPECT_EQ(LibraryOf(NetFunction::NetApiBufferFree), NetLibrary::Netapi32);
  EXPECT_STREQ(NetLibraryName(NetLibrary::Netapi32), "NETAPI32.DLL");
}

TEST(NetworkNames, SidsTravelAsTheirBinaryForm) {
  const std::vector<std::uint8_t> sid = SidFromText("S-1-5-21-1-2-4294967295");
  const std::vector<std::uint8_t> bytes = {1, 4, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, 1, 0, 0, 0,
                                           2, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(sid, bytes);
  EXPECT_TRUE(IsWellFormedSid(sid));
  EXPECT_EQ(SidToText(sid), "S-1-5-21-1-2-4294967295");
  EXPECT_EQ(SidToText(SidFromText("S-1-1-0")), "S-1-1-0");  // Everyone

  for (const char* bad : {"", "S-1", "S-2-5-21", "S-1-5-x", "S-1-5--1", "S-1-5-4294967296",
                          "S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15-16"})
    EXPECT_TRUE(SidFromText(bad).empty()) << bad;
  std::vector<std::uint8_t> shortened = sid;
  shortened.pop_back();
  EXPECT_FALSE(IsWellFormedSid(shortened));
  EXPECT_EQ(SidToText(shortened), "");
  std::vector<std::uint8_t> revision2 = sid;
  revision2[0] = 2;
  EXPECT_FALSE(IsWellFormedSid(revision2));
  EXPECT_FALSE(IsWellFormedSid({}));
}

TEST(MemoryNetwork, FreshMachinesOfEachKind) {
  MemoryMachine nt(okWinNT);
  INetwork& n = *nt.Network();
  EXPECT_EQ(nt.PrimaryDomain().name, "WORKGROUP");
  EXPECT_TRUE(nt.PrimaryDomain().sid.empty());
  WorkstationInfo info;
  ASSERT_EQ(n.WorkstationInfo100(info), err::Success);
  EXPECT_EQ(info.computerName, "QORVELPC");
  EXPECT_EQ(info.langroup, "WORKGROUP");
  EXPECT_TRUE(nt.TrustedDomains().empty());
  EXPECT_TRUE(nt.Connections().empty());
  std::uint32_t type = 0;
  ASSERT_EQ(n.ServerType("", type), err::Success);
  EXPECT_EQ(type, svtype::Workstation | svtype::Server | svtype::Nt);

  // Two machines of different names have different machine SIDs.
  MachineSetup other;
  other.computerName = "OTHERPC";
  MemoryMachine second(other);
  std::string name1, name2;
  std::vector<std::uint8_t> sid1, sid2;
  ASSERT_EQ(n.AccountDomain("", name1, sid1), err::Success);
  ASSERT_EQ(second.Network()->AccountDomain("", name2, sid2), err::Success);
  EXPECT_EQ(name1, "QORVELPC");
  EXPECT_EQ(name2, "OTHERPC");
  EXPECT_NE(sid1, sid2);

  for (OSKind kind : {okWin95, okWin98}) {
    SCOPED_TRACE(OSKindName(kind));
    MemoryMachine m(kind);
    INetwork& w = *m.Network();
    EXPECT_TRUE(w.HasLibrary(NetLibrary::Advapi32));
    EXPECT_TRUE(w.HasLibrary(NetLibrary::Netapi32));
    for (NetFunction f : AllNetFunctions()) EXPECT_FALSE(w.Has(f)) << NetFunctionName(f);
    // The workgroup lives in the network set-up's registry values.
    EXPECT_EQ(RegString(m, hkey::LocalMachine, "System\\CurrentControlSet\\Services\\VxD\\VNETSUP",
                        "WorkGroup"),
              "WORKGROUP");
  }
}

TEST_F(DomainNetwork, ControllersAreRecognised) {
  std::uint32_t type = 0;
  ASSERT_EQ(net().ServerType("\\\\CORPDC", type), err::Success);
  EXPECT_NE(type & svtype::DomainCtrl, 0u);

  machine().SetMembership("CORP", kCorpSid);
  machine().SetDomainRole(DomainRole::PrimaryController);
  ASSERT_EQ(net().ServerType("", type), err::Success);
  EXPECT_EQ(type & (svtype::DomainCtrl | svtype::DomainBakCtrl), svtype::DomainCtrl);
  // A controller's account domain is its domain, and its accounts the
  // domain's.
  std::string name;
  std::vector<std::uint8_t> sid;
  ASSERT_EQ(net().AccountDomain("", name, sid), err::Success);
  EXPECT_EQ(name, "CORP");
  EXPECT_EQ(sid, kCorpSid);
  std::uint32_t flags = 0;
  ASSERT_EQ(net().UserFlags("", "ALICE", flags), err::Success);
  EXPECT_EQ(flags, uf::Script | uf::NormalAccount);

  machine().SetDomainRole(DomainRole::BackupController);
  ASSERT_EQ(net().ServerType("", type), err::Success);
  EXPECT_EQ(type & (svtype::DomainCtrl | svtype::DomainBakCtrl), svtype::DomainBakCtrl);
}

TEST_F(DomainNetwork, TheWorkstationsOwnNameIsItsAccountDomain) {
  std::string name;
  std::vector<std::uint8_t> sid;
  ASSERT_EQ(net().AccountDomain("", name, sid), err::Success);
  EXPECT_EQ(name, "QORVELPC");
  EXPECT_EQ(SidToText(sid).rfind("S-1-5-21-", 0), 0u);
  ASSERT_EQ(net().AccountDomain("\\\\qorvelpc", name, sid), err::Success);
  EXPECT_EQ(name, "QORVELPC");

  // The name changes with the computer's, at the next start.
  ASSERT_EQ(net().ChangeComputerName("NEWNAME"), err::Success);
  ASSERT_EQ(net().AccountDomain("", name, sid), err::Success);
  EXPECT_EQ(name, "QORVELPC");
  machine().Restart();
  ASSERT_EQ(net().AccountDomain("", name, sid), err::Success);
  EXPECT_EQ(name, "NEWNAME");
}

TEST_F(DomainNetwork, ControllersAndAccountsThatAreNotThere) {
  std::string controller = "unchanged";
  EXPECT_EQ(net().DomainControllerName("", "ELSEWHERE", controller), err::DcNotFound);
  EXPECT_EQ(controller, "unchanged");
  EXPECT_EQ(net().DomainControllerName("\\\\NOWHERE", "CORP", controller), err::BadNetPath);
  ASSERT_EQ(net().DomainControllerName("", "corp", controller), err::Success);
  EXPECT_EQ(controller, "\\\\CORPDC");
  // Without a name: the machine's own domain, which a workgroup lacks.
  EXPECT_EQ(net().DomainControllerName("", "", controller), err::DcNotFound);
  machine().SetMembership("CORP", kCorpSid);
  controller.clear();
  ASSERT_EQ(net().DomainControllerName("", "", controller), err::Success);
  EXPECT_EQ(controller, "\\\\CORPDC");

  std::uint32_t flags = 0;
  EXPECT_EQ(net().UserFlags("\\\\CORPDC", "OTHERPC$", flags), err::UserNotFound);
  EXPECT_EQ(net().UserFlags("\\\\NOWHERE", "QORVELPC$", flags), err::BadNetPath);
  ASSERT_EQ(net().UserFlags("\\\\corpdc", "qorvelpc$", flags), err::Success);
  EXPECT_NE(flags & uf::WorkstationTrustAccount, 0u);
  // An account of the wrong type.
  machine().AddDomainAccount("CORP", "QORVELPC$", uf::Script | uf::NormalAccount);
  ASSERT_EQ(net().UserFlags("\\\\CORPDC", "QORVELPC$", flags), err::Success);
  EXPECT_EQ(flags & uf::WorkstationTrustAccount, 0u);
  EXPECT_EQ(flags, uf::Script | uf::NormalAccount);

  // The workstation's own accounts.
  ASSERT_EQ(net().UserFlags("", "User", flags), err::Success);
  EXPECT_EQ(flags, uf::Script | uf::NormalAccount);
  EXPECT_EQ(net().UserFlags("", "QORVELPC$", flags), err::UserNotFound);
}

TEST_F(DomainNetwork, TheControllersSessionComesAndGoes) {
  EXPECT_EQ(net().AddUse("", "\\\\NOWHERE\\IPC$", netuse::Ipc), err::BadNetPath);
  EXPECT_EQ(net().AddUse("", "\\\\CORPDC\\NOSHARE", netuse::DiskDev), err::BadNetName);
  EXPECT_EQ(net().AddUse("", "CORPDC\\IPC$", netuse::Ipc), err::BadNetName);
  EXPECT_TRUE(machine().Connections().empty());

  ASSERT_EQ(net().AddUse("", "\\\\CORPDC\\IPC$", netuse::Ipc), err::Success);
  ASSERT_EQ(net().AddUse("", "\\\\corpdc\\ipc$", netuse::Ipc), err::Success);  // shared
  ASSERT_EQ(machine().Connections().size(), 1u);
  EXPECT_EQ(machine().Connections()[0].localName, "");
  EXPECT_EQ(machine().Connections()[0].remoteName, "\\\\CORPDC\\IPC$");
  // A session is no drive.
  std::string remote;
  EXPECT_EQ(net().DriveConnection("E:", remote), err::NotConnected);

  std::string name;
  std::vector<std::uint8_t> sid;
  ASSERT_EQ(net().AccountDomain("\\\\CORPDC", name, sid), err::Success);
  EXPECT_EQ(name, "CORP");
  EXPECT_EQ(sid, kCorpSid);

  EXPECT_EQ(net().DeleteUse("\\\\CORPDC\\IPC$", netuse::NoForce), err::Success);
  EXPECT_TRUE(machine().Connections().empty());
  EXPECT_EQ(net().DeleteUse("\\\\CORPDC\\IPC$", netuse::NoForce), err::NotConnected);
  // A workgroup join has no controller: removing its session fails.
  EXPECT_EQ(net().DeleteUse("", netuse::NoForce), err::NotConnected);
}

TEST_F(DomainNetwork, MalformedSidsAreRefused) {
  machine().AddDomain("BROKEN", "BROKENDC", {1, 4, 0, 0, 0, 0, 0, 5});
  std::string name;
  std::vector<std::uint8_t> sid;
  EXPECT_EQ(net().AccountDomain("\\\\BROKENDC", name, sid), err::InvalidSid);

  const LsaPolicy h = Open(policyaccess::TrustAdmin | policyaccess::CreateSecret);
  EXPECT_EQ(net().SetPrimaryDomain(h, PrimaryDomainInfo{"BROKEN", {1, 4, 0}}),
            ntstatus::InvalidSid);
  EXPECT_EQ(net().SetTrustedDomainName(h, {}, "BROKEN"), ntstatus::InvalidSid);
  EXPECT_EQ(machine().PrimaryDomain().name, "WORKGROUP");
  EXPECT_TRUE(machine().TrustedDomains().empty());
  EXPECT_EQ(net().ClosePolicy(h), ntstatus::Success);
}

TEST_F(DomainNetwork, JoiningADomainAsTheItemsDo) {
  MemoryMachine before(machine());
  // The calls of a domain join, in order.
  std::uint32_t type = 0;
  ASSERT_EQ(net().ServerType("", type), err::Success);
  std::string workstation;
  std::vector<std::uint8_t> ownSid;
  ASSERT_EQ(net().AccountDomain("", workstation, ownSid), err::Success);
  std::string controller;
  ASSERT_EQ(net().DomainControllerName("", "CORP", controller), err::Success);
  const std::string ipc = controller + "\\IPC$";
  ASSERT_EQ(net().AddUse("", ipc, netuse::Ipc), err::Success);
  std::uint32_t flags = 0;
  ASSERT_EQ(net().UserFlags(controller, workstation + "$", flags), err::Success);
  ASSERT_NE(flags & uf::WorkstationTrustAccount, 0u);
  std::string domainName;
  std::vector<std::uint8_t> domainSid;
  ASSERT_EQ(net().AccountDomain(controller, domainName, domainSid), err::Success);
  LsaPolicy h = 0;
  ASSERT_EQ(net().OpenPolicy(workstation, policyaccess::TrustAdmin | policyaccess::CreateSecret, h),
            ntstatus::Success);
  ASSERT_EQ(net().SetTrustedDomainName(h, domainSid, "CORP"), ntstatus::Success);
  ASSERT_EQ(net().SetPrimaryDomain(h, PrimaryDomainInfo{"CORP", domainSid}), ntstatus::Success);
  ASSERT_EQ(net().ClosePolicy(h), ntstatus::Success);
  ASSERT_EQ(net().DeleteUse(ipc, netuse::NoForce), err::Success);

  EXPECT_EQ(machine().PrimaryDomain().name, "CORP");
  EXPECT_EQ(machine().PrimaryDomain().sid, kCorpSid);
  ASSERT_EQ(machine().TrustedDomains().size(), 1u);
  EXPECT_EQ(machine().TrustedDomains()[0].name, "CORP");
  EXPECT_EQ(machine().TrustedDomains()[0].sid, kCorpSid);
  EXPECT_EQ(machine().OpenPolicyCount(), 0);
  EXPECT_TRUE(machine().Connections().empty());

  const std::vector<std::string> expected = {
      "network primary domain \"WORKGROUP\" no SID -> \"CORP\" S-1-5-21-100-200-300",
      "network trusted domain \"CORP\": S-1-5-21-100-200-300 only in second",
  };
  EXPECT_EQ(MemoryMachine::Differences(before, machine()), expected);

  // The workstation tells the new domain after the next start.
  WorkstationInfo info;
  ASSERT_EQ(net().WorkstationInfo100(info), err::Success);
  EXPECT_EQ(info.langroup, "WORKGROUP");
  machine().Restart();
  ASSERT_EQ(net().WorkstationInfo100(info), err::Success);
  EXPECT_EQ(info.langroup, "CORP");

  // Joining again finds the trust there.
  h = Open(policyaccess::TrustAdmin | policyaccess::CreateSecret);
  EXPECT_EQ(net().SetTrustedDomainName(h, kCorpSid, "CORP"), ntstatus::ObjectNameCollision);
  EXPECT_EQ(net().SetTrustedDomainName(h, kOtherSid, "corp"), ntstatus::ObjectNameCollision);
  EXPECT_EQ(net().SetTrustedDomainName(h, kCorpSid, "CORP2"), ntstatus::ObjectNameCollision);
  EXPECT_EQ(net().LsaStatusToWinError(ntstatus::ObjectNameCollision), err::AlreadyExists);
  EXPECT_EQ(machine().TrustedDomains().size(), 1u);
  net().ClosePolicy(h);
}

TEST_F(DomainNetwork, JoiningAWorkgroupTakesNoSid) {
  machine().SetMembership("CORP", kCorpSid);
  machine().AddTrustedDomain("CORP", kCorpSid);
  const LsaPolicy h = Open(policyaccess::TrustAdmin | policyaccess::CreateSecret);
  ASSERT_EQ(net().SetPrimaryDomain(h, PrimaryDomainInfo{"TEAM", {}}), ntstatus::Success);
  net().ClosePolicy(h);
  EXPECT_EQ(machine().PrimaryDomain().name, "TEAM");
  EXPECT_TRUE(machine().PrimaryDomain().sid.empty());
  // Leaving a domain keeps its trust.
  EXPECT_EQ(machine().TrustedDomains().size(), 1u);
  const LsaPolicy view = Open(policyaccess::ViewLocalInformation);
  PrimaryDomainInfo primary;
  ASSERT_EQ(net().QueryPrimaryDomain(view, primary), ntstatus::Success);
  EXPECT_EQ(primary.name, "TEAM");
  EXPECT_TRUE(primary.sid.empty());
  net().ClosePolicy(view);
}

TEST_F(DomainNetwork, PolicyHandlesAreCheckedAndOnlyTheLocalPolicyOpens) {
  LsaPolicy h = 0;
  EXPECT_EQ(net().OpenPolicy("\\\\CORPDC", policyaccess::ViewLocalInformation, h),
            ntstatus::RpcServerUnavailable);
  EXPECT_EQ(net().OpenPolicy("NOWHERE", policyaccess::ViewLocalInformation, h),
            ntstatus::RpcServerUnavailable);
  EXPECT_EQ(machine().OpenPolicyCount(), 0);
  PrimaryDomainInfo info;
  EXPECT_EQ(net().QueryPrimaryDomain(12345, info), ntstatus::InvalidHandle);
  EXPECT_EQ(net().SetPrimaryDomain(12345, info), ntstatus::InvalidHandle);
  EXPECT_EQ(net().SetTrustedDomainName(12345, kCorpSid, "CORP"), ntstatus::InvalidHandle);
  EXPECT_EQ(net().ClosePolicy(12345), ntstatus::InvalidHandle);

  const LsaPolicy a = Open(policyaccess::ViewLocalInformation);
  const LsaPolicy b = Open(policyaccess::ViewLocalInformation);
  EXPECT_NE(a, b);
  EXPECT_EQ(machine().OpenPolicyCount(), 2);
  // A restart closes what was open.
  machine().Restart();
  EXPECT_EQ(machine().OpenPolicyCount(), 0);
  EXPECT_EQ(net().QueryPrimaryDomain(a, info), ntstatus::InvalidHandle);
  // A copy has no open policies.
  Open(policyaccess::ViewLocalInformation);
  MemoryMachine copy(machine());
  EXPECT_EQ(copy.OpenPolicyCount(), 0);
}

TEST_F(DomainNetwork, WithoutAdministratorRightsThePolicyIsReadOnly) {
  machine().SetAdministrator(false);
  LsaPolicy h = 0;
  EXPECT_EQ(net().OpenPolicy("", policyaccess::TrustAdmin | policyaccess::CreateSecret, h),
            ntstatus::AccessDenied);
  EXPECT_EQ(net().OpenPolicy("", policyaccess::CreateSecret, h), ntstatus::AccessDenied);
  EXPECT_EQ(machine().OpenPolicyCount(), 0);
  const LsaPolicy view = Open(policyaccess::ViewLocalInformation);
  PrimaryDomainInfo info;
  EXPECT_EQ(net().QueryPrimaryDomain(view, info), ntstatus::Success);
  EXPECT_EQ(net().SetPrimaryDomain(view, PrimaryDomainInfo{"CORP", kCorpSid}),
            ntstatus::AccessDenied);
  EXPECT_EQ(machine().PrimaryDomain().name, "WORKGROUP");
  net().ClosePolicy(view);

  // Nor can the computer be renamed.
  EXPECT_EQ(net().ChangeComputerName("NEWNAME"), err::AccessDenied);
  EXPECT_EQ(machine().System().LastError(), err::AccessDenied);
  EXPECT_EQ(RegString(machine(), hkey::LocalMachine,
                      "System\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
                      "ComputerName"),
            "QORVELPC");
}

TEST_F(DomainNetwork, MissingExportsFailAndDoNothing) {
  MemoryMachine before(machine());
  for (NetFunction f : AllNetFunctions()) {
    SCOPED_TRACE(NetFunctionName(f));
    MemoryMachine m(machine());
    INetwork& n = *m.Network();
    m.RemoveNetFunction(f);
    EXPECT_FALSE(n.Has(f));
    EXPECT_TRUE(n.HasLibrary(LibraryOf(f)));
    for (NetFunction other : AllNetFunctions()) {
      if (other != f) {
        EXPECT_TRUE(n.Has(other)) << NetFunctionName(other);
      }
    }

    LsaPolicy h = 0;
    const NtStatus open = n.OpenPolicy("", policyaccess::TrustAdmin, h);
    EXPECT_EQ(open, f == NetFunction::LsaOpenPolicy ? ntstatus::ProcedureNotFound
                                                    : ntstatus::Success);
    if (open == ntstatus::Success) {
      const NtStatus set = n.SetPrimaryDomain(h, PrimaryDomainInfo{"CORP", kCorpSid});
      const NtStatus trust = n.SetTrustedDomainName(h, kCorpSid, "CORP");
      EXPECT_EQ(set, f == NetFunction::LsaSetInformationPolicy ? ntstatus::ProcedureNotFound
                                                               : ntstatus::Success);
      EXPECT_EQ(trust, f == NetFunction::LsaSetTrustedDomainInformation
                           ? ntstatus::ProcedureNotFound
                           : ntstatus::Success);
      EXPECT_EQ(n.ClosePolicy(h),
                f == NetFunction::LsaClose ? ntstatus::ProcedureNotFound : ntstatus::Success);
      EXPECT_EQ(m.PrimaryDomain().name,
                f == NetFunction::LsaSetInformationPolicy ? "WORKGROUP" : "CORP");
      EXPECT_EQ(m.TrustedDomains().size(),
                f == NetFunction::LsaSetTrustedDomainInformation ? 0u : 1u);
    }
    EXPECT_EQ(n.LsaStatusToWinError(ntstatus::AccessDenied),
              f == NetFunction::LsaNtStatusToWinError ? err::ProcNotFound : err::AccessDenied);
    const WinError use = n.AddUse("", "\\\\CORPDC\\IPC$", netuse::Ipc);
    EXPECT_EQ(use, f == NetFunction::NetUseAdd ? err::ProcNotFound : err::Success);
    EXPECT_EQ(m.Connections().size(), f == NetFunction::NetUseAdd ? 0u : 1u);
    EXPECT_EQ(n.DeleteUse("\\\\CORPDC\\IPC$", netuse::NoForce),
              f == NetFunction::NetUseDel    ? err::ProcNotFound
              : f == NetFunction::NetUseAdd ? err::NotConnected
                                            : err::Success);
    std::string s;
    std::vector<std::uint8_t> sid;
    std::uint32_t flags = 0;
    WorkstationInfo w;
    EXPECT_EQ(n.DomainControllerName("", "CORP", s),
              f == NetFunction::NetGetDCName ? err::ProcNotFound : err::Success);
    EXPECT_EQ(n.ServerType("", flags),
              f == NetFunction::NetServerGetInfo ? err::ProcNotFound : err::Success);
    EXPECT_EQ(n.UserFlags("\\\\CORPDC", "QORVELPC$", flags),
              f == NetFunction::NetUserGetInfo ? err::ProcNotFound : err::Success);
    EXPECT_EQ(n.AccountDomain("", s, sid),
              f == NetFunction::NetUserModalsGet ? err::ProcNotFound : err::Success);
    EXPECT_EQ(n.WorkstationInfo100(w),
              f == NetFunction::NetWkstaGetInfo ? err::ProcNotFound : err::Success);
    EXPECT_TRUE(Contains(MemoryMachine::Differences(before, m),
                         std::string("network export ") + NetFunctionName(f) +
                             ": present -> missing"));
  }
}

TEST_F(DomainNetwork, AMissingLibraryTakesAllItsExports) {
  machine().RemoveNetLibrary(NetLibrary::Netapi32);
  INetwork& n = net();
  EXPECT_FALSE(n.HasLibrary(NetLibrary::Netapi32));
  EXPECT_TRUE(n.HasLibrary(NetLibrary::Advapi32));
  for (NetFunction f : AllNetFunctions())
    EXPECT_EQ(n.Has(f), LibraryOf(f) == NetLibrary::Advapi32) << NetFunctionName(f);
  WorkstationInfo w;
  EXPECT_EQ(n.WorkstationInfo100(w), err::ProcNotFound);

  machine().RemoveNetLibrary(NetLibrary::Advapi32);
  LsaPolicy h = 0;
  EXPECT_EQ(n.OpenPolicy("", policyaccess::ViewLocalInformation, h),
            ntstatus::ProcedureNotFound);
  EXPECT_EQ(machine().OpenPolicyCount(), 0);
}

TEST(MemoryNetwork, NinetyFiveAndNinetyEightLackTheSecurityCalls) {
  for (OSKind kind : {okWin95, okWin98}) {
    SCOPED_TRACE(OSKindName(kind));
    MemoryMachine m(kind);
    m.AddDomain("CORP", "CORPDC", kCorpSid);
    MemoryMachine before(m);
    INetwork& n = *m.Network();
    LsaPolicy h = 0;
    EXPECT_EQ(n.OpenPolicy("", policyaccess::ViewLocalInformation, h),
              ntstatus::ProcedureNotFound);
    EXPECT_EQ(n.SetPrimaryDomain(1, PrimaryDomainInfo{"CORP", kCorpSid}),
              ntstatus::ProcedureNotFound);
    EXPECT_EQ(n.LsaStatusToWinError(ntstatus::AccessDenied), err::ProcNotFound);
    std::string s;
    EXPECT_EQ(n.DomainControllerName("", "CORP", s), err::ProcNotFound);
    EXPECT_EQ(n.AddUse("", "\\\\CORPDC\\IPC$", netuse::Ipc), err::ProcNotFound);
    EXPECT_TRUE(MemoryMachine::Differences(before, m).empty());
  }
}

TEST(MemoryNetwork, ComputerNamesAreCheckedAndWaitForARestart) {
  for (OSKind kind : {okWin95, okWin98, okWinNT}) {
    SCOPED_TRACE(OSKindName(kind));
    MemoryMachine m(kind);
    INetwork& n = *m.Network();
    for (const char* bad : {"", "SIXTEENCHARSLONG", "TWO WORDS", "A*B", "A\\B", "A/B", "A,B",
                            "A=B", "A+B", "A;B", "A:B", "A\"B", "A<B", "A|B", "A?B", "A[B]",
                            "TAB\tX"}) {
      EXPECT_EQ(n.ChangeComputerName(bad), err::InvalidParameter) << bad;
    }
    EXPECT_EQ(m.System().LastError(), err::InvalidParameter);
    MemoryMachine before(m);
    ASSERT_EQ(n.ChangeComputerName("new-pc_1.{x}~"), err::Success);
    ASSERT_EQ(n.ChangeComputerName("FIFTEENCHARSXYZ"), err::Success);
    ASSERT_EQ(n.ChangeComputerName("Office-2"), err::Success);
    std::string name;
    m.System().ComputerName(name);
    EXPECT_EQ(name, "QORVELPC");
    const std::string key = "System\\CurrentControlSet\\Control\\ComputerName\\ComputerName";
    EXPECT_EQ(RegString(m, hkey::LocalMachine, key, "ComputerName"), "OFFICE-2");
    const auto diff = MemoryMachine::Differences(before, m);
    EXPECT_TRUE(Contains(diff, "registry HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\"
                               "ComputerName\\ComputerName: value \"ComputerName\" REG_SZ "
                               "\"QORVELPC\" -> REG_SZ \"OFFICE-2\""))
        << Joined(diff);
    if (kind != okWinNT) {
      // The network set-up keeps the name too.
      EXPECT_EQ(RegString(m, hkey::LocalMachine,
                          "System\\CurrentControlSet\\Services\\VxD\\VNETSUP", "ComputerName"),
                "OFFICE-2");
    }

    m.Restart();
    m.System().ComputerName(name);
    EXPECT_EQ(name, "OFFICE-2");
    if (kind == okWinNT) {
      EXPECT_EQ(RegString(m, hkey::LocalMachine,
                          "System\\CurrentControlSet\\Control\\ComputerName\\ActiveComputerName",
                          "ComputerName"),
                "OFFICE-2");
      WorkstationInfo info;
      ASSERT_EQ(n.WorkstationInfo100(info), err::Success);
      EXPECT_EQ(info.computerName, "OFFICE-2");
    }
  }
}

class DriveConnections : public ::testing::TestWithParam<OSKind> {
 protected:
  DriveConnections() : machine_(GetParam()) {
    machine_.AddShare("\\\\FILES\\Data");
    machine_.AddShare("\\\\FILES\\Tools");
  }
  MemoryMachine& machine() { return machine_; }
  INetwork& net() { return *machine_.Network(); }
  std::string Remembered() const {
    return GetParam() == okWinNT ? "Network\\E" : "Network\\Persistent\\E";
  }

 private:
  MemoryMachine machine_;
};

TEST_P(DriveConnections, LettersConnectToSharesOfTheNetwork) {
  EXPECT_EQ(net().AddDriveConnection("C:", "\\\\FILES\\Data", "", 0), err::AlreadyAssigned);
  EXPECT_EQ(net().AddDriveConnection("E", "\\\\FILES\\Data", "", 0), err::BadDevice);
  EXPECT_EQ(net().AddDriveConnection("E:", "\\\\NOWHERE\\Data", "", 0), err::BadNetPath);
  EXPECT_EQ(net().AddDriveConnection("E:", "\\\\FILES\\Missing", "", 0), err::BadNetName);
  EXPECT_EQ(net().AddDriveConnection("E:", "\\\\FILES", "", 0), err::BadNetName);
  EXPECT_EQ(machine().System().LastError(), err::BadNetName);
  EXPECT_TRUE(machine().Connections().empty());

  ASSERT_EQ(net().AddDriveConnection("e:", "\\\\files\\data", "", 0), err::Success);
  std::string remote;
  ASSERT_EQ(net().DriveConnection("E:", remote), err::Success);
  EXPECT_EQ(remote, "\\\\files\\data");
  EXPECT_EQ(net().AddDriveConnection("E:", "\\\\FILES\\Tools", "", 0), err::AlreadyAssigned);
  EXPECT_EQ(net().DriveConnection("F:", remote), err::NotConnected);
  EXPECT_EQ(net().DriveConnection("C:", remote), err::NotConnected);
  // Connections that are not remembered leave the registry alone and end
  // with the session.
  EXPECT_EQ(RegString(machine(), hkey::CurrentUser, Remembered(), "RemotePath"), "<no key>");
  machine().Restart();
  EXPECT_EQ(net().DriveConnection("E:", remote), err::NotConnected);
}

TEST_P(DriveConnections, RememberedConnectionsComeBackAfterARestart) {
  MemoryMachine before(machine());
  ASSERT_EQ(net().AddDriveConnection("E:", "\\\\FILES\\Data", "", connflag::UpdateProfile),
            err::Success);
  ASSERT_EQ(net().AddDriveConnection("F:", "\\\\FILES\\Tools", "User", 0), err::Success);
  EXPECT_EQ(RegString(machine(), hkey::CurrentUser, Remembered(), "RemotePath"),
            "\\\\FILES\\Data");
  EXPECT_EQ(RegString(machine(), hkey::CurrentUser, Remembered(), "UserName"), "");
  EXPECT_EQ(RegString(machine(), hkey::CurrentUser, Remembered(), "ProviderName"),
            GetParam() == okWinNT ? "Microsoft Windows Network" : "Microsoft Network");
  const auto diff = MemoryMachine::Differences(before, machine());
  EXPECT_TRUE(Contains(diff, "network connection E: \\\\FILES\\Data: only in second"))
      << Joined(diff);
  EXPECT_TRUE(Contains(diff, "network connection F: \\\\FILES\\Tools: only in second"))
      << Joined(diff);

  machine().Restart();
  ASSERT_EQ(machine().Connections().size(), 1u);
  std::string remote;
  ASSERT_EQ(net().DriveConnection("E:", remote), err::Success);
  EXPECT_EQ(remote, "\\\\FILES\\Data");
  EXPECT_EQ(net().DriveConnection("F:", remote), err::NotConnected);

  // Cancelled without forgetting: it is still remembered, and the letter
  // cannot be remembered a second time.
  ASSERT_EQ(net().CancelDriveConnection("E:", 0, false), err::Success);
  EXPECT_EQ(net().DriveConnection("E:", remote), err::NotConnected);
  EXPECT_EQ(net().AddDriveConnection("E:", "\\\\FILES\\Tools", "", connflag::UpdateProfile),
            err::DeviceAlreadyRemembered);
  ASSERT_EQ(net().CancelDriveConnection("E:", connflag::UpdateProfile, false), err::Success);
  EXPECT_EQ(RegString(machine(), hkey::CurrentUser, Remembered(), "RemotePath"), "<no key>");
  EXPECT_EQ(net().CancelDriveConnection("E:", connflag::UpdateProfile, true), err::NotConnected);
  machine().Restart();
  EXPECT_TRUE(machine().Connections().empty());
}

TEST_P(DriveConnections, ARememberedShareThatWentAwayDoesNotComeBack) {
  ASSERT_EQ(net().AddDriveConnection("E:", "\\\\FILES\\Data", "", connflag::UpdateProfile),
            err::Success);
  // The registry entry of a share this machine's network lacks.
  MemoryMachine copy(machine());
  RegKey k;
  ASSERT_EQ(copy.Registry().OpenKey(hkey::CurrentUser, Remembered(), RegAccess::Full, k),
            err::Success);
  const std::string gone = "\\\\GONE\\Data";
  ASSERT_EQ(copy.Registry().SetValue(k, "RemotePath", regtype::Sz,
                                     reinterpret_cast<const std::uint8_t*>(gone.c_str()),
                                     static_cast<std::uint32_t>(gone.size() + 1)),
            err::Success);
  copy.Registry().CloseKey(k);
  copy.Restart();
  EXPECT_TRUE(copy.Connections().empty());
  machine().Restart();
  EXPECT_EQ(machine().Connections().size(), 1u);
}

TEST_P(DriveConnections, CancellingNeedsAConnection) {
  EXPECT_EQ(net().CancelDriveConnection("E:", 0, true), err::NotConnected);
  EXPECT_EQ(net().CancelDriveConnection("\\\\FILES\\Data", 0, true), err::NotConnected);
  // A connection without a device is cancelled by its remote name.
  ASSERT_EQ(net().AddDriveConnection("", "\\\\FILES\\Data", "", connflag::UpdateProfile),
            err::Success);
  std::string remote;
  EXPECT_EQ(net().DriveConnection("E:", remote), err::NotConnected);
  ASSERT_EQ(net().CancelDriveConnection("\\\\files\\data", 0, false), err::Success);
  EXPECT_TRUE(machine().Connections().empty());
}

INSTANTIATE_TEST_SUITE_P(Kinds, DriveConnections,
                         ::testing::Values(okWin95, okWin98, okWinNT),
                         [](const ::testing::TestParamInfo<OSKind>& i) {
                           return i.param == okWinNT ? std::string("NT")
                                                     : std::string(i.param == okWin95 ? "95"
                                                                                      : "98");
                         });

TEST(MemoryNetwork, NetworkSetUpAppearsInDifferences) {
  MemoryMachine a(okWinNT);
  MemoryMachine b(a);
  b.SetDomainRole(DomainRole::BackupController);
  b.AddDomain("CORP", "CORPDC", kCorpSid);
  b.AddShare("\\\\FILES\\Data");
  b.RemoveNetLibrary(NetLibrary::Netapi32);
  const std::vector<std::string> expected = {
      "network library NETAPI32.DLL: present -> missing",
      "network role workstation -> backup domain controller",
      "network domain \"CORP\": only in second",
      "network server \"CORPDC\": only in second",
      "network server \"FILES\": only in second",
  };
  EXPECT_EQ(MemoryMachine::Differences(a, b), expected);

  MemoryMachine c(b);
  c.AddDomainAccount("CORP", "QORVELPC$", uf::WorkstationTrustAccount);
  c.AddShare("\\\\FILES\\Tools");
  c.AddTrustedDomain("CORP", {1, 2, 0});
  const std::vector<std::string> more = {
      "network trusted domain \"CORP\": malformed SID (3 bytes) only in second",
      "network domain \"CORP\": account \"QORVELPC$\" only in second",
      "network server \"FILES\": share \"Tools\" only in second",
  };
  EXPECT_EQ(MemoryMachine::Differences(b, c), more);
}

TEST(MemoryNetwork, NetworkTextsAreTheSystems) {
  MemoryMachine m(okWinNT);
  INetwork& n = *m.Network();
  EXPECT_EQ(n.NetErrorMessage(err::BadNetPath), "The network path was not found.\r\n");
  EXPECT_EQ(n.NetErrorMessage(err::BadNetName), "The network name cannot be found.\r\n");
  EXPECT_EQ(n.NetErrorMessage(err::AlreadyAssigned),
            "The local device name is already in use.\r\n");
  EXPECT_EQ(n.NetErrorMessage(err::InvalidComputerName),
            "The format of the specified computer name is invalid.\r\n");
  EXPECT_EQ(n.NetErrorMessage(err::UserNotFound), "The user name could not be found.\r\n");
  // The network texts are not the system's own.
  EXPECT_EQ(m.System().ErrorMessage(err::UserNotFound), "");
  EXPECT_EQ(n.NetErrorMessage(2999), "");
}

}  // namespace
}  // namespace qv
