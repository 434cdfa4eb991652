// The in-memory machine's Active Desktop: installed or not, what the
// desktop shows, and the COM object's pending changes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/active_desktop.h"
#include "platform/memory/memory_machine.h"

namespace qv::mem {

struct ActiveDesktopState {
  ActiveDesktopSetup shown;              // as the last ApplyChanges left it
  std::vector<std::uint32_t> applies;    // the flags of each ApplyChanges
  std::uint32_t nextId = 1;              // for components added
};

// The Active Desktop object as the shell's in-process server behaves: Open
// fails with REGDB_E_CLASSNOTREG where it is not installed; the Get calls
// read, and the Set, Add, Modify and Remove calls change, the object's own
// copy of the state, which ApplyChanges makes the desktop's. AddItem refuses
// a component whose size is not that of a COMPONENT (E_INVALIDARG) or whose
// source is on the desktop already (E_FAIL); ModifyItem and RemoveItem find
// the component by its source and fail with E_FAIL when none has it.
class MemoryActiveDesktop : public IActiveDesktop {
 public:
  explicit MemoryActiveDesktop(MemoryMachine::State& s) : s_(s) {}
  HResult Open() override;
  void Close() override;
  HResult GetOptions(ComponentsOptions& options) override;
  HResult SetOptions(const ComponentsOptions& options) override;
  HResult GetWallpaper(std::u16string& path) override;
  HResult SetWallpaper(std::u16string_view path) override;
  HResult GetWallpaperOptions(WallpaperOptions& options) override;
  HResult SetWallpaperOptions(const WallpaperOptions& options) override;
  HResult GetPattern(std::u16string& pattern) override;
  HResult SetPattern(std::u16string_view pattern) override;
  HResult ItemCount(int& count) override;
  HResult GetItem(int index, DesktopComponent& component) override;
  HResult AddItem(const DesktopComponent& component) override;
  HResult ModifyItem(const DesktopComponent& component, std::uint32_t flags) override;
  HResult RemoveItem(const DesktopComponent& component) override;
  HResult ApplyChanges(std::uint32_t flags) override;
  std::string ToAnsi(std::u16string_view text) override;

 private:
  DesktopComponent* Find(std::u16string_view source);

  MemoryMachine::State& s_;
  bool open_ = false;
  ActiveDesktopSetup pending_;
};

// A fresh machine: Windows 98 comes with the Active Desktop (switched off,
// no components); Windows 95 and NT do not have it.
void InitializeActiveDesktop(MemoryMachine::State& state);
// Readable lines for the differences between two machines' desktops.
void CompareActiveDesktops(const ActiveDesktopState& a, const ActiveDesktopState& b,
                           std::vector<std::string>& out);

}  // namespace qv::mem
