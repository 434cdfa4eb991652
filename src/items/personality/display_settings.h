// The screen's display mode, the icon metrics and the window metrics; sizes
// taken from another screen are scaled to this one.
#pragma once

#include <cstdint>

#include "engine/settings.h"
#include "stream/win_structs.h"

// "Display": width, height and colour depth of the screen.
class TScreenSettings : public TSettings {
 public:
  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;
};

// "Icon metrics": the ICONMETRICS structure. A size field of 0 marks a
// structure the source system did not deliver.
class TIconMetricsSettings : public TSettings {
 public:
  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;

 private:
  void Describe(TConnection& stream);

  IconMetrics Metrics;
};

// "Window metrics": minimized windows, non-client areas, window animation,
// the border multiplier and the menu drop alignment.
class TWindowMetricsSettings : public TSettings {
 public:
  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;

 private:
  void Describe(TConnection& stream);

  MinimizedMetrics Minimized;
  NonClientMetrics NonClient;
  AnimationInfo Animation;
  std::uint32_t Border = 0;
  std::uint32_t MenuDropAlignment = 0;
};
