// Recent-file lists: the entries, their registry layout and their menu.
#include "config/mru_list.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/memory/memory_machine.h"

namespace {

using qv::RegKey;
namespace hkey = qv::hkey;

// A menu tree that records what the list puts into it.
class RecordingMenu : public IMRUMenu {
 public:
  explicit RecordingMenu(std::string caption, RecordingMenu* parent = nullptr, int entry = -1)
      : caption_(std::move(caption)), parent_(parent), entry_(entry) {}

  RecordingMenu* AddPlain(const std::string& caption) {
    items_.push_back(std::make_unique<RecordingMenu>(caption, this));
    return items_.back().get();
  }

  int GetCount() override { return static_cast<int>(items_.size()); }
  IMRUMenu* GetParent() override { return parent_; }
  int IndexOf(IMRUMenu* item) override {
    for (std::size_t i = 0; i < items_.size(); ++i)
      if (items_[i].get() == item) return static_cast<int>(i);
    return -1;
  }
  IMRUMenu* InsertMRUItem(int index, const std::string& caption, int entry) override {
    auto item = std::make_unique<RecordingMenu>(caption, this, entry);
    RecordingMenu* raw = item.get();
    if (index < 0 || index > GetCount())
      items_.push_back(std::move(item));
    else
      items_.insert(items_.begin() + index, std::move(item));
    return raw;
  }
  void RemoveMRUItems() override {
    std::erase_if(items_, [](const auto& i) { return i->entry_ >= 0; });
  }

  // "caption" for plain items, "[entry]caption" for the list's items, with
  // sub items in braces.
  std::string Dump() const {
    std::string out;
    for (const auto& i : items_) {
      if (!out.empty()) out += " | ";
      if (i->entry_ >= 0) out += "[" + std::to_string(i->entry_) + "]";
      out += i->caption_;
      if (!i->items_.empty()) out += " {" + i->Dump() + "}";
    }
    return out;
  }

 private:
  std::string caption_;
  RecordingMenu* parent_;
  int entry_;  // -1 for items that are not the list's
  std::vector<std::unique_ptr<RecordingMenu>> items_;
};

class MRUFileListTest : public ::testing::Test {
 protected:
  MRUFileListTest() : machine_(qv::okWinNT), scope_(machine_) {}

  std::vector<std::string> StoredValues(const std::string& path) {
    std::vector<std::string> out;
    qv::IRegistry& reg = machine_.Registry();
    RegKey k;
    if (reg.OpenKey(hkey::CurrentUser, path, qv::RegAccess::Read, k) != qv::err::Success)
      return {"<no key>"};
    std::string name;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
    for (std::uint32_t i = 0; reg.EnumValue(k, i, name, &type, &data) == qv::err::Success; ++i)
      out.push_back(name + "=" + std::string(data.begin(), data.end()));
    reg.CloseKey(k);
    return out;
  }
  void PutValue(const std::string& path, const std::string& name, std::uint32_t type,
                const std::string& data) {
    qv::IRegistry& reg = machine_.Registry();
    RegKey k;
    ASSERT_EQ(reg.CreateKey(hkey::CurrentUser, path, k), qv::err::Success);
    reg.SetValue(k, name, type, reinterpret_cast<const std::uint8_t*>(data.data()),
                 static_cast<std::uint32_t>(data.size()));
    reg.CloseKey(k);
  }

