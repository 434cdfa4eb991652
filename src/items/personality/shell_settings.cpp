#include "items/personality/shell_settings.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "engine/debug_log.h"
#include "items/item_support.h"
#include "platform/machine.h"
#include "registry/reg_utils.h"
#include "stream/connection.h"
#include "engine/program.h"
#include "undo/undo_manager.h"

namespace {

constexpr const char* kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
constexpr const char* kCabinetState =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CabinetState";
constexpr const char* kExpView = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ExpView";
constexpr const char* kAdvanced =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
constexpr const char* kStreamMRU =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StreamMRU";
constexpr const char* kStreams = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Streams\\";

// Binary values are read into buffers of this size; a longer value counts
// as missing.
constexpr std::uint32_t kValueLimit = 1024;

// Bit positions.
constexpr std::size_t kCabinetFlags = 4;     // CabinetState "Settings"
constexpr std::uint8_t kFullPath = 0x01;
constexpr std::uint8_t kSeparateWindows = 0x20;
constexpr std::size_t kShellFlags = 4;       // "ShellState"
constexpr std::uint8_t kShowAllFiles = 0x01;
constexpr std::uint8_t kShowExtensions = 0x02;
constexpr std::size_t kBarFlags = 60;        // ExpView "Settings", "CabView"
constexpr std::uint8_t kToolbar = 0x02;
constexpr std::uint8_t kStatusBar = 0x04;
constexpr std::size_t kViewMode = 44;        // view mode 1..4
constexpr std::size_t kSortColumn = 16;      // "ViewView"
constexpr std::size_t kSortOrder = 20;       // int32: 1 ascending

const char* const kShown[] = {"not shown", "shown"};
const char* const kSortOrderText[] = {"Descending", "Ascending"};
const char* const kSortTypeText[] = {"Name", "Type", "Size", "Date"};
const char* const kViewTypeText[] = {"Large Icons", "Small Icons", "List", "Details"};

// Sort type by the column byte (0 Name, 1 Size, 2 Type, 3 Date), and back.
constexpr std::int32_t kTypeOfColumn[] = {TShellSettings::stName, TShellSettings::stSize,
                                          TShellSettings::stType, TShellSettings::stDate};
constexpr std::uint8_t kColumnOfType[] = {0, 2, 1, 3};

std::string Entry(const char* const* table, std::size_t size, std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= size) return std::to_string(index);
  return table[index];
}

template <std::size_t N>
std::string Entry(const char* const (&table)[N], std::int32_t index) {
  return Entry(table, N, index);
}

std::string Shown(bool shown) { return kShown[shown ? 1 : 0]; }
std::string Order(bool ascending) { return kSortOrderText[ascending ? 1 : 0]; }

// A binary value of at most kValueLimit bytes; empty when it is missing,
// not binary or longer.
std::vector<std::uint8_t> BinaryValue(const std::string& keyPath, const char* name) {
  std::vector<std::uint8_t> data(kValueLimit);
  const std::uint32_t size =
      UTLGetRegBinary(qv::hkey::CurrentUser, keyPath, name, data.data(), kValueLimit);
  data.resize(size);
  return data;
}

// Byte `at` of a value, when the value is longer than it.
bool ByteAt(const std::vector<std::uint8_t>& v, std::size_t at, std::uint8_t& out) {
  if (v.size() <= at) return false;
  out = v[at];
  return true;
}

// The int32 at `at`, when the value holds all four of its bytes.
bool Int32At(const std::vector<std::uint8_t>& v, std::size_t at, std::int32_t& out) {
  if (v.size() < at + 4) return false;
  out = static_cast<std::int32_t>(v[at] | (v[at + 1] << 8) | (v[at + 2] << 16) |
                                  (static_cast<std::uint32_t>(v[at + 3]) << 24));
  return true;
}

void SetBit(std::vector<std::uint8_t>& v, std::size_t at, std::uint8_t mask, bool on) {
  if (v.size() <= at) return;
  if (on)
    v[at] |= mask;
  else
    v[at] = static_cast<std::uint8_t>(v[at] & ~mask);
}

