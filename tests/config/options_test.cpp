// The options: defaults, the stored values and the rule that stops reading
// at the first unusable value.
#include "config/options.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/memory/memory_machine.h"

namespace {

using qv::RegKey;
namespace hkey = qv::hkey;
namespace regtype = qv::regtype;

const char* const kKey = "Software\\ZTR\\Qorvel\\Options";

class OptionsTest : public ::testing::TestWithParam<qv::OSKind> {
 public:
  OptionsTest() : machine_(GetParam()), scope_(machine_) {}

  // The current machine: the test's own, or one a case makes current.
  qv::IRegistry& reg() { return qv::CurrentMachine().Registry(); }

  void Put(const std::string& name, std::uint32_t type, const std::string& data) {
    RegKey k;
    ASSERT_EQ(reg().CreateKey(hkey::CurrentUser, kKey, k), qv::err::Success);
    reg().SetValue(k, name, type, reinterpret_cast<const std::uint8_t*>(data.data()),
                   static_cast<std::uint32_t>(data.size()));
    reg().CloseKey(k);
  }
  void PutDword(const std::string& name, std::uint32_t v) {
    Put(name, regtype::Dword,
        std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                    static_cast<char>(v >> 24)});
  }
  void PutString(const std::string& name, const std::string& v) {
    Put(name, regtype::Sz, v + std::string(1, '\0'));
  }
  // The values of the key as "name=type:data" with DWORDs in decimal.
  std::vector<std::string> Stored() {
    std::vector<std::string> out;
    RegKey k;
    if (reg().OpenKey(hkey::CurrentUser, kKey, qv::RegAccess::Read, k) != qv::err::Success)
      return out;
    std::string name;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
    for (std::uint32_t i = 0; reg().EnumValue(k, i, name, &type, &data) == qv::err::Success; ++i) {
      std::string text;
      if (type == regtype::Dword && data.size() == 4)
        text = "D:" + std::to_string(data[0] | data[1] << 8 | data[2] << 16 | data[3] << 24);
      else
        text = "S:" + std::string(data.begin(), data.end());
      out.push_back(name + "=" + text);
    }
    reg().CloseKey(k);
    return out;
  }
  std::string Temp() {
    std::string t;
    qv::CurrentMachine().Files().TempFolder(t);
    return t;
  }

  qv::MemoryMachine machine_;
  qv::MachineScope scope_;
};

INSTANTIATE_TEST_SUITE_P(Kinds, OptionsTest,
                         ::testing::Values(qv::okWin95, qv::okWin98, qv::okWinNT),
                         [](const ::testing::TestParamInfo<qv::OSKind>& i) {
                           return std::string(i.param == qv::okWin95   ? "Win95"
                                              : i.param == qv::okWin98 ? "Win98"
                                                                       : "WinNT");
                         });

TEST_P(OptionsTest, AFreshUserGetsTheDefaultsAndTheKeyOnceTheRunEnds) {
  {
    TOptions o(kKey);
    EXPECT_TRUE(o.ComparebyChecksum);
    EXPECT_TRUE(o.ComparebyDate);
    EXPECT_TRUE(o.ReplaceStartMenu);
    EXPECT_TRUE(o.ReplaceDesktop);
    EXPECT_TRUE(o.CreateBackup);
    EXPECT_EQ(o.BackupDir, Temp());
    EXPECT_EQ(o.BackupDir.back(), '\\');
    EXPECT_EQ(o.LastSavedFile, "");
    EXPECT_EQ(o.LastConfigPage, 0);
    EXPECT_FALSE(o.QuietMode);
    EXPECT_EQ(o.AdvancedOptionsViewType, vsReport);
    EXPECT_TRUE(o.bSaveToRegistry);
    EXPECT_EQ(o.ConfigFile + o.SaveToFile + o.LoadFromFile + o.ReportFile + o.BackupToFile +
                  o.AppListFile,
              "");
    EXPECT_TRUE(Stored().empty()) << "loading never creates the key";
  }
  EXPECT_EQ(Stored(), (std::vector<std::string>{
                          "ReplaceStartMenu=D:1",
                          "ReplaceDesktop=D:1",
                          "DoBackup=D:1",
                          "BackupDir=S:" + Temp() + std::string(1, '\0'),
                          "ConfigFile=S:" + std::string(1, '\0'),
                          "LastSavedFile=S:" + std::string(1, '\0'),
                          "LastConfigPage=D:0",
                          "LastFileViewType=D:3",
                      }));
}

