// The computer's name and (Windows 95/98) its description. Both take effect
// only after a restart.
#pragma once

#include <string>

#include "engine/settings.h"

// "Computer Name".
class TComputerNameSettings : public TSettings {
 public:
  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;
  bool RequiresRegistryAccess() override { return true; }

 private:
  void Describe(TConnection& stream);

  std::string ComputerName;
};

// "Computer Description": the VNETSUP comment of Windows 95/98; Windows NT
// has none.
class TComputerDescSettings : public TSettings {
 public:
  TComputerDescSettings();
  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;
  bool RequiresRegistryAccess() override { return true; }

 private:
  void Describe(TConnection& stream);

  std::string Description;
};

// Where Windows 95/98 keep the network identity of the computer.
inline constexpr const char* kNetworkSetupKey = "System\\CurrentControlSet\\Services\\VxD\\VNETSUP";
