// The data-file picker's logic: entry columns, the running total and its
// format, selection and deletion, sorting, browsing, dropping and the view.
#include "ui/logic/data_file_model.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "config/options.h"
#include "engine/program.h"
#include "support/ui_fixture.h"
#include "ui/logic/dropped_files.h"

namespace qv::test {
namespace {

using DataFileModelTest = UiLogicTest;

std::vector<std::string> Captions(const TDataFileModel& model) { return model.GetFileList(); }

TEST_F(DataFileModelTest, EntriesShowSizeTypeAndDateOfFilesAndFolders) {
  WriteFile("C:\\Data\\budget.txt", std::string(1536, 'x'), 60);
  WriteFile("C:\\Data\\empty.doc", "", 120);
  TDataFileModel model;
  model.Add("C:\\Data\\budget.txt");
  model.Add("C:\\Data");
  model.Add("C:\\Data\\empty.doc");

  const auto& e = model.Entries();
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(e[0].caption, "C:\\Data\\budget.txt");
  EXPECT_EQ(e[0].SizeText(), "2KB");  // 1.5 KB rounded up
  EXPECT_EQ(e[0].details.size, 1536u);
  EXPECT_EQ(e[0].TypeText(), "TXT File");
  EXPECT_EQ(e[0].details.imageIndex, 3);
  EXPECT_EQ(e[0].ModifiedText(), "3/15/01 12:01:00 AM");

  EXPECT_TRUE(e[1].details.folder);
  EXPECT_EQ(e[1].SizeText(), " ");
  EXPECT_EQ(e[1].details.size, 0u);
  EXPECT_EQ(e[1].TypeText(), "File Folder");
  EXPECT_FALSE(e[1].ModifiedText().empty());

  EXPECT_EQ(e[2].SizeText(), "0KB");
  EXPECT_EQ(e[2].TypeText(), "DOC File");

  EXPECT_EQ(model.Total(), 1536u);
  EXPECT_EQ(model.FilesPanelText(), "3 file(s)");
  EXPECT_EQ(model.TotalPanelText(), "1.50 KB");
}

TEST_F(DataFileModelTest, NamesThatAreNeitherFileNorFolderAreKeptWithoutDetails) {
  WriteFile("C:\\Data\\a.txt", "abc");
  TDataFileModel model;
  for (const char* name : {"C:\\Data\\*.txt", "C:\\Data\\gone.txt", "D:\\nowhere\\x"})
    model.Add(name);
  EXPECT_EQ(machine().shell.calls, 0);  // the shell is asked about existing names only
  ASSERT_EQ(model.Count(), 3);
  for (const TDataFileEntry& entry : model.Entries()) {
    EXPECT_EQ(entry.SizeText(), "") << entry.caption;
    EXPECT_EQ(entry.TypeText(), "") << entry.caption;
    EXPECT_EQ(entry.ModifiedText(), "") << entry.caption;
    EXPECT_EQ(entry.details.imageIndex, -1) << entry.caption;
  }
  EXPECT_EQ(model.Total(), 0u);
  EXPECT_EQ(model.TotalPanelText(), "0 bytes");
  EXPECT_EQ(Captions(model),
            (std::vector<std::string>{"C:\\Data\\*.txt", "C:\\Data\\gone.txt", "D:\\nowhere\\x"}));
}

TEST_F(DataFileModelTest, StatusBarStartsEmpty) {
  TDataFileModel model;
  EXPECT_EQ(model.FilesPanelText(), "0 file(s)");
  EXPECT_EQ(model.TotalPanelText(), "0 bytes");
  EXPECT_FALSE(model.CanSelectAll());
  EXPECT_FALSE(model.CanDelete());
  EXPECT_FALSE(model.CanAdd());
}

TEST(DataFileTotalFormat, EachRangeHasItsUnitAndDecimals) {
  const std::map<std::uint64_t, std::string> expected = {
      {0, "0 bytes"},
      {1023, "1023 bytes"},
      {1024, "1.00 KB"},
      {1536, "1.50 KB"},
      {10239, "10.00 KB"},  // 9.999 KB rounds up in the two-decimal range
      {10240, "10.0 KB"},
      {102399, "100.0 KB"},
      {102400, "100 KB"},
      {1048575, "1024 KB"},
      {1048576, "1.00 MB"},
      {10485759, "10.00 MB"},
      {10485760, "10.0 MB"},
      {104857599, "100.0 MB"},
      {104857600, "100 MB"},
      {5ull << 30, "5120 MB"},  // beyond 32 bits
  };
  for (const auto& [bytes, text] : expected)
    EXPECT_EQ(TDataFileModel::FormatTotal(bytes), text) << bytes;
}

// Sizes told by a stand-in, so that totals beyond 4 GiB need no such files.
TDataFileModel::Describer SizesOf(std::map<std::string, std::uint64_t> sizes) {
  return [sizes](const std::string& name) {
    TFileDetails d;
    auto it = sizes.find(name);
    if (it == sizes.end()) return d;
    d.exists = true;
    d.size = it->second;
    return d;
  };
}

TEST_F(DataFileModelTest, TotalsBeyondFourGigabytesAreNotWrapped) {
  TDataFileModel model(SizesOf({{"a", 3ull << 30}, {"b", 3ull << 30}, {"c", 100}}));
  model.SetFileList({"a", "b", "c"});
  EXPECT_EQ(model.Total(), (6ull << 30) + 100);
  EXPECT_EQ(model.TotalPanelText(), "6144 MB");
  model.SetSelected(0, true);
  model.DeleteSelected();
  EXPECT_EQ(model.Total(), (3ull << 30) + 100);
  EXPECT_EQ(model.TotalPanelText(), "3072 MB");
}

TEST_F(DataFileModelTest, DeleteRemovesEverySelectedEntryAndItsSize) {
  TDataFileModel model(SizesOf({{"a", 1}, {"b", 20}, {"c", 300}, {"d", 4000}}));
  model.SetFileList({"a", "b", "c", "d"});
  EXPECT_TRUE(model.CanSelectAll());
  EXPECT_FALSE(model.CanDelete());

  model.SetSelected(1, true);
  model.SetSelected(3, true);
  model.SetSelected(7, true);  // no such entry
  EXPECT_TRUE(model.CanDelete());
  model.DeleteSelected();
  EXPECT_EQ(Captions(model), (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(model.Total(), 301u);
  EXPECT_EQ(model.FilesPanelText(), "2 file(s)");
  EXPECT_FALSE(model.CanDelete());

  model.SelectAll();
  EXPECT_EQ(model.SelectedCount(), 2);
  model.DeleteSelected();
  EXPECT_EQ(model.Count(), 0);
  EXPECT_EQ(model.Total(), 0u);
  EXPECT_FALSE(model.CanSelectAll());
}

TEST_F(DataFileModelTest, AddTakesTheEditTextAndEmptiesTheBox) {
  TDataFileModel model(SizesOf({}));
  EXPECT_FALSE(model.AddFromEdit());
  EXPECT_EQ(model.Count(), 0);
  model.SetEditText("C:\\*.ini");
  EXPECT_TRUE(model.CanAdd());
  EXPECT_TRUE(model.AddFromEdit());
  EXPECT_EQ(model.EditText(), "");
  EXPECT_FALSE(model.CanAdd());
  EXPECT_EQ(Captions(model), std::vector<std::string>{"C:\\*.ini"});
}

TEST_F(DataFileModelTest, SetFileListReplacesTheEntries) {
  TDataFileModel model(SizesOf({{"a", 10}, {"b", 20}}));
  model.SetFileList({"a", "b"});
  model.SetFileList({"b"});
  EXPECT_EQ(Captions(model), std::vector<std::string>{"b"});
  EXPECT_EQ(model.Total(), 20u);
}

// ---- Sorting ----

TEST_F(DataFileModelTest, ClickingSizeSortsDescendingFirstThenAscending) {
  TDataFileModel model(SizesOf({{"mid", 500}, {"big", 9000}, {"small", 7}}));
  model.SetFileList({"mid", "big", "small"});
  EXPECT_EQ(model.SortKey(), TFileSortKey::Name);
  EXPECT_TRUE(model.Reverse());

  model.ClickColumn(TFileColumn::Size);
  EXPECT_EQ(model.SortKey(), TFileSortKey::Size);
  EXPECT_TRUE(model.Reverse());  // another key: the flag stays
  EXPECT_EQ(Captions(model), (std::vector<std::string>{"big", "mid", "small"}));

  model.ClickColumn(TFileColumn::Size);
  EXPECT_FALSE(model.Reverse());
  EXPECT_EQ(Captions(model), (std::vector<std::string>{"small", "mid", "big"}));

  // Another column keeps the ascending flag.
  model.ClickColumn(TFileColumn::Name);
  EXPECT_EQ(model.SortKey(), TFileSortKey::Name);
  EXPECT_FALSE(model.Reverse());
  EXPECT_EQ(Captions(model), (std::vector<std::string>{"big", "mid", "small"}));
}

TEST_F(DataFileModelTest, NamesAndTypesCompareWithoutLetterCase) {
  WriteFile("C:\\b.TXT", "1");
  WriteFile("C:\\a.zip", "1");
  WriteFile("C:\\C.bmp", "1");
  TDataFileModel model;
  model.SetFileList({"C:\\b.TXT", "c:\\a.zip", "C:\\C.bmp"});

  model.ClickColumn(TFileColumn::Name);  // same key as the start: ascending
  EXPECT_EQ(Captions(model), (std::vector<std::string>{"c:\\a.zip", "C:\\b.TXT", "C:\\C.bmp"}));

  model.ClickColumn(TFileColumn::Type);  // BMP File, TXT File, ZIP File; still ascending
  EXPECT_EQ(Captions(model), (std::vector<std::string>{"C:\\C.bmp", "C:\\b.TXT", "c:\\a.zip"}));
  model.ClickColumn(TFileColumn::Type);
  EXPECT_EQ(Captions(model), (std::vector<std::string>{"c:\\a.zip", "C:\\b.TXT", "C:\\C.bmp"}));
}

TEST_F(DataFileModelTest, ModifiedSortsByDateAndLeavesUndatedEntriesInPlace) {
  WriteFile("C:\\new.txt", "1", 3000);
  WriteFile("C:\\old.txt", "1", 10);
  WriteFile("C:\\mid.txt", "1", 500);
  TDataFileModel model;
  model.SetFileList({"C:\\new.txt", "C:\\old.txt", "C:\\mid.txt"});
  model.ClickColumn(TFileColumn::Modified);  // reverse: newest first
  EXPECT_EQ(Captions(model),
            (std::vector<std::string>{"C:\\new.txt", "C:\\mid.txt", "C:\\old.txt"}));
  model.ClickColumn(TFileColumn::Modified);
  EXPECT_EQ(Captions(model),
            (std::vector<std::string>{"C:\\old.txt", "C:\\mid.txt", "C:\\new.txt"}));

  // A name without a date compares with nothing; sorting a list with such
  // names in between still gives every entry exactly once.
  std::vector<std::string> names = {"C:\\new.txt", "C:\\*.txt", "C:\\old.txt", "C:\\gone",
                                    "C:\\mid.txt"};
  for (int i = 0; i < 6; ++i) names.push_back(i % 2 ? "C:\\x" + std::to_string(i) : names[i % 3]);
  model.SetFileList(names);
  model.Sort();
  model.ClickColumn(TFileColumn::Modified);
  std::vector<std::string> all = Captions(model);
  std::sort(names.begin(), names.end());
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all, names);
}

TEST_F(DataFileModelTest, EqualKeysKeepTheirOrderInBothDirections) {
  TDataFileModel model(SizesOf({{"x1", 5}, {"x2", 5}, {"x3", 5}, {"big", 9}}));
  model.SetFileList({"x1", "x2", "big", "x3"});
  model.ClickColumn(TFileColumn::Size);
  EXPECT_EQ(Captions(model), (std::vector<std::string>{"big", "x1", "x2", "x3"}));
  model.ClickColumn(TFileColumn::Size);
  EXPECT_EQ(Captions(model), (std::vector<std::string>{"x1", "x2", "x3", "big"}));
}

TEST_F(DataFileModelTest, LargeListsSortCompletely) {
  std::map<std::string, std::uint64_t> sizes;
  std::vector<std::string> names;
  for (int i = 0; i < 257; ++i) {
    std::string name = "f" + std::to_string(i);
    sizes[name] = static_cast<std::uint64_t>((i * 7919) % 263);
    names.push_back(name);
  }
  TDataFileModel model(SizesOf(sizes));
  model.SetFileList(names);
  model.ClickColumn(TFileColumn::Size);
  model.ClickColumn(TFileColumn::Size);
  ASSERT_EQ(model.Count(), 257);
  for (int i = 1; i < model.Count(); ++i)
    EXPECT_LE(model.Entries()[i - 1].details.size, model.Entries()[i].details.size) << i;
}

// ---- Browsing, dropping and the view ----

TEST_F(DataFileModelTest, BrowseStartsInTheCurrentFolderThenWhereTheLastBrowseWent) {
  TDataFileModel::ForgetBrowsedFolder();
  ASSERT_EQ(files().MakeFolder("C:\\Work"), err::Success);
  ASSERT_EQ(files().SetCurrentFolder("C:\\Work"), err::Success);
  EXPECT_EQ(TDataFileModel::BrowseInitialFolder(), "C:\\Work");

  TDataFileModel model(SizesOf({}));
  model.AddBrowsed({"D:\\Pics\\one.bmp", "E:\\other\\two.bmp"});
  EXPECT_EQ(model.Count(), 2);
  EXPECT_EQ(TDataFileModel::BrowseInitialFolder(), "D:\\Pics");

  // Remembered beyond this picker; a cancelled browse changes nothing.
  TDataFileModel next(SizesOf({}));
  next.AddBrowsed({});
  EXPECT_EQ(TDataFileModel::BrowseInitialFolder(), "D:\\Pics");
  TDataFileModel::ForgetBrowsedFolder();
}

// DragQueryFile over a list of names, as Windows answers it.
TDragQuery DragQueryOver(const std::vector<std::string>& names) {
  return [names](std::uint32_t index, char* buffer, std::uint32_t size) -> std::uint32_t {
    if (index == kDragQueryCount) return static_cast<std::uint32_t>(names.size());
    if (index >= names.size()) return 0;
    const std::string& name = names[index];
    if (!buffer) return static_cast<std::uint32_t>(name.size());
    if (size == 0) return 0;
    std::size_t n = std::min<std::size_t>(name.size(), size - 1);
    std::memcpy(buffer, name.data(), n);
    buffer[n] = '\0';
    return static_cast<std::uint32_t>(n);
  };
}

TEST_F(DataFileModelTest, DroppedNamesArriveAtFullLength) {
  const std::string longName =
      "C:\\Documents and Settings\\Accounting Department\\Quarterly Reports\\"
      "Nineteen Ninety Nine\\Budget Summary For The Board.xls";
  ASSERT_GT(longName.size(), 78u);
  std::vector<std::string> dropped = DroppedFileNames(DragQueryOver({"C:\\a.txt", longName, ""}));
  ASSERT_EQ(dropped.size(), 3u);
  EXPECT_EQ(dropped[0], "C:\\a.txt");
  EXPECT_EQ(dropped[1], longName);
  EXPECT_EQ(dropped[2], "");

  TDataFileModel model(SizesOf({}));
  model.AddDropped(dropped);
  EXPECT_EQ(model.Entries()[1].caption, longName);
  EXPECT_TRUE(DroppedFileNames(DragQueryOver({})).empty());
}

TEST_F(DataFileModelTest, ViewStyleStartsAsTheOption) {
  EXPECT_EQ(TDataFileModel(SizesOf({})).ViewStyle(), vsReport);
  Options().AdvancedOptionsViewType = vsSmallIcon;
  TDataFileModel model(SizesOf({}));
  EXPECT_EQ(model.ViewStyle(), vsSmallIcon);
  model.SetViewStyle(vsList);
  EXPECT_EQ(model.ViewStyle(), vsList);
}

TEST(DataFileColumns, CaptionsAndWidthsInDisplayOrder) {
  const TFileColumnSpec* c = DataFileColumns();
  EXPECT_STREQ(c[0].caption, "Name");
  EXPECT_EQ(c[0].width, 160);
  EXPECT_STREQ(c[1].caption, "Size");
  EXPECT_STREQ(c[2].caption, "Type");
  EXPECT_EQ(c[2].width, 80);
  EXPECT_STREQ(c[3].caption, "Modified");
  EXPECT_EQ(c[3].width, 110);
}

}  // namespace
}  // namespace qv::test
