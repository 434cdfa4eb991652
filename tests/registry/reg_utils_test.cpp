// The registry access functions on in-memory machines of every kind, and on
// the build's own machine (the real registry in the Windows build).
#include "registry/reg_utils.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/debug_log.h"
#include "platform/memory/memory_machine.h"

namespace {

using qv::RegKey;
namespace hkey = qv::hkey;
namespace regtype = qv::regtype;

std::vector<std::uint8_t> Bytes(std::initializer_list<int> b) {
  std::vector<std::uint8_t> v;
  for (int x : b) v.push_back(static_cast<std::uint8_t>(x));
  return v;
}

void PutRaw(qv::IRegistry& reg, RegKey root, const std::string& path, const std::string& name,
            std::uint32_t type, const std::vector<std::uint8_t>& data) {
  RegKey k;
  ASSERT_EQ(reg.CreateKey(root, path, k), qv::err::Success);
  ASSERT_EQ(reg.SetValue(k, name, type, data.data(), static_cast<std::uint32_t>(data.size())),
            qv::err::Success);
  reg.CloseKey(k);
}

// Type and data of a value, or type 0xFFFFFFFF when it cannot be read.
std::pair<std::uint32_t, std::vector<std::uint8_t>> GetRaw(qv::IRegistry& reg, RegKey root,
                                                           const std::string& path,
                                                           const std::string& name) {
  RegKey k;
  if (reg.OpenKey(root, path, qv::RegAccess::Read, k) != qv::err::Success) return {0xFFFFFFFFu, {}};
  std::uint32_t type = 0, size = 0;
  std::vector<std::uint8_t> data;
  if (reg.QueryValue(k, name, &type, nullptr, &size) == qv::err::Success) {
    data.resize(size);
    reg.QueryValue(k, name, &type, data.data(), &size);
  } else {
    type = 0xFFFFFFFFu;
  }
  reg.CloseKey(k);
  return {type, data};
}

bool KeyExists(qv::IRegistry& reg, RegKey root, const std::string& path) {
  RegKey k;
  if (reg.OpenKey(root, path, qv::RegAccess::Read, k) != qv::err::Success) return false;
  reg.CloseKey(k);
  return true;
}

class RegUtilsTest : public ::testing::TestWithParam<qv::OSKind> {
 protected:
  RegUtilsTest() : machine_(GetParam()), scope_(machine_) {}

  qv::IRegistry& reg() { return machine_.Registry(); }
  std::string Text(qv::WinError code) { return machine_.System().ErrorMessage(code); }

  qv::MemoryMachine machine_;
  qv::MachineScope scope_;
  DebugLogRecorder log_;
};

INSTANTIATE_TEST_SUITE_P(Kinds, RegUtilsTest,
                         ::testing::Values(qv::okWin95, qv::okWin98, qv::okWinNT),
                         [](const ::testing::TestParamInfo<qv::OSKind>& i) {
                           return std::string(i.param == qv::okWin95   ? "Win95"
                                              : i.param == qv::okWin98 ? "Win98"
                                                                       : "WinNT");
                         });

TEST_P(RegUtilsTest, StringsRoundTripUnderNewKeysWithOrWithoutLeadingBackslash) {
  EXPECT_TRUE(UTLSetRegString(hkey::CurrentUser, "\\Software\\ZTR\\Deep\\Path", "Name", "Value"));
  EXPECT_TRUE(KeyExists(reg(), hkey::CurrentUser, "Software\\ZTR\\Deep\\Path"));
  EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, "Software\\ZTR\\Deep\\Path", "Name", "dflt"),
            "Value");
  EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, "\\Software\\ZTR\\Deep\\Path", "name", "dflt"),
            "Value");
  // Stored as REG_SZ with its terminating zero.
  auto [type, data] = GetRaw(reg(), hkey::CurrentUser, "Software\\ZTR\\Deep\\Path", "Name");
  EXPECT_EQ(type, regtype::Sz);
  EXPECT_EQ(data, Bytes({'V', 'a', 'l', 'u', 'e', 0}));
  // An expandable string reads as a string too; the text stops at the first zero.
  PutRaw(reg(), hkey::CurrentUser, "Software\\ZTR", "Exp", regtype::ExpandSz,
         Bytes({'%', 'A', '%', 0, 'x', 0}));
  EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, "Software\\ZTR", "Exp", ""), "%A%");
  // Administrators (and everybody on Windows 95/98) reach the machine key.
  EXPECT_TRUE(UTLHasRegistryAccess());
  EXPECT_TRUE(UTLSetRegString(hkey::LocalMachine, "Software\\ZTR", "S", "machine"));
  EXPECT_EQ(UTLGetRegString(hkey::LocalMachine, "Software\\ZTR", "S", ""), "machine");
  EXPECT_TRUE(log_.Lines().empty());
}

