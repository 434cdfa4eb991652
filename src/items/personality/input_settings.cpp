#include "items/personality/input_settings.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>
#include <vector>

#include "engine/debug_log.h"
#include "engine/file_utils.h"
#include "engine/program.h"
#include "items/item_support.h"
#include "platform/machine.h"
#include "platform/registry.h"
#include "platform/system_info.h"
#include "platform/system_parameters.h"
#include "registry/reg_utils.h"
#include "stream/connection.h"
#include "stream/file_transfer.h"
#include "stream/win_structs.h"
#include "undo/registry_store.h"
#include "undo/undo_manager.h"

namespace {

constexpr const char* kCursorsKey = "Control Panel\\Cursors";
constexpr const char* kCursorSchemesKey = "Control Panel\\Cursors\\Schemes";
constexpr const char* kInternationalKey = "Control Panel\\International";
constexpr std::uint32_t kLanguageBuffer = 128;  // GetLocaleInfo's buffer, terminator included

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The string values (REG_SZ, REG_EXPAND_SZ) of a key, or nothing when the
// key does not open.
std::vector<std::string> StringValues(qv::IRegistry& registry, const char* keyPath) {
  std::vector<std::string> values;
  qv::RegKey key = 0;
  if (registry.OpenKey(qv::hkey::CurrentUser, keyPath, qv::RegAccess::Read, key) !=
      qv::err::Success)
    return values;
  qv::RegKeyCloser closer(registry, key);
  std::string name;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  for (std::uint32_t i = 0; registry.EnumValue(key, i, name, &type, &data) == qv::err::Success;
       ++i) {
    if (type != qv::regtype::Sz && type != qv::regtype::ExpandSz) continue;
    std::string text(data.begin(), data.end());
    std::size_t zero = text.find('\0');
    if (zero != std::string::npos) text.resize(zero);
    values.push_back(text);
  }
  return values;
}

// The value names of a key, in the registry's order.
std::vector<std::string> ValueNames(qv::IRegistry& registry, qv::RegKey key) {
  std::vector<std::string> names;
  std::string name;
  for (std::uint32_t i = 0; registry.EnumValue(key, i, name, nullptr, nullptr) == qv::err::Success;
       ++i)
    names.push_back(name);
  return names;
}

// Every cursor file named by the cursor key and its schemes: comma-separated
// parts that name an existing file, in lower case, sorted, each once.
std::vector<std::string> CursorFiles() {
  qv::IRegistry& registry = qv::CurrentMachine().Registry();
  std::set<std::string> files;
  for (const char* keyPath : {kCursorsKey, kCursorSchemesKey}) {
    for (const std::string& value : StringValues(registry, keyPath)) {
      std::size_t start = 0;
      while (start <= value.size()) {
        std::size_t comma = value.find(',', start);
        if (comma == std::string::npos) comma = value.size();
        std::string part = value.substr(start, comma - start);
        if (!part.empty() && FileExists(part)) files.insert(Lower(part));
        start = comma + 1;
      }
    }
  }
  return std::vector<std::string>(files.begin(), files.end());
}

bool EndsWith(const std::string& text, const char* ending) {
  const std::string e(ending);
  return text.size() > e.size() && text.compare(text.size() - e.size(), e.size(), e) == 0;
}

}  // namespace

namespace items {

bool IsCursorFilePath(const std::string& path) {
  // "X:\" and at least one name after it.
  if (path.size() < 4 || !std::isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':' ||
      (path[2] != '\\' && path[2] != '/'))
    return false;
  std::string part;
  for (std::size_t i = 3; i <= path.size(); ++i) {
    const char c = i < path.size() ? path[i] : '\\';
    if (c == '\\' || c == '/') {
      if (part.empty() || part == "." || part == "..") return false;
      // Windows drops trailing dots and blanks: "..." or ".. " would climb
      // as well.
      if (part.find_first_not_of(". ") == std::string::npos) return false;
      part.clear();
      continue;
    }
    if (static_cast<unsigned char>(c) < 32 ||
        std::string_view(":*?\"<>|").find(c) != std::string_view::npos)
      return false;
    part += c;
  }
  const std::string lower = Lower(path);
  return EndsWith(lower, ".cur") || EndsWith(lower, ".ani");
}

}  // namespace items

// ---------------------------------------------------------------------------
// Mouse

