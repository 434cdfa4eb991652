// The folders and drives this computer shares with the network, and the
// network drives the user has mapped to drive letters.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/settings.h"

// "Shared Folders and Drives": between systems of the same kind the whole
// shares key travels; otherwise each share is made again from its name,
// path and remark, read-only and without passwords.
class TSharedSettings : public TSettings {
 public:
  TSharedSettings();
  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;
  bool RequiresRegistryAccess() override { return true; }

  // Fills the name, path and remark lists from the running system's
  // shares key; does nothing without registry access.
  void GatherShares();
  bool CreateShareNT(const std::string& name, const std::string& path, const std::string& remark);
  bool CreateShare9x(const std::string& name, const std::string& path, const std::string& remark);

  const std::vector<std::string>& ShareNames() const { return Names; }

 private:
  void Describe(TConnection& stream);
  // Reads the shares key record; with `apply` writes those of its values
  // that lie inside the shares key into the registry.
  bool ReadSharesKey(TConnection& stream, bool apply);
  // Checks a share read from a settings file and makes it on this system;
  // a share the registry layout cannot hold is reported and left out.
  void CreateShare(TConnection& stream, std::string name, const std::string& path,
                   const std::string& remark);

  std::string SharesKey;
  std::vector<std::string> Names;
  std::vector<std::string> Paths;
  std::vector<std::string> Remarks;
  bool SharesCreated = false;
};

// "Mapped Drives".
class TMappedDrivesSettings : public TSettings {
 public:
  TMappedDrivesSettings();
  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;

  // Fills the lists with the network connections of the letters A: to Z:.
  void GatherDrives();

 private:
  void Describe(TConnection& stream);

  std::vector<std::string> LocalNames;
  std::vector<std::string> RemoteNames;
};

// Where the shares live below HKEY_LOCAL_MACHINE.
inline constexpr const char* kSharesKeyNT = "System\\CurrentControlSet\\Services\\LanmanServer\\Shares";
inline constexpr const char* kSharesKey9x = "Software\\Microsoft\\Windows\\CurrentVersion\\network\\LANMAN";
// The self-relative security descriptor a share made again on Windows NT
// gets: read and execute for Everyone.
std::vector<std::uint8_t> ReadOnlyShareSecurityDescriptor();
// Windows 95/98 serve share names of at most this many characters.
inline constexpr std::size_t kMaxShareName9x = 12;
