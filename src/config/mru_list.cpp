#include "config/mru_list.h"

#include <algorithm>
#include <cctype>

#include "platform/machine.h"

namespace {

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

}  // namespace

TMRUFileList::TMRUFileList() = default;

TMRUFileList::~TMRUFileList() {
  if (!autoSave_) return;
  try {
    SaveToRegistry();
  } catch (...) {
    // A list that cannot be stored is simply not remembered.
  }
}

void TMRUFileList::Trim() {
  std::size_t limit = static_cast<std::size_t>(std::max(maximum_, 0));
  if (entries_.size() > limit) entries_.resize(limit);
}

void TMRUFileList::Add(const std::string& fileName) {
  auto it = std::find_if(entries_.begin(), entries_.end(),
                         [&](const std::string& e) { return SameName(e, fileName); });
  if (it != entries_.end()) entries_.erase(it);
  entries_.insert(entries_.begin(), fileName);
  Trim();
  RebuildMenu();
}

void TMRUFileList::Remove(const std::string& fileName) {
  auto it = std::find_if(entries_.begin(), entries_.end(),
                         [&](const std::string& e) { return SameName(e, fileName); });
  if (it != entries_.end()) entries_.erase(it);
  RebuildMenu();
}

std::string TMRUFileList::SubKeyPath() const {
  std::string path = autoSaveName_;
  if (!path.empty() && path.front() == '\\') path.erase(0, 1);
  return path + "\\" + autoSaveKey_;
}

void TMRUFileList::LoadFromRegistry() {
  if (autoSaveName_.empty() || autoSaveKey_.empty()) return;
  qv::IRegistry& registry = qv::CurrentMachine().Registry();
  entries_.clear();
  qv::RegKey key;
  if (registry.OpenKey(qv::hkey::CurrentUser, SubKeyPath(), qv::RegAccess::Full, key) ==
      qv::err::Success) {
    qv::RegKeyCloser closer(registry, key);
    std::string name;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    for (std::uint32_t i = 0; registry.EnumValue(key, i, name, &type, &data) == qv::err::Success;
         ++i) {
      if (type != qv::regtype::Sz && type != qv::regtype::ExpandSz) continue;
      std::string file(data.begin(), std::find(data.begin(), data.end(), std::uint8_t{0}));
      if (!file.empty()) entries_.push_back(std::move(file));
    }
  }
  Trim();
  RebuildMenu();
}

void TMRUFileList::SaveToRegistry() {
  if (autoSaveName_.empty() || autoSaveKey_.empty()) return;
  qv::IRegistry& registry = qv::CurrentMachine().Registry();
  std::string path = SubKeyPath();
  // The old entries go first, whether or not the key can be deleted as a
  // whole (Windows NT refuses a key that has sub keys).
  qv::RegKey key;
  if (registry.DeleteKey(qv::hkey::CurrentUser, path) != qv::err::Success &&
      registry.OpenKey(qv::hkey::CurrentUser, path, qv::RegAccess::Full, key) ==
          qv::err::Success) {
    qv::RegKeyCloser closer(registry, key);
    std::string name;
    while (registry.EnumValue(key, 0, name, nullptr, nullptr) == qv::err::Success &&
           registry.DeleteValue(key, name) == qv::err::Success) {
    }
  }
  if (registry.CreateKey(qv::hkey::CurrentUser, path, key) != qv::err::Success) return;
  qv::RegKeyCloser closer(registry, key);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const std::string& file = entries_[i];
    registry.SetValue(key, "I" + std::to_string(i), qv::regtype::Sz,
                      reinterpret_cast<const std::uint8_t*>(file.c_str()),
                      static_cast<std::uint32_t>(file.size() + 1));
  }
}

IMRUMenu* TMRUFileList::Holder() const {
  if (!fileMenu_) return nullptr;
  if (fileMenu_->GetCount() > 0 || !fileMenu_->GetParent()) return fileMenu_;
  return fileMenu_->GetParent();
}

void TMRUFileList::RemoveMenuItems() {
  if (IMRUMenu* holder = Holder()) holder->RemoveMRUItems();
}

void TMRUFileList::RebuildMenu() {
  RemoveMenuItems();
  if (!fileMenu_ || entries_.empty()) return;
  IMRUMenu* holder = Holder();
  // Appending at the end of the file menu, or inserting into its parent
  // just before it.
  int index = holder == fileMenu_ ? -1 : holder->IndexOf(fileMenu_);
  auto insert = [&](IMRUMenu* into, const std::string& caption, int entry) {
    IMRUMenu* item = into->InsertMRUItem(index, caption, entry);
    if (index >= 0) ++index;
    return item;
  };
  insert(holder, "-", 0);
  if (useSubMenu_) {
    holder = insert(holder, subMenuName_, 0);
    index = -1;
  }
  for (std::size_t i = 0; i < entries_.size(); ++i)
    insert(holder, "&" + std::to_string(i + 1) + " " + entries_[i], static_cast<int>(i + 1));
}

void TMRUFileList::EntryClicked(int entry) {
  if (entry < 1 || static_cast<std::size_t>(entry) > entries_.size()) return;
  std::string fileName = entries_[entry - 1];
  if (removeOnClick_) Remove(fileName);
  if (onClick_) onClick_(fileName);
}

void TMRUFileList::SetMaximum(int maximum) {
  maximum_ = std::max(maximum, 0);
  Trim();
  RebuildMenu();
}

void TMRUFileList::SetAutoSave(bool value) {
  autoSave_ = value;
  RebuildMenu();
}

void TMRUFileList::SetRemoveOnClick(bool value) {
  removeOnClick_ = value;
  RebuildMenu();
}

void TMRUFileList::SetUseSubMenu(bool value) {
  useSubMenu_ = value;
  RebuildMenu();
}

void TMRUFileList::SetSubMenuName(const std::string& name) {
  subMenuName_ = name;
  RebuildMenu();
}

void TMRUFileList::SetFileMenu(IMRUMenu* menu) {
  RemoveMenuItems();  // the entries leave the old menu
  fileMenu_ = menu;
  RebuildMenu();
}

void TMRUFileList::SetAutoSaveName(const std::string& name) {
  autoSaveName_ = name;
  RebuildMenu();
}

void TMRUFileList::SetAutoSaveKey(const std::string& key) {
  autoSaveKey_ = key;
  RebuildMenu();
}