TEST_P(OptionsTest, StoredValuesComeBackInTheNextRun) {
  {
    TOptions o(kKey);
    o.ReplaceStartMenu = false;
    o.ReplaceDesktop = false;
    o.CreateBackup = false;
    o.BackupDir = "D:\\Backups\\";
    o.ConfigFile = "C:\\my.cfg";
    o.LastSavedFile = "C:\\last.qrv";
    o.LastConfigPage = 2;
    o.AdvancedOptionsViewType = vsList;
    o.QuietMode = true;  // not stored
    o.SaveToFile = "x.qrv";
  }
  TOptions o(kKey);
  EXPECT_FALSE(o.ReplaceStartMenu);
  EXPECT_FALSE(o.ReplaceDesktop);
  EXPECT_FALSE(o.CreateBackup);
  EXPECT_EQ(o.BackupDir, "D:\\Backups\\");
  EXPECT_EQ(o.ConfigFile, "C:\\my.cfg");
  EXPECT_EQ(o.LastSavedFile, "C:\\last.qrv");
  EXPECT_EQ(o.LastConfigPage, 2);
  EXPECT_EQ(o.AdvancedOptionsViewType, vsList);
  EXPECT_FALSE(o.QuietMode);
  EXPECT_EQ(o.SaveToFile, "");
}

TEST_P(OptionsTest, ABatchRunNeverChangesTheStoredOptions) {
  PutDword("ReplaceStartMenu", 0);
  {
    TOptions o(kKey);
    o.bSaveToRegistry = false;
    o.ReplaceStartMenu = true;
    o.LastSavedFile = "C:\\batch.qrv";
  }
  EXPECT_EQ(Stored(), std::vector<std::string>{"ReplaceStartMenu=D:0"});
}

TEST_P(OptionsTest, WithoutAKeyPathTheRegistryIsNeverTouched) {
  PutDword("ReplaceStartMenu", 0);
  { TOptions o(""); EXPECT_TRUE(o.ReplaceStartMenu); }
  RegKey k;
  ASSERT_EQ(reg().OpenKey(hkey::CurrentUser, "", qv::RegAccess::Read, k), qv::err::Success);
  std::uint32_t values = 99;
  reg().QueryInfoKey(k, nullptr, &values);
  reg().CloseKey(k);
  EXPECT_EQ(values, 0u) << "nothing written into the root of HKEY_CURRENT_USER";
}

TEST_P(OptionsTest, MissingDoBackupLeavesItAndEveryLaterValueAtTheDefaults) {
  PutDword("ReplaceStartMenu", 0);
  PutDword("ReplaceDesktop", 0);
  PutString("BackupDir", "E:\\");
  PutString("ConfigFile", "a.cfg");
  PutDword("LastConfigPage", 4);
  TOptions o(kKey);
  o.bSaveToRegistry = false;
  EXPECT_FALSE(o.ReplaceStartMenu);
  EXPECT_FALSE(o.ReplaceDesktop);
  EXPECT_TRUE(o.CreateBackup);
  EXPECT_EQ(o.BackupDir, Temp());
  EXPECT_EQ(o.ConfigFile, "");
  EXPECT_EQ(o.LastConfigPage, 0);
}

TEST_P(OptionsTest, MissingStringsReadAsEmptyAndReadingGoesOn) {
  PutDword("ReplaceStartMenu", 1);
  PutDword("ReplaceDesktop", 1);
  PutDword("DoBackup", 0);
  PutString("LastSavedFile", "C:\\l.qrv");
  PutDword("LastConfigPage", 3);
  PutDword("LastFileViewType", 1);
  TOptions o(kKey);
  o.bSaveToRegistry = false;
  EXPECT_FALSE(o.CreateBackup);
  EXPECT_EQ(o.BackupDir, "");
  EXPECT_EQ(o.ConfigFile, "");
  EXPECT_EQ(o.LastSavedFile, "C:\\l.qrv");
  EXPECT_EQ(o.LastConfigPage, 3);
  EXPECT_EQ(o.AdvancedOptionsViewType, vsSmallIcon);
}