// Changes a binary value where it lies: the value is read, `patch` changes
// bytes inside its length, and the value is written back with the same
// length and type. A missing value, a string or DWORD, or one longer than
// kValueLimit is left alone.
void PatchValue(const std::string& keyPath, const char* name,
                const std::function<void(std::vector<std::uint8_t>&)>& patch) {
  qv::IRegistry& registry = qv::CurrentMachine().Registry();
  qv::RegKey key = 0;
  if (registry.OpenKey(qv::hkey::CurrentUser, keyPath, qv::RegAccess::Full, key) !=
      qv::err::Success)
    return;
  qv::RegKeyCloser closer(registry, key);
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  if (registry.QueryValue(key, name, &type, nullptr, &size) != qv::err::Success) return;
  if (type == qv::regtype::Sz || type == qv::regtype::ExpandSz || type == qv::regtype::Dword)
    return;
  if (size == 0 || size > kValueLimit) return;
  std::vector<std::uint8_t> data(size);
  if (registry.QueryValue(key, name, &type, data.data(), &size) != qv::err::Success) return;
  data.resize(size);
  const std::vector<std::uint8_t> before = data;
  patch(data);
  data.resize(size);  // a patch never changes the length
  if (data == before) return;
  UndoManager().RecordRegistryValue(qv::hkey::CurrentUser, keyPath, name);
  if (qv::WinError e = registry.SetValue(key, name, type, data.data(), size); e != qv::err::Success) {
    DebugLog("Shell : could not write " + keyPath + " " + name);
    NoteRegistryWriteFailure(qv::hkey::CurrentUser, keyPath, name, e);
  }
}

bool Windows98() { return items::RunningOSKind() == qv::okWin98; }

// The folder streams of this machine, most recent first: the letters of
// "MRUList" (Windows 95 and NT) or the int32 entries of "MRUListEx"
// (Windows 98), as stream numbers.
std::vector<std::uint32_t> StreamNumbers() {
  std::vector<std::uint32_t> numbers;
  if (Windows98()) {
    const std::vector<std::uint8_t> list = BinaryValue(kStreamMRU, "MRUListEx");
    for (std::size_t at = 0; at + 4 <= list.size(); at += 4) {
      std::int32_t entry = 0;
      Int32At(list, at, entry);
      if (static_cast<std::uint32_t>(entry) != 0xFFFFFFFFu)
        numbers.push_back(static_cast<std::uint32_t>(entry));
    }
    return numbers;
  }
  std::string letters;
  try {
    letters = UTLGetRegString(qv::hkey::CurrentUser, kStreamMRU, "MRUList", "");
  } catch (const ERegistryException&) {
    letters.clear();  // not a string: no list
  }
  for (char letter : letters) {
    const int number = static_cast<unsigned char>(letter) - 'a';
    if (number >= 0) numbers.push_back(static_cast<std::uint32_t>(number));
  }
  return numbers;
}

std::string StreamKey(std::uint32_t number) { return kStreams + std::to_string(number); }
const char* SortValueName() { return Windows98() ? "ViewView2" : "ViewView"; }

// The index of the highest count; ties go to the lowest index.
std::int32_t MostCounted(const std::array<int, 4>& counts) {
  std::int32_t best = 0;
  for (std::int32_t i = 1; i < 4; ++i)
    if (counts[i] > counts[best]) best = i;
  return best;
}

}  // namespace

void TShellSettings::GatherFolderOptions() {
  std::uint8_t flags = 0;
  if (ByteAt(BinaryValue(kCabinetState, "Settings"), kCabinetFlags, flags)) {
    FullPathInTitle = (flags & kFullPath) != 0;
    BrowseSeparateWindows = (flags & kSeparateWindows) != 0;
  }
  if (Windows98()) {
    ShowAllFiles = UTLGetRegDWORD(qv::hkey::CurrentUser, kAdvanced, "Hidden", 1) == 1;
    ShowExtensions = UTLGetRegDWORD(qv::hkey::CurrentUser, kAdvanced, "HideFileExt", 0) == 0;
  } else if (ByteAt(BinaryValue(kExplorer, "ShellState"), kShellFlags, flags)) {
    ShowExtensions = (flags & kShowExtensions) != 0;
    ShowAllFiles = (flags & kShowAllFiles) != 0;
  }
  auto bit = [](bool b) { return std::string(b ? "1" : "0"); };
  DebugLog("m_bDisplayMSDOSFullPathinTitleBar : " + bit(FullPathInTitle));
  DebugLog("m_bBrowseSeparateWindows : " + bit(BrowseSeparateWindows));
  DebugLog("m_bShowAllFiles : " + bit(ShowAllFiles));
  DebugLog("m_bShowRegisteredMSDOSExtensions : " + bit(ShowExtensions));
}

