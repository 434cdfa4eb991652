// The taskbar: the check boxes of its properties dialog, the screen edge it
// is docked at and its size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/settings.h"
#include "platform/system_parameters.h"

namespace qv {
class IDesktop;
}

// "Task bar". The dialog's boxes are read and set by opening the system's
// own Taskbar Properties dialog; the bar is moved and sized by dragging it.
class TTaskBarSettings : public TSettings {
 public:
  TTaskBarSettings();
  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;

  // Screen edges as the payload numbers them.
  enum Edge : std::int32_t { teLeft = 0, teTop = 1, teRight = 2, teBottom = 3 };

 private:
  void Describe(TConnection& stream);
  // Opens the dialog, reads (`set` false) or sets its boxes, closes it.
  bool DialogStep(bool set);
  void PassLog();
  // The edge the bar's window rectangle shows; false without a taskbar.
  bool CurrentEdge(std::int32_t& edge);
  void MoveAndSize();

  qv::IDesktop* Desktop = nullptr;
  bool AutoHide = false;
  bool AlwaysOnTop = false;
  std::vector<std::string> Captions;
  std::vector<bool> Checked;
  bool DialogSucceeded = false;
  std::int32_t ScreenEdge = teBottom;
  std::int32_t Height = 0;
  std::int32_t Width = 0;
  qv::Rect WindowRect;
  qv::Rect ClientRect;
};
