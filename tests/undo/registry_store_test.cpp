// Registry records in settings streams: the exact stream form of a key, and
// reading it back with and without applying it.
#include "undo/registry_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/program.h"
#include "registry/reg_utils.h"
#include "stream/connection.h"
#include "support/memory_fixture.h"
#include "support/streams.h"
#include "undo/undo_manager.h"

namespace qv::test {
namespace {

// Bytes as the stream encodes them, built by hand.
class Bytes {
 public:
  Bytes& Int(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s_.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    return *this;
  }
  Bytes& Str(const std::string& text) {
    Int(static_cast<std::uint32_t>(text.size()));
    s_ += text;
    return *this;
  }
  Bytes& Raw(const std::string& raw) {
    s_ += raw;
    return *this;
  }
  // One entry: key path, value name, type, size, data.
  Bytes& Entry(const std::string& key, const std::string& name, std::uint32_t type,
               const std::string& data) {
    return Str(key).Str(name).Int(type).Int(static_cast<std::uint32_t>(data.size())).Raw(data);
  }
  const std::string& str() const { return s_; }

 private:
  std::string s_;
};

std::string Written(const TWriteMemoryConnection& w) {
  const std::uint8_t* block;
  std::uint32_t size;
  w.GetBuffer(block, size);
  return std::string(reinterpret_cast<const char*>(block), w.Position());
}

std::unique_ptr<TReadMemoryConnection> ReaderOfBytes(const std::string& bytes) {
  auto r = std::make_unique<TReadMemoryConnection>();
  r->SetBuffer(reinterpret_cast<const std::uint8_t*>(bytes.data()),
               static_cast<std::uint32_t>(bytes.size()));
  return r;
}

class RegistryStoreTest : public MemoryMachineTest {
 protected:
  explicit RegistryStoreTest(OSKind kind = okWinNT) : MemoryMachineTest(kind), program_("") {}

  void SetRaw(RegKey root, const std::string& path, const std::string& name, std::uint32_t type,
              const std::string& data) {
    IRegistry& r = machine().Registry();
    RegKey k = 0;
    ASSERT_EQ(r.CreateKey(root, path, k), err::Success);
    r.SetValue(k, name, type, reinterpret_cast<const std::uint8_t*>(data.data()),
               static_cast<std::uint32_t>(data.size()));
    r.CloseKey(k);
  }
  // Type and data of a value, or type 0xFFFFFFFF when it is missing.
  std::pair<std::uint32_t, std::string> Get(RegKey root, const std::string& path,
                                            const std::string& name) {
    IRegistry& r = machine().Registry();
    RegKey k = 0;
    if (r.OpenKey(root, path, RegAccess::Read, k) != err::Success) return {0xFFFFFFFFu, ""};
    std::uint32_t type = 0, size = 0;
    std::string data;
    if (r.QueryValue(k, name, &type, nullptr, &size) != err::Success) {
      r.CloseKey(k);
      return {0xFFFFFFFFu, ""};
    }
    data.resize(size);
    r.QueryValue(k, name, nullptr, reinterpret_cast<std::uint8_t*>(data.data()), &size);
    r.CloseKey(k);
    return {type, data};
  }
  bool KeyExists(RegKey root, const std::string& path) {
    RegKey k = 0;
    if (machine().Registry().OpenKey(root, path, RegAccess::Read, k) != err::Success) return false;
    machine().Registry().CloseKey(k);
    return true;
  }
  bool Logged(const std::string& line) {
    for (const std::string& l : log())
      if (l == line) return true;
    return false;
  }

  // A small key: values created out of order and in mixed case, a sub key
  // with its own sub key, and a second sub key that sorts after it.
  void MakeSmallKey() {
    SetRaw(hkey::CurrentUser, "Software\\T", "b", regtype::Dword, std::string("\x01\0\0\0", 4));
    SetRaw(hkey::CurrentUser, "Software\\T", "C", regtype::Binary, "\x07\x08");
    SetRaw(hkey::CurrentUser, "Software\\T", "a", regtype::Sz, std::string("x\0", 2));
    SetRaw(hkey::CurrentUser, "Software\\T\\sub2", "v", regtype::Sz, std::string("2\0", 2));
    SetRaw(hkey::CurrentUser, "Software\\T\\Sub", "", regtype::Sz, std::string("d\0", 2));
    SetRaw(hkey::CurrentUser, "Software\\T\\Sub\\Deep", "z", regtype::Binary, "");
  }

