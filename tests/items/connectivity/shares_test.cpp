// Shared folders and mapped drives: the whole shares key between systems of
// one kind, shares made again one by one between kinds, and drive mappings
// with the system's answers.
#include <cstring>

#include "items/connectivity/shared_settings.h"
#include "support/item_fixture.h"
#include "undo/registry_store.h"

namespace qv::test {
namespace {

constexpr const char* kSecurityKey =
    "System\\CurrentControlSet\\Services\\LanmanServer\\Shares\\Security";

std::vector<std::uint8_t> MultiSz(std::initializer_list<const char*> lines) {
  std::vector<std::uint8_t> block;
  for (const char* line : lines) {
    block.insert(block.end(), line, line + std::strlen(line));
    block.push_back(0);
  }
  block.push_back(0);
  return block;
}

void SetValue(MemoryMachine& m, const std::string& key, const std::string& name,
              std::uint32_t type, const std::vector<std::uint8_t>& data) {
  IRegistry& reg = m.Registry();
  RegKey k = 0;
  ASSERT_EQ(reg.CreateKey(hkey::LocalMachine, key, k, nullptr), err::Success);
  ASSERT_EQ(reg.SetValue(k, name, type, data.data(), static_cast<std::uint32_t>(data.size())),
            err::Success);
  reg.CloseKey(k);
}

std::vector<std::uint8_t> GetValue(MemoryMachine& m, const std::string& key,
                                   const std::string& name, std::uint32_t* type = nullptr) {
  IRegistry& reg = m.Registry();
  RegKey k = 0;
  if (reg.OpenKey(hkey::LocalMachine, key, RegAccess::Read, k) != err::Success) return {};
  std::uint8_t data[2048];
  std::uint32_t size = sizeof data;
  std::uint32_t t = 0;
  const WinError e = reg.QueryValue(k, name, &t, data, &size);
  reg.CloseKey(k);
  if (e != err::Success) return {};
  if (type) *type = t;
  return std::vector<std::uint8_t>(data, data + size);
}

void AddShareNT(MemoryMachine& m, const std::string& name, const std::string& path,
                const std::string& remark) {
  const std::string p = "Path=" + path, r = "Remark=" + remark;
  SetValue(m, kSharesKeyNT, name, regtype::MultiSz,
           remark.empty() ? MultiSz({"MaxUses=10", p.c_str(), "Permissions=0", "Type=0"})
                          : MultiSz({"MaxUses=10", p.c_str(), "Permissions=0", r.c_str(), "Type=0"}));
  SetValue(m, kSecurityKey, name, regtype::Binary, {1, 0, 4, 0x80, 9, 9, 9});
}

void AddShare9x(MemoryMachine& m, const std::string& name, const std::string& path,
                const std::string& remark) {
  MachineScope on(m);
  const std::string key = std::string(kSharesKey9x) + "\\" + name;
  UTLSetRegString(hkey::LocalMachine, key, "Path", path);
  UTLSetRegString(hkey::LocalMachine, key, "Remark", remark);
  UTLSetRegDWORD(hkey::LocalMachine, key, "Flags", 0x102);
  const std::uint8_t secret[] = {0x5A, 0x11, 0x22};
  UTLSetRegBinary(hkey::LocalMachine, key, "Parm1enc", secret, sizeof secret);
  UTLSetRegBinary(hkey::LocalMachine, key, "Parm2enc", secret, sizeof secret);
  UTLSetRegDWORD(hkey::LocalMachine, key, "Type", 0);
}

std::string Text(const std::vector<std::uint8_t>& b) { return std::string(b.begin(), b.end()); }

class SharesTest : public ItemTest {};

TEST_F(SharesTest, SameKindCarriesTheWholeKeyWithSecurityAndPasswords) {
  for (OSKind kind : {okWin95, okWin98, okWinNT}) {
    SCOPED_TRACE(kind);
    MemoryMachine source(kind), target(kind);
    if (kind == okWinNT) {
      AddShareNT(source, "DOCS", "C:\\Docs", "Team documents");
    } else {
      AddShare9x(source, "DOCS", "c:\\docs", "Team documents");
    }
    ASSERT_TRUE(Save<TSharedSettings>(source).ok);
    const ItemResult loaded = Load<TSharedSettings>(target);
    EXPECT_TRUE(loaded.ok);
    EXPECT_EQ(Consumed(), Written());
    if (kind == okWinNT) {
      EXPECT_EQ(GetValue(target, kSharesKeyNT, "DOCS"), GetValue(source, kSharesKeyNT, "DOCS"));
      EXPECT_EQ(GetValue(target, kSecurityKey, "DOCS"),
                std::vector<std::uint8_t>({1, 0, 4, 0x80, 9, 9, 9}));
    } else {
      const std::string key = std::string(kSharesKey9x) + "\\DOCS";
      EXPECT_EQ(GetValue(target, key, "Parm1enc"), std::vector<std::uint8_t>({0x5A, 0x11, 0x22}));
      EXPECT_EQ(Reg(target, hkey::LocalMachine, key, "Path"), "c:\\docs");  // as it was
    }
    EXPECT_TRUE(loaded.Has("1 Shared Drives and Folders"));
    EXPECT_TRUE(loaded.Has("Name : DOCS"));
    EXPECT_TRUE(loaded.Has("Comment : Team documents"));
    EXPECT_FALSE(loaded.Has("The following shared drives and folders have been set"));
    EXPECT_TRUE(RestartRequired);
  }
}

TEST_F(SharesTest, Windows95To98RecreatesReadOnlyWithoutPasswordsAndUpperCasePath) {
  MemoryMachine source(okWin95), target(okWin98);
  AddShare9x(source, "DOCS", "c:\\My Docs", "Team");
  ASSERT_TRUE(Save<TSharedSettings>(source).ok);
  const ItemResult loaded = Load<TSharedSettings>(target);
  EXPECT_TRUE(loaded.ok);
  const std::string key = std::string(kSharesKey9x) + "\\DOCS";
  MachineScope on(target);
  EXPECT_EQ(UTLGetRegDWORD(hkey::LocalMachine, key, "Flags", 0), 401u);
  std::uint32_t type = 0;
  EXPECT_TRUE(GetValue(target, key, "Parm1enc", &type).empty());
  EXPECT_EQ(type, regtype::Binary);
  EXPECT_TRUE(GetValue(target, key, "Parm2enc").empty());
  EXPECT_EQ(UTLGetRegString(hkey::LocalMachine, key, "Path", ""), "C:\\MY DOCS");
  EXPECT_EQ(UTLGetRegString(hkey::LocalMachine, key, "Remark", ""), "Team");
  EXPECT_EQ(UTLGetRegDWORD(hkey::LocalMachine, key, "Type", 9), 0u);
  EXPECT_TRUE(loaded.Has("The following shared drives and folders have been set"));
  EXPECT_TRUE(loaded.Has("with Read-Only access - Passwords should be assigned."));
  EXPECT_TRUE(loaded.Has("Path : C:\\MY DOCS"));
}

TEST_F(SharesTest, WindowsNTGetsTheLinesAndTheReadOnlySecurityDescriptor) {
  MemoryMachine source(okWin98), target(okWinNT);
  AddShare9x(source, "DOCS", "C:\\Docs", "Team");
  AddShare9x(source, "TOOLS", "C:\\Tools", "");
  ASSERT_TRUE(Save<TSharedSettings>(source).ok);
  const ItemResult loaded = Load<TSharedSettings>(target);
  EXPECT_TRUE(loaded.ok);
  std::uint32_t type = 0;
  EXPECT_EQ(Text(GetValue(target, kSharesKeyNT, "DOCS", &type)),
            Text(MultiSz({"MaxUses=4294967295", "Path=C:\\Docs", "Permissions=127", "Remark=Team",
                          "Type=0"})));
  EXPECT_EQ(type, regtype::MultiSz);
  // Without a remark there is no Remark line at all.
  EXPECT_EQ(Text(GetValue(target, kSharesKeyNT, "TOOLS")),
            Text(MultiSz({"MaxUses=4294967295", "Path=C:\\Tools", "Permissions=127", "Type=0"})));
  const std::vector<std::uint8_t> sd = GetValue(target, kSecurityKey, "DOCS", &type);
  ASSERT_EQ(sd.size(), 96u);
  EXPECT_EQ(type, regtype::Binary);
  auto u32 = [&](std::size_t at) {
    return sd[at] | (sd[at + 1] << 8) | (sd[at + 2] << 16) | (std::uint32_t(sd[at + 3]) << 24);
  };
  EXPECT_EQ(sd[0], 1);                          // revision
  EXPECT_EQ(sd[2] | (sd[3] << 8), 0x8004);      // self-relative, DACL present
  EXPECT_EQ(u32(4), 52u);                       // owner
  EXPECT_EQ(u32(8), 68u);                       // group
  EXPECT_EQ(u32(12), 0u);                       // no SACL
  EXPECT_EQ(u32(16), 20u);                      // DACL
  EXPECT_EQ(sd[20], 2);                         // ACL revision
  EXPECT_EQ(sd[22] | (sd[23] << 8), 32);        // ACL size
  EXPECT_EQ(sd[24], 1);                         // one entry
  EXPECT_EQ(sd[28], 0);                         // access allowed
  EXPECT_EQ(u32(32), 0x001200A9u);              // read and execute
  EXPECT_EQ(SidToText(std::vector<std::uint8_t>(sd.begin() + 36, sd.begin() + 48)), "S-1-1-0");
  EXPECT_EQ(SidToText(std::vector<std::uint8_t>(sd.begin() + 52, sd.begin() + 68)), "S-1-5-32-544");
  const std::string group = SidToText(std::vector<std::uint8_t>(sd.begin() + 68, sd.end()));
  EXPECT_EQ(group.rfind("S-1-5-21-", 0), 0u);
  EXPECT_EQ(group.substr(group.size() - 4), "-513");
  EXPECT_TRUE(loaded.Has("2 Shared Drives and Folders"));
  EXPECT_TRUE(loaded.Has("with Read-Only access - Permissions should be assigned."));
  EXPECT_TRUE(loaded.Has("Comment : Team"));
}

TEST_F(SharesTest, LongNamesAreCutForWindows9xUnlessTheCutNameIsTaken) {
  MemoryMachine source(okWinNT), target(okWin95);
  AddShareNT(source, "ENGINEERING-DOCS", "C:\\Eng", "");
  AddShareNT(source, "ENGINEERING-TOOLS", "C:\\Tools", "");
  ASSERT_TRUE(Save<TSharedSettings>(source).ok);
  const ItemResult loaded = Load<TSharedSettings>(target);
  EXPECT_EQ(Reg(target, hkey::LocalMachine, std::string(kSharesKey9x) + "\\ENGINEERING-", "Path"),
            "C:\\ENG");
  EXPECT_TRUE(loaded.Has("The share name \"ENGINEERING-DOCS\" is too long for this system; C:\\Eng "
                         "is shared as \"ENGINEERING-\"."));
  EXPECT_TRUE(loaded.Has("The shared folder \"ENGINEERING-TOOLS\" (C:\\Tools) could not be created: "
                         "its name is too long for this system and \"ENGINEERING-\" is shared "
                         "already."));
  EXPECT_TRUE(loaded.Has("1 Shared Drives and Folders"));
}

TEST_F(SharesTest, SharesTheLayoutCannotHoldAreRefusedAndTheStreamStaysInStep) {
  MemoryMachine target(okWinNT);
  TWriteMemoryConnection& w = NewPayload(okWin98);
  w.WriteInteger(static_cast<std::int32_t>(hkey::LocalMachine));
  w.WriteInteger(0);
  const char* shares[][3] = {{"A=B", "C:\\A", ""},
                             {"BREAK", "C:\\x\r\nType=1", ""},
                             {"REMARK", "C:\\R", "one\ntwo"},
                             {"SUB\\KEY", "C:\\S", ""},
                             {"", "C:\\E", ""},
                             {"GOOD", "C:\\Good", "fine"}};
  w.WriteInteger(6);
  for (auto& s : shares)
    for (const char* field : s) w.WriteString(field);
  w.WriteString("after");
  const ItemResult loaded = Load<TSharedSettings>(target);
  EXPECT_EQ(Consumed(), Written() - 9);  // the marker after the payload is left
  EXPECT_TRUE(loaded.Has("The shared folder \"A=B\" (C:\\A) could not be created: its name or "
                         "path is not valid on this system."));
  EXPECT_TRUE(loaded.Has("1 Shared Drives and Folders"));
  EXPECT_TRUE(loaded.Has("Name : GOOD"));
  MachineScope on(target);
  std::vector<std::string> values;
  RegKey k = 0;
  ASSERT_EQ(target.Registry().OpenKey(hkey::LocalMachine, kSharesKeyNT, RegAccess::Read, k),
            err::Success);
  std::string name;
  for (std::uint32_t i = 0; target.Registry().EnumValue(k, i, name, nullptr, nullptr) == err::Success; ++i)
    values.push_back(name);
  target.Registry().CloseKey(k);
  EXPECT_EQ(values, std::vector<std::string>{"GOOD"});
}

TEST_F(SharesTest, AStoredBlockWritesOnlyInsideTheSharesKey) {
  MemoryMachine target(okWinNT);
  TWriteMemoryConnection& w = NewPayload(okWinNT);
  w.WriteInteger(static_cast<std::int32_t>(hkey::LocalMachine));
  w.WriteInteger(2);
  for (const char* key : {"System\\CurrentControlSet\\Services\\LanmanServer\\Shares",
                          "Software\\Microsoft\\Windows\\CurrentVersion\\Run"}) {
    w.WriteString(key);
    w.WriteString("X");
    w.WriteInteger(regtype::Sz);
    w.WriteInteger(2);
    w.WriteBuffer("x", 2);
  }
  w.WriteInteger(0);
  const ItemResult loaded = Load<TSharedSettings>(target);
  EXPECT_TRUE(loaded.ok);
  EXPECT_EQ(Reg(target, hkey::LocalMachine, kSharesKeyNT, "X"), "x");
  EXPECT_EQ(Reg(target, hkey::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "X"),
            "<none>");
  EXPECT_TRUE(loaded.Has("Registry values outside the shared folders key were not written."));
}

TEST_F(SharesTest, CountsBeyondTheStreamAreReadErrors) {
  MemoryMachine target(okWinNT);
  TWriteMemoryConnection& w = NewPayload(okWin95);
  w.WriteInteger(static_cast<std::int32_t>(hkey::LocalMachine));
  w.WriteInteger(0);
  w.WriteInteger(100000);
  w.WriteString("ONE");
  EXPECT_THROW(Load<TSharedSettings>(target), EConnectionReadError);
  NewPayload(okWin95).WriteInteger(-1);
  EXPECT_THROW(Load<TMappedDrivesSettings>(target), EConnectionReadError);
}

TEST_F(SharesTest, WithoutRegistryAccessTheDescriptionSaysSo) {
  MachineSetup setup;
  setup.administrator = false;
  MemoryMachine user(setup);
  const ItemResult described = Describe<TSharedSettings>(user);
  EXPECT_TRUE(described.Has("Shared Drives and Folders : "));
  EXPECT_TRUE(described.Has("Registry access is required to retrieve or modify this setting."));
  EXPECT_TRUE(described.Has("0 Shared Drives and Folders"));
}

// ---------------------------------------------------------------------------
// Mapped drives

class MappedDrivesTest : public ItemTest {};

TEST_F(MappedDrivesTest, ADriveIsMappedAgainAndRemembered) {
  for (OSKind kind : {okWin95, okWinNT}) {
    SCOPED_TRACE(kind);
    MemoryMachine source(okWinNT), target(kind);
    source.AddShare("\\\\FILER\\DOCS");
    target.AddShare("\\\\FILER\\DOCS");
    ASSERT_EQ(source.Network()->AddDriveConnection("E:", "\\\\FILER\\DOCS", "", 0), err::Success);
    const ItemResult saved = Save<TMappedDrivesSettings>(source);
    EXPECT_TRUE(saved.Has("1 mapped network drives."));
    EXPECT_TRUE(saved.Has("E: is mapped to \\\\FILER\\DOCS"));
    const ItemResult loaded = Load<TMappedDrivesSettings>(target);
    EXPECT_TRUE(loaded.ok);
    std::string remote;
    EXPECT_EQ(target.Network()->DriveConnection("E:", remote), err::Success);
    EXPECT_EQ(remote, "\\\\FILER\\DOCS");
    EXPECT_EQ(Reg(target, hkey::CurrentUser,
                  kind == okWinNT ? "Network\\E" : "Network\\Persistent\\E", "RemotePath"),
              "\\\\FILER\\DOCS");
    EXPECT_TRUE(loaded.Has("E: is mapped to \\\\FILER\\DOCS"));
  }
}

TEST_F(MappedDrivesTest, ALetterInUseGivesTheErrorLineAndTheNextDriveIsTried) {
  MemoryMachine source(okWinNT), target(okWinNT);
  for (MemoryMachine* m : {&source, &target}) {
    m->AddShare("\\\\FILER\\DOCS");
    m->AddShare("\\\\FILER\\APPS");
  }
  source.Network()->AddDriveConnection("F:", "\\\\FILER\\DOCS", "", 0);
  source.Network()->AddDriveConnection("G:", "\\\\FILER\\APPS", "", 0);
  target.Network()->AddDriveConnection("F:", "\\\\FILER\\APPS", "", 0);
  Save<TMappedDrivesSettings>(source);
  const ItemResult loaded = Load<TMappedDrivesSettings>(target);
  EXPECT_TRUE(loaded.ok);
  EXPECT_TRUE(loaded.Has("Error mapping F: to \\\\FILER\\DOCS : The local device name is already in use."));
  EXPECT_TRUE(LogHas("strDrive F:"));
  EXPECT_TRUE(LogHas("WNetAddConnection Error : The local device name is already in use."));
  EXPECT_TRUE(loaded.Has("2 mapped network drives."));
  EXPECT_TRUE(loaded.Has("G: is mapped to \\\\FILER\\APPS"));
  EXPECT_TRUE(loaded.Has("F: is mapped to \\\\FILER\\APPS"));
}

TEST_F(MappedDrivesTest, AnAlreadyRememberedLetterIsMappedOnTheRetryWithTheUserName) {
  MemoryMachine source(okWinNT), target(okWinNT);
  source.AddShare("\\\\FILER\\DOCS");
  target.AddShare("\\\\FILER\\DOCS");
  source.Network()->AddDriveConnection("H:", "\\\\FILER\\DOCS", "", 0);
  SetReg(target, hkey::CurrentUser, "Network\\H", "RemotePath", "\\\\OLD\\GONE");
  Save<TMappedDrivesSettings>(source);
  const ItemResult loaded = Load<TMappedDrivesSettings>(target);
  EXPECT_FALSE(LogHas("strDrive H:"));
  EXPECT_TRUE(loaded.Has("H: is mapped to \\\\FILER\\DOCS"));
}

TEST_F(MappedDrivesTest, NoMappedDrivesWriteTheCountZero) {
  MemoryMachine source(okWin98);
  const ItemResult saved = Save<TMappedDrivesSettings>(source);
  EXPECT_EQ(Written(), 4);
  EXPECT_EQ(saved.lines, (std::vector<std::string>{"Mapped Drives :", "0 mapped network drives.", ""}));
}

TEST_F(MappedDrivesTest, AnUnknownShareGivesTheSystemsMessage) {
  MemoryMachine source(okWinNT), target(okWinNT);
  source.AddShare("\\\\FILER\\DOCS");
  source.Network()->AddDriveConnection("E:", "\\\\FILER\\DOCS", "", 0);
  Save<TMappedDrivesSettings>(source);
  const ItemResult loaded = Load<TMappedDrivesSettings>(target);
  EXPECT_TRUE(loaded.Has("Error mapping E: to \\\\FILER\\DOCS : The network path was not found."));
  EXPECT_TRUE(loaded.Has("0 mapped network drives."));
}

}  // namespace
}  // namespace qv::test
