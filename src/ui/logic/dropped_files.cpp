#include "ui/logic/dropped_files.h"

std::vector<std::string> DroppedFileNames(const TDragQuery& query) {
  std::vector<std::string> names;
  const std::uint32_t count = query(kDragQueryCount, nullptr, 0);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t length = query(i, nullptr, 0);
    std::string name(static_cast<std::size_t>(length) + 1, '\0');
    const std::uint32_t copied = query(i, name.data(), length + 1);
    name.resize(copied < length ? copied : length);
    names.push_back(std::move(name));
  }
  return names;
}
