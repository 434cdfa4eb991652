#include "items/personality/color_settings.h"

#include <vector>

#include "engine/debug_log.h"
#include "items/item_support.h"
#include "platform/machine.h"
#include "platform/system_parameters.h"
#include "registry/reg_utils.h"
#include "stream/connection.h"
#include "undo/registry_store.h"

namespace {

constexpr const char* kAppearanceKey = "Control Panel\\Appearance";
// The keys the item carries, in payload order.
const char* const kKeys[] = {"Control Panel\\Appearance\\Schemes", "Control Panel\\Colors",
                             kAppearanceKey};

const char* const kColorLabels[qv::SysColorCount] = {
    "Scroll bar gray area : ",
    "Desktop : ",
    "Active window caption : ",
    "Inactive window caption : ",
    "Menu background : ",
    "Window background : ",
    "Window Frame : ",
    "Windows NT only: Text in menus : ",
    "Text in window : ",
    "Text in caption, size box, and scroll bar arrow box : ",
    "Active window border : ",
    "Inactive window border : ",
    "Background color of multiple document interface (MDI) applications : ",
    "Item(s) selected in a control : ",
    "Text of item(s) selected in a control : ",
    "Face shading on push buttons : ",
    "Edge shading on push buttons : ",
    "Grayed (disabled) text : ",
    "Text on push buttons : ",
    "Color of text in an inactive caption : ",
    "Highlight color for buttons : ",
    "Shadow color for three-dimensional display elements (for edges facing away from the light "
    "source) : ",
    "Light color for three-dimensional display elements (for edges facing the light source.) : ",
    "Text color for tooltip controls : ",
    "Background color for tooltip controls : ",
};

// 0x00BBGGRR as "red green blue".
std::string ColorText(std::uint32_t color) {
  return std::to_string(color & 0xFF) + " " + std::to_string((color >> 8) & 0xFF) + " " +
         std::to_string((color >> 16) & 0xFF);
}

}  // namespace

bool TColorSettings::Write(TConnection& stream) {
  TRegistryStore store(stream, false);
  bool result = true;
  for (const char* key : kKeys) {
    result = store.WriteKey(qv::hkey::CurrentUser, key, false);
    if (!result) break;
  }
  if (result) {
    qv::ISystemParameters* parameters = qv::CurrentMachine().SystemParameters();
    for (int index = 0; index < qv::SysColorCount; ++index)
      stream.WriteInteger(
          parameters ? static_cast<std::int32_t>(parameters->SysColor(index)) : 0, "Color");
    try {
      CurrentScheme = UTLGetRegString(qv::hkey::CurrentUser, kAppearanceKey, "Current", "");
    } catch (const ERegistryException&) {
      CurrentScheme.clear();  // stored as something other than text
    }
    stream.WriteString(CurrentScheme, "Current");
  }
  Describe(stream);
  return result;
}

bool TColorSettings::Read(TConnection& stream) {
  TRegistryStore store(stream, true);
  bool result = true;
  for (const char* key : kKeys) {
    // A record from another machine writes only into the key it stands for.
    store.Confine(qv::hkey::CurrentUser, key, false);
    result = store.ReadKey();
    if (!result) break;
  }
  if (result) {
    std::vector<int> indices(qv::SysColorCount);
    std::vector<std::uint32_t> colors(qv::SysColorCount);
    for (int index = 0; index < qv::SysColorCount; ++index) {
      indices[index] = index;
      colors[index] = static_cast<std::uint32_t>(stream.ReadInteger("Color"));
    }
    qv::ISystemParameters* parameters = qv::CurrentMachine().SystemParameters();
    const qv::WinError e =
        parameters ? parameters->ChangeSysColors(indices, colors) : qv::err::InvalidParameter;
    if (e != qv::err::Success) {
      DebugLog("SetSysColors failed : " + std::to_string(e));
      result = false;
    }
  }
  if (result) {
    CurrentScheme = stream.ReadString("Current");
    if (CurrentScheme.empty()) {
      if (items::RegValueExists(qv::hkey::CurrentUser, kAppearanceKey, "Current"))
        UTLDeleteRegKey(qv::hkey::CurrentUser, kAppearanceKey, "Current");
    } else {
      items::SetRegStringForUndo(qv::hkey::CurrentUser, kAppearanceKey, "Current", CurrentScheme);
    }
  }
  Describe(stream);
  RestartRequired = true;
  return result;
}

void TColorSettings::Describe(TConnection& stream) {
  stream.AddComment("Color settings : ");
  stream.AddComment(CurrentScheme.empty() ? "There is no current color scheme"
                                          : "Current scheme is " + CurrentScheme);
  stream.AddComment("");
  stream.AddComment("System colors : ");
  qv::ISystemParameters* parameters = qv::CurrentMachine().SystemParameters();
  for (int index = 0; index < qv::SysColorCount; ++index)
    stream.AddComment(kColorLabels[index] +
                      ColorText(parameters ? parameters->SysColor(index) : 0));
}