void TShellSettings::GatherExplorerView() {
  const std::vector<std::uint8_t> settings = BinaryValue(kExpView, "Settings");
  std::uint8_t byte = 0;
  if (ByteAt(settings, kBarFlags, byte)) {
    ExplorerToolbar = (byte & kToolbar) != 0;
    ExplorerStatusBar = (byte & kStatusBar) != 0;
  }
  // View modes 1 to 4; anything else leaves the default.
  if (ByteAt(settings, kViewMode, byte) && byte >= 1 && byte <= 4) ExplorerViewType = byte - 1;
}

void TShellSettings::GatherCommonView() {
  int withBars = 0, toolbars = 0, statusBars = 0;
  int withOrder = 0, ascending = 0;
  std::array<int, 4> views{}, sorts{};
  for (std::uint32_t number : StreamNumbers()) {
    const std::string key = StreamKey(number);
    const std::vector<std::uint8_t> cab = BinaryValue(key, "CabView");
    std::uint8_t byte = 0;
    if (ByteAt(cab, kBarFlags, byte)) {
      ++withBars;
      if (byte & kToolbar) ++toolbars;
      if (byte & kStatusBar) ++statusBars;
    }
    if (ByteAt(cab, kViewMode, byte) && byte >= 1 && byte <= 4) ++views[byte - 1];
    const std::vector<std::uint8_t> view = BinaryValue(key, SortValueName());
    std::int32_t order = 0;
    if (Int32At(view, kSortOrder, order)) {
      ++withOrder;
      if (order == 1) ++ascending;
    }
    if (ByteAt(view, kSortColumn, byte) && byte <= 3) ++sorts[kTypeOfColumn[byte]];
  }
  CommonToolbar = toolbars >= withBars / 2;
  CommonStatusBar = statusBars >= withBars / 2;
  CommonSortAscending = ascending > withOrder / 2;
  CommonViewType = MostCounted(views);
  CommonSortType = MostCounted(sorts);
}

bool TShellSettings::Write(TConnection& stream) {
  GatherFolderOptions();
  GatherExplorerView();
  GatherCommonView();

  stream.AddComment(BrowseSeparateWindows ? "Browse views in separate windows"
                                          : "Browse views in single window");
  stream.AddComment(ShowAllFiles ? "Show all files" : "Hide system files");
  if (FullPathInTitle) stream.AddComment("Display full MS-DOS path in title bar");
  if (!ShowExtensions)
    stream.AddComment("Hide MS-DOS extensions for file types that are registered");
  stream.WriteBoolean(BrowseSeparateWindows, "BrowseSeparateWindows");
  stream.WriteBoolean(ShowAllFiles, "ShowAllFiles");
  stream.WriteBoolean(FullPathInTitle, "DisplayFullPath");
  stream.WriteBoolean(ShowExtensions, "ShowExtensions");

  DescribeViews(stream);
  stream.WriteBoolean(ExplorerToolbar, "ExplorerToolbar");
  stream.WriteBoolean(ExplorerStatusBar, "ExplorerStatusBar");
  stream.WriteBoolean(ExplorerSortOrder, "ExplorerSortOrder");
  stream.WriteInteger(Reserved, "Reserved");
  stream.WriteInteger(ExplorerViewType, "ExplorerViewType");
  stream.WriteBoolean(CommonToolbar, "CommonToolbar");
  stream.WriteBoolean(CommonStatusBar, "CommonStatusBar");
  stream.WriteBoolean(CommonSortAscending, "CommonSortAscending");
  stream.WriteInteger(CommonSortType, "CommonSortType");
  stream.WriteInteger(CommonViewType, "CommonViewType");
  return true;
}

void TShellSettings::ApplyFolderOptions() {
  PatchValue(kCabinetState, "Settings", [&](std::vector<std::uint8_t>& v) {
    SetBit(v, kCabinetFlags, kFullPath, FullPathInTitle);
    SetBit(v, kCabinetFlags, kSeparateWindows, BrowseSeparateWindows);
  });
  if (Windows98()) {
    items::SetRegDWORDForUndo(qv::hkey::CurrentUser, kAdvanced, "Hidden", ShowAllFiles ? 1 : 0);
    items::SetRegDWORDForUndo(qv::hkey::CurrentUser, kAdvanced, "HideFileExt",
                              ShowExtensions ? 0 : 1);
    return;
  }
  PatchValue(kExplorer, "ShellState", [&](std::vector<std::uint8_t>& v) {
    SetBit(v, kShellFlags, kShowExtensions, ShowExtensions);
    SetBit(v, kShellFlags, kShowAllFiles, ShowAllFiles);
  });
}

