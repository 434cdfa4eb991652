#include "platform/memory/memory_taskbar.h"

#include <algorithm>
#include <mutex>

#include "platform/memory/memory_state.h"

namespace qv::mem {

namespace {

constexpr const char* kDialogTitle = "Taskbar Properties";
constexpr int kAttempts = 7;

// A caption without its '&' marks, for finding the two boxes the states
// follow.
bool Names(const std::string& caption, std::string_view plain) {
  std::string text;
  for (char c : caption)
    if (c != '&') text.push_back(c);
  return EqualNoCase(text, plain);
}

}  // namespace

Rect MemoryTaskbar::ShownRect() {
  const TaskbarSetup& t = s_.taskbar.setup;
  const int cx = s_.metrics[sm::CxScreen];
  const int cy = s_.metrics[sm::CyScreen];
  switch (t.edge) {
    case appbar::Left: return Rect{0, 0, t.thickness, cy};
    case appbar::Top: return Rect{0, 0, cx, t.thickness};
    case appbar::Right: return Rect{cx - t.thickness, 0, cx, cy};
    default: return Rect{0, cy - t.thickness, cx, cy};
  }
}

bool MemoryTaskbar::Exists() {
  std::lock_guard g(s_.lock);
  return s_.taskbar.setup.exists;
}

std::uint32_t MemoryTaskbar::State() {
  std::lock_guard g(s_.lock);
  const TaskbarSetup& t = s_.taskbar.setup;
  if (!t.exists) return 0;
  return (t.autoHide ? appbar::AutoHide : 0) | (t.alwaysOnTop ? appbar::AlwaysOnTop : 0);
}

bool MemoryTaskbar::AutoHideBarOn(int edge) {
  std::lock_guard g(s_.lock);
  const TaskbarSetup& t = s_.taskbar.setup;
  return t.exists && t.autoHide && t.edge == edge;
}

bool MemoryTaskbar::Position(Rect& rect) {
  std::lock_guard g(s_.lock);
  if (!s_.taskbar.setup.exists) return false;
  rect = ShownRect();
  return true;
}

WinError MemoryTaskbar::WindowRect(Rect& rect) {
  std::lock_guard g(s_.lock);
  const TaskbarSetup& t = s_.taskbar.setup;
  if (!t.exists) return Fail(err::InvalidWindowHandle);
  rect = ShownRect();
  if (t.autoHide && !s_.taskbar.revealed) {
    // Two pixels stay on the screen.
    const int away = t.thickness - 2;
    switch (t.edge) {
      case appbar::Left: rect.left -= away; rect.right -= away; break;
      case appbar::Top: rect.top -= away; rect.bottom -= away; break;
      case appbar::Right: rect.left += away; rect.right += away; break;
      default: rect.top += away; rect.bottom += away; break;
    }
  }
  return err::Success;
}

WinError MemoryTaskbar::ClientRect(Rect& rect) {
  std::lock_guard g(s_.lock);
  const TaskbarSetup& t = s_.taskbar.setup;
  if (!t.exists) return Fail(err::InvalidWindowHandle);
  const Rect bar = ShownRect();
  rect = t.autoHide && !s_.taskbar.revealed ? Rect{} : Rect{0, 0, bar.Width(), bar.Height()};
  return err::Success;
}

bool MemoryTaskbar::Reveal() {
  std::lock_guard g(s_.lock);
  if (!s_.taskbar.setup.exists) return false;
  s_.taskbar.revealed = true;
  return true;
}

bool MemoryTaskbar::Move(int edge) {
  std::lock_guard g(s_.lock);
  TaskbarSetup& t = s_.taskbar.setup;
  if (!t.exists || t.locked || edge < appbar::Left || edge > appbar::Bottom || edge == t.edge)
    return false;
  t.edge = edge;
  s_.taskbar.revealed = false;
  return true;
}

bool MemoryTaskbar::Resize(int thickness) {
  std::lock_guard g(s_.lock);
  TaskbarSetup& t = s_.taskbar.setup;
  if (!t.exists) return false;
  const bool across = t.edge == appbar::Left || t.edge == appbar::Right;
  const int half = s_.metrics[across ? sm::CxScreen : sm::CyScreen] / 2;
  thickness = std::clamp(thickness, 1, std::max(half, 1));
  if (thickness == t.thickness) return true;
  if (t.locked) return false;
  t.thickness = thickness;
  s_.taskbar.revealed = false;
  return true;
}

bool MemoryTaskbar::OpenDialog() {
  TaskbarSetup& t = s_.taskbar.setup;
  if (!t.exists) return false;
  std::vector<std::string>& log = s_.taskbar.log;
  if (t.dialogOpen || !t.hasDialog) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) log.push_back("Trying invokation again...");
    log.push_back("Failed");
    return false;
  }
  log.push_back(std::string("Not found : ") + kDialogTitle);
  for (TaskbarOption& box : t.boxes) {
    if (Names(box.caption, "Always on top")) box.checked = t.alwaysOnTop;
    if (Names(box.caption, "Auto hide")) box.checked = t.autoHide;
  }
  return true;
}

void MemoryTaskbar::CloseDialog() {
  s_.taskbar.log.push_back("Closing properties dialog...1");
  s_.taskbar.revealed = false;
}

bool MemoryTaskbar::ReadOptions(std::vector<TaskbarOption>& options) {
  std::lock_guard g(s_.lock);
  if (!OpenDialog()) return false;
  options = s_.taskbar.setup.boxes;
  CloseDialog();
  return true;
}

bool MemoryTaskbar::SetOptions(const std::vector<TaskbarOption>& options) {
  std::lock_guard g(s_.lock);
  if (!OpenDialog()) return false;
  TaskbarSetup& t = s_.taskbar.setup;
  for (TaskbarOption& box : t.boxes) {
    box.checked = false;
    for (const TaskbarOption& o : options)
      if (EqualNoCase(o.caption, box.caption)) {
        box.checked = o.checked;
        break;
      }
    if (Names(box.caption, "Always on top")) t.alwaysOnTop = box.checked;
    if (Names(box.caption, "Auto hide")) t.autoHide = box.checked;
  }
  CloseDialog();
  return true;
}

std::vector<std::string> MemoryTaskbar::TakeLog() {
  std::lock_guard g(s_.lock);
  std::vector<std::string> lines;
  lines.swap(s_.taskbar.log);
  return lines;
}

void CompareTaskbars(const TaskbarState& a, const TaskbarState& b, std::vector<std::string>& out) {
  const TaskbarSetup& x = a.setup;
  const TaskbarSetup& y = b.setup;
  if (x.exists != y.exists) out.push_back("taskbar: exists differs");
  if (x.edge != y.edge)
    out.push_back("taskbar: edge " + std::to_string(x.edge) + " / " + std::to_string(y.edge));
  if (x.thickness != y.thickness)
    out.push_back("taskbar: thickness " + std::to_string(x.thickness) + " / " +
                  std::to_string(y.thickness));
  if (x.autoHide != y.autoHide) out.push_back("taskbar: auto hide differs");
  if (x.alwaysOnTop != y.alwaysOnTop) out.push_back("taskbar: always on top differs");
  const std::size_t n = std::min(x.boxes.size(), y.boxes.size());
  if (x.boxes.size() != y.boxes.size()) out.push_back("taskbar: dialog boxes differ");
  for (std::size_t i = 0; i < n; ++i)
    if (x.boxes[i].caption != y.boxes[i].caption || x.boxes[i].checked != y.boxes[i].checked)
      out.push_back("taskbar: box " + x.boxes[i].caption + " differs");
}

}  // namespace qv::mem
