// The catalogue of settings items: the 28 section names with their groups,
// descriptions, save order and default selection.
//
// The configuration takes its default item lists from here; the engine's
// item factory walks the same table.
#pragma once

#include <cstddef>
#include <string>

enum class TSectionGroup { Personality, Connectivity };

// Whether an item needs full access to HKEY_LOCAL_MACHINE.
enum class TRegistryAccessNeed {
  No,
  Yes,
  Win9xOnly,  // on Windows 95/98; not on Windows NT
};

struct TCatalogueEntry {
  const char* name;         // the section name, compared exactly
  const char* className;    // the item class that handles the section
  TSectionGroup group;
  int order;                // position within its group in a settings file (1-based)
  TRegistryAccessNeed registryAccess;
  const char* description;  // shown beside the name in the editor and viewer
  bool selectedByDefault;
};

// The 28 entries in save order: the 19 personality items, then the 9
// connectivity items.
inline constexpr std::size_t kCatalogueSize = 28;
const TCatalogueEntry* Catalogue();

// The entry with exactly this section name, or null.
const TCatalogueEntry* FindCatalogueEntry(const std::string& sectionName);

// The order in which a configuration lists the personality items (the
// editor and the viewer show this order; settings files follow save order).
inline constexpr std::size_t kConfigPersonalityCount = 19;
const char* const* ConfigPersonalityOrder();