  qv::MemoryMachine machine_;
  qv::MachineScope scope_;
};

using Names = std::vector<std::string>;

TEST_F(MRUFileListTest, AddKeepsTheMostRecentFirstWithinMaximum) {
  TMRUFileList list;
  list.SetAutoSave(false);
  EXPECT_EQ(list.GetMaximum(), 4);
  for (const char* f : {"a.qrv", "b.qrv", "c.qrv", "d.qrv"}) list.Add(f);
  EXPECT_EQ(list.Entries(), (Names{"d.qrv", "c.qrv", "b.qrv", "a.qrv"}));
  list.Add("e.qrv");  // the fifth drops the oldest
  EXPECT_EQ(list.Entries(), (Names{"e.qrv", "d.qrv", "c.qrv", "b.qrv"}));
  list.Add("B.QRV");  // listed in other letter case: moved to the top, no duplicate
  EXPECT_EQ(list.Entries(), (Names{"B.QRV", "e.qrv", "d.qrv", "c.qrv"}));
  list.Remove("E.qrv");
  list.Remove("never.qrv");
  EXPECT_EQ(list.Entries(), (Names{"B.QRV", "d.qrv", "c.qrv"}));
  list.SetMaximum(2);
  EXPECT_EQ(list.Entries(), (Names{"B.QRV", "d.qrv"}));
}

TEST_F(MRUFileListTest, EntriesPersistAsNumberedValuesUnderTheSubKey) {
  const std::string key = "Software\\ZTR\\Qorvel\\CFGList\\CFG Items";
  {
    TMRUFileList list;
    list.SetMaximum(8);
    list.SetAutoSaveName("\\Software\\ZTR\\Qorvel\\CFGList");
    list.SetAutoSaveKey("CFG Items");
    for (const char* f : {"1.cfg", "2.cfg", "3.cfg"}) list.Add(f);
  }  // saved on destruction
  EXPECT_EQ(StoredValues(key),
            (Names{std::string("I0=3.cfg\0", 9), std::string("I1=2.cfg\0", 9),
                   std::string("I2=1.cfg\0", 9)}));
  {
    TMRUFileList list;
    list.SetAutoSaveName("\\Software\\ZTR\\Qorvel\\CFGList");
    list.SetAutoSaveKey("CFG Items");
    list.SetMaximum(8);
    list.LoadFromRegistry();
    EXPECT_EQ(list.Entries(), (Names{"3.cfg", "2.cfg", "1.cfg"}));
    list.Remove("2.cfg");
  }
  // The old values go; a shorter list leaves no stale entry behind.
  EXPECT_EQ(StoredValues(key),
            (Names{std::string("I0=3.cfg\0", 9), std::string("I1=1.cfg\0", 9)}));
}

TEST_F(MRUFileListTest, TheMainWindowsListUsesTheDefaultKey) {
  {
    TMRUFileList list;
    EXPECT_EQ(list.GetAutoSaveName(), "\\Software\\ZTR\\Qorvel\\MRUList");
    EXPECT_EQ(list.GetAutoSaveKey(), "MRU Items");
    list.Add("x.qrv");
  }
  EXPECT_EQ(StoredValues("Software\\ZTR\\Qorvel\\MRUList\\MRU Items"),
            Names{std::string("I0=x.qrv\0", 9)});
  {
    TMRUFileList list;
    list.SetAutoSave(false);
    list.Add("y.qrv");
  }
  EXPECT_EQ(StoredValues("Software\\ZTR\\Qorvel\\MRUList\\MRU Items"),
            Names{std::string("I0=x.qrv\0", 9)});
}

TEST_F(MRUFileListTest, LoadingSurvivesOddRegistryContents) {
  const std::string key = "Software\\ZTR\\Qorvel\\MRUList\\MRU Items";
  PutValue(key, "I0", qv::regtype::Sz, std::string("first.qrv\0", 10));
  PutValue(key, "Junk", qv::regtype::Binary, std::string("\xff\x00\x01", 3));
  PutValue(key, "I1", qv::regtype::Sz, "unterminated.qrv");
  PutValue(key, "I2", qv::regtype::Dword, std::string("\x01\x00\x00\x00", 4));
  for (int i = 3; i < 40; ++i) PutValue(key, "I" + std::to_string(i), qv::regtype::Sz, "more");
  TMRUFileList list;
  list.SetAutoSave(false);
  list.LoadFromRegistry();
  EXPECT_EQ(list.Entries(), (Names{"first.qrv", "unterminated.qrv", "more", "more"}));

  // With either name empty nothing is read or written.
  TMRUFileList unnamed;
  unnamed.SetAutoSaveKey("");
  unnamed.LoadFromRegistry();
  EXPECT_TRUE(unnamed.Entries().empty());
  unnamed.Add("z.qrv");
  unnamed.SaveToRegistry();
  EXPECT_EQ(StoredValues(key).size(), 41u);
}

TEST_F(MRUFileListTest, EntriesFollowTheItemsOfAFileMenu) {
  RecordingMenu bar("bar");
  RecordingMenu* file = bar.AddPlain("&File");
  file->AddPlain("&Open");
  file->AddPlain("E&xit");
  TMRUFileList list;
  list.SetAutoSave(false);
  list.SetFileMenu(file);
  EXPECT_EQ(bar.Dump(), "&File {&Open | E&xit}") << "an empty list adds nothing";
  list.Add("C:\\a.qrv");
  list.Add("C:\\b.qrv");
  EXPECT_EQ(bar.Dump(), "&File {&Open | E&xit | [0]- | [1]&1 C:\\b.qrv | [2]&2 C:\\a.qrv}");
  list.Remove("C:\\b.qrv");
  EXPECT_EQ(bar.Dump(), "&File {&Open | E&xit | [0]- | [1]&1 C:\\a.qrv}");
  list.Remove("C:\\a.qrv");
  EXPECT_EQ(bar.Dump(), "&File {&Open | E&xit}");

  list.Add("C:\\a.qrv");
  list.SetUseSubMenu(true);
  list.SetSubMenuName("Recent");
  EXPECT_EQ(bar.Dump(), "&File {&Open | E&xit | [0]- | [0]Recent {[1]&1 C:\\a.qrv}}");
  list.SetFileMenu(nullptr);
  EXPECT_EQ(bar.Dump(), "&File {&Open | E&xit}") << "entries leave the menu they were in";
}

TEST_F(MRUFileListTest, AnEmptyFileMenuGetsTheEntriesBesideIt) {
  RecordingMenu bar("bar");
  bar.AddPlain("&File");
  RecordingMenu* recent = bar.AddPlain("&Recent");
  bar.AddPlain("&Help");
  TMRUFileList list;
  list.SetAutoSave(false);
  list.Add("a");
  list.Add("b");
  list.SetFileMenu(recent);
  EXPECT_EQ(bar.Dump(), "&File | [0]- | [1]&1 b | [2]&2 a | &Recent | &Help");
  list.Add("a");
  EXPECT_EQ(bar.Dump(), "&File | [0]- | [1]&1 a | [2]&2 b | &Recent | &Help");
}

TEST_F(MRUFileListTest, ClickingAnEntryHandsItsNameToTheAction) {
  RecordingMenu bar("bar");
  RecordingMenu* file = bar.AddPlain("&File");
  file->AddPlain("&Open");
  TMRUFileList list;
  list.SetAutoSave(false);
  list.SetFileMenu(file);
  std::vector<std::string> clicked;
  list.SetOnClick([&](const std::string& f) { clicked.push_back(f); });
  for (const char* f : {"a", "b", "c"}) list.Add(f);

  list.EntryClicked(2);  // "b"; removed by default
  EXPECT_EQ(clicked, Names{"b"});
  EXPECT_EQ(list.Entries(), (Names{"c", "a"}));
  EXPECT_EQ(bar.Dump(), "&File {&Open | [0]- | [1]&1 c | [2]&2 a}");

  list.SetRemoveOnClick(false);  // as the main window's list
  list.EntryClicked(1);
  list.EntryClicked(0);
  list.EntryClicked(3);
  EXPECT_EQ(clicked, (Names{"b", "c"}));
  EXPECT_EQ(list.Entries(), (Names{"c", "a"}));
}

}  // namespace
