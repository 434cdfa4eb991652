// Dial-up networking: the entries of the default phone book, each with its
// whole entry structure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/settings.h"
#include "platform/win_types.h"

namespace qv {
class IDialUp;
}

// "RAS Networking connections". The Remote Access Service library is
// loaded when the item is made, since dial-up networking may be missing.
class TRASSettings : public TSettings {
 public:
  TRASSettings();
  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;

  bool EnumerateDevices();
  bool EnumerateEntries();
  // Reads an entry into `entry` (made exactly 1768 bytes).
  bool GetEntry(const std::string& name, std::vector<std::uint8_t>& entry);
  // Creates or replaces an entry from its 1768 bytes.
  bool SetEntry(const std::string& name, std::vector<std::uint8_t>& entry);
  void LogRasError(const std::string& prefix, qv::WinError code);

  bool RasInstalled = false;
  bool DevicesPresent = false;
  std::vector<std::string> DeviceNames;
  std::vector<std::string> DeviceTypes;
  std::vector<std::string> Entries;
  std::string ErrorText;

 private:
  void Describe(TConnection& stream);
  void ReportEntryFailure(TConnection& stream, const std::string& name,
                          const std::vector<std::uint8_t>& entry);
  std::string RasErrorText(qv::WinError code);

  qv::IDialUp* ras_ = nullptr;
  std::uint64_t module_ = 0;
  qv::WinError lastSetError_ = 0;
};
