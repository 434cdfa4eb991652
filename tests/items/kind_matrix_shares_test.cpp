// Shared folders, mapped drives and dial-up entries saved on each kind of
// Windows and loaded on each kind, through the save and load runs: shares
// are copied whole within a kind and made again one by one across kinds.
#include <algorithm>

#include "config/cat_config.h"
#include "engine/run_report.h"
#include "engine/runs.h"
#include "items/connectivity/shared_settings.h"
#include "platform/memory/memory_dialup.h"
#include "stream/win_structs_ras.h"
#include "support/item_fixture.h"
#include "support/kind_round.h"

namespace qv::test {
namespace {

class SharesKindMatrix : public ::testing::TestWithParam<std::tuple<OSKind, OSKind>> {};

std::vector<std::uint8_t> RawValue(MemoryMachine& m, const std::string& key,
                                   const std::string& name) {
  RegKey k = 0;
  if (m.Registry().OpenKey(hkey::LocalMachine, key, RegAccess::Read, k) != err::Success) return {};
  std::uint8_t data[1024];
  std::uint32_t size = sizeof data, type = 0;
  const WinError e = m.Registry().QueryValue(k, name, &type, data, &size);
  m.Registry().CloseKey(k);
  return e == err::Success ? std::vector<std::uint8_t>(data, data + size)
                           : std::vector<std::uint8_t>();
}

void Prepare(MemoryMachine& m) {
  MachineScope on(m);
  if (m.Kind() == okWinNT) {
    const char lines[] = "MaxUses=5\0Path=c:\\Harbour\0Permissions=0\0Remark=Charts\0Type=0\0";
    RegKey k = 0;
    m.Registry().CreateKey(hkey::LocalMachine, kSharesKeyNT, k, nullptr);
    m.Registry().SetValue(k, "HARBOUR", regtype::MultiSz,
                          reinterpret_cast<const std::uint8_t*>(lines), sizeof lines);
    m.Registry().CloseKey(k);
    const std::uint8_t sd[] = {1, 0, 4, 0x80, 7, 7};
    UTLSetRegBinary(hkey::LocalMachine, std::string(kSharesKeyNT) + "\\Security", "HARBOUR", sd,
                    sizeof sd);
  } else {
    const std::string key = std::string(kSharesKey9x) + "\\HARBOUR";
    UTLSetRegString(hkey::LocalMachine, key, "Path", "c:\\Harbour");
    UTLSetRegString(hkey::LocalMachine, key, "Remark", "Charts");
    UTLSetRegDWORD(hkey::LocalMachine, key, "Flags", 0x102);
    const std::uint8_t secret[] = {9, 8, 7};
    UTLSetRegBinary(hkey::LocalMachine, key, "Parm1enc", secret, sizeof secret);
    UTLSetRegBinary(hkey::LocalMachine, key, "Parm2enc", secret, sizeof secret);
    UTLSetRegDWORD(hkey::LocalMachine, key, "Type", 0);
  }
  m.AddShare("\\\\HARBOURSRV\\MAPS");
  m.Network()->AddDriveConnection("M:", "\\\\HARBOURSRV\\MAPS", "", 0);
  std::vector<std::uint8_t> entry(RasEntrySize, 0x33);
  RasEntryFields f = RasEntryFields::Decode(entry);
  f.size = RasEntrySize;
  f.phoneNumber = "5550100";
  f.deviceType = "modem";
  f.deviceName = "Standard Modem";
  f.EncodeInto(entry);
  DialUpOf(m).entries.push_back(mem::RasBookEntry{"Harbour office", entry, 0});
}

TEST_P(SharesKindMatrix, SharesDrivesAndEntriesMoveAsTheirKindsAllow) {
  auto [from, to] = GetParam();
  MemoryMachine source(from), target(to);
  Prepare(source);
  target.AddShare("\\\\HARBOURSRV\\MAPS");
  KindRound run;
  ASSERT_EQ(run.Save(source, {},
                     {"Shared Folders and Drives", "Mapped Drives", "RAS Networking connections"}),
            SETTINGS_OK);
  ASSERT_EQ(run.Load(target), SETTINGS_OK);

  if (from == to) {
    // The whole key: values, passwords and security as the source had them.
    if (to == okWinNT) {
      EXPECT_EQ(RawValue(target, kSharesKeyNT, "HARBOUR"), RawValue(source, kSharesKeyNT, "HARBOUR"));
      EXPECT_EQ(RawValue(target, std::string(kSharesKeyNT) + "\\Security", "HARBOUR").size(), 6u);
    } else {
      const std::string key = std::string(kSharesKey9x) + "\\HARBOUR";
      EXPECT_EQ(RawValue(target, key, "Parm1enc"), std::vector<std::uint8_t>({9, 8, 7}));
      EXPECT_EQ(UTLGetRegDWORD(hkey::LocalMachine, key, "Flags", 0), 0x102u);
    }
    EXPECT_FALSE(run.reported("The following shared drives and folders have been set"));
  } else if (to == okWinNT) {
    const std::vector<std::uint8_t> v = RawValue(target, kSharesKeyNT, "HARBOUR");
    const std::string text(v.begin(), v.end());
    EXPECT_EQ(text, std::string("MaxUses=4294967295\0Path=c:\\Harbour\0Permissions=127\0"
                                "Remark=Charts\0Type=0\0\0",
                                73));
    EXPECT_EQ(RawValue(target, std::string(kSharesKeyNT) + "\\Security", "HARBOUR"),
              ReadOnlyShareSecurityDescriptor());
    EXPECT_TRUE(run.reported("with Read-Only access - Permissions should be assigned."));
  } else {
    const std::string key = std::string(kSharesKey9x) + "\\HARBOUR";
    EXPECT_EQ(UTLGetRegDWORD(hkey::LocalMachine, key, "Flags", 0), 401u);
    EXPECT_TRUE(RawValue(target, key, "Parm1enc").empty());
    EXPECT_EQ(UTLGetRegString(hkey::LocalMachine, key, "Path", ""), "C:\\HARBOUR");
    EXPECT_TRUE(run.reported("with Read-Only access - Passwords should be assigned."));
  }
  EXPECT_TRUE(run.reported("Name : HARBOUR"));
  EXPECT_TRUE(run.reported("Comment : Charts"));
  EXPECT_TRUE(RestartRequired);

  std::string remote;
  EXPECT_EQ(target.Network()->DriveConnection("M:", remote), err::Success);
  EXPECT_EQ(remote, "\\\\HARBOURSRV\\MAPS");
  EXPECT_TRUE(run.reported("M: is mapped to \\\\HARBOURSRV\\MAPS"));

  ASSERT_EQ(DialUpOf(target).entries.size(), 1u);
  EXPECT_EQ(DialUpOf(target).entries[0].name, "Harbour office");
  EXPECT_EQ(DialUpOf(target).entries[0].bytes, DialUpOf(source).entries[0].bytes);
  EXPECT_TRUE(run.reported("PhoneNumber : 5550100"));
}

INSTANTIATE_TEST_SUITE_P(AllKinds, SharesKindMatrix,
                         ::testing::Combine(::testing::Values(okWin95, okWin98, okWinNT),
                                            ::testing::Values(okWin95, okWin98, okWinNT)));

}  // namespace
}  // namespace qv::test
