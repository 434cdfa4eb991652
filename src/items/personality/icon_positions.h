// The positions of the desktop icons: saved after the desktop folder and
// applied after it, scaled to this screen and kept clear of a taskbar at
// the left or top edge. Windows NT neither saves nor applies them: the
// desktop list view lives in the shell's own process there.
#pragma once

#include <cstdint>

class TConnection;

// Whether the desktop list view ("Progman" / "Program Manager", its
// "SHELLDLL_DefView" child, that one's "SysListView32" child) is there.
bool FindDesktopListView();

bool WriteIconPositions(TConnection& stream);
bool ReadIconPositions(TConnection& stream);

// Where an icon saved at (x, y) on a source screen goes on this one.
struct IconPlacement {
  std::int32_t screenWidth = 0;   // SM_CXSCREEN
  std::int32_t screenHeight = 0;  // SM_CYSCREEN
  std::int32_t iconWidth = 0;     // SM_CXICON
  std::int32_t iconHeight = 0;    // SM_CYICON
  std::int32_t sourceWidth = 0;   // the source's screen, from its system record
  std::int32_t sourceHeight = 0;
  std::int32_t leftMargin = 0;    // a taskbar docked at the left
  std::int32_t topMargin = 0;     // a taskbar docked at the top
};
void PlaceIcon(const IconPlacement& placement, std::int32_t& x, std::int32_t& y);

// The left and top taskbar margins of this machine's screen.
void TaskbarMargins(std::int32_t& left, std::int32_t& top);