TEST_P(RegUtilsTest, MissingKeysAndValuesGiveTheDefaultAndOneLogLine) {
  PutRaw(reg(), hkey::CurrentUser, "Software\\ZTR", "Other", regtype::Dword, Bytes({1, 0, 0, 0}));

  EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, "Software\\Nowhere", "V", "dflt"), "dflt");
  EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, "Software\\ZTR", "V", "dflt"), "dflt");
  EXPECT_EQ(UTLGetRegDWORD(hkey::CurrentUser, "Software\\Nowhere", "D", 77u), 77u);
  EXPECT_EQ(UTLGetRegDWORD(hkey::CurrentUser, "\\Software\\ZTR", "D", 78u), 78u);

  std::string missing = Text(qv::err::FileNotFound);
  EXPECT_EQ(log_.Lines(), (std::vector<std::string>{
                              "UTLGetRegString failed : Software\\Nowhere V " + missing,
                              "UTLGetRegString failed : Software\\ZTR V " + missing,
                              "UTLGetRegDWORD failed : Software\\Nowhere D " + missing,
                              "UTLGetRegDWORD failed : \\Software\\ZTR D " + missing,
                          }));
  // The failure's code is left as the thread's last error.
  EXPECT_EQ(machine_.System().LastError(), qv::err::FileNotFound);
}

TEST_P(RegUtilsTest, ReadingAStringFromAValueOfAnotherTypeRaises) {
  PutRaw(reg(), hkey::CurrentUser, "Software\\ZTR", "D", regtype::Dword, Bytes({1, 0, 0, 0}));
  PutRaw(reg(), hkey::CurrentUser, "Software\\ZTR", "B", regtype::Binary, Bytes({'a', 0}));
  EXPECT_THROW(UTLGetRegString(hkey::CurrentUser, "Software\\ZTR", "D", ""), ERegistryException);
  EXPECT_THROW(UTLGetRegString(hkey::CurrentUser, "Software\\ZTR", "B", ""), ERegistryException);
}

TEST_P(RegUtilsTest, DwordsReadFromDwordAndBinaryValuesOnly) {
  EXPECT_TRUE(UTLSetRegDWORD(hkey::CurrentUser, "Software\\New\\Key", "D", 0xDEADBEEFu));
  auto [type, data] = GetRaw(reg(), hkey::CurrentUser, "Software\\New\\Key", "D");
  EXPECT_EQ(type, regtype::Dword);
  EXPECT_EQ(data, Bytes({0xEF, 0xBE, 0xAD, 0xDE}));
  EXPECT_EQ(UTLGetRegDWORD(hkey::CurrentUser, "Software\\New\\Key", "D", 0), 0xDEADBEEFu);

  const std::string k = "Software\\ZTR";
  PutRaw(reg(), hkey::CurrentUser, k, "B2", regtype::Binary, Bytes({0x34, 0x12}));
  PutRaw(reg(), hkey::CurrentUser, k, "B3", regtype::Binary, Bytes({0x56, 0x34, 0x12}));
  PutRaw(reg(), hkey::CurrentUser, k, "B6", regtype::Binary, Bytes({1, 2, 3, 4, 5, 6}));
  PutRaw(reg(), hkey::CurrentUser, k, "B0", regtype::Binary, {});
  PutRaw(reg(), hkey::CurrentUser, k, "S", regtype::Sz, Bytes({'4', '2', 0}));
  PutRaw(reg(), hkey::CurrentUser, k, "M", regtype::MultiSz, Bytes({'x', 0, 0}));
  EXPECT_EQ(UTLGetRegDWORD(hkey::CurrentUser, k, "B2", 9), 0x1234u);
  EXPECT_EQ(UTLGetRegDWORD(hkey::CurrentUser, k, "B3", 9), 0x123456u);
  EXPECT_EQ(UTLGetRegDWORD(hkey::CurrentUser, k, "B6", 9), 0x04030201u);
  EXPECT_EQ(UTLGetRegDWORD(hkey::CurrentUser, k, "B0", 9), 0u);
  EXPECT_TRUE(log_.Lines().empty());

  // A string or a list is not an integer: the default, and a failure line.
  EXPECT_EQ(UTLGetRegDWORD(hkey::CurrentUser, k, "S", 9), 9u);
  EXPECT_EQ(UTLGetRegDWORD(hkey::CurrentUser, k, "M", 10), 10u);
  auto lines = log_.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("UTLGetRegDWORD failed : Software\\ZTR S ", 0), 0u);
  EXPECT_EQ(lines[1].rfind("UTLGetRegDWORD failed : Software\\ZTR M ", 0), 0u);
}

