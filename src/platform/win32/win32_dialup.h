// The dial-up port on the real API: RASAPI32.DLL loaded at run time (on
// first use) and its functions looked up under their plain names, then with
// "A". The structures travel as their 32-bit ANSI bytes, which is also the
// layout the 64-bit system uses for them (they are packed to 4 bytes and
// hold no pointers).
#pragma once

#include <windows.h>

#include <mutex>

#include "platform/dialup.h"

namespace qv {

class Win32DialUp : public IDialUp {
 public:
  Win32DialUp() = default;
  ~Win32DialUp() override;
  Win32DialUp(const Win32DialUp&) = delete;
  Win32DialUp& operator=(const Win32DialUp&) = delete;

  std::uint64_t LibraryHandle() override;
  bool Has(RasFunction function) override;
  WinError EnumEntries(std::uint32_t room, std::vector<std::string>& names, std::uint32_t& bytes,
                       std::uint32_t& count) override;
  WinError GetEntryProperties(std::string_view name, std::vector<std::uint8_t>& entry,
                              std::uint32_t& size) override;
  WinError SetEntryProperties(std::string_view name,
                              const std::vector<std::uint8_t>& entry) override;
  WinError EnumDevices(std::vector<RasDevice>& devices) override;
  std::string ErrorString(WinError code) override;

 private:
  // Loads the library and looks the functions up, once.
  void Load();
  template <typename Fn>
  Fn Proc(RasFunction function) {
    Load();
    // Through void* so that the function-type cast draws no warning.
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(procs_[static_cast<int>(function)]));
  }

  std::once_flag loaded_;
  HMODULE module_ = nullptr;
  FARPROC procs_[5] = {};
};

}  // namespace qv
