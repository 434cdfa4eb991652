#include "items/personality/taskbar_settings.h"

#include <algorithm>
#include <limits>

#include "engine/debug_log.h"
#include "platform/desktop.h"
#include "platform/machine.h"
#include "stream/connection.h"
#include "stream/source_info.h"

namespace {

int Screen(int metric) { return qv::CurrentMachine().System().Metric(metric); }

// value × this screen / source screen, in whole pixels. A source that gave
// no screen size leaves the value as it is; a product past 32 bits is cut
// to the largest integer.
std::int32_t Scale(std::int32_t value, int screen, std::int32_t sourceScreen) {
  if (sourceScreen <= 0) return value;
  const std::int64_t scaled = static_cast<std::int64_t>(value) * screen / sourceScreen;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      scaled, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

const char* const kEdgeLines[] = {"The Taskbar is on the left screen edge",
                                  "The Taskbar is on the top of the screen",
                                  "The Taskbar is on the right screen edge",
                                  "The Taskbar is on the bottom of the screen"};

}  // namespace

TTaskBarSettings::TTaskBarSettings() {
  Desktop = qv::CurrentMachine().Desktop();
  if (Desktop && !Desktop->TaskbarExists()) Desktop = nullptr;
  if (Desktop) {
    const std::uint32_t state = Desktop->TaskbarState();
    AutoHide = (state & qv::appbar::AutoHide) != 0;
    AlwaysOnTop = (state & qv::appbar::AlwaysOnTop) != 0;
  }
}

void TTaskBarSettings::PassLog() {
  if (!Desktop) return;
  for (const std::string& line : Desktop->TakeTaskbarLog()) DebugLog(line);
}

bool TTaskBarSettings::DialogStep(bool set) {
  if (!Desktop) return false;
  bool ok = false;
  if (set) {
    std::vector<qv::TaskbarOption> options;
    for (std::size_t i = 0; i < Captions.size(); ++i) options.push_back({Captions[i], Checked[i]});
    ok = Desktop->SetTaskbarOptions(options);
  } else {
    std::vector<qv::TaskbarOption> options;
    ok = Desktop->ReadTaskbarOptions(options);
    Captions.clear();
    Checked.clear();
    if (ok) {
      for (const qv::TaskbarOption& o : options) {
        Captions.push_back(o.caption);
        Checked.push_back(o.checked);
      }
    }
  }
  PassLog();
  return ok;
}

bool TTaskBarSettings::CurrentEdge(std::int32_t& edge) {
  if (!Desktop || Desktop->TaskbarWindowRect(WindowRect) != qv::err::Success) return false;
  if (WindowRect.top > 0)
    edge = teBottom;
  else if (WindowRect.bottom < Screen(qv::sm::CyScreen))
    edge = teTop;
  else if (WindowRect.right < Screen(qv::sm::CxScreen))
    edge = teLeft;
  else
    edge = teRight;
  return true;
}

bool TTaskBarSettings::Write(TConnection& stream) {
  DialogSucceeded = DialogStep(false);
  stream.WriteInteger(static_cast<std::int32_t>(Captions.size()), "Count");
  for (std::size_t i = 0; i < Captions.size(); ++i) {
    stream.WriteString(Captions[i], "Caption");
    stream.WriteInteger(Checked[i] ? 1 : 0, "Checked");
  }

  if (CurrentEdge(ScreenEdge)) {
    if (Desktop->TaskbarClientRect(ClientRect) == qv::err::Success && ClientRect.IsEmpty()) {
      // An auto-hidden bar shows its size only while it is out.
      Desktop->RevealTaskbar();
      Desktop->TaskbarWindowRect(WindowRect);
    }
    Height = WindowRect.Height();
    Width = WindowRect.Width();
  }
  stream.WriteInteger(ScreenEdge, "Edge");
  stream.WriteInteger(Height, "Height");
  stream.WriteInteger(Width, "Width");
  Describe(stream);
  return true;
}

void TTaskBarSettings::MoveAndSize() {
  if (!Desktop || ScreenEdge < teLeft || ScreenEdge > teBottom) return;
  const bool across = ScreenEdge == teLeft || ScreenEdge == teRight;
  const std::int32_t thickness = across ? Width : Height;
  std::int32_t edge = teBottom;
  if (!CurrentEdge(edge)) return;
  // Moving and sizing do not decide the item's result.
  const bool placed = edge == ScreenEdge || Desktop->MoveTaskbar(ScreenEdge);
  if (placed && thickness > 0) Desktop->ResizeTaskbar(thickness);
  PassLog();
}

bool TTaskBarSettings::Read(TConnection& stream) {
  const std::int32_t count = stream.ReadInteger("Count");
  if (count < 0) {
    DebugLog("Task bar : check box count " + std::to_string(count));
    return false;
  }
  // Each box takes at least its caption's length and its state.
  stream.RequireAvailable(static_cast<std::uint64_t>(count) * 8);
  Captions.clear();
  Checked.clear();
  Captions.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) {
    Captions.push_back(stream.ReadString("Caption"));
    Checked.push_back(stream.ReadInteger("Checked") == 1);
  }
  ScreenEdge = stream.ReadInteger("Edge");
  Height = stream.ReadInteger("Height");
  Width = stream.ReadInteger("Width");

  Height = Scale(Height, Screen(qv::sm::CyScreen), SourceInfo().ScreenHeight());
  Width = Scale(Width, Screen(qv::sm::CxScreen), SourceInfo().ScreenWidth());
  MoveAndSize();
  DialogSucceeded = DialogStep(true);
  Describe(stream);
  return true;
}

void TTaskBarSettings::Describe(TConnection& stream) {
  if (!DialogSucceeded)
    stream.AddComment(
        "Could not retrieve Taskbar settings. Ensure the Taskbar Properties dialog is not open.");
  if (std::find(Checked.begin(), Checked.end(), true) != Checked.end()) {
    stream.AddComment("Task bar settings : ");
    for (std::size_t i = 0; i < Captions.size(); ++i)
      if (Checked[i]) stream.AddComment(Captions[i]);
  }
  stream.AddComment("");
  if (ScreenEdge >= teLeft && ScreenEdge <= teBottom) stream.AddComment(kEdgeLines[ScreenEdge]);
  stream.AddComment("The taskbar is " + std::to_string(Height) + " pixels high and " +
                    std::to_string(Width) + " pixels wide.");
}
