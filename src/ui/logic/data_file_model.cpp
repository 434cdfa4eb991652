#include "ui/logic/data_file_model.h"

#include <cctype>
#include <cmath>
#include <cstdio>

#include "engine/file_utils.h"
#include "platform/files.h"
#include "platform/machine.h"
#include "platform/shell.h"

namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

int Sign(int value) { return (value > 0) - (value < 0); }

template <typename T>
int CompareValues(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

// Kept for the life of the process.
std::string g_lastBrowsedFolder;

// A stable merge sort that relies on nothing but the comparison's sign: a
// pair that does not compare keeps its order, and a comparison that is not a
// strict weak order (dates missing in between) cannot upset it.
template <typename T, typename Compare>
void MergeSort(std::vector<T>& items, Compare compare) {
  std::vector<T> buffer(items.size());
  for (std::size_t width = 1; width < items.size(); width *= 2) {
    for (std::size_t left = 0; left < items.size(); left += 2 * width) {
      std::size_t mid = std::min(left + width, items.size());
      std::size_t right = std::min(left + 2 * width, items.size());
      std::size_t i = left, j = mid, k = left;
      while (i < mid && j < right) {
        if (compare(items[j], items[i]) < 0)
          buffer[k++] = std::move(items[j++]);
        else
          buffer[k++] = std::move(items[i++]);
      }
      while (i < mid) buffer[k++] = std::move(items[i++]);
      while (j < right) buffer[k++] = std::move(items[j++]);
    }
    items.swap(buffer);
  }
}

}  // namespace

// ---- Details ----

TFileDetails DescribeFile(const std::string& name) {
  TFileDetails details;
  qv::Machine& machine = qv::CurrentMachine();
  qv::IFiles& files = machine.Files();
  std::uint32_t attributes = qv::fattr::Invalid;
  if (name.empty() || files.Attributes(name, attributes) != qv::err::Success ||
      attributes == qv::fattr::Invalid)
    return details;

  details.exists = true;
  details.folder = (attributes & qv::fattr::Directory) != 0;
  if (qv::IShell* shell = machine.Shell()) {
    qv::ShellFileInfo info;
    if (shell->FileTypeInfo(name, attributes, info)) {
      details.typeName = info.typeName;
      details.imageIndex = info.iconIndex;
    }
  }
  if (!details.folder) {
    qv::FileHandle handle = 0;
    if (files.Open(name, qv::FileAccess::Read, qv::Disposition::OpenExisting, 0, handle) ==
        qv::err::Success) {
      qv::FileCloser closer(files, handle);
      std::uint64_t size = 0;
      if (files.Size(handle, size) == qv::err::Success) details.size = size;
    }
  }
  qv::FileInfo info;
  if (files.QueryInfo(name, info) == qv::err::Success) {
    details.modifiedText = machine.System().FileTimeText(info.times.lastWrite);
    details.hasModified = !details.modifiedText.empty();
    if (details.hasModified) details.modified = info.times.lastWrite;
  }
  return details;
}

std::string TDataFileEntry::SizeText() const {
  if (!details.exists) return std::string();
  if (details.folder) return " ";
  char text[64];
  std::snprintf(text, sizeof text, "%.0fKB", std::ceil(static_cast<double>(details.size) / 1024.0));
  return text;
}

const TFileColumnSpec* DataFileColumns() {
  static const TFileColumnSpec columns[kDataFileColumnCount] = {
      {"Name", 160}, {"Size", 0}, {"Type", 80}, {"Modified", 110}};
  return columns;
}

// ---- The model ----

TDataFileModel::TDataFileModel(Describer describe) : describe_(std::move(describe)) {
  if (ProgramOptions) viewStyle_ = ProgramOptions->AdvancedOptionsViewType;
}

void TDataFileModel::SetFileList(const std::vector<std::string>& names) {
  entries_.clear();
  total_ = 0;
  for (const std::string& name : names) Add(name);
}

std::vector<std::string> TDataFileModel::GetFileList() const {
  std::vector<std::string> names;
  names.reserve(entries_.size());
  for (const TDataFileEntry& entry : entries_) names.push_back(entry.caption);
  return names;
}

void TDataFileModel::Add(const std::string& name) {
  TDataFileEntry entry;
  entry.caption = name;
  entry.details = describe_(name);
  if (!entry.details.exists) entry.details = TFileDetails{};  // no image, size or columns
  total_ += entry.details.size;
  entries_.push_back(std::move(entry));
}

