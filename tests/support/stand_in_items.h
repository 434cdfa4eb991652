// Stand-ins for real settings items in whole-run tests: "Colors" carries a
// registry key, "Wallpaper" one picture file.
#pragma once

#include <string>

#include "engine/file_utils.h"
#include "engine/program.h"
#include "engine/settings.h"
#include "platform/machine.h"
#include "stream/connection.h"
#include "undo/registry_store.h"
#include "undo/undo_manager.h"

namespace qv::test {

inline constexpr const char* kColorsKey = "Control Panel\\Colors";
inline constexpr const char* kPicture = "C:\\Pictures\\Holiday\\sea.bmp";

// Stands in for "Colors": carries HKEY_CURRENT_USER\Control Panel\Colors
// with its sub keys as a key record.
class ColorsKeyItem : public TSettings {
 public:
  bool Write(TConnection& s) override {
    ++writes;
    return TRegistryStore(s, false).WriteKey(hkey::CurrentUser, kColorsKey, true);
  }
  bool Read(TConnection& s) override { return TRegistryStore(s, true).ReadKey(); }
  static inline int writes = 0;
};

// Stands in for "Wallpaper": carries one picture file (whether it exists
// and its contents) and writes it on load, telling the undo manager first.
class PictureItem : public TSettings {
 public:
  bool Write(TConnection& s) override {
    std::string contents = Contents();
    s.WriteBoolean(FileExists(kPicture));
    s.WriteString(contents);
    return true;
  }
  bool Read(TConnection& s) override {
    bool exists = s.ReadBoolean();
    std::string contents = s.ReadString();
    if (!exists) return true;
    UndoManager().RecordFile(kPicture);
    ForceFolders(FolderOf(kPicture));
    return Put(contents);
  }

  static bool Put(const std::string& contents) {
    IFiles& files = CurrentMachine().Files();
    FileHandle h = 0;
    if (files.Open(kPicture, FileAccess::Write, Disposition::CreateAlways, 0, h) != err::Success)
      return false;
    std::uint32_t done = 0;
    files.Write(h, contents.data(), static_cast<std::uint32_t>(contents.size()), done);
    files.Close(h);
    return true;
  }

 private:
  static std::string Contents() {
    IFiles& files = CurrentMachine().Files();
    FileHandle h = 0;
    if (files.Open(kPicture, FileAccess::Read, Disposition::OpenExisting, 0, h) != err::Success)
      return "";
    char buf[256];
    std::uint32_t done = 0;
    files.Read(h, buf, sizeof buf, done);
    files.Close(h);
    return std::string(buf, done);
  }
};

}  // namespace qv::test