TEST_P(RegUtilsTest, MultiStringIsAListOfOneString) {
  EXPECT_TRUE(UTLSetRegMultiString(hkey::CurrentUser, "Software\\New", "M", "abc"));
  auto [type, data] = GetRaw(reg(), hkey::CurrentUser, "Software\\New", "M");
  EXPECT_EQ(type, regtype::MultiSz);
  EXPECT_EQ(data, Bytes({'a', 'b', 'c', 0, 0}));
  // Characters after a zero are not copied; the block keeps the full size.
  EXPECT_TRUE(UTLSetRegMultiString(hkey::CurrentUser, "Software\\New", "Z",
                                   std::string_view("ab\0cd", 5)));
  EXPECT_EQ(GetRaw(reg(), hkey::CurrentUser, "Software\\New", "Z").second,
            Bytes({'a', 'b', 0, 0, 0, 0, 0}));
  EXPECT_TRUE(UTLSetRegMultiString(hkey::CurrentUser, "Software\\New", "E", ""));
  EXPECT_EQ(GetRaw(reg(), hkey::CurrentUser, "Software\\New", "E").second, Bytes({0, 0}));
  EXPECT_EQ(log_.Lines(), (std::vector<std::string>{"UTLSetRegMultiString : 1",
                                                    "UTLSetRegMultiString : 1",
                                                    "UTLSetRegMultiString : 1"}));
}

TEST_P(RegUtilsTest, BinaryValuesCopyOnlyWhatFits) {
  const std::string k = "Software\\Bin";
  const std::uint8_t block[6] = {1, 2, 3, 4, 5, 6};
  UTLSetRegBinary(hkey::CurrentUser, "\\" + k, "B", block, sizeof block);
  EXPECT_EQ(GetRaw(reg(), hkey::CurrentUser, k, "B"),
            std::make_pair(regtype::Binary, Bytes({1, 2, 3, 4, 5, 6})));

  std::uint8_t buffer[8];
  std::memset(buffer, 0xCC, sizeof buffer);
  EXPECT_EQ(UTLGetRegBinary(hkey::CurrentUser, k, "B", buffer, sizeof buffer), 6u);
  EXPECT_EQ(std::memcmp(buffer, block, 6), 0);
  EXPECT_EQ(buffer[6], 0xCC);

  // Too large for the buffer: nothing is copied.
  std::memset(buffer, 0xCC, sizeof buffer);
  EXPECT_EQ(UTLGetRegBinary(hkey::CurrentUser, k, "B", buffer, 4), 0u);
  EXPECT_EQ(buffer[0], 0xCC);

  // Lists and untyped values are copied raw, cut to the buffer.
  PutRaw(reg(), hkey::CurrentUser, k, "M", regtype::MultiSz, Bytes({'a', 0, 'b', 0, 0}));
  PutRaw(reg(), hkey::CurrentUser, k, "N", regtype::None, Bytes({9, 8}));
  EXPECT_EQ(UTLGetRegBinary(hkey::CurrentUser, k, "M", buffer, 3), 3u);
  EXPECT_EQ(std::memcmp(buffer, "a\0b", 3), 0);
  EXPECT_EQ(UTLGetRegBinary(hkey::CurrentUser, k, "N", buffer, sizeof buffer), 2u);
  EXPECT_EQ(buffer[0], 9);

  // Strings, DWORDs and missing values give nothing.
  PutRaw(reg(), hkey::CurrentUser, k, "S", regtype::Sz, Bytes({'x', 0}));
  PutRaw(reg(), hkey::CurrentUser, k, "D", regtype::Dword, Bytes({1, 0, 0, 0}));
  PutRaw(reg(), hkey::CurrentUser, k, "X", regtype::ExpandSz, Bytes({'x', 0}));
  for (const char* name : {"S", "D", "X", "Missing"})
    EXPECT_EQ(UTLGetRegBinary(hkey::CurrentUser, k, name, buffer, sizeof buffer), 0u) << name;
  EXPECT_EQ(UTLGetRegBinary(hkey::CurrentUser, "Software\\Nowhere", "B", buffer, sizeof buffer),
            0u);
  EXPECT_TRUE(log_.Lines().empty());
}

