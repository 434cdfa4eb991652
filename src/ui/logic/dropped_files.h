// Names of files dropped on a window, fetched whole.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// DragQueryFile over one drop: (index, buffer, size) gives the length of
// the index'th name without its terminator and, with a buffer, copies at
// most size - 1 characters of it and a terminator. The index 0xFFFFFFFF
// asks for the number of names.
using TDragQuery = std::function<std::uint32_t(std::uint32_t index, char* buffer, std::uint32_t size)>;

inline constexpr std::uint32_t kDragQueryCount = 0xFFFFFFFFu;

// Every dropped name at its full length, in drop order. Each name is asked
// for its length first and fetched into a buffer of that size, so long
// paths arrive complete.
std::vector<std::string> DroppedFileNames(const TDragQuery& query);
