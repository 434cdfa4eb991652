// What the program relies on from the registry, checked on every machine.
#include <set>

#include "platform/contract/fixture.h"

namespace qv::test {
namespace {

std::vector<std::uint8_t> Bytes(std::string_view s, bool terminator = true) {
  std::vector<std::uint8_t> v(s.begin(), s.end());
  if (terminator) v.push_back(0);
  return v;
}

class RegistryContract : public ContractTest {
 protected:
  // Opens (creating) a key below the scratch key.
  RegKey Create(const std::string& sub) {
    RegKey k = 0;
    EXPECT_EQ(reg().CreateKey(hkey::CurrentUser, bench().Key(sub), k), err::Success) << sub;
    return k;
  }
  WinError Open(const std::string& sub, RegKey& k, RegAccess access = RegAccess::Full) {
    return reg().OpenKey(hkey::CurrentUser, bench().Key(sub), access, k);
  }
  void Set(RegKey k, const std::string& name, std::uint32_t type,
           const std::vector<std::uint8_t>& data) {
    ASSERT_EQ(reg().SetValue(k, name, type, data.data(), static_cast<std::uint32_t>(data.size())),
              err::Success);
  }
  // Reads a value completely; returns the error.
  WinError Get(RegKey k, const std::string& name, std::uint32_t& type,
               std::vector<std::uint8_t>& data) {
    std::uint32_t size = 0;
    WinError e = reg().QueryValue(k, name, &type, nullptr, &size);
    if (e != err::Success) return e;
    data.assign(size, 0xCC);
    return reg().QueryValue(k, name, &type, data.data(), &size);
  }
  std::vector<std::string> ValueNames(RegKey k) {
    std::vector<std::string> names;
    std::string name;
    for (std::uint32_t i = 0; reg().EnumValue(k, i, name, nullptr, nullptr) == err::Success; ++i)
      names.push_back(name);
    return names;
  }
  std::vector<std::string> KeyNames(RegKey k) {
    std::vector<std::string> names;
    std::string name;
    for (std::uint32_t i = 0; reg().EnumKey(k, i, name) == err::Success; ++i) names.push_back(name);
    return names;
  }
};

TEST_P(RegistryContract, CreateKeyBuildsTheWholePathAndTellsWhetherItWasNew) {
  RegKey k;
  bool created = false;
  ASSERT_EQ(reg().CreateKey(hkey::CurrentUser, bench().Key("A\\B\\C"), k, &created), err::Success);
  EXPECT_TRUE(created);
  reg().CloseKey(k);
  ASSERT_EQ(reg().CreateKey(hkey::CurrentUser, bench().Key("A\\B\\C"), k, &created), err::Success);
  EXPECT_FALSE(created);
  reg().CloseKey(k);
  RegKey parent;
  ASSERT_EQ(Open("A\\B", parent), err::Success);
  EXPECT_EQ(KeyNames(parent), std::vector<std::string>{"C"});
  reg().CloseKey(parent);
}

TEST_P(RegistryContract, MissingKeysAndValuesGiveFileNotFound) {
  RegKey k;
  EXPECT_EQ(Open("Missing", k), err::FileNotFound);
  EXPECT_EQ(Open("Missing\\Deeper", k), err::FileNotFound);
  RegKey key = Create("Present");
  std::uint32_t type = 0, size = 0;
  EXPECT_EQ(reg().QueryValue(key, "Absent", &type, nullptr, &size), err::FileNotFound);
  EXPECT_EQ(reg().DeleteValue(key, "Absent"), err::FileNotFound);
  EXPECT_EQ(reg().DeleteKey(hkey::CurrentUser, bench().Key("Missing")), err::FileNotFound);
  reg().CloseKey(key);
}

TEST_P(RegistryContract, NamesIgnoreCaseAndKeepTheirSpelling) {
  RegKey k = Create("MixedCase");
  Set(k, "ValueName", regtype::Dword, {1, 0, 0, 0});
  // Writing through another spelling replaces the value, it keeps its name.
  Set(k, "VALUENAME", regtype::Dword, {2, 0, 0, 0});
  std::uint32_t type;
  std::vector<std::uint8_t> data;
  ASSERT_EQ(Get(k, "valuename", type, data), err::Success);
  EXPECT_EQ(data, (std::vector<std::uint8_t>{2, 0, 0, 0}));
  EXPECT_EQ(ValueNames(k), std::vector<std::string>{"ValueName"});
  reg().CloseKey(k);

  RegKey again;
  ASSERT_EQ(Open("MIXEDCASE", again), err::Success);
  reg().CloseKey(again);
  RegKey scratch;
  ASSERT_EQ(reg().OpenKey(hkey::CurrentUser, bench().scratchKey(), RegAccess::Full, scratch),
            err::Success);
  EXPECT_EQ(KeyNames(scratch), std::vector<std::string>{"MixedCase"});
  reg().CloseKey(scratch);
}

TEST_P(RegistryContract, ValuesEnumerateInCreationOrderAndKeysByName) {
  RegKey k = Create("Order");
  for (const char* name : {"zeta", "Alpha", "mid"}) Set(k, name, regtype::Sz, Bytes(name));
  Set(k, "Alpha", regtype::Sz, Bytes("changed"));  // a rewrite keeps its place
  if (bench().wine()) {
    // Wine lists values sorted by name; Windows in the order they were made.
    EXPECT_EQ(ValueNames(k), (std::vector<std::string>{"Alpha", "mid", "zeta"}));
  } else {
    EXPECT_EQ(ValueNames(k), (std::vector<std::string>{"zeta", "Alpha", "mid"}));
  }

  for (const char* name : {"Zulu", "alpha", "Mike"}) {
    RegKey sub;
    ASSERT_EQ(reg().CreateKey(k, name, sub), err::Success);
    reg().CloseKey(sub);
  }
  EXPECT_EQ(KeyNames(k), (std::vector<std::string>{"alpha", "Mike", "Zulu"}));

  std::uint32_t subKeys = 0, values = 0;
  ASSERT_EQ(reg().QueryInfoKey(k, &subKeys, &values), err::Success);
  EXPECT_EQ(subKeys, 3u);
  EXPECT_EQ(values, 3u);
  std::string name;
  EXPECT_EQ(reg().EnumKey(k, 3, name), err::NoMoreItems);
  EXPECT_EQ(reg().EnumValue(k, 3, name, nullptr, nullptr), err::NoMoreItems);
  reg().CloseKey(k);
}

TEST_P(RegistryContract, EveryValueTypeKeepsItsExactBytes) {
  RegKey k = Create("Types");
  const std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> cases = {
      {regtype::Sz, Bytes("text")},
      {regtype::ExpandSz, Bytes("%WINDIR%\\x")},
      {regtype::Dword, {0x78, 0x56, 0x34, 0x12}},
      {regtype::Binary, {0, 1, 2, 0xFF, 0}},
      {regtype::MultiSz, {'a', 0, 'b', 'c', 0, 0}},
      {regtype::None, {9, 8}},
      {regtype::Binary, {}},
  };
  for (size_t i = 0; i < cases.size(); ++i)
    Set(k, "v" + std::to_string(i), cases[i].first, cases[i].second);
  for (size_t i = 0; i < cases.size(); ++i) {
    std::uint32_t type = 99;
    std::vector<std::uint8_t> data;
    ASSERT_EQ(Get(k, "v" + std::to_string(i), type, data), err::Success) << i;
    EXPECT_EQ(type, cases[i].first) << i;
    EXPECT_EQ(data, cases[i].second) << i;
  }
  // Enumeration hands out the same type and data.
  std::string name;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  ASSERT_EQ(reg().EnumValue(k, 4, name, &type, &data), err::Success);
  EXPECT_EQ(name, "v4");
  EXPECT_EQ(type, regtype::MultiSz);
  EXPECT_EQ(data, cases[4].second);
  reg().CloseKey(k);
}

TEST_P(RegistryContract, ASmallBufferGivesMoreDataAndTheNeededSize) {
  RegKey k = Create("Sizes");
  Set(k, "s", regtype::Sz, Bytes("0123456789"));
  std::uint8_t buf[4] = {};
  std::uint32_t size = sizeof buf, type = 0;
  EXPECT_EQ(reg().QueryValue(k, "s", &type, buf, &size), err::MoreData);
  EXPECT_EQ(size, 11u);
  std::uint8_t big[32];
  size = sizeof big;
  ASSERT_EQ(reg().QueryValue(k, "s", &type, big, &size), err::Success);
  EXPECT_EQ(size, 11u);
  EXPECT_EQ(type, regtype::Sz);
  EXPECT_STREQ(reinterpret_cast<char*>(big), "0123456789");
  reg().CloseKey(k);
}

TEST_P(RegistryContract, DeletedValuesAndKeysAreGone) {
  RegKey k = Create("Del");
  Set(k, "keep", regtype::Dword, {1, 0, 0, 0});
  Set(k, "drop", regtype::Dword, {2, 0, 0, 0});
  ASSERT_EQ(reg().DeleteValue(k, "DROP"), err::Success);
  EXPECT_EQ(ValueNames(k), std::vector<std::string>{"keep"});
  RegKey leaf;
  ASSERT_EQ(reg().CreateKey(k, "Leaf", leaf), err::Success);
  reg().CloseKey(leaf);
  ASSERT_EQ(reg().DeleteKey(k, "leaf"), err::Success);
  EXPECT_TRUE(KeyNames(k).empty());
  reg().CloseKey(k);
}

// Windows NT (and Wine) refuse to delete a key that still has sub keys;
// Windows 95 and 98 delete the whole tree.
TEST_P(RegistryContract, DeletingAKeyWithSubKeysDependsOnTheKind) {
  RegKey k = Create("Tree\\Child\\Grandchild");
  reg().CloseKey(k);
  WinError e = reg().DeleteKey(hkey::CurrentUser, bench().Key("Tree"));
  RegKey probe;
  if (IsNT()) {
    EXPECT_EQ(e, err::AccessDenied);
    ASSERT_EQ(Open("Tree\\Child\\Grandchild", probe), err::Success);
    reg().CloseKey(probe);
  } else {
    EXPECT_EQ(e, err::Success);
    EXPECT_EQ(Open("Tree", probe), err::FileNotFound);
  }
}

TEST_P(RegistryContract, AHandleToADeletedKeyNoLongerWorks) {
  RegKey k = Create("Doomed");
  Set(k, "v", regtype::Dword, {1, 0, 0, 0});
  ASSERT_EQ(reg().DeleteKey(hkey::CurrentUser, bench().Key("Doomed")), err::Success);
  std::uint32_t size = 0;
  EXPECT_EQ(reg().QueryValue(k, "v", nullptr, nullptr, &size), err::KeyDeleted);
  const std::uint8_t one = 1;
  EXPECT_EQ(reg().SetValue(k, "w", regtype::Binary, &one, 1), err::KeyDeleted);
  EXPECT_EQ(reg().CloseKey(k), err::Success);
}

TEST_P(RegistryContract, AReadOnlyHandleCannotWrite) {
  RegKey k = Create("ReadOnly");
  reg().CloseKey(k);
  ASSERT_EQ(Open("ReadOnly", k, RegAccess::Read), err::Success);
  const std::uint8_t one = 1;
  EXPECT_EQ(reg().SetValue(k, "v", regtype::Binary, &one, 1), err::AccessDenied);
  reg().CloseKey(k);
}

TEST_P(RegistryContract, PathRules) {
  RegKey k = Create("Paths\\Inner");
  reg().CloseKey(k);
  // An empty sub key opens the key itself again.
  RegKey parent, same;
  ASSERT_EQ(Open("Paths", parent), err::Success);
  ASSERT_EQ(reg().OpenKey(parent, "", RegAccess::Full, same), err::Success);
  EXPECT_EQ(KeyNames(same), std::vector<std::string>{"Inner"});
  reg().CloseKey(same);
  // A trailing backslash is ignored; a leading one is refused, which is why
  // the registry layer strips it before calling.
  EXPECT_EQ(reg().OpenKey(parent, "Inner\\", RegAccess::Full, same), err::Success);
  reg().CloseKey(same);
  EXPECT_EQ(reg().OpenKey(parent, "\\Inner", RegAccess::Full, same), err::BadPathname);
  reg().CloseKey(parent);
  EXPECT_EQ(reg().CloseKey(hkey::CurrentUser), err::Success);
}

TEST_P(RegistryContract, ClassesRootIsTheClassesKeyOfTheLocalMachine) {
  const std::string ext = ".qvtest" + bench().scratchKey().substr(bench().scratchKey().rfind('\\') + 1);
  RegKey k;
  ASSERT_EQ(reg().CreateKey(hkey::ClassesRoot, ext, k), err::Success);
  Set(k, "", regtype::Sz, Bytes("qvtest_file"));
  reg().CloseKey(k);
  RegKey viaMachine;
  ASSERT_EQ(reg().OpenKey(hkey::LocalMachine, "Software\\Classes\\" + ext, RegAccess::Full,
                          viaMachine),
            err::Success);
  std::uint32_t type;
  std::vector<std::uint8_t> data;
  EXPECT_EQ(Get(viaMachine, "", type, data), err::Success);
  EXPECT_EQ(data, Bytes("qvtest_file"));
  reg().CloseKey(viaMachine);
  EXPECT_EQ(reg().DeleteKey(hkey::ClassesRoot, ext), err::Success);
}

TEST_P(RegistryContract, AnAdministratorHasFullAccessToTheMachineSoftwareKey) {
  RegKey k;
  ASSERT_EQ(reg().OpenKey(hkey::LocalMachine, "Software", RegAccess::Full, k), err::Success);
  reg().CloseKey(k);
}

QV_CONTRACT_SUITE(RegistryContract);

}  // namespace
}  // namespace qv::test