TEST_P(RegUtilsTest, DeleteRemovesOneValueAndLogsEvenWhenNothingIsThere) {
  PutRaw(reg(), hkey::CurrentUser, "Software\\Del\\Sub", "Keep", regtype::Sz, Bytes({0}));
  PutRaw(reg(), hkey::CurrentUser, "Software\\Del", "Gone", regtype::Sz, Bytes({0}));
  PutRaw(reg(), hkey::CurrentUser, "Software\\Del", "Stay", regtype::Sz, Bytes({0}));

  UTLDeleteRegKey(hkey::CurrentUser, "\\Software\\Del", "Gone");
  UTLDeleteRegKey(hkey::CurrentUser, "Software\\Missing", "Gone");
  UTLDeleteRegKey(hkey::CurrentUser, "Software\\Del", "Sub");  // a key, not a value: kept

  EXPECT_EQ(GetRaw(reg(), hkey::CurrentUser, "Software\\Del", "Gone").first, 0xFFFFFFFFu);
  EXPECT_EQ(GetRaw(reg(), hkey::CurrentUser, "Software\\Del", "Stay").first, regtype::Sz);
  EXPECT_TRUE(KeyExists(reg(), hkey::CurrentUser, "Software\\Del\\Sub"));
  EXPECT_FALSE(KeyExists(reg(), hkey::CurrentUser, "Software\\Missing"));
  EXPECT_EQ(log_.Lines(), (std::vector<std::string>{"UTLDeleteRegKey \\Software\\Del Gone",
                                                    "UTLDeleteRegKey Software\\Missing Gone",
                                                    "UTLDeleteRegKey Software\\Del Sub"}));
}

// Windows NT for a user who is not an administrator: full access to
// HKEY_LOCAL_MACHINE fails, so even reads there give the defaults.
TEST(RegUtilsNT, NormalUsersGetDefaultsFromTheMachineKey) {
  qv::MachineSetup setup;
  setup.kind = qv::okWinNT;
  setup.administrator = false;
  qv::MemoryMachine machine(setup);
  qv::MachineScope scope(machine);
  DebugLogRecorder log;
  std::string denied = machine.System().ErrorMessage(qv::err::AccessDenied);

  machine.SetAdministrator(true);
  PutRaw(machine.Registry(), hkey::LocalMachine, "Software\\ZTR", "S", regtype::Sz,
         Bytes({'x', 0}));
  PutRaw(machine.Registry(), hkey::LocalMachine, "Software\\ZTR", "D", regtype::Dword,
         Bytes({5, 0, 0, 0}));
  PutRaw(machine.Registry(), hkey::LocalMachine, "Software\\ZTR", "B", regtype::Binary,
         Bytes({5}));
  machine.SetAdministrator(false);

  EXPECT_FALSE(UTLHasRegistryAccess());
  EXPECT_EQ(UTLGetRegString(hkey::LocalMachine, "Software\\ZTR", "S", "d"), "d");
  EXPECT_EQ(UTLGetRegDWORD(hkey::LocalMachine, "Software\\ZTR", "D", 1), 1u);
  std::uint8_t buffer[4] = {};
  EXPECT_EQ(UTLGetRegBinary(hkey::LocalMachine, "Software\\ZTR", "B", buffer, sizeof buffer), 0u);

  EXPECT_FALSE(UTLSetRegString(hkey::LocalMachine, "Software\\ZTR", "S", "new"));
  EXPECT_FALSE(UTLSetRegDWORD(hkey::LocalMachine, "Software\\ZTR", "D", 6));
  EXPECT_FALSE(UTLSetRegMultiString(hkey::LocalMachine, "Software\\ZTR", "M", "m"));
  // A binary write to a key that cannot be opened is ignored.
  EXPECT_NO_THROW(UTLSetRegBinary(hkey::LocalMachine, "Software\\ZTR", "B", "zz", 2));
  UTLDeleteRegKey(hkey::LocalMachine, "Software\\ZTR", "S");

  EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                             "UTLGetRegString failed : Software\\ZTR S " + denied,
                             "UTLGetRegDWORD failed : Software\\ZTR D " + denied,
                             "UTLSetRegString failed : Software\\ZTR S " + denied,
                             "UTLSetRegDWORD failed : Software\\ZTR D " + denied,
                             "UTLSetRegMultiString ERROR : Software\\ZTR M m " + denied,
                             "UTLDeleteRegKey Software\\ZTR S",
                         }));
  // Nothing changed.
  machine.SetAdministrator(true);
  EXPECT_EQ(UTLGetRegString(hkey::LocalMachine, "Software\\ZTR", "S", "d"), "x");
  EXPECT_EQ(UTLGetRegDWORD(hkey::LocalMachine, "Software\\ZTR", "D", 1), 5u);
  EXPECT_EQ(UTLGetRegBinary(hkey::LocalMachine, "Software\\ZTR", "B", buffer, sizeof buffer), 1u);
}

