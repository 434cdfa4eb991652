#include "items/personality/display_settings.h"

#include <cstdio>
#include <string>
#include <vector>

#include "engine/debug_log.h"
#include "engine/messages.h"
#include "engine/status.h"
#include "items/item_support.h"
#include "platform/machine.h"
#include "platform/system_info.h"
#include "platform/system_parameters.h"
#include "stream/connection.h"

namespace {

constexpr unsigned kApply = qv::spif::UpdateIniFile | qv::spif::SendWinIniChange;

qv::ISystemParameters* Parameters() { return qv::CurrentMachine().SystemParameters(); }

// Asks the system for a structure (its size field already set); false when
// the call fails.
template <class Structure>
bool GetStructure(unsigned action, std::uint32_t uiParam, Structure& out) {
  std::vector<std::uint8_t> block = out.ToBytes();
  qv::ISystemParameters* parameters = Parameters();
  if (!parameters || !parameters->ParameterBlock(action, uiParam, block, 0)) return false;
  return Structure::FromBytes(block, out);
}

template <class Structure>
bool SetStructure(unsigned action, std::uint32_t uiParam, const Structure& value,
                  unsigned winIni) {
  std::vector<std::uint8_t> block = value.ToBytes();
  qv::ISystemParameters* parameters = Parameters();
  return parameters && parameters->ParameterBlock(action, uiParam, block, winIni);
}

bool SetFont(unsigned action, const LogFont& font, unsigned winIni) {
  StructWriter w;
  font.Encode(w);
  std::vector<std::uint8_t> block = w.bytes();
  qv::ISystemParameters* parameters = Parameters();
  return parameters &&
         parameters->ParameterBlock(action, qv::spisize::LogFont, block, winIni);
}

// The structure's bytes as they lie in memory, without a length.
template <class Structure>
void WriteStructure(TConnection& stream, const Structure& value) {
  const std::vector<std::uint8_t> bytes = value.ToBytes();
  stream.WriteBuffer(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

// Reads a structure's bytes. Its size field must be 0 (not delivered) or
// the structure's own size: anything else comes from a damaged or crafted
// file, and the structure is then taken as not delivered.
template <class Structure>
void ReadStructure(TConnection& stream, Structure& out, const char* name) {
  std::vector<std::uint8_t> bytes(Structure::kSize, 0);
  stream.ReadBuffer(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
  Structure::FromBytes(bytes, out);
  if (out.cbSize != 0 && out.cbSize != Structure::kSize) {
    DebugLog(std::string(name) + " not applied: size field " + std::to_string(out.cbSize) +
             " instead of " + std::to_string(Structure::kSize));
    out.cbSize = 0;
  }
}

std::string DisplayText(const char* format, std::int32_t width, std::int32_t height,
                        std::int32_t bits) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, format, width, height, bits);
  return buffer;
}

void ScaleFont(LogFont& font) {
  font.height = items::Scaled(font.height, VerticalScaleFactor);
}

}  // namespace

// ---------------------------------------------------------------------------
// Display

bool TScreenSettings::Write(TConnection& stream) {
  qv::ISystemInfo& system = qv::CurrentMachine().System();
  const std::int32_t width = system.DeviceCaps(qv::caps::HorzRes);
  const std::int32_t height = system.DeviceCaps(qv::caps::VertRes);
  const std::int32_t bits = system.DeviceCaps(qv::caps::BitsPixel);
  stream.WriteInteger(width, "Width");
  stream.WriteInteger(height, "Height");
  stream.WriteInteger(bits, "BitsPerPixel");
  stream.AddComment("Screen width  : " + std::to_string(width) + " pixels");
  stream.AddComment("Screen height : " + std::to_string(height) + " pixels");
  stream.AddComment("Color depth   : " + std::to_string(bits) + " bits per pixel");
  return true;
}

bool TScreenSettings::Read(TConnection& stream) {
  const std::int32_t width = stream.ReadInteger("Width");
  const std::int32_t height = stream.ReadInteger("Height");
  const std::int32_t bits = stream.ReadInteger("BitsPerPixel");
  qv::DisplayMode mode;
  mode.fields = qv::dm::PelsWidth | qv::dm::PelsHeight | qv::dm::BitsPerPel;
  mode.pelsWidth = static_cast<std::uint32_t>(width);
  mode.pelsHeight = static_cast<std::uint32_t>(height);
  mode.bitsPerPel = static_cast<std::uint32_t>(bits);

  qv::ISystemParameters* parameters = Parameters();
  const std::int32_t result =
      parameters ? parameters->ChangeDisplayMode(mode, qv::cds::Test) : qv::disp::Failed;
  auto report = [&](const char* format) {
    stream.AddComment(DisplayText(format, width, height, bits));
  };
  switch (result) {
    case qv::disp::Successful:
      report("Display settings have been changed to %d X %d pixels, color depth %d bits per pixel.");
      parameters->ChangeDisplayMode(mode, qv::cds::UpdateRegistry);
      break;
    case qv::disp::Restart:
      report("Display settings have been set to %d X %d pixels, color depth %d bits per pixel.");
      stream.AddComment("Display settings will not take effect until the system is restarted.");
      parameters->ChangeDisplayMode(mode, qv::cds::UpdateRegistry);
      break;
    case qv::disp::Failed:
    case qv::disp::BadMode:
    case qv::disp::NotUpdated:
    case qv::disp::BadFlags:
      report("Display settings could not be changed to the requested resolution of %d X %d "
             "pixels, color depth %d bits per pixel.");
      break;
    default: {
      const std::string line = DisplayText(
          result == qv::disp::BadParam
              ? "An error occurred changing display settings to %d X %d pixels, color depth %d "
                "bits per pixel."
              : "An unknown error occurred changing display settings to %d X %d pixels, color "
                "depth %d bits per pixel.",
          width, height, bits);
      const std::string reason = SystemErrorText(qv::CurrentMachine().System().LastError());
      stream.AddComment(line);
      stream.AddComment(reason);
      DebugLog(line);
      DebugLog(reason);
      break;
    }
  }
  return true;
}

// ---------------------------------------------------------------------------
// Icon metrics

bool TIconMetricsSettings::Write(TConnection& stream) {
  Metrics = IconMetrics{};
  if (!GetStructure(qv::spi::GetIconMetrics, 0, Metrics)) {
    stream.AddComment("Error retrieving IconMetrics");
    LogSystemParameterFailure(qv::spi::GetIconMetrics);
    Metrics = IconMetrics{};
    Metrics.cbSize = 0;
  }
  WriteStructure(stream, Metrics);
  Describe(stream);
  return true;
}

bool TIconMetricsSettings::Read(TConnection& stream) {
  ReadStructure(stream, Metrics, "IconMetrics");
  if (Metrics.cbSize != 0) {
    Metrics.horzSpacing = items::Scaled(Metrics.horzSpacing, HorizontalScaleFactor);
    Metrics.vertSpacing = items::Scaled(Metrics.vertSpacing, VerticalScaleFactor);
    StatusWindow().SetActionText("Updating display...");
    if (!SetStructure(qv::spi::SetIconMetrics, 0, Metrics, kApply))
      LogSystemParameterFailure(qv::spi::SetIconMetrics);
    // Only the icon title's own call carries the scaled font.
    ScaleFont(Metrics.font);
    Metrics.font.width = items::Scaled(Metrics.font.width, HorizontalScaleFactor);
    if (!SetFont(qv::spi::SetIconTitleLogFont, Metrics.font, kApply))
      LogSystemParameterFailure(qv::spi::SetIconTitleLogFont);
  }
  Describe(stream);
  RestartRequired = true;
  return true;
}

void TIconMetricsSettings::Describe(TConnection& stream) {
  if (Metrics.cbSize == 0) return;
  stream.AddComment("Icon font is " + Metrics.font.faceName);
  const std::int64_t height = Metrics.font.height;
  std::int64_t points = -height;
  if (height >= 0) {
    // Points from pixels at the screen's resolution (a screen that reports
    // none counts as 96 pixels per inch).
    std::int64_t dpi = qv::CurrentMachine().System().DeviceCaps(qv::caps::LogPixelsY);
    if (dpi <= 0) dpi = 96;
    points = height * 72 / dpi;
  }
  stream.AddComment("Icon font size is " + std::to_string(points) + " points");
  stream.AddComment("Icon horizontal spacing is " + std::to_string(Metrics.horzSpacing));
  stream.AddComment("Icon vertical spacing is " + std::to_string(Metrics.vertSpacing));
}

// ---------------------------------------------------------------------------
// Window metrics

bool TWindowMetricsSettings::Write(TConnection& stream) {
  Minimized = MinimizedMetrics{};
  if (!GetStructure(qv::spi::GetMinimizedMetrics, MinimizedMetrics::kSize, Minimized)) {
    LogSystemParameterFailure(qv::spi::GetMinimizedMetrics);
    Minimized = MinimizedMetrics{};
    Minimized.cbSize = 0;
  }
  NonClient = NonClientMetrics{};
  if (!GetStructure(qv::spi::GetNonClientMetrics, 0, NonClient)) {
    LogSystemParameterFailure(qv::spi::GetNonClientMetrics);
    NonClient = NonClientMetrics{};
    NonClient.cbSize = 0;
  }
  Animation = AnimationInfo{};
  if (!GetStructure(qv::spi::GetAnimation, 0, Animation)) {
    LogSystemParameterFailure(qv::spi::GetAnimation);
    Animation = AnimationInfo{};
    Animation.cbSize = 0;
  }
  WriteStructure(stream, Minimized);
  WriteStructure(stream, NonClient);
  WriteStructure(stream, Animation);
  Border = static_cast<std::uint32_t>(WriteSystemParameter(stream, qv::spi::GetBorder, "Border"));
  MenuDropAlignment = static_cast<std::uint32_t>(
      WriteSystemParameter(stream, qv::spi::GetMenuDropAlignment, "MenuDropAlignment"));
  Describe(stream);
  return true;
}

bool TWindowMetricsSettings::Read(TConnection& stream) {
  ReadStructure(stream, Minimized, "MinimizedMetrics");
  ReadStructure(stream, NonClient, "NonClientMetrics");
  ReadStructure(stream, Animation, "AnimationInfo");
  Border = static_cast<std::uint32_t>(ReadSystemParameter(stream, qv::spi::SetBorder, "Border"));
  MenuDropAlignment = static_cast<std::uint32_t>(
      ReadSystemParameter(stream, qv::spi::SetMenuDropAlignment, "MenuDropAlignment"));

  const double h = HorizontalScaleFactor;
  const double v = VerticalScaleFactor;
  if (Minimized.cbSize != 0) {
    Minimized.width = items::Scaled(Minimized.width, h);
    Minimized.horzGap = items::Scaled(Minimized.horzGap, h);
    Minimized.vertGap = items::Scaled(Minimized.vertGap, v);
    if (!SetStructure(qv::spi::SetMinimizedMetrics, 0, Minimized, qv::spif::UpdateIniFile)) {
      Minimized.cbSize = 0;
      LogSystemParameterFailure(qv::spi::SetMinimizedMetrics);
    }
  }
  if (NonClient.cbSize != 0) {
    for (std::int32_t* width : {&NonClient.borderWidth, &NonClient.scrollWidth,
                                &NonClient.captionWidth, &NonClient.smCaptionWidth,
                                &NonClient.menuWidth})
      *width = items::Scaled(*width, h);
    for (std::int32_t* height : {&NonClient.scrollHeight, &NonClient.captionHeight,
                                 &NonClient.smCaptionHeight, &NonClient.menuHeight})
      *height = items::Scaled(*height, v);
    for (LogFont* font : {&NonClient.captionFont, &NonClient.smCaptionFont, &NonClient.menuFont,
                          &NonClient.statusFont, &NonClient.messageFont})
      ScaleFont(*font);
    if (!SetStructure(qv::spi::SetNonClientMetrics, 0, NonClient, qv::spif::UpdateIniFile)) {
      LogSystemParameterFailure(qv::spi::SetNonClientMetrics);
      NonClient.cbSize = 0;
    }
  }
  if (Animation.cbSize != 0 &&
      !SetStructure(qv::spi::SetAnimation, 0, Animation, qv::spif::UpdateIniFile))
    LogSystemParameterFailure(qv::spi::SetAnimation);
  if (Border != kUnreadParameter) {
    const std::int32_t scaled = items::Scaled(static_cast<std::int32_t>(Border), v);
    qv::ISystemParameters* parameters = Parameters();
    if (parameters && parameters->Parameter(qv::spi::SetBorder, static_cast<std::uint32_t>(scaled),
                                            nullptr, qv::spif::UpdateIniFile)) {
      Border = static_cast<std::uint32_t>(scaled);
    } else {
      LogSystemParameterFailure(qv::spi::SetBorder);
      Border = kUnreadParameter;
    }
  }
  Describe(stream);
  SettingChangePending = true;
  return true;
}

void TWindowMetricsSettings::Describe(TConnection& stream) {
  auto pixels = [](std::int32_t v) { return std::to_string(v) + " pixels"; };
  auto font = [&](const std::string& label, const LogFont& f) {
    stream.AddComment(label + " font : " + f.faceName);
    stream.AddComment(label + " font size : " + std::to_string(f.height));
  };
  const NonClientMetrics& n = NonClient;
  stream.AddComment("Minimized window metrics :");
  stream.AddComment("Width of minimized windows : " + pixels(Minimized.width));
  stream.AddComment("Horizontal spacing  : " + pixels(Minimized.horzGap));
  stream.AddComment("Vertical spacing  : " + pixels(Minimized.vertGap));
  stream.AddComment("");
  stream.AddComment("Non-Client metrics :");
  stream.AddComment("Width of sizing border : " + pixels(n.borderWidth));
  stream.AddComment("Width of a standard vertical scroll bar : " + pixels(n.scrollWidth));
  stream.AddComment("Height of a standard horizontal scroll bar : " + pixels(n.scrollHeight));
  stream.AddComment("Width of caption buttons : " + pixels(n.captionWidth));
  stream.AddComment("Height of caption buttons : " + pixels(n.captionHeight));
  font("Caption", n.captionFont);
  stream.AddComment("Width of small caption buttons : " + pixels(n.smCaptionWidth));
  stream.AddComment("Height of small caption buttons : " + pixels(n.smCaptionHeight));
  stream.AddComment("Width of menu-bar buttons : " + pixels(n.menuWidth));
  stream.AddComment("Height of menu-bar buttons : " + pixels(n.menuHeight));
  font("Menu", n.menuFont);
  font("Status", n.statusFont);
  font("Message box", n.messageFont);
  stream.AddComment("");
  stream.AddComment(Animation.minAnimate != 0 ? "Window animation is enabled"
                                              : "Window animation is disabled");
  stream.AddComment(MenuDropAlignment != 0 ? "Pop-up menus are right-aligned"
                                           : "Pop-up menus are left-aligned");
}
