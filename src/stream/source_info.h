// The source-system record: who wrote a settings stream, on which machine,
// which Windows and which screen.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system_info.h"

class TConnection;

class TSourceInfo {
 public:
  // Fills the record from the running machine.
  void Gather();
  // Writes the record of the machine that writes the stream: it is gathered
  // afresh first, so a save after a load never carries the loaded values.
  void Write(TConnection& stream);
  // Reads a record into this object (after a load it holds the source's).
  void Read(TConnection& stream);

  const std::string& UserName() const { return userName_; }
  const std::string& MachineName() const { return machineName_; }
  const std::string& SystemDirectory() const { return systemDirectory_; }
  const std::string& WindowsDirectory() const { return windowsDirectory_; }
  std::int32_t OSVersion() const { return osVersion_; }
  const std::string& OSName() const { return osName_; }
  std::int32_t ScreenWidth() const { return screenWidth_; }
  std::int32_t ScreenHeight() const { return screenHeight_; }
  std::int32_t HorizontalResolution() const { return horizontalResolution_; }
  std::int32_t VerticalResolution() const { return verticalResolution_; }

 private:
  std::string userName_;
  std::string machineName_;
  std::string systemDirectory_;
  std::string windowsDirectory_;
  std::int32_t osVersion_ = -1;
  std::string osName_;
  std::int32_t screenWidth_ = 0;
  std::int32_t screenHeight_ = 0;
  std::int32_t horizontalResolution_ = 0;
  std::int32_t verticalResolution_ = 0;
};

// The OS name text: the platform's name and " %d.%d  Build %d %s".
std::string OSNameText(const qv::OsVersion& version);

// The process-wide record.
TSourceInfo& SourceInfo();
