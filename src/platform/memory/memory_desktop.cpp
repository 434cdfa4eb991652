#include "platform/memory/memory_desktop.h"

#include <algorithm>

#include "platform/memory/memory_state.h"

namespace qv::mem {

namespace {

constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// The desktop folder's node, or null.
const FsNode* DesktopFolder(MemoryMachine::State& s, std::string& path) {
  RegNode* key = FindKey(s, hkey::CurrentUser, kShellFolders);
  RegValue* value = key ? key->FindValue("Desktop") : nullptr;
  if (!value || value->type != regtype::Sz) return nullptr;
  path.assign(value->data.begin(), value->data.end());
  if (auto zero = path.find('\0'); zero != std::string::npos) path.resize(zero);
  FsPath p;
  if (ResolvePath(path, s.currentFolder, false, p) != err::Success) return nullptr;
  auto drive = s.drives.find(p.drive);
  if (drive == s.drives.end()) return nullptr;
  const FsNode* node = &drive->second.root;
  for (const std::string& part : p.parts) {
    auto c = node->children.find(FoldCase(part));
    if (c == node->children.end() || !c->second.IsFolder()) return nullptr;
    node = &c->second;
  }
  path = p.ToString();
  return node;
}

// The label the shell shows for a desktop file: its name without the
// extension.
std::string LabelOf(const std::string& name) {
  const std::size_t dot = name.find_last_of('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// Whether the icon's entry (a full upper-case path) is still in the
// desktop folder.
bool EntryThere(const FsNode* desktop, const std::string& folder, const std::string& file) {
  const std::size_t slash = file.find_last_of('\\');
  return desktop && slash != std::string::npos && FoldCase(folder) == file.substr(0, slash) &&
         desktop->children.count(file.substr(slash + 1)) != 0;
}

// Brings the icon list in line with the desktop folder: icons of entries
// that are gone disappear; (when `add` is set) entries seen at the
// previous sync get an icon below the others, new ones are noted.
void Sync(MemoryMachine::State& s, bool add) {
  DesktopState& d = s.desktop;
  d.iconFiles.resize(d.icons.size());
  std::string folder;
  const FsNode* desktop = DesktopFolder(s, folder);
  for (std::size_t i = d.icons.size(); i-- > 0;) {
    if (d.iconFiles[i].empty() || EntryThere(desktop, folder, d.iconFiles[i])) continue;
    d.icons.erase(d.icons.begin() + static_cast<std::ptrdiff_t>(i));
    d.iconFiles.erase(d.iconFiles.begin() + static_cast<std::ptrdiff_t>(i));
  }
  std::vector<std::string> pending;
  if (add && desktop) {
    for (const auto& [folded, child] : desktop->children) {
      const std::string file = FoldCase(folder + "\\" + child.name);
      if (std::find(d.iconFiles.begin(), d.iconFiles.end(), file) != d.iconFiles.end()) continue;
      if (std::find(d.pending.begin(), d.pending.end(), file) == d.pending.end()) {
        pending.push_back(file);
        continue;
      }
      DesktopIcon icon;
      icon.label = LabelOf(child.name);
      icon.position = Point{0, static_cast<std::int32_t>(75 * d.icons.size())};
      d.icons.push_back(icon);
      d.iconFiles.push_back(file);
    }
  }
  d.pending = pending;
}

std::int32_t Word(std::int32_t v) { return static_cast<std::int16_t>(v & 0xFFFF); }

}  // namespace

void PutDesktopIcons(MemoryMachine::State& s, const std::vector<DesktopIcon>& icons) {
  DesktopState& d = s.desktop;
  d.icons = icons;
  d.iconFiles.assign(icons.size(), "");
  std::string folder;
  const FsNode* desktop = DesktopFolder(s, folder);
  if (!desktop) return;
  for (std::size_t i = 0; i < icons.size(); ++i)
    for (const auto& [folded, child] : desktop->children)
      if (EqualNoCase(LabelOf(child.name), icons[i].label) || EqualNoCase(child.name, icons[i].label)) {
        d.iconFiles[i] = FoldCase(folder + "\\" + child.name);
        break;
      }
}

void InitializeDesktop(MemoryMachine::State& s) {
  DesktopState& d = s.desktop;
  d.icons = {{"My Computer", {16, 8}}, {"Recycle Bin", {16, 83}}};
  d.iconFiles.assign(d.icons.size(), "");
}

bool MemoryDesktop::WindowExists(std::string_view className, std::string_view title) {
  if (className == "Shell_TrayWnd") return bar_.Exists();
  std::lock_guard g(s_.lock);
  if (className == "Progman") return s_.desktop.shell && (title.empty() || title == "Program Manager");
  return false;
}

void MemoryDesktop::Wait(std::uint32_t) {
  std::lock_guard g(s_.lock);
  ++s_.desktop.waits;
  if (s_.desktop.shell) Sync(s_, s_.desktop.listsNewFiles);
}

bool MemoryDesktop::DesktopListViewExists() {
  std::lock_guard g(s_.lock);
  return s_.desktop.shell;
}

void MemoryDesktop::RepaintDesktop() {
  std::lock_guard g(s_.lock);
  if (!s_.desktop.shell) return;
  ++s_.desktop.repaints;
  Sync(s_, s_.desktop.listsNewFiles);
}

WinError MemoryDesktop::CheckListView() {
  if (!s_.desktop.shell) return Fail(err::InvalidWindowHandle);
  if (s_.setup.kind == okWinNT) return Fail(err::NotSupported);
  return s_.desktop.blockError ? Fail(s_.desktop.blockError) : err::Success;
}

WinError MemoryDesktop::DesktopIcons(std::vector<DesktopIcon>& icons) {
  std::lock_guard g(s_.lock);
  icons.clear();
  if (WinError e = CheckListView()) return e;
  icons = s_.desktop.icons;
  for (DesktopIcon& icon : icons)
    if (icon.label.size() > 259) icon.label.resize(259);
  return err::Success;
}

WinError MemoryDesktop::DesktopIconCount(int& count) {
  std::lock_guard g(s_.lock);
  count = 0;
  if (!s_.desktop.shell) return Fail(err::InvalidWindowHandle);
  count = static_cast<int>(s_.desktop.icons.size());
  return err::Success;
}

WinError MemoryDesktop::FindDesktopIcon(std::string_view label, int& index) {
  std::lock_guard g(s_.lock);
  index = -1;
  if (WinError e = CheckListView()) return e;
  for (std::size_t i = 0; i < s_.desktop.icons.size(); ++i)
    if (EqualNoCase(s_.desktop.icons[i].label, label)) {
      index = static_cast<int>(i);
      break;
    }
  return err::Success;
}

WinError MemoryDesktop::SetDesktopIconPosition(int index, Point position) {
  std::lock_guard g(s_.lock);
  if (!s_.desktop.shell) return Fail(err::InvalidWindowHandle);
  if (index < 0 || static_cast<std::size_t>(index) >= s_.desktop.icons.size())
    return Fail(err::InvalidParameter);
  s_.desktop.icons[static_cast<std::size_t>(index)].position =
      Point{Word(position.x), Word(position.y)};
  return err::Success;
}

WinError MemoryDesktop::RedrawDesktopIcons() {
  std::lock_guard g(s_.lock);
  if (!s_.desktop.shell) return Fail(err::InvalidWindowHandle);
  ++s_.desktop.redraws;
  return err::Success;
}

bool MemoryDesktop::TaskbarExists() { return bar_.Exists(); }
std::uint32_t MemoryDesktop::TaskbarState() { return bar_.State(); }
bool MemoryDesktop::AutoHideBarOn(int edge) { return bar_.AutoHideBarOn(edge); }
bool MemoryDesktop::TaskbarPosition(Rect& rect) { return bar_.Position(rect); }
WinError MemoryDesktop::TaskbarWindowRect(Rect& rect) { return bar_.WindowRect(rect); }
WinError MemoryDesktop::TaskbarClientRect(Rect& rect) { return bar_.ClientRect(rect); }
bool MemoryDesktop::RevealTaskbar() { return bar_.Reveal(); }
bool MemoryDesktop::MoveTaskbar(int edge) { return bar_.Move(edge); }
bool MemoryDesktop::ResizeTaskbar(int thickness) { return bar_.Resize(thickness); }
bool MemoryDesktop::ReadTaskbarOptions(std::vector<TaskbarOption>& options) {
  return bar_.ReadOptions(options);
}
bool MemoryDesktop::SetTaskbarOptions(const std::vector<TaskbarOption>& options) {
  return bar_.SetOptions(options);
}
std::vector<std::string> MemoryDesktop::TakeTaskbarLog() { return bar_.TakeLog(); }

namespace {

struct ShownIcon {
  DesktopIcon icon;
  bool placed = true;
};

std::vector<ShownIcon> Settled(MemoryMachine::State& s) {
  std::vector<ShownIcon> out;
  const DesktopState& d = s.desktop;
  std::string folder;
  const FsNode* desktop = DesktopFolder(s, folder);
  std::vector<std::string> listed;
  for (std::size_t i = 0; i < d.icons.size(); ++i) {
    const std::string file = i < d.iconFiles.size() ? d.iconFiles[i] : std::string();
    if (!file.empty() && !EntryThere(desktop, folder, file)) continue;
    out.push_back({d.icons[i], true});
    listed.push_back(file);
  }
  if (desktop)
    for (const auto& [folded, child] : desktop->children) {
      const std::string file = FoldCase(folder + "\\" + child.name);
      if (std::find(listed.begin(), listed.end(), file) == listed.end())
        out.push_back({{LabelOf(child.name), {}}, false});
    }
  return out;
}

}  // namespace

void CompareDesktops(MemoryMachine::State& sa, MemoryMachine::State& sb,
                     std::vector<std::string>& out) {
  const std::vector<ShownIcon> a = Settled(sa);
  const std::vector<ShownIcon> b = Settled(sb);
  auto find = [](const std::vector<ShownIcon>& in, const std::string& label) {
    return std::find_if(in.begin(), in.end(),
                        [&](const ShownIcon& i) { return EqualNoCase(i.icon.label, label); });
  };
  for (const ShownIcon& x : a) {
    auto y = find(b, x.icon.label);
    if (y == b.end())
      out.push_back("desktop icon \"" + x.icon.label + "\": only in first");
    else if (x.placed && y->placed && !(y->icon.position == x.icon.position))
      out.push_back("desktop icon \"" + x.icon.label + "\": position (" +
                    std::to_string(x.icon.position.x) + ", " + std::to_string(x.icon.position.y) +
                    ") -> (" + std::to_string(y->icon.position.x) + ", " +
                    std::to_string(y->icon.position.y) + ")");
  }
  for (const ShownIcon& y : b)
    if (find(a, y.icon.label) == a.end())
      out.push_back("desktop icon \"" + y.icon.label + "\": only in second");
}

}  // namespace qv::mem
