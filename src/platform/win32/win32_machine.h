// The Win32 machine: the ports implemented on the real Windows API (the ANSI
// "A" functions).
#pragma once

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <unordered_map>

#include "platform/machine.h"
#include "platform/prompts.h"
#include "platform/win32/win32_dialup.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_active_desktop.h"
#include "platform/win32/win32_network.h"
#include "platform/win32/win32_profiles.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_spooler.h"
#include "platform/system_parameters.h"

namespace qv {

// Maps the small numbers the ports hand out to the system's handles. Ids
// start at 1 and never have the high bit set (registry roots use it).
// Worker threads share the tables, so every access is locked.
template <typename T>
class HandleTable {
 public:
  std::uint32_t Add(T value) {
    std::lock_guard<std::mutex> lock(mutex_);
    while (next_ == 0 || (next_ & 0x80000000u) != 0 || items_.count(next_) != 0)
      next_ = (next_ + 1) & 0x7FFFFFFFu;
    std::uint32_t id = next_++;
    items_.emplace(id, value);
    return id;
  }
  bool Get(std::uint32_t id, T& value) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = items_.find(id);
    if (it == items_.end()) return false;
    value = it->second;
    return true;
  }
  // Removes the entry and hands its value back.
  bool Take(std::uint32_t id, T& value) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = items_.find(id);
    if (it == items_.end()) return false;
    value = it->second;
    items_.erase(it);
    return true;
  }

 private:
  mutable std::mutex mutex_;
  std::unordered_map<std::uint32_t, T> items_;
  std::uint32_t next_ = 1;
};

class Win32Registry : public IRegistry {
 public:
  WinError OpenKey(RegKey parent, std::string_view subKey, RegAccess access,
                   RegKey& result) override;
  WinError CreateKey(RegKey parent, std::string_view subKey, RegKey& result,
                     bool* created = nullptr) override;
  WinError CloseKey(RegKey key) override;
  WinError QueryValue(RegKey key, std::string_view name, std::uint32_t* type,
                      std::uint8_t* data, std::uint32_t* size) override;
  WinError SetValue(RegKey key, std::string_view name, std::uint32_t type,
                    const std::uint8_t* data, std::uint32_t size) override;
  WinError DeleteValue(RegKey key, std::string_view name) override;
  WinError DeleteKey(RegKey parent, std::string_view subKey) override;
  WinError EnumKey(RegKey key, std::uint32_t index, std::string& name) override;
  WinError EnumValue(RegKey key, std::uint32_t index, std::string& name, std::uint32_t* type,
                     std::vector<std::uint8_t>* data) override;
  WinError QueryInfoKey(RegKey key, std::uint32_t* subKeys, std::uint32_t* values) override;

 private:
  // The system handle for a root or an open key; false for an unknown id.
  bool Resolve(RegKey key, HKEY& hkey) const;

  HandleTable<HKEY> keys_;
};

class Win32Files : public IFiles {
 public:
  WinError Attributes(std::string_view path, std::uint32_t& attributes) override;
  WinError SetAttributes(std::string_view path, std::uint32_t attributes) override;
  WinError QueryInfo(std::string_view path, FileInfo& info) override;
  WinError Open(std::string_view path, FileAccess access, Disposition disposition,
                std::uint32_t attributes, FileHandle& handle) override;
  WinError Close(FileHandle handle) override;
  WinError Read(FileHandle handle, void* buffer, std::uint32_t count,
                std::uint32_t& done) override;
  WinError Write(FileHandle handle, const void* buffer, std::uint32_t count,
                 std::uint32_t& done) override;
  WinError Seek(FileHandle handle, std::int64_t offset, SeekOrigin origin,
                std::uint64_t* position = nullptr) override;
  WinError Size(FileHandle handle, std::uint64_t& size) override;
  WinError Truncate(FileHandle handle) override;
  WinError Times(FileHandle handle, FileTimes& times) override;
  WinError SetTimes(FileHandle handle, const FileTime* creation, const FileTime* lastAccess,
                    const FileTime* lastWrite) override;
  WinError Remove(std::string_view path) override;
  WinError Rename(std::string_view from, std::string_view to) override;
  WinError MakeFolder(std::string_view path) override;
  WinError RemoveFolder(std::string_view path) override;
  WinError FindFirst(std::string_view pattern, FindHandle& handle, FileInfo& info) override;
  WinError FindNext(FindHandle handle, FileInfo& info) override;
  WinError FindClose(FindHandle handle) override;
  WinError DiskFreeSpace(std::string_view root, std::uint64_t& freeBytes,
                         std::uint64_t& totalBytes) override;
  WinError TempFolder(std::string& path) override;
  WinError CurrentFolder(std::string& path) override;
  WinError SetCurrentFolder(std::string_view path) override;

