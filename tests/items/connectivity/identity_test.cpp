// Computer description and the Windows 95/98 workgroup: registry values under
// HKEY_LOCAL_MACHINE, written only with full access to it.
#include "items/connectivity/identity_settings.h"
#include "items/connectivity/workgroup_settings.h"

#include "support/item_fixture.h"

namespace qv::test {
namespace {

constexpr const char* kVnetsup = "System\\CurrentControlSet\\Services\\VxD\\VNETSUP";
constexpr const char* kAccessLine = "Registry access is required to retrieve or modify this setting.";

class IdentityTest : public ItemTest {};

TEST_F(IdentityTest, DescriptionMovesBetweenWindows95And98AndIsNotSupportedOnNT) {
  MemoryMachine source(okWin98), target(okWin95), nt(okWinNT);
  SetReg(source, hkey::LocalMachine, kVnetsup, "Comment", "Reception desk");
  ItemResult saved = Save<TComputerDescSettings>(source);
  EXPECT_EQ(saved.lines, (std::vector<std::string>{"Computer Description : Reception desk", ""}));
  ItemResult loaded = Load<TComputerDescSettings>(target);
  EXPECT_TRUE(loaded.ok);
  EXPECT_EQ(loaded.lines, saved.lines);
  EXPECT_EQ(Reg(target, hkey::LocalMachine, kVnetsup, "Comment"), "Reception desk");

  // Whatever the file holds, Windows NT gets nothing and says so.
  const MemoryMachine before(nt);
  ItemResult onNt = Load<TComputerDescSettings>(nt);
  EXPECT_TRUE(onNt.ok);
  EXPECT_EQ(onNt.lines,
            std::vector<std::string>{"Computer Description is not supported on Windows NT"});
  EXPECT_EQ(MemoryMachine::Differences(before, nt), std::vector<std::string>{});
  EXPECT_EQ(Save<TComputerDescSettings>(nt).lines,
            std::vector<std::string>{"Computer Description is not supported on Windows NT"});
}

TEST_F(IdentityTest, WithoutRegistryAccessIdentityIsOnlyDescribed) {
  MemoryMachine source(okWin98), target(okWin98);
  SetReg(source, hkey::LocalMachine, kVnetsup, "Comment", "Desk");
  SetReg(source, hkey::LocalMachine, kVnetsup, "WorkGroup", "SALES");
  ASSERT_TRUE(Save<TComputerDescSettings>(source).ok);
  target.SetAdministrator(false);
  const MemoryMachine before(target);
  ItemResult desc = Load<TComputerDescSettings>(target);
  EXPECT_TRUE(desc.ok);
  EXPECT_EQ(desc.lines, (std::vector<std::string>{"Computer Description : ", kAccessLine}));

  ASSERT_TRUE(Save<TWorkGroupSettings>(source).ok);
  ItemResult group = Load<TWorkGroupSettings>(target);
  EXPECT_TRUE(group.ok);
  EXPECT_EQ(group.lines, (std::vector<std::string>{"WorkGroup   : ", kAccessLine}));
  EXPECT_EQ(MemoryMachine::Differences(before, target), std::vector<std::string>{});

  ItemResult name = Describe<TComputerNameSettings>(target);
  EXPECT_EQ(name.lines, (std::vector<std::string>{"Computer name : ", kAccessLine}));
  target.SetAdministrator(true);
  target.SetComputerName("FRONTDESK");
  EXPECT_EQ(Describe<TComputerNameSettings>(target).lines,
            (std::vector<std::string>{"Computer name : FRONTDESK", ""}));
}

TEST_F(IdentityTest, Windows9xWorkgroupFallsBackToNoWorkgroupWhichChangesNothing) {
  MemoryMachine source(okWin95), target(okWin98);
  {
    MachineScope on(source);
    UTLDeleteRegKey(hkey::LocalMachine, kVnetsup, "WorkGroup");
  }
  ItemResult saved = Save<TWorkGroupSettings>(source);
  EXPECT_TRUE(saved.lines.empty());
  EXPECT_TRUE(LogHas("WorkGroup = No Workgroup"));

  const MemoryMachine before(target);
  ItemResult loaded = Load<TWorkGroupSettings>(target);
  EXPECT_TRUE(loaded.ok);
  EXPECT_TRUE(loaded.lines.empty());
  EXPECT_TRUE(RestartRequired);
  EXPECT_EQ(MemoryMachine::Differences(before, target), std::vector<std::string>{});
}

TEST_F(IdentityTest, ADomainLoadedOnWindows9xBecomesTheWorkgroup) {
  MemoryMachine target(okWin98);
  TWriteMemoryConnection& payload = NewPayload(okWinNT);
  payload.WriteBoolean(false);
  payload.WriteString("");
  payload.WriteString("CORPORATE");
  ItemResult loaded = Load<TWorkGroupSettings>(target);
  EXPECT_TRUE(loaded.ok);
  EXPECT_EQ(loaded.lines, std::vector<std::string>{"WorkGroup     : CORPORATE"});
  EXPECT_EQ(Reg(target, hkey::LocalMachine, kVnetsup, "WorkGroup"), "CORPORATE");
  EXPECT_TRUE(RestartRequired);
}

}  // namespace
}  // namespace qv::test
