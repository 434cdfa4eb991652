// The screen saver: which one runs, after how long, its own settings in
// control.ini and its password state.
#pragma once

#include <cstdint>
#include <string>

#include "engine/settings.h"

// "Screen saver". The password data stored for Windows 95/98 travels as an
// opaque registry value and is written back only on the same kind of
// Windows; every load switches the screen saver on.
class TScreenSaverSettings : public TSettings {
 public:
  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;

 private:
  void Describe(TConnection& stream);
  void WriteSaverSections(TConnection& stream);
  void ReadSaverSections(TConnection& stream);
  bool SaverFileFound() const;

  std::string SaverPath;
  std::uint32_t TimeOut = 0;
  bool PasswordProtected = false;
  bool FileFound = false;
};