 private:
  HandleTable<HANDLE> files_;
  HandleTable<HANDLE> finds_;
};

class Win32System : public ISystemInfo {
 public:
  WinError Version(OsVersion& version) override;
  WinError UserName(std::string& name) override;
  WinError ComputerName(std::string& name) override;
  WinError SystemFolder(std::string& path) override;
  WinError WindowsFolder(std::string& path) override;
  int Metric(int index) override;
  int DeviceCaps(int index) override;
  WinError LastError() override;
  void SetLastError(WinError code) override;
  std::string ErrorMessage(WinError code) override;
  std::string DateTimeText() override;
  std::string FileTimeText(FileTime time) override;
};

// SystemParametersInfoA and its neighbours. Structures travel as their
// 32-bit ANSI bytes and are converted to the running system's layout.
class Win32SystemParameters : public ISystemParameters {
 public:
  bool Parameter(unsigned action, std::uint32_t uiParam, std::int32_t* value,
                 unsigned winIni) override;
  bool ParameterBlock(unsigned action, std::uint32_t uiParam, std::vector<std::uint8_t>& block,
                      unsigned winIni, ParameterTexts* texts = nullptr) override;
  bool ParameterText(unsigned action, std::uint32_t uiParam, const std::string* text,
                     unsigned winIni) override;
  std::uint32_t SysColor(int index) override;
  WinError ChangeSysColors(const std::vector<int>& indices,
                           const std::vector<std::uint32_t>& colors) override;
  WinError CurrentDisplayMode(DisplayMode& mode) override;
  std::vector<DisplayMode> DisplayModes() override;
  std::int32_t ChangeDisplayMode(const DisplayMode& mode, std::uint32_t flags) override;
  WinError KeyboardLayoutName(std::string& name) override;
  WinError LoadKeyboardLayoutByName(std::string_view name, std::uint32_t flags) override;
  WinError LocaleText(std::uint32_t locale, std::uint32_t type, std::string& text) override;
  std::uint32_t DoubleClickTime() override;
  WinError ChangeDoubleClickTime(std::uint32_t milliseconds) override;
  std::uint32_t CaretBlinkTime() override;
  WinError ChangeCaretBlinkTime(std::uint32_t milliseconds) override;
  WinError CursorPosition(Point& position) override;
  WinError MoveCursor(Point position) override;
  void BroadcastSettingChange() override;
};

class Win32Prompts : public IPrompts {
 public:
  int ShowMessage(std::string_view text, std::string_view caption, std::uint32_t style) override;
  bool KeyDown(int virtualKey) override;
};

class Win32Machine : public Machine {
 public:
  IRegistry& Registry() override;
  IFiles& Files() override;
  ISystemInfo& System() override;
  IPrompts* Prompts() override;
  ISystemParameters* SystemParameters() override;
  IProfiles* Profiles() override;
  IShell* Shell() override;
  INetwork* Network() override;
  ISpooler* Spooler() override;
  IDialUp* DialUp() override;
  IActiveDesktop* ActiveDesktop() override;
  IDesktop* Desktop() override;

  // The program's main window, which owns what the system shows for the
  // machine's ports; null when there is none.
  void SetMainWindow(HWND window);

 private:
  Win32Registry registry_;
  Win32Files files_;
  Win32System system_;
  Win32Prompts prompts_;
  Win32SystemParameters parameters_;
  Win32Profiles profiles_;
  Win32Shell shell_;
  Win32Network network_;
  Win32Spooler spooler_;
  Win32DialUp dialup_;
  Win32ActiveDesktop activeDesktop_;
  Win32Desktop desktop_;
};

}  // namespace qv
