#include "platform/memory/memory_explorer.h"

#include <cstdint>
#include <string>
#include <vector>

#include "platform/memory/memory_state.h"

namespace qv::mem {

namespace {

constexpr const char* kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";

using Bytes = std::vector<std::uint8_t>;

void Binary(MemoryMachine::State& s, const std::string& below, std::string_view name, Bytes data) {
  RegNode& key = MakeKey(s, hkey::CurrentUser, below.empty() ? kExplorer
                                                             : std::string(kExplorer) + "\\" + below);
  PutValue(key, name, regtype::Binary, std::move(data));
}

void Dword(MemoryMachine::State& s, const std::string& below, std::string_view name,
           std::uint32_t value) {
  RegNode& key = MakeKey(s, hkey::CurrentUser, std::string(kExplorer) + "\\" + below);
  PutValue(key, name, regtype::Dword,
           Bytes{static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                 static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)});
}

// A view block of `size` bytes: view mode at 44, bar flags at 60.
Bytes CabView(std::size_t size, std::uint8_t mode, std::uint8_t bars) {
  Bytes v(size, 0);
  v[0] = static_cast<std::uint8_t>(size);
  v[44] = mode;
  v[60] = bars;
  return v;
}

// A sort block: column at 16, order (int32) at 20.
Bytes SortView(std::size_t size, std::uint8_t column, std::int32_t order) {
  Bytes v(size, 0);
  v[0] = static_cast<std::uint8_t>(size);
  v[16] = column;
  for (int i = 0; i < 4; ++i) v[20 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(order) >> (8 * i));
  return v;
}

}  // namespace

void InitializeExplorer(MemoryMachine::State& s) {
  const bool win98 = s.setup.kind == okWin98;
  // CABINETSTATE: size, version, then the flags (full path off, browsing in
  // one window).
  Binary(s, "CabinetState", "Settings", Bytes{0x0C, 0, 0x02, 0, 0x1A, 0x01, 0, 0, 0x60, 0, 0, 0});
  // The Explorer window: Details, toolbar shown.
  Binary(s, "ExpView", "Settings", CabView(68, 4, 0x02));
  if (win98) {
    // Extensions of registered types hidden; "Hidden" is written only once
    // the user changes the option.
    Dword(s, "Advanced", "HideFileExt", 1);
    Binary(s, "StreamMRU", "MRUListEx", Bytes{1, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF});
    Binary(s, "Streams\\0", "CabView", CabView(68, 1, 0x06));
    Binary(s, "Streams\\0", "ViewView2", SortView(28, 0, 1));
    Binary(s, "Streams\\1", "CabView", CabView(68, 4, 0x02));
    Binary(s, "Streams\\1", "ViewView2", SortView(28, 3, -1));
    return;
  }
  // SHELLSTATE with its size first: hidden files hidden, extensions of
  // registered types hidden.
  Bytes shellState(36, 0);
  shellState[0] = 36;
  shellState[4] = 0x20;
  Binary(s, "", "ShellState", shellState);
  RegNode& mru = MakeKey(s, hkey::CurrentUser, std::string(kExplorer) + "\\StreamMRU");
  PutString(mru, "MRUList", "ba");
  Binary(s, "Streams\\0", "CabView", CabView(68, 1, 0x06));
  Binary(s, "Streams\\0", "ViewView", SortView(28, 0, 1));
  Binary(s, "Streams\\1", "CabView", CabView(68, 4, 0x02));
  Binary(s, "Streams\\1", "ViewView", SortView(28, 3, -1));
}

}  // namespace qv::mem