void TShellSettings::ApplyExplorerView() {
  // A view type the table does not know (from a damaged file) is not
  // written: byte 44 keeps a mode Explorer understands.
  if (ExplorerViewType < vtLargeIcons || ExplorerViewType > vtDetails) return;
  PatchValue(kExpView, "Settings", [&](std::vector<std::uint8_t>& v) {
    if (v.size() > kViewMode) v[kViewMode] = static_cast<std::uint8_t>(ExplorerViewType + 1);
  });
}

void TShellSettings::ApplyCommonView() {
  const bool viewKnown = CommonViewType >= vtLargeIcons && CommonViewType <= vtDetails;
  const bool sortKnown = CommonSortType >= stName && CommonSortType <= stDate;
  for (std::uint32_t number : StreamNumbers()) {
    const std::string key = StreamKey(number);
    PatchValue(key, "CabView", [&](std::vector<std::uint8_t>& v) {
      SetBit(v, kBarFlags, kToolbar, CommonToolbar);
      SetBit(v, kBarFlags, kStatusBar, CommonStatusBar);
      if (viewKnown && v.size() > kViewMode)
        v[kViewMode] = static_cast<std::uint8_t>(CommonViewType + 1);
    });
    PatchValue(key, SortValueName(), [&](std::vector<std::uint8_t>& v) {
      if (v.size() >= kSortOrder + 4) {
        const std::uint32_t order = CommonSortAscending ? 1u : 0xFFFFFFFFu;
        for (int i = 0; i < 4; ++i)
          v[kSortOrder + i] = static_cast<std::uint8_t>(order >> (8 * i));
      }
      if (sortKnown && v.size() > kSortColumn) v[kSortColumn] = kColumnOfType[CommonSortType];
    });
  }
}

bool TShellSettings::Read(TConnection& stream) {
  RestartRequired = true;
  BrowseSeparateWindows = stream.ReadBoolean("BrowseSeparateWindows");
  ShowAllFiles = stream.ReadBoolean("ShowAllFiles");
  FullPathInTitle = stream.ReadBoolean("DisplayFullPath");
  ShowExtensions = stream.ReadBoolean("ShowExtensions");
  ExplorerToolbar = stream.ReadBoolean("ExplorerToolbar");
  ExplorerStatusBar = stream.ReadBoolean("ExplorerStatusBar");
  ExplorerSortOrder = stream.ReadBoolean("ExplorerSortOrder");
  Reserved = stream.ReadInteger("Reserved");
  ExplorerViewType = stream.ReadInteger("ExplorerViewType");
  CommonToolbar = stream.ReadBoolean("CommonToolbar");
  CommonStatusBar = stream.ReadBoolean("CommonStatusBar");
  CommonSortAscending = stream.ReadBoolean("CommonSortAscending");
  CommonSortType = stream.ReadInteger("CommonSortType");
  CommonViewType = stream.ReadInteger("CommonViewType");

  ApplyFolderOptions();
  ApplyExplorerView();
  ApplyCommonView();

  stream.AddComment(BrowseSeparateWindows ? "File views are browsed in separate windows"
                                          : "File views are browsed in a single window");
  stream.AddComment(ShowAllFiles ? "System files are not hidden ('Show all files' is checked)"
                                 : "System files are hidden ('Show all files' not checked)");
  if (FullPathInTitle) stream.AddComment("The Full MS-DOS path is displayed in the title bar");
  stream.AddComment(ShowExtensions
                        ? "MS-DOS extensions are shown for file types that are registered"
                        : "MS-DOS extensions are hidden for file types that are registered");
  stream.AddComment("");
  DescribeViews(stream);
  stream.AddComment("");
  return true;
}

// The Explorer window's view options and those most of the folders share.
void TShellSettings::DescribeViews(TConnection& stream) {
  stream.AddComment("Windows Explorer toolbar       : " + Shown(ExplorerToolbar));
  stream.AddComment("Windows Explorer statusBar     : " + Shown(ExplorerStatusBar));
  stream.AddComment("Windows Explorer sort order    : " + Order(ExplorerSortOrder));
  stream.AddComment("");
  stream.AddComment("Most common file view options : ");
  stream.AddComment("Toolbar       : " + Shown(CommonToolbar));
  stream.AddComment("StatusBar     : " + Shown(CommonStatusBar));
  stream.AddComment("Sort order    : " + Order(CommonSortAscending));
  stream.AddComment("Sort type     : " + Entry(kSortTypeText, CommonSortType));
  stream.AddComment("View type     : " + Entry(kViewTypeText, CommonViewType));
}
