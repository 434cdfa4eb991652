// The two power-saving phases of the screen: low power and power off.
#pragma once

#include <cstdint>

#include "engine/settings.h"

// "Power": each value is the system's, or kUnreadParameter where the source
// system could not deliver it.
class TPowerSettings : public TSettings {
 public:
  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;

 private:
  void Describe(TConnection& stream);

  std::uint32_t LowPowerActive = 0;
  std::uint32_t LowPowerTimeOut = 0;
  std::uint32_t PowerOffActive = 0;
  std::uint32_t PowerOffTimeOut = 0;
};
