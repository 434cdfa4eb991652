// Windows NT computer name and workgroup or domain membership, through the
// security-policy and network-management functions.
#include "items/connectivity/identity_settings.h"
#include "items/connectivity/workgroup_settings.h"

#include "support/item_fixture.h"

namespace qv::test {
namespace {

const std::vector<std::uint8_t> kCorpSid = SidFromText("S-1-5-21-100-200-300");

class MembershipTest : public ItemTest {
 protected:
  MembershipTest() { target.SetComputerName("QORVELPC"); }

  // Loads a membership payload on the target.
  ItemResult Join(bool workgroup, const std::string& name) {
    TWriteMemoryConnection& payload = NewPayload(okWinNT);
    payload.WriteBoolean(workgroup);
    payload.WriteString("");
    payload.WriteString(name);
    return Load<TWorkGroupSettings>(target);
  }
  void AddCorp(std::uint32_t accountFlags = uf::WorkstationTrustAccount) {
    target.AddDomain("CORP", "DC1", kCorpSid);
    target.AddDomainAccount("CORP", "QORVELPC$", accountFlags);
  }
  void ExpectUnchanged(const ItemResult& result, const std::string& reason) {
    EXPECT_TRUE(result.ok);
    ASSERT_EQ(result.lines.size(), 4u) << ::testing::PrintToString(result.lines);
    EXPECT_EQ(result.lines[0], "An error occured while setting the domain/workgroup :");
    EXPECT_NE(result.lines[1].find(reason), std::string::npos) << result.lines[1];
    EXPECT_EQ(result.lines[2], "Your domain/workgroup has not been changed.");
    EXPECT_EQ(result.lines[3], "WorkGroup     : WORKGROUP");
    EXPECT_EQ(target.PrimaryDomain().name, "WORKGROUP");
    EXPECT_TRUE(target.PrimaryDomain().sid.empty());
    EXPECT_TRUE(target.Connections().empty());
    EXPECT_EQ(target.OpenPolicyCount(), 0);
    EXPECT_TRUE(RestartRequired);
  }