 private:
  ProgramObjects program_;
};

TEST_F(RegistryStoreTest, KeyRecordHasTheExactStreamForm) {
  MakeSmallKey();

  TWriteMemoryConnection own;
  ASSERT_TRUE(own.Initialize());
  EXPECT_TRUE(TRegistryStore(own, false).WriteKey(hkey::CurrentUser, "Software\\T", false));
  Bytes values;
  values.Int(0x80000001u).Int(3)
      .Entry("Software\\T", "a", regtype::Sz, std::string("x\0", 2))
      .Entry("Software\\T", "b", regtype::Dword, std::string("\x01\0\0\0", 4))
      .Entry("Software\\T", "C", regtype::Binary, "\x07\x08");
  EXPECT_EQ(Written(own), values.str());

  // With sub keys: the key's own values, then each sub key in name order,
  // depth first ("Sub" and its "Deep" before "sub2").
  TWriteMemoryConnection tree;
  ASSERT_TRUE(tree.Initialize());
  EXPECT_TRUE(TRegistryStore(tree, false).WriteKey(hkey::CurrentUser, "Software\\T", true));
  Bytes all;
  all.Int(0x80000001u).Int(6)
      .Entry("Software\\T", "a", regtype::Sz, std::string("x\0", 2))
      .Entry("Software\\T", "b", regtype::Dword, std::string("\x01\0\0\0", 4))
      .Entry("Software\\T", "C", regtype::Binary, "\x07\x08")
      .Entry("Software\\T\\Sub", "", regtype::Sz, std::string("d\0", 2))
      .Entry("Software\\T\\Sub\\Deep", "z", regtype::Binary, "")
      .Entry("Software\\T\\sub2", "v", regtype::Sz, std::string("2\0", 2));
  EXPECT_EQ(Written(tree), all.str());
}

TEST_F(RegistryStoreTest, MissingKeyIsAnEmptyRecordAndALogLine) {
  TWriteMemoryConnection w;
  ASSERT_TRUE(w.Initialize());
  EXPECT_TRUE(TRegistryStore(w, false).WriteKey(hkey::LocalMachine, "Software\\Nothing", true));
  EXPECT_EQ(Written(w), Bytes().Int(0x80000002u).Int(0).str());
  EXPECT_TRUE(Logged("Error opening registry. Software\\Nothing"));
}

TEST_F(RegistryStoreTest, ReadKeyAppliesEntriesOnlyWhenAsked) {
  MakeSmallKey();
  TWriteMemoryConnection w;
  ASSERT_TRUE(w.Initialize());
  TRegistryStore(w, false).WriteKey(hkey::CurrentUser, "Software\\T", true);
  w.WriteInteger(4242);  // what follows the record must still be read in step
  std::string bytes = Written(w);

  // Onto a machine of another kind, which has none of it.
  MemoryMachine target(okWin95);
  MachineScope onTarget(target);
  auto key = [&](const std::string& path) {
    RegKey k = 0;
    bool ok = target.Registry().OpenKey(hkey::CurrentUser, path, RegAccess::Read, k) == err::Success;
    if (ok) target.Registry().CloseKey(k);
    return ok;
  };

  auto look = ReaderOfBytes(bytes);
  EXPECT_TRUE(TRegistryStore(*look, false).ReadKey());
  EXPECT_EQ(look->ReadInteger(), 4242);
  EXPECT_FALSE(key("Software\\T"));

  auto apply = ReaderOfBytes(bytes);
  EXPECT_TRUE(TRegistryStore(*apply, true).ReadKey());
  EXPECT_EQ(apply->ReadInteger(), 4242);

  // Types and data come back as they were, an empty value included.
  TWriteMemoryConnection again;
  ASSERT_TRUE(again.Initialize());
  TRegistryStore(again, false).WriteKey(hkey::CurrentUser, "Software\\T", true);
  EXPECT_EQ(Written(again) + std::string("\x92\x10\0\0", 4), bytes);
  EXPECT_TRUE(key("Software\\T\\Sub\\Deep"));
}

TEST_F(RegistryStoreTest, ReadKeyRefusesARootThatIsNotAPredefinedKey) {
  // A handle number from a file would name whatever key the adapter gave
  // that number: the entries are read past and nothing is written.
  RegKey open = 0;
  ASSERT_EQ(machine().Registry().CreateKey(hkey::CurrentUser, "Software\\Victim", open),
            err::Success);
  std::string bytes = Bytes()
                          .Int(open).Int(1)
                          .Entry("", "Planted", regtype::Sz, std::string("x\0", 2))
                          .Int(7).str();
  auto r = ReaderOfBytes(bytes);
  EXPECT_FALSE(TRegistryStore(*r, true).ReadKey());
  EXPECT_EQ(r->ReadInteger(), 7);
  machine().Registry().CloseKey(open);
  EXPECT_EQ(Get(hkey::CurrentUser, "Software\\Victim", "Planted").first, 0xFFFFFFFFu);
}

TEST_F(RegistryStoreTest, EntrySizesFromTheStreamAreCheckedBeforeUse) {
  // A size larger than what is left, and a negative size.
  for (std::uint32_t size : {0x7FFFFFF0u, 0xFFFFFFFFu}) {
    std::string bytes = Bytes().Int(hkey::CurrentUser).Int(1)
                            .Str("Software\\T").Str("v").Int(regtype::Binary).Int(size)
                            .Raw("abc").str();
    auto r = ReaderOfBytes(bytes);
    EXPECT_THROW(TRegistryStore(*r, true).ReadKey(), EConnectionReadError) << size;
    EXPECT_FALSE(KeyExists(hkey::CurrentUser, "Software\\T")) << size;
  }
}

TEST_F(RegistryStoreTest, EntryReadsTypeAndDataAndLogsWhatFails) {
  SetRaw(hkey::CurrentUser, "Software\\E", "Multi", regtype::MultiSz, std::string("a\0b\0\0", 5));

  TRegistryEntry entry(nullptr, "Multi", "Software\\E", hkey::CurrentUser);
  ASSERT_TRUE(entry.ReadFromRegistry());
  EXPECT_EQ(entry.Type(), regtype::MultiSz);
  EXPECT_EQ(std::string(entry.Data().begin(), entry.Data().end()), std::string("a\0b\0\0", 5));

  TRegistryEntry missingValue(nullptr, "Nope", "Software\\E", hkey::CurrentUser);
  EXPECT_TRUE(missingValue.ReadFromRegistry());
  EXPECT_EQ(missingValue.DataSize(), 0u);
  EXPECT_TRUE(Logged("RegQueryValueEx Failed retrieving data type for Software\\E Nope"));

  TRegistryEntry missingKey(nullptr, "Multi", "Software\\Gone", hkey::CurrentUser);
  EXPECT_FALSE(missingKey.ReadFromRegistry());
  EXPECT_TRUE(Logged("Error opening registry key Software\\Gone"));
}

TEST_F(RegistryStoreTest, EntryWriteTellsTheUndoManagerFirst) {
  UndoManager().Recording = true;
  TRegistryEntry entry(nullptr, "New", "Software\\Fresh\\Key", hkey::CurrentUser);
  entry.SetData(regtype::Sz, {'h', 'i', 0});
  EXPECT_TRUE(entry.WriteToRegistry());
  EXPECT_EQ(Get(hkey::CurrentUser, "Software\\Fresh\\Key", "New"),
            std::make_pair(regtype::Sz, std::string("hi\0", 3)));

  // An entry without data is stored with size 0.
  TRegistryEntry empty(nullptr, "Empty", "Software\\Fresh\\Key", hkey::CurrentUser);
  empty.SetData(regtype::Binary, {});
  EXPECT_TRUE(empty.WriteToRegistry());
  EXPECT_EQ(Get(hkey::CurrentUser, "Software\\Fresh\\Key", "Empty"),
            std::make_pair(regtype::Binary, std::string()));
  UndoManager().Recording = false;
  UndoManager().Reset();
}

TEST_F(RegistryStoreTest, EntryWriteWithoutAccessLogsAndFails) {
  machine().SetAdministrator(false);
  TRegistryEntry entry(nullptr, "V", "Software\\Locked", hkey::LocalMachine);
  entry.SetData(regtype::Dword, {1, 0, 0, 0});
  EXPECT_FALSE(entry.WriteToRegistry());
  EXPECT_TRUE(Logged("Error writing registry key Software\\Locked V"));
}

}  // namespace
}  // namespace qv::test
