#include "items/personality/icon_positions.h"

#include <algorithm>
#include <string>
#include <vector>

#include "config/options.h"
#include "engine/debug_log.h"
#include "engine/messages.h"
#include "engine/program.h"
#include "items/item_support.h"
#include "items/personality/folder_settings.h"
#include "platform/desktop.h"
#include "platform/machine.h"
#include "stream/connection.h"
#include "stream/source_info.h"

namespace {

// The block's label buffer holds 259 characters and the closing zero.
constexpr std::size_t kMaxLabel = 259;
constexpr int kMaxWaits = 10;

// Whether a desktop file carries the label as its name: the label followed
// by an extension. A label that is itself a path or a pattern is not looked
// for (it would name files elsewhere, or match any file and make every wait
// run out).
bool DesktopFileFor(const std::string& label) {
  if (label.empty() || label.find_first_of("\\/:*?") != std::string::npos) return false;
  const std::string folder = GetShellFolder(qv::hkey::CurrentUser, "Desktop");
  if (folder.empty() || folder == "error") return false;
  qv::IFiles& files = qv::CurrentMachine().Files();
  qv::FindHandle h = 0;
  qv::FileInfo info;
  if (files.FindFirst(folder + "\\" + label + ".*", h, info) != qv::err::Success) return false;
  files.FindClose(h);
  return true;
}

}  // namespace

bool FindDesktopListView() {
  qv::IDesktop* desktop = qv::CurrentMachine().Desktop();
  return desktop && desktop->DesktopListViewExists();
}

void PlaceIcon(const IconPlacement& p, std::int32_t& x, std::int32_t& y) {
  // The source's screen scales the position to this one (multiplied first,
  // then divided, truncating). Without a source screen size the position is
  // taken as it is. Sixty-four bits keep a position far off any screen from
  // wrapping round before the clamp below brings it back.
  std::int64_t nx = x;
  std::int64_t ny = y;
  if (p.sourceWidth > 0) nx = nx * p.screenWidth / p.sourceWidth;
  if (p.sourceHeight > 0) ny = ny * p.screenHeight / p.sourceHeight;
  if (nx + p.iconWidth + p.leftMargin > p.screenWidth)
    nx = p.screenWidth - p.iconWidth - p.leftMargin;
  if (ny + p.iconHeight + p.topMargin > p.screenHeight)
    ny = p.screenHeight - p.iconHeight - p.topMargin;
  x = static_cast<std::int32_t>(std::max<std::int64_t>(nx, 0));
  y = static_cast<std::int32_t>(std::max<std::int64_t>(ny, 0));
}

void TaskbarMargins(std::int32_t& left, std::int32_t& top) {
  left = 0;
  top = 0;
  qv::IDesktop* desktop = qv::CurrentMachine().Desktop();
  if (!desktop) return;
  for (int edge = qv::appbar::Left; edge <= qv::appbar::Bottom; ++edge)
    if (desktop->AutoHideBarOn(edge)) return;
  if (!desktop->TaskbarExists()) return;
  qv::Rect bar;
  if (!desktop->TaskbarPosition(bar)) return;
  qv::ISystemInfo& system = qv::CurrentMachine().System();
  if (bar.Width() < bar.Height()) {
    if (bar.left < system.Metric(qv::sm::CxScreen) / 2) left = bar.Width();
  } else if (bar.top < system.Metric(qv::sm::CyScreen) / 2) {
    top = bar.Height();
  }
}

bool WriteIconPositions(TConnection& stream) {
  qv::IDesktop* desktop = qv::CurrentMachine().Desktop();
  const bool listView = FindDesktopListView();
  if (items::RunningOnNT() || !listView) {
    stream.WriteInteger(0, "IconCount");
    return true;
  }
  std::vector<qv::DesktopIcon> icons;
  const qv::WinError error = desktop->DesktopIcons(icons);
  if (error != qv::err::Success) {
    const std::string text = SystemErrorText(error);
    if (Options().QuietMode)
      DebugLog(text);
    else
      ShowErrorBox(text);
    stream.AddComment("Error creating FileMapView");
    return false;
  }
  std::vector<const qv::DesktopIcon*> labelled;
  for (const qv::DesktopIcon& icon : icons)
    if (!icon.label.empty()) labelled.push_back(&icon);
  stream.WriteInteger(static_cast<std::int32_t>(labelled.size()), "IconCount");
  for (const qv::DesktopIcon* icon : labelled) {
    stream.WriteString(icon->label, "Label");
    stream.WriteInteger(icon->position.x, "X");
    stream.WriteInteger(icon->position.y, "Y");
  }
  return true;
}

bool ReadIconPositions(TConnection& stream) {
  qv::Machine& machine = qv::CurrentMachine();
  qv::IDesktop* desktop = machine.Desktop();
  const std::int32_t count = stream.ReadInteger("IconCount");
  // Each entry holds a label, x and y.
  if (count > 0) stream.RequireAvailable(static_cast<std::uint64_t>(count) * 12u);

  if (desktop) desktop->RepaintDesktop();
  IconPlacement placement;
  TaskbarMargins(placement.leftMargin, placement.topMargin);
  qv::ISystemInfo& system = machine.System();
  placement.screenWidth = system.Metric(qv::sm::CxScreen);
  placement.screenHeight = system.Metric(qv::sm::CyScreen);
  placement.iconWidth = system.Metric(qv::sm::CxIcon);
  placement.iconHeight = system.Metric(qv::sm::CyIcon);
  placement.sourceWidth = SourceInfo().ScreenWidth();
  placement.sourceHeight = SourceInfo().ScreenHeight();

  const bool nt = items::RunningOnNT();
  const bool listView = FindDesktopListView();
  for (std::int32_t i = 0; i < count; ++i) {
    std::string label = stream.ReadString("Label");
    std::int32_t x = stream.ReadInteger("X");
    std::int32_t y = stream.ReadInteger("Y");
    if (nt || !listView) continue;
    if (label.size() > kMaxLabel) label.resize(kMaxLabel);

    int index = -1;
    if (desktop->FindDesktopIcon(label, index) != qv::err::Success) index = -1;
    // The shell lists a new desktop file a moment after it appears.
    for (int waits = 0; index < 0 && waits < kMaxWaits && DesktopFileFor(label); ++waits) {
      desktop->Wait(1000);
      if (desktop->FindDesktopIcon(label, index) != qv::err::Success) index = -1;
    }
    if (index < 0) {
      DebugLog("Desktop icon " + label + " not found");
      continue;
    }
    PlaceIcon(placement, x, y);
    desktop->SetDesktopIconPosition(index, qv::Point{x, y});
  }
  if (!nt && listView && count > 0) desktop->RedrawDesktopIcons();
  return true;
}
