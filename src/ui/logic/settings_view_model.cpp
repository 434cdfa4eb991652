#include "ui/logic/settings_view_model.h"

#include <algorithm>
#include <cctype>
#include <exception>

#include "config/cat_config.h"
#include "engine/debug_log.h"
#include "engine/program.h"
#include "engine/settings.h"
#include "registry/reg_utils.h"
#include "stream/connection.h"

namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

const TSectionNames& ConfigList(TViewGroup group) {
  return group == TViewGroup::Personality ? CurrentConfig().PersonalityItems
                                          : CurrentConfig().ConnectivityItems;
}

}  // namespace

std::vector<std::string> TSettingsViewModel::Names(TViewGroup group) const {
  std::vector<std::string> names;
  std::string name;
  bool selected = false;
  const TSectionNames& list = ConfigList(group);
  for (int i = 0; list.GetItem(i, name, selected); ++i) names.push_back(name);
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return Upper(a) < Upper(b);
  });
  return names;
}

bool TSettingsViewModel::IsCached(TViewGroup group, int position) const {
  if (position < 0 || position >= kSlots) return false;
  const auto& slots = group == TViewGroup::Personality ? personality_ : connectivity_;
  return slots[static_cast<std::size_t>(position)].has_value();
}

std::vector<std::string> TSettingsViewModel::Describe(TViewGroup group, int position) const {
  // The configuration's name at the position chooses the item.
  std::string name;
  bool selected = false;
  if (!ConfigList(group).GetItem(position, name, selected)) return {};
  std::unique_ptr<TSettings> item = CreateSettingsItem(name);
  if (!item) return {};

  TCommentConnection description;
  bool ok = true;
  // Connectivity items that need registry access are not asked without it.
  if (group == TViewGroup::Connectivity && item->RequiresRegistryAccess() &&
      !UTLHasRegistryAccess())
    ReportRegistryAccessRequired(description);
  else {
    try {
      ok = item->Write(description);
    } catch (const std::exception& e) {
      DebugLog(e.what());
      ok = false;
    }
  }

  std::vector<std::string> lines;
  if (const std::vector<std::string>* comments = description.GetComments()) lines = *comments;
  if (!ok) {
    DebugLog(kRetrieveErrorLine);
    lines.emplace_back();
    lines.emplace_back(kRetrieveErrorLine);
  }
  return lines;
}

const std::vector<std::string>& TSettingsViewModel::Show(TViewGroup group,
                                                         const std::string& name) {
  const int position = ConfigList(group).IndexOf(name);
  auto& slots = group == TViewGroup::Personality ? personality_ : connectivity_;
  if (position < 0 || position >= kSlots) {
    // Past the cache (or not listed): described every time, never kept.
    shown_ = Describe(group, position);
    return shown_;
  }
  auto& slot = slots[static_cast<std::size_t>(position)];
  if (!slot) slot = Describe(group, position);
  return *slot;
}