  MemoryMachine target{okWinNT};
};

TEST_F(MembershipTest, SavingDescribesWorkgroupDomainOrStandaloneMembership) {
  ItemResult group = Save<TWorkGroupSettings>(target);
  EXPECT_TRUE(group.ok);
  EXPECT_EQ(group.lines, std::vector<std::string>{"WorkGroup     : WORKGROUP"});
  EXPECT_TRUE(LogHas("Member of workgroup WORKGROUP"));

  target.SetMembership("CORP", kCorpSid);
  EXPECT_EQ(Save<TWorkGroupSettings>(target).lines, std::vector<std::string>{"Domain     : CORP"});
  EXPECT_TRUE(LogHas("Member of Domain CORP"));
  EXPECT_EQ(target.OpenPolicyCount(), 0);

  target.SetMembership("QORVELPC", {});
  Save<TWorkGroupSettings>(target);
  EXPECT_TRUE(LogHas("QORVELPC is a standalone workstation"));

  // Saved on NT, loaded on NT: the domain membership round trip.
  target.SetMembership("CORP", kCorpSid);
  ASSERT_TRUE(Save<TWorkGroupSettings>(target).ok);
  MemoryMachine other(okWinNT);
  other.SetComputerName("SECONDPC");
  other.AddDomain("CORP", "DC1", kCorpSid);
  other.AddDomainAccount("CORP", "SECONDPC$", uf::WorkstationTrustAccount);
  ItemResult loaded = Load<TWorkGroupSettings>(other);
  EXPECT_EQ(loaded.lines, std::vector<std::string>{"Domain     : CORP"});
  EXPECT_EQ(other.PrimaryDomain().name, "CORP");
  EXPECT_EQ(other.PrimaryDomain().sid, kCorpSid);
}

TEST_F(MembershipTest, JoiningAWorkgroupOrADomainSucceeds) {
  ItemResult group = Join(true, "SALES");
  EXPECT_TRUE(group.ok);
  EXPECT_EQ(group.lines, std::vector<std::string>{"WorkGroup     : SALES"});
  EXPECT_EQ(target.PrimaryDomain().name, "SALES");
  EXPECT_TRUE(target.PrimaryDomain().sid.empty());
  EXPECT_TRUE(LogHas("Workstation QORVELPC is now a member of workgroup SALES"));
  EXPECT_TRUE(RestartRequired);

  AddCorp();
  ItemResult domain = Join(false, "Corp");
  EXPECT_TRUE(domain.ok);
  EXPECT_EQ(domain.lines, std::vector<std::string>{"Domain     : Corp"});
  EXPECT_EQ(target.PrimaryDomain().sid, kCorpSid);
  ASSERT_EQ(target.TrustedDomains().size(), 1u);
  EXPECT_EQ(target.TrustedDomains()[0].name, "CORP");  // upper case, as the trust is kept
  EXPECT_TRUE(LogHas("NULL session established to Domain Controller (\\\\DC1)"));
  EXPECT_TRUE(LogHas("Disconnecting NULL session to \\\\DC1\\IPC$"));
  EXPECT_TRUE(LogHas("Workstation QORVELPC is now a member of domain Corp"));
  EXPECT_TRUE(target.Connections().empty());
  EXPECT_EQ(target.OpenPolicyCount(), 0);

  // Again: the trust exists already, which is fine.
  ItemResult again = Join(false, "CORP");
  EXPECT_EQ(again.lines, std::vector<std::string>{"Domain     : CORP"});
  EXPECT_TRUE(LogHas("LsaSetTrustedDomainInformation: Name Collision (ok)"));
  EXPECT_EQ(target.TrustedDomains().size(), 1u);
}

TEST_F(MembershipTest, JoiningTheWorkgroupAgainLeavesTheDomainsTrust) {
  AddCorp();
  ASSERT_EQ(Join(false, "CORP").lines, std::vector<std::string>{"Domain     : CORP"});
  // What undo does after such a load: the captured workgroup is joined.
  ASSERT_EQ(Join(true, "WORKGROUP").lines, std::vector<std::string>{"WorkGroup     : WORKGROUP"});
  EXPECT_TRUE(target.PrimaryDomain().sid.empty());
  ASSERT_EQ(target.TrustedDomains().size(), 1u);
  EXPECT_EQ(target.TrustedDomains()[0].sid, kCorpSid);
}

TEST_F(MembershipTest, ANameLongerThanFifteenCharactersIsCut) {
  ItemResult group = Join(true, "ENGINEERINGWORKGROUP");
  EXPECT_TRUE(group.ok);
  EXPECT_EQ(target.PrimaryDomain().name, "ENGINEERINGWORK");
  EXPECT_TRUE(LogHas("TrustedDomainName is ENGINEERINGWORKGROUP"));
}

TEST_F(MembershipTest, EveryFailedJoinIsReportedAndLeavesTheMembership) {
  {
    SCOPED_TRACE("domain controller");
    target.SetDomainRole(DomainRole::BackupController);
    ExpectUnchanged(Join(true, "SALES"), "Operation is not valid on a Domain Controller.");
    target.SetDomainRole(DomainRole::Workstation);
  }
  {
    SCOPED_TRACE("member of itself");
    ExpectUnchanged(Join(false, "qorvelpc"), "Error:  Domain qorvelpc cannot be a member of itself.");
  }
  {
    SCOPED_TRACE("no controller");
    ExpectUnchanged(Join(false, "NOWHERE"), "Could not get Domain Controller name.");
    EXPECT_TRUE(LogHas("NetGetDCName  error! rc=2453"));
  }
  AddCorp(uf::NormalAccount);
  {
    SCOPED_TRACE("wrong account type");
    ExpectUnchanged(Join(false, "CORP"), "Account on Primary Domain Controller wrong type (512)");
    EXPECT_TRUE(LogHas("Account on Primary Domain Controller wrong type (512)\n"));
  }
  {
    SCOPED_TRACE("no account");
    MemoryMachine fresh(okWinNT);
    fresh.SetComputerName("NEWPC");
    fresh.AddDomain("CORP", "DC1", kCorpSid);
    TWriteMemoryConnection& payload = NewPayload(okWinNT);
    payload.WriteBoolean(false);
    payload.WriteString("");
    payload.WriteString("CORP");
    ItemResult result = Load<TWorkGroupSettings>(fresh);
    ASSERT_EQ(result.lines.size(), 4u);
    EXPECT_EQ(result.lines[1].rfind("Account name is NEWPC\n", 0), 0u) << result.lines[1];
    EXPECT_TRUE(LogHas("NetUserGetInfo  error! rc=2221"));
    EXPECT_TRUE(fresh.Connections().empty());
  }
  {
    SCOPED_TRACE("not an administrator");
    target.SetAdministrator(false);
    ExpectUnchanged(Join(true, "SALES"), "Access is denied.");
    EXPECT_TRUE(LogHas("error=c0000022"));
    EXPECT_TRUE(LogHas("OpenPolicy  error! rc=5"));
    target.SetAdministrator(true);
  }
}

TEST_F(MembershipTest, AMissingExportMakesTheFeatureAbsent) {
  target.RemoveNetFunction(NetFunction::LsaOpenPolicy);
  ItemResult saved = Save<TWorkGroupSettings>(target);
  EXPECT_TRUE(saved.ok);
  EXPECT_EQ(saved.lines, (std::vector<std::string>{
                             "An error occured while retrieving the domain/workgroup :",
                             "Error loading ADVAPI32.DLL", "WorkGroup     : No Workgroup"}));
  EXPECT_TRUE(LogHas("LsaOpenPolicy is NULL"));

  MemoryMachine lacking(okWinNT);
  lacking.RemoveNetLibrary(NetLibrary::Netapi32);
  ItemResult loaded = Load<TWorkGroupSettings>(lacking);
  EXPECT_TRUE(loaded.ok);
  ASSERT_GE(loaded.lines.size(), 3u);
  EXPECT_EQ(loaded.lines[1], "Error loading NETAPI32.DLL");
  EXPECT_EQ(lacking.PrimaryDomain().name, "WORKGROUP");
}

TEST_F(MembershipTest, ComputerNameTakesEffectAtTheNextStart) {
  MemoryMachine source(okWin98);
  source.SetComputerName("RECEPTION");
  ItemResult saved = Save<TComputerNameSettings>(source);
  EXPECT_EQ(saved.lines, (std::vector<std::string>{"Computer name : RECEPTION", ""}));
  ItemResult loaded = Load<TComputerNameSettings>(target);
  EXPECT_TRUE(loaded.ok);
  EXPECT_TRUE(RestartRequired);
  EXPECT_EQ(Describe<TComputerNameSettings>(target).lines.front(), "Computer name : QORVELPC");
  target.Restart();
  EXPECT_EQ(Describe<TComputerNameSettings>(target).lines.front(), "Computer name : RECEPTION");

  // A name Windows refuses: logged, and the item still succeeds.
  TWriteMemoryConnection& payload = NewPayload(okWinNT);
  payload.WriteString("BAD NAME");
  ItemResult refused = Load<TComputerNameSettings>(target);
  EXPECT_TRUE(refused.ok);
  EXPECT_TRUE(LogHas("An error occured when setting the computer name"));
  const std::vector<std::string> lines = log();
  auto failure = std::find(lines.begin(), lines.end(), "An error occured when setting the computer name");
  ASSERT_NE(failure, lines.end());
  ASSERT_NE(failure + 1, lines.end());
  EXPECT_EQ(failure[1].rfind("The parameter is incorrect.", 0), 0u) << failure[1];
  target.Restart();
  EXPECT_EQ(Describe<TComputerNameSettings>(target).lines.front(), "Computer name : RECEPTION");
}

}  // namespace
}  // namespace qv::test
