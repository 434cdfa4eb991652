// The input devices: the mouse (with the cursor files of its schemes) and the
// keyboard.
#pragma once

#include <cstdint>
#include <string>

#include "engine/settings.h"

// "Mouse": double-click height, width, button swap and time; the three
// mouse-acceleration values; the "Control Panel\Cursors" key with its sub
// keys; then every cursor file that key names, as a file record under its
// path on the source.
class TMouseSettings : public TSettings {
 public:
  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;

 private:
  void Describe(TConnection& stream);
  bool WriteCursorFiles(TConnection& stream);
  bool ReadCursorFiles(TConnection& stream);

  std::int32_t DoubleClickHeight = 0;
  std::int32_t DoubleClickWidth = 0;
  std::int32_t SwapButtons = 0;
  std::int32_t DoubleClickTime = 0;
  std::int32_t Threshold[3] = {0, 0, 0};  // threshold 1, threshold 2, acceleration
};

// "Keyboard": the layout name, repeat delay and speed (SystemParametersInfo
// values), and the caret blink time in milliseconds.
class TKeyboardSettings : public TSettings {
 public:
  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;

 private:
  void Describe(TConnection& stream);

  std::string LayoutName;
  std::int32_t Delay = 0;
  std::int32_t Speed = 0;
  std::uint32_t BlinkTime = 0;
};

namespace items {
// Whether a cursor file path read from a settings file may be written on
// this machine: an absolute path on a drive ("C:\..."), without "." or ".."
// parts or characters no file name can hold, naming a ".cur" or ".ani" file.
bool IsCursorFilePath(const std::string& path);
}  // namespace items
