// The Active Desktop: its options, wallpaper, pattern and desktop
// components, through the shell's Active Desktop object.
#pragma once

#include <string>
#include <vector>

#include "engine/settings.h"
#include "platform/active_desktop.h"

// "Active Desktop". The object is opened when the item is made and closed
// when it goes; a machine whose shell cannot make it has no Active Desktop.
class TActiveDesktopSettings : public TSettings {
 public:
  TActiveDesktopSettings();
  ~TActiveDesktopSettings() override;
  TActiveDesktopSettings(const TActiveDesktopSettings&) = delete;
  TActiveDesktopSettings& operator=(const TActiveDesktopSettings&) = delete;

  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;
  // Describes this machine's current Active Desktop.
  virtual void Describe(TConnection& stream);

 private:
  struct DesktopState {
    qv::ComponentsOptions options;
    std::u16string wallpaper;
    qv::WallpaperOptions wallpaperOptions;
    std::u16string pattern;
    std::vector<qv::DesktopComponent> components;
  };

  void ReadCurrentState();
  bool ReadSourceState(TConnection& stream);
  void ApplySourceState();
  void AddComponent(const qv::DesktopComponent& component, int number);
  void LogPosition(const qv::DesktopComponent& component);
  // The component of this machine's pending list with that source.
  bool FindCurrent(const std::u16string& source, qv::DesktopComponent& found);
  void LogFailure(const std::string& call, qv::HResult result);
  std::string Ansi(std::u16string_view text);

  qv::IActiveDesktop* Desktop = nullptr;  // null when not installed
  bool Installed = false;
  bool SourceInstalled = false;
  DesktopState Current;
  DesktopState Source;
};