// The same functions on the build's own machine: the real registry in the
// Windows build. Everything happens below a scratch key that is removed.
class RegUtilsCurrentMachine : public ::testing::Test {
 protected:
  static constexpr const char* kBase = "Software\\QorvelTest";
  static constexpr const char* kKey = "Software\\QorvelTest\\RegUtils";

  void SetUp() override { DeleteTree(kBase); }
  void TearDown() override { DeleteTree(kBase); }

  static void DeleteTree(const std::string& path) {
    qv::IRegistry& reg = qv::CurrentMachine().Registry();
    RegKey k;
    if (reg.OpenKey(hkey::CurrentUser, path, qv::RegAccess::Full, k) != qv::err::Success) return;
    std::string child;
    std::vector<std::string> children;
    for (std::uint32_t i = 0; reg.EnumKey(k, i, child) == qv::err::Success; ++i)
      children.push_back(child);
    reg.CloseKey(k);
    for (const std::string& c : children) DeleteTree(path + "\\" + c);
    reg.DeleteKey(hkey::CurrentUser, path);
  }

  DebugLogRecorder log_;
};

TEST_F(RegUtilsCurrentMachine, ValuesRoundTripThroughTheRegistry) {
  EXPECT_TRUE(UTLSetRegString(hkey::CurrentUser, std::string("\\") + kKey + "\\A\\B", "S", "text"));
  EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, std::string(kKey) + "\\A\\B", "S", ""), "text");

  EXPECT_TRUE(UTLSetRegDWORD(hkey::CurrentUser, kKey, "D", 0x80000001u));
  EXPECT_EQ(UTLGetRegDWORD(hkey::CurrentUser, kKey, "D", 0), 0x80000001u);

  const std::uint8_t three[3] = {0x56, 0x34, 0x12};
  UTLSetRegBinary(hkey::CurrentUser, kKey, "B", three, sizeof three);
  EXPECT_EQ(UTLGetRegDWORD(hkey::CurrentUser, kKey, "B", 0), 0x123456u);
  std::uint8_t buffer[1024];
  EXPECT_EQ(UTLGetRegBinary(hkey::CurrentUser, kKey, "B", buffer, sizeof buffer), 3u);
  EXPECT_EQ(UTLGetRegBinary(hkey::CurrentUser, kKey, "B", buffer, 2), 0u);
  EXPECT_EQ(UTLGetRegBinary(hkey::CurrentUser, kKey, "D", buffer, sizeof buffer), 0u);

  EXPECT_TRUE(UTLSetRegMultiString(hkey::CurrentUser, kKey, "M", "one"));
  EXPECT_EQ(UTLGetRegBinary(hkey::CurrentUser, kKey, "M", buffer, sizeof buffer), 5u);
  EXPECT_EQ(std::memcmp(buffer, "one\0\0", 5), 0);

  EXPECT_THROW(UTLGetRegString(hkey::CurrentUser, kKey, "D", ""), ERegistryException);
  EXPECT_EQ(log_.Lines(), std::vector<std::string>{"UTLSetRegMultiString : 1"});

  // Missing values and deletions.
  ASSERT_TRUE(UTLSetRegString(hkey::CurrentUser, kKey, "S", "x"));
  log_.Clear();
  EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, kKey, "Nope", "d"), "d");
  EXPECT_EQ(UTLGetRegDWORD(hkey::CurrentUser, std::string(kKey) + "\\Nope", "D", 3), 3u);
  UTLDeleteRegKey(hkey::CurrentUser, kKey, "S");
  EXPECT_EQ(UTLGetRegString(hkey::CurrentUser, kKey, "S", "gone"), "gone");

  auto lines = log_.Lines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].rfind(std::string("UTLGetRegString failed : ") + kKey + " Nope ", 0), 0u);
  EXPECT_GT(lines[0].size(), std::string("UTLGetRegString failed : ").size() +
                                 std::string(kKey).size() + 6)
      << "the system's message text follows";
  EXPECT_EQ(lines[1].rfind(std::string("UTLGetRegDWORD failed : ") + kKey + "\\Nope D ", 0), 0u);
  EXPECT_EQ(lines[2], std::string("UTLDeleteRegKey ") + kKey + " S");
  EXPECT_EQ(lines[3].rfind(std::string("UTLGetRegString failed : ") + kKey + " S ", 0), 0u);
}

}  // namespace
