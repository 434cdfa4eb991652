// The empty desktop's look: the wallpaper (with its bitmap file) and the
// desktop pattern.
#pragma once

#include <string>

#include "engine/settings.h"

// "Wallpaper": the five values under HKEY_CURRENT_USER\Control Panel\Desktop,
// as text, then the bitmap itself as a file record.
class TWallpaperSettings : public TSettings {
 public:
  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;

 private:
  void Describe(TConnection& stream);

  std::string WallPaper;
  std::string TileWallpaper;
  std::string WallPaperStyle;
  std::string WallpaperOriginX;
  std::string WallpaperOriginY;
};

// "Pattern": the desktop pattern, a row of numbers as the registry holds it.
class TPatternSettings : public TSettings {
 public:
  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;

 private:
  void Describe(TConnection& stream);

  std::string Pattern;
};
