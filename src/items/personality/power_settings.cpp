#include "items/personality/power_settings.h"

#include <string>

#include "items/item_support.h"
#include "platform/system_parameters.h"
#include "stream/connection.h"

namespace {

std::uint32_t AsValue(std::int32_t v) { return static_cast<std::uint32_t>(v); }

void DescribePhase(TConnection& stream, const char* phase, const char* saving,
                   std::uint32_t active, std::uint32_t timeOut) {
  const std::string opening = std::string("The ") + phase + " phase of screen saving is ";
  if (active == kUnreadParameter)
    stream.AddComment(opening + "not enabled on this system");
  else
    stream.AddComment(opening + (active ? "active." : "inactive."));
  if (timeOut != kUnreadParameter)
    stream.AddComment(std::string(saving) + " is activated after " + items::DurationText(timeOut));
}

}  // namespace

bool TPowerSettings::Write(TConnection& stream) {
  LowPowerActive = AsValue(WriteSystemParameter(stream, qv::spi::GetLowPowerActive, "LowPowerActive"));
  LowPowerTimeOut =
      AsValue(WriteSystemParameter(stream, qv::spi::GetLowPowerTimeout, "LowPowerTimeOut"));
  PowerOffActive = AsValue(WriteSystemParameter(stream, qv::spi::GetPowerOffActive, "PowerOffActive"));
  PowerOffTimeOut =
      AsValue(WriteSystemParameter(stream, qv::spi::GetPowerOffTimeout, "PowerOffTimeOut"));
  Describe(stream);
  return true;
}

bool TPowerSettings::Read(TConnection& stream) {
  stream.AddComment("PowerSaver settings:");
  LowPowerActive = AsValue(ReadSystemParameter(stream, qv::spi::SetLowPowerActive, "LowPowerActive"));
  LowPowerTimeOut =
      AsValue(ReadSystemParameter(stream, qv::spi::SetLowPowerTimeout, "LowPowerTimeOut"));
  PowerOffActive = AsValue(ReadSystemParameter(stream, qv::spi::SetPowerOffActive, "PowerOffActive"));
  PowerOffTimeOut =
      AsValue(ReadSystemParameter(stream, qv::spi::SetPowerOffTimeout, "PowerOffTimeOut"));
  Describe(stream);
  return true;
}

void TPowerSettings::Describe(TConnection& stream) {
  DescribePhase(stream, "Low-Power", "Low Power Saving", LowPowerActive, LowPowerTimeOut);
  DescribePhase(stream, "Power-off", "Power-Off Saving", PowerOffActive, PowerOffTimeOut);
}
