// The data-file picker's logic: the list of extra files and folders a save
// copies into the settings file, with what the list view shows of each
// entry, the running total, sorting and the view style. TDataFileForm shows
// this model in its list view `lvFiles` and status bar `stFiles`.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "config/options.h"
#include "platform/win_types.h"

// What the picker knows about a name it was given.
struct TFileDetails {
  bool exists = false;       // an existing file or folder
  bool folder = false;
  std::uint64_t size = 0;    // bytes; 0 for folders and unreadable files
  std::string typeName;      // the shell's type name ("" without one)
  int imageIndex = -1;       // in the system image list; -1: no image
  bool hasModified = false;  // whether a last-write time could be had
  qv::FileTime modified = 0;
  std::string modifiedText;  // local date and time, "" without one
};

// The details of a name through the current machine: the file system for
// existence, size and last-write time, the shell (when the machine has one)
// for the type name and image. Names that are neither file nor folder
// (wildcards, missing files) give no details.
TFileDetails DescribeFile(const std::string& name);

// One entry of the list view: the name as entered and its details.
struct TDataFileEntry {
  std::string caption;
  TFileDetails details;
  bool selected = false;

  // The "Size" column: " " for a folder, the size in whole kilobytes
  // rounded up ("2KB") for a file, "" for a name without details.
  std::string SizeText() const;
  // The "Type" and "Modified" columns.
  const std::string& TypeText() const { return details.typeName; }
  const std::string& ModifiedText() const { return details.modifiedText; }
};

// The keys the list sorts by.
enum class TFileSortKey : std::int32_t { Name = 0, Type = 1, Size = 2, Modified = 3 };

// The list view's columns, in display order.
enum class TFileColumn : std::int32_t { Name = 0, Size = 1, Type = 2, Modified = 3 };

struct TFileColumnSpec {
  const char* caption;
  int width;  // 0: the list view's default
};
// "Name" (160), "Size", "Type" (80), "Modified" (110).
const TFileColumnSpec* DataFileColumns();
inline constexpr int kDataFileColumnCount = 4;

class TDataFileModel {
 public:
  using Describer = std::function<TFileDetails(const std::string&)>;

  // The view style starts as the option AdvancedOptionsViewType (the report
  // view without options).
  explicit TDataFileModel(Describer describe = DescribeFile);

  // Replaces the entries with these names, in order.
  void SetFileList(const std::vector<std::string>& names);
  // The names of all entries in view order.
  std::vector<std::string> GetFileList() const;

  // Appends an entry for `name` (kept as entered, even when it names
  // nothing that exists: the save run expands wildcards) and adds its size
  // to the total.
  void Add(const std::string& name);

  // The edit box `edFilename`.
  const std::string& EditText() const { return editText_; }
  void SetEditText(const std::string& text) { editText_ = text; }
  // "&Add": adds the edit box's text and empties the box; false (nothing
  // added) while the box is empty.
  bool AddFromEdit();
  // "&Browse...": adds every chosen file; the first one's folder becomes the
  // folder last browsed.
  void AddBrowsed(const std::vector<std::string>& files);
  // Files dropped on the picker, in drop order.
  void AddDropped(const std::vector<std::string>& names);

  // The browse dialog's initial folder: the folder last browsed in this
  // process, or the current folder when there is none.
  static std::string BrowseInitialFolder();
  static const std::string& LastBrowsedFolder();
  // Forgets the folder last browsed, as at the start of the process.
  static void ForgetBrowsedFolder();

  const std::vector<TDataFileEntry>& Entries() const { return entries_; }
  int Count() const { return static_cast<int>(entries_.size()); }

  // Selection (multi-select); out-of-range positions are ignored.
  void SetSelected(int index, bool selected);
  void SelectAll();
  int SelectedCount() const;
  // Removes every selected entry, last first, and takes its size off the
  // total.
  void DeleteSelected();

  // Enabled states: "&Select all" while there are entries, "&Delete" while
  // one is selected, "&Add" while the edit box holds text.
  bool CanSelectAll() const { return !entries_.empty(); }
  bool CanDelete() const { return SelectedCount() > 0; }
  bool CanAdd() const { return !editText_.empty(); }

  // The sum of the entries' sizes in bytes.
  std::uint64_t Total() const { return total_; }
  // The status bar: "<n> file(s)" and the total.
  std::string FilesPanelText() const;
  std::string TotalPanelText() const { return FormatTotal(total_); }

  TFileSortKey SortKey() const { return sortKey_; }
  bool Reverse() const { return reverse_; }
  // A click on a column header: chooses that column's key; the same key
  // again flips the reverse flag. Then sorts.
  void ClickColumn(TFileColumn column);
  // Sorts once by the current key and flag. Entries that do not compare
  // (equal keys, or dates missing) keep their order.
  void Sort();

  // The view buttons, the menu items and the list view's style.
  TViewStyle ViewStyle() const { return viewStyle_; }
  void SetViewStyle(TViewStyle style) { viewStyle_ = style; }

  // The total as the status bar shows it: "%d bytes" up to 1023, then KB
  // with 2, 1 or no decimals below 10, 100 and 1024 KB, then MB likewise.
  static std::string FormatTotal(std::uint64_t bytes);

  // The sort comparison of two entries by `key` before the reverse flag:
  // negative, 0 or positive.
  static int Compare(const TDataFileEntry& a, const TDataFileEntry& b, TFileSortKey key);

 private:
  Describer describe_;
  std::vector<TDataFileEntry> entries_;
  std::uint64_t total_ = 0;
  std::string editText_;
  TFileSortKey sortKey_ = TFileSortKey::Name;
  bool reverse_ = true;
  TViewStyle viewStyle_ = vsReport;
};