bool TMouseSettings::Write(TConnection& stream) {
  qv::Machine& machine = qv::CurrentMachine();
  qv::ISystemInfo& system = machine.System();
  DoubleClickHeight = system.Metric(qv::sm::CyDoubleClk);
  DoubleClickWidth = system.Metric(qv::sm::CxDoubleClk);
  SwapButtons = system.Metric(qv::sm::SwapButton);
  qv::ISystemParameters* parameters = machine.SystemParameters();
  std::vector<std::uint8_t> block(qv::spisize::MouseBlock, 0);
  if (parameters && parameters->ParameterBlock(qv::spi::GetMouse, 0, block, 0)) {
    StructReader r(block);
    for (std::int32_t& v : Threshold) v = r.I32();
  } else {
    LogSystemParameterFailure(qv::spi::GetMouse);
    Threshold[0] = static_cast<std::int32_t>(kUnreadParameter);
    Threshold[1] = Threshold[2] = 0;
  }
  DoubleClickTime = parameters ? static_cast<std::int32_t>(parameters->DoubleClickTime()) : 0;

  stream.WriteInteger(DoubleClickHeight, "DoubleClickHeight");
  stream.WriteInteger(DoubleClickWidth, "DoubleClickWidth");
  stream.WriteInteger(SwapButtons, "SwapButtons");
  stream.WriteInteger(DoubleClickTime, "DoubleClickTime");
  StructWriter w;
  for (std::int32_t v : Threshold) w.I32(v);
  stream.WriteBuffer(w.bytes().data(), static_cast<std::uint32_t>(w.bytes().size()));
  DebugLog("Mouse Threshold values : " + std::to_string(Threshold[0]) + " " +
           std::to_string(Threshold[1]) + " " + std::to_string(Threshold[2]));

  const bool result = WriteCursorFiles(stream);
  if (!result) return false;
  Describe(stream);
  return result;
}

bool TMouseSettings::WriteCursorFiles(TConnection& stream) {
  TRegistryStore store(stream, false);
  store.WriteKey(qv::hkey::CurrentUser, kCursorsKey, true);
  const std::vector<std::string> files = CursorFiles();
  stream.WriteInteger(static_cast<std::int32_t>(files.size()), "CursorFileCount");
  TFileWriter writer(stream);
  for (const std::string& path : files) {
    DebugLog(path);
    stream.WriteString(path, "CursorFile");
    if (!writer.WriteFile(path)) {
      stream.AddComment("Error : " + writer.ErrorMessage());
      return false;
    }
  }
  return true;
}

bool TMouseSettings::Read(TConnection& stream) {
  DoubleClickHeight = ReadSystemParameter(stream, qv::spi::SetDoubleClkHeight, "DoubleClickHeight");
  DoubleClickWidth = ReadSystemParameter(stream, qv::spi::SetDoubleClkWidth, "DoubleClickWidth");
  SwapButtons = ReadSystemParameter(stream, qv::spi::SetMouseButtonSwap, "SwapButtons");
  DoubleClickTime = ReadSystemParameter(stream, qv::spi::SetDoubleClickTime, "DoubleClickTime");

  std::vector<std::uint8_t> block(qv::spisize::MouseBlock, 0);
  stream.ReadBuffer(block.data(), static_cast<std::uint32_t>(block.size()));
  StructReader r(block);
  for (std::int32_t& v : Threshold) v = r.I32();
  if (static_cast<std::uint32_t>(Threshold[0]) != kUnreadParameter) {
    qv::ISystemParameters* parameters = qv::CurrentMachine().SystemParameters();
    if (!parameters ||
        !parameters->ParameterBlock(qv::spi::SetMouse, 0, block, qv::spif::UpdateIniFile))
      LogSystemParameterFailure(qv::spi::SetMouse);
  }

  if (!ReadCursorFiles(stream)) return false;
  SettingChangePending = true;
  Describe(stream);
  return true;
}

bool TMouseSettings::ReadCursorFiles(TConnection& stream) {
  TRegistryStore store(stream, true);
  // The record names its own key paths: only the cursors are written.
  store.Confine(qv::hkey::CurrentUser, kCursorsKey, true);
  store.ReadKey();
  const std::int32_t count = stream.ReadInteger("CursorFileCount");
  if (count < 0) {
    stream.AddComment("Error : invalid number of cursor files " + std::to_string(count));
    return false;
  }
  // Each entry holds at least a string length and a file header.
  stream.RequireAvailable(static_cast<std::uint64_t>(count) * 8u);
  // An existing cursor file that is the same or newer stays, except when
  // undo puts the captured files back as they were.
  const bool compare = !UndoManager().Restoring();
  TFileReader reader(stream, compare, compare);
  for (std::int32_t i = 0; i < count; ++i) {
    const std::string path = stream.ReadString("CursorFile");
    DebugLog(path);
    if (!items::IsCursorFilePath(path)) {
      // The name comes from another machine: only cursor files are written,
      // and only where the name says.
      stream.AddComment("The cursor file " + path +
                        " has not been copied: it is not a cursor file name.");
      if (!reader.SkipFile()) {
        stream.AddComment("Error : " + reader.ErrorMessage());
        return false;
      }
      continue;
    }
    UndoManager().RecordFile(path);
    if (!reader.ReadFile(false, path)) {
      stream.AddComment("Error : " + reader.ErrorMessage());
      return false;
    }
  }
  return true;
}

