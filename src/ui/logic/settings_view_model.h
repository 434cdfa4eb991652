// The settings viewer's logic: the item names of its two list boxes and
// the descriptions of the current settings, each produced once per viewer
// and kept in a cache of 20 slots per group. TSettingsViewForm shows the
// names in `lbPersonalityItems` and `lbConnectivityItems` and the lines in
// `moDescription`.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

enum class TViewGroup { Personality, Connectivity };

inline constexpr const char* kRetrieveErrorLine = "An error occurred while retrieving the settings.";

class TSettingsViewModel {
 public:
  static constexpr int kSlots = 20;

  // Every item of the current configuration, ticked or not, sorted as the
  // list boxes show them.
  std::vector<std::string> Names(TViewGroup group) const;

  // The description of the item with this name: produced on the first
  // request, from the cache afterwards (kept by the name's position in the
  // current configuration's list). A name that is not listed, or one
  // without an item, gives no lines.
  const std::vector<std::string>& Show(TViewGroup group, const std::string& name);

  // Whether the slot of a position holds a description.
  bool IsCached(TViewGroup group, int position) const;

 private:
  std::vector<std::string> Describe(TViewGroup group, int position) const;

  std::array<std::optional<std::vector<std::string>>, kSlots> personality_;
  std::array<std::optional<std::vector<std::string>>, kSlots> connectivity_;
  std::vector<std::string> shown_;  // lines not kept in a slot
};