bool TDataFileModel::AddFromEdit() {
  if (editText_.empty()) return false;
  Add(editText_);
  editText_.clear();
  return true;
}

void TDataFileModel::AddBrowsed(const std::vector<std::string>& files) {
  if (files.empty()) return;
  for (const std::string& file : files) Add(file);
  g_lastBrowsedFolder = FolderOf(files.front());
}

void TDataFileModel::AddDropped(const std::vector<std::string>& names) {
  for (const std::string& name : names) Add(name);
}

std::string TDataFileModel::BrowseInitialFolder() {
  if (!g_lastBrowsedFolder.empty()) return g_lastBrowsedFolder;
  std::string current;
  if (qv::CurrentMachine().Files().CurrentFolder(current) != qv::err::Success) current.clear();
  return current;
}

const std::string& TDataFileModel::LastBrowsedFolder() { return g_lastBrowsedFolder; }

void TDataFileModel::ForgetBrowsedFolder() { g_lastBrowsedFolder.clear(); }

void TDataFileModel::SetSelected(int index, bool selected) {
  if (index >= 0 && index < Count()) entries_[static_cast<std::size_t>(index)].selected = selected;
}

void TDataFileModel::SelectAll() {
  for (TDataFileEntry& entry : entries_) entry.selected = true;
}

int TDataFileModel::SelectedCount() const {
  int count = 0;
  for (const TDataFileEntry& entry : entries_) count += entry.selected ? 1 : 0;
  return count;
}

void TDataFileModel::DeleteSelected() {
  for (std::size_t i = entries_.size(); i-- > 0;) {
    if (!entries_[i].selected) continue;
    total_ -= entries_[i].details.size;
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

std::string TDataFileModel::FilesPanelText() const {
  return std::to_string(entries_.size()) + " file(s)";
}

std::string TDataFileModel::FormatTotal(std::uint64_t bytes) {
  char text[64];
  const double kb = static_cast<double>(bytes) / 1024.0;
  const double mb = static_cast<double>(bytes) / 1048576.0;
  if (bytes <= 1023)
    std::snprintf(text, sizeof text, "%d bytes", static_cast<int>(bytes));
  else if (bytes <= 10239)
    std::snprintf(text, sizeof text, "%.2f KB", kb);
  else if (bytes <= 102399)
    std::snprintf(text, sizeof text, "%.1f KB", kb);
  else if (bytes <= 1048575)
    std::snprintf(text, sizeof text, "%.0f KB", kb);
  else if (bytes <= 10485759)
    std::snprintf(text, sizeof text, "%.2f MB", mb);
  else if (bytes <= 104857599)
    std::snprintf(text, sizeof text, "%.1f MB", mb);
  else
    std::snprintf(text, sizeof text, "%.0f MB", mb);
  return text;
}

int TDataFileModel::Compare(const TDataFileEntry& a, const TDataFileEntry& b, TFileSortKey key) {
  switch (key) {
    case TFileSortKey::Name:
      return Sign(Upper(a.caption).compare(Upper(b.caption)));
    case TFileSortKey::Type:
      return Sign(Upper(a.details.typeName).compare(Upper(b.details.typeName)));
    case TFileSortKey::Size:
      return CompareValues(a.details.size, b.details.size);
    case TFileSortKey::Modified:
      // The column shows whole seconds; an entry without a date does not
      // compare with any other.
      if (!a.details.hasModified || !b.details.hasModified) return 0;
      return CompareValues(a.details.modified / 10'000'000, b.details.modified / 10'000'000);
  }
  return 0;
}

void TDataFileModel::ClickColumn(TFileColumn column) {
  TFileSortKey key = TFileSortKey::Name;
  switch (column) {
    case TFileColumn::Name: key = TFileSortKey::Name; break;
    case TFileColumn::Size: key = TFileSortKey::Size; break;
    case TFileColumn::Type: key = TFileSortKey::Type; break;
    case TFileColumn::Modified: key = TFileSortKey::Modified; break;
  }
  if (key == sortKey_) reverse_ = !reverse_;
  sortKey_ = key;
  Sort();
}

void TDataFileModel::Sort() {
  const TFileSortKey key = sortKey_;
  const bool reverse = reverse_;
  MergeSort(entries_, [key, reverse](const TDataFileEntry& a, const TDataFileEntry& b) {
    int order = Compare(a, b, key);
    return reverse ? -order : order;
  });
}