TEST_P(OptionsTest, ValuesOfTheWrongTypeStopTheReadingWithoutACrash) {
  struct Case {
    const char* what;
    std::function<void(OptionsTest&)> put;
    bool desktop;           // ReplaceDesktop after loading
    std::string backupDir;  // BackupDir after loading; "TEMP" for the default
    std::int32_t page;      // LastConfigPage after loading
  };
  auto base = [](OptionsTest& t) {
    t.PutDword("ReplaceStartMenu", 0);
    t.PutDword("ReplaceDesktop", 0);
    t.PutDword("DoBackup", 0);
    t.PutString("BackupDir", "E:\\");
    t.PutString("ConfigFile", "c.cfg");
    t.PutString("LastSavedFile", "s.qrv");
    t.PutDword("LastConfigPage", 5);
    t.PutDword("LastFileViewType", 0);
  };
  const std::string junk("\x01\xff\0\x80zz", 6);
  for (const Case& c : std::vector<Case>{
           {"boolean stored as a string", [&](OptionsTest& t) {
              t.PutString("ReplaceDesktop", "0"); }, true, "TEMP", 0},
           {"boolean stored as 2-byte DWORD", [&](OptionsTest& t) {
              t.Put("ReplaceDesktop", regtype::Dword, std::string("\0\0", 2)); }, true, "TEMP", 0},
           {"boolean stored as binary", [&](OptionsTest& t) {
              t.Put("ReplaceDesktop", regtype::Binary, junk); }, true, "TEMP", 0},
           {"string stored as a DWORD", [&](OptionsTest& t) {
              t.PutDword("BackupDir", 7); }, false, "TEMP", 0},
           {"string stored as binary junk", [&](OptionsTest& t) {
              t.Put("BackupDir", regtype::Binary, junk); }, false, "TEMP", 0},
           {"integer stored as an 8-byte DWORD", [&](OptionsTest& t) {
              t.Put("LastConfigPage", regtype::Dword, std::string(8, '\x01')); }, false, "E:\\", 0},
           {"string without a terminating zero", [&](OptionsTest& t) {
              t.Put("BackupDir", regtype::Sz, "F:\\"); }, false, "F:\\", 5},
           {"huge string", [&](OptionsTest& t) {
              t.PutString("BackupDir", std::string(100000, 'x')); }, false,
            std::string(100000, 'x'), 5},
       }) {
    SCOPED_TRACE(c.what);
    qv::MemoryMachine fresh(GetParam());
    qv::MachineScope scope(fresh);
    base(*this);
    c.put(*this);
    TOptions o(kKey);
    o.bSaveToRegistry = false;
    EXPECT_FALSE(o.ReplaceStartMenu);
    EXPECT_EQ(o.ReplaceDesktop, c.desktop);
    EXPECT_EQ(o.BackupDir, c.backupDir == "TEMP" ? Temp() : c.backupDir);
    EXPECT_EQ(o.LastConfigPage, c.page);
  }
}

TEST_P(OptionsTest, AnUnknownViewStyleKeepsTheDefault) {
  for (const char* n : {"ReplaceStartMenu", "ReplaceDesktop", "DoBackup"}) PutDword(n, 2);
  for (const char* n : {"BackupDir", "ConfigFile", "LastSavedFile"}) PutString(n, "x");
  PutDword("LastConfigPage", 0xFFFFFFFFu);
  PutDword("LastFileViewType", 99);
  TOptions o(kKey);
  o.bSaveToRegistry = false;
  EXPECT_TRUE(o.ReplaceStartMenu) << "any DWORD other than 0 is true";
  EXPECT_EQ(o.LastConfigPage, -1);
  EXPECT_EQ(o.AdvancedOptionsViewType, vsReport);
}

// The program's own key on the build's own machine: the real registry in
// the Windows build. The test keeps whatever was there before.
TEST(OptionsCurrentMachine, StoresAndLoadsUnderAScratchKey) {
  const std::string key = "Software\\QorvelTest\\Options";
  qv::IRegistry& reg = qv::CurrentMachine().Registry();
  std::string temp;
  ASSERT_EQ(qv::CurrentMachine().Files().TempFolder(temp), qv::err::Success);
  {
    TOptions o(key);
    EXPECT_EQ(o.BackupDir, temp);
    o.CreateBackup = false;
    o.BackupDir = "C:\\QorvelBackups\\";
    o.LastConfigPage = 7;
    o.AdvancedOptionsViewType = vsIcon;
  }
  {
    TOptions o(key);
    o.bSaveToRegistry = false;
    EXPECT_FALSE(o.CreateBackup);
    EXPECT_TRUE(o.ReplaceDesktop);
    EXPECT_EQ(o.BackupDir, "C:\\QorvelBackups\\");
    EXPECT_EQ(o.LastConfigPage, 7);
    EXPECT_EQ(o.AdvancedOptionsViewType, vsIcon);
  }
  // A string where a DWORD belongs stops the reading there.
  RegKey k;
  ASSERT_EQ(reg.OpenKey(hkey::CurrentUser, key, qv::RegAccess::Full, k), qv::err::Success);
  reg.SetValue(k, "DoBackup", regtype::Sz, reinterpret_cast<const std::uint8_t*>("1"), 2);
  reg.CloseKey(k);
  {
    TOptions o(key);
    o.bSaveToRegistry = false;
    EXPECT_TRUE(o.CreateBackup);
    EXPECT_EQ(o.BackupDir, temp);
    EXPECT_EQ(o.LastConfigPage, 0);
  }
  reg.DeleteKey(hkey::CurrentUser, key);
  reg.DeleteKey(hkey::CurrentUser, "Software\\QorvelTest");
}

}  // namespace