void TMouseSettings::Describe(TConnection& stream) {
  stream.AddComment("The double click region is " + std::to_string(DoubleClickHeight) +
                    " pixels high and " + std::to_string(DoubleClickWidth) + " pixels wide.");
  if (SwapButtons != 0)
    stream.AddComment("Mouse buttons are swapped (Left-handed usage) ");
  else
    stream.AddComment("Mouse buttons are not swapped (Right-handed usage)");
  stream.AddComment("The double click time is " + std::to_string(DoubleClickTime) + " ms.");
  stream.AddComment("");
  qv::IRegistry& registry = qv::CurrentMachine().Registry();
  qv::RegKey key = 0;
  if (registry.OpenKey(qv::hkey::CurrentUser, kCursorSchemesKey, qv::RegAccess::Full, key) ==
      qv::err::Success) {
    qv::RegKeyCloser closer(registry, key);
    stream.AddComment("The following cursor schemes have been found on this system:");
    stream.AddComment("");
    for (const std::string& name : ValueNames(registry, key)) stream.AddComment(name);
  }
}

// ---------------------------------------------------------------------------
// Keyboard

bool TKeyboardSettings::Write(TConnection& stream) {
  qv::ISystemParameters* parameters = qv::CurrentMachine().SystemParameters();
  LayoutName.clear();
  if (parameters && parameters->KeyboardLayoutName(LayoutName) == qv::err::Success) {
    DebugLog("Keyboard Layout name is " + LayoutName);
  } else {
    LayoutName.clear();
    DebugLog("Error retrieving Keyboard Locale");
    stream.AddComment("Could not retrieve Keyboard Locale");
  }
  stream.WriteString(LayoutName, "KeyboardLayout");
  Delay = WriteSystemParameter(stream, qv::spi::GetKeyboardDelay, "KeyboardDelay");
  Speed = WriteSystemParameter(stream, qv::spi::GetKeyboardSpeed, "KeyboardSpeed");
  BlinkTime = parameters ? parameters->CaretBlinkTime() : 0;
  stream.WriteInteger(static_cast<std::int32_t>(BlinkTime), "CaretBlinkTime");
  Describe(stream);
  return true;
}

bool TKeyboardSettings::Read(TConnection& stream) {
  RestartRequired = true;
  qv::ISystemParameters* parameters = qv::CurrentMachine().SystemParameters();
  LayoutName = stream.ReadString("KeyboardLayout");
  Delay = ReadSystemParameter(stream, qv::spi::SetKeyboardDelay, "KeyboardDelay");
  Speed = ReadSystemParameter(stream, qv::spi::SetKeyboardSpeed, "KeyboardSpeed");
  BlinkTime = static_cast<std::uint32_t>(stream.ReadInteger("CaretBlinkTime"));
  // 0 is what the source read when it could not tell its blink time: a
  // caret that never shows is not applied.
  if (BlinkTime != 0 && parameters) parameters->ChangeCaretBlinkTime(BlinkTime);

  if (!LayoutName.empty()) {
    DebugLog("Keyboard Layout is " + LayoutName);
    // A layout name is eight hexadecimal digits; anything else from the
    // file is no layout and does not go into the locale setting either.
    const bool wellFormed =
        LayoutName.size() == 8 && std::all_of(LayoutName.begin(), LayoutName.end(), [](char c) {
          return std::isxdigit(static_cast<unsigned char>(c)) != 0;
        });
    if (!wellFormed || !parameters ||
        parameters->LoadKeyboardLayoutByName(LayoutName, qv::klf::Activate) != qv::err::Success) {
      DebugLog("Could not set keyboard locale to " + LayoutName);
      stream.AddComment("Could not set keyboard locale to " + LayoutName);
    }
    if (wellFormed)
      items::SetRegStringForUndo(qv::hkey::CurrentUser, kInternationalKey, "Locale", LayoutName);
  }
  Describe(stream);
  return true;
}

void TKeyboardSettings::Describe(TConnection& stream) {
  qv::ISystemParameters* parameters = qv::CurrentMachine().SystemParameters();
  if (!LayoutName.empty() && parameters) {
    const std::uint32_t locale =
        static_cast<std::uint32_t>(std::strtoul(LayoutName.c_str(), nullptr, 16));
    std::string language;
    if (parameters->LocaleText(locale, qv::localeinfo::SLanguage, language) == qv::err::Success) {
      if (language.size() > kLanguageBuffer - 1) language.resize(kLanguageBuffer - 1);
      stream.AddComment("Keyboard Locale is " + LayoutName + " " + language);
    }
  }
  if (static_cast<std::uint32_t>(Delay) != kUnreadParameter)
    stream.AddComment("Keyboard repeat delay is " + std::to_string(Delay) + "ms.");
  if (static_cast<std::uint32_t>(Speed) != kUnreadParameter)
    stream.AddComment("Keyboard repeat speed is " + std::to_string(Speed) + "ms.");
  if (BlinkTime != 0)
    stream.AddComment("Caret blink speed is " + std::to_string(BlinkTime) + "ms.");
}
