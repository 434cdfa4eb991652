// Recent-file lists: the most recently used files of a window, kept under
// HKEY_CURRENT_USER and shown as numbered entries in a menu.
#pragma once

#include <functional>
#include <string>
#include <vector>

// A menu item as the recent-file list sees it: it may hold items of its own
// (a drop-down menu) and sits in a parent menu. The windows implement it
// over their real menus.
class IMRUMenu {
 public:
  virtual ~IMRUMenu() = default;

  // The number of items this item holds.
  virtual int GetCount() = 0;
  // The menu this item sits in (null for a top-level menu).
  virtual IMRUMenu* GetParent() = 0;
  // The position of `item` among the items this one holds, or -1.
  virtual int IndexOf(IMRUMenu* item) = 0;
  // Creates a TMRUMenuItem with `caption` ("-" for a separator) at `index`
  // among this item's items (-1: at the end) and returns it. `entry` is the
  // 1-based entry number the item stands for, 0 for a separator or submenu.
  virtual IMRUMenu* InsertMRUItem(int index, const std::string& caption, int entry) = 0;
  // Removes and destroys every TMRUMenuItem this item holds, with whatever
  // they hold.
  virtual void RemoveMRUItems() = 0;
};

class TMRUFileList {
 public:
  using ClickAction = std::function<void(const std::string& fileName)>;

  TMRUFileList();
  // Saves the entries when AutoSave is set.
  ~TMRUFileList();
  TMRUFileList(const TMRUFileList&) = delete;
  TMRUFileList& operator=(const TMRUFileList&) = delete;

  // Most recent first.
  const std::vector<std::string>& Entries() const { return entries_; }

  // Moves `fileName` to the top (names compare without regard to case),
  // inserting it when it is not listed and dropping entries beyond Maximum.
  void Add(const std::string& fileName);
  void Remove(const std::string& fileName);

  // The entries are the string values of AutoSaveName\AutoSaveKey under
  // HKEY_CURRENT_USER, "I0", "I1", ... most recent first. Nothing happens
  // while either name is empty.
  void LoadFromRegistry();
  void SaveToRegistry();

  // Puts the entries into FileMenu: at its end when it holds items,
  // otherwise into its parent just before it; a separator first, then
  // (with UseSubMenu) a submenu that receives the entries.
  void RebuildMenu();

  // The menu item of entry `entry` (1-based) was clicked.
  void EntryClicked(int entry);

  int GetMaximum() const { return maximum_; }
  void SetMaximum(int maximum);
  bool GetAutoSave() const { return autoSave_; }
  void SetAutoSave(bool value);
  bool GetRemoveOnClick() const { return removeOnClick_; }
  void SetRemoveOnClick(bool value);
  bool GetUseSubMenu() const { return useSubMenu_; }
  void SetUseSubMenu(bool value);
  const std::string& GetSubMenuName() const { return subMenuName_; }
  void SetSubMenuName(const std::string& name);
  IMRUMenu* GetFileMenu() const { return fileMenu_; }
  void SetFileMenu(IMRUMenu* menu);
  const std::string& GetAutoSaveName() const { return autoSaveName_; }
  void SetAutoSaveName(const std::string& name);
  const std::string& GetAutoSaveKey() const { return autoSaveKey_; }
  void SetAutoSaveKey(const std::string& key);
  void SetOnClick(ClickAction action) { onClick_ = std::move(action); }

 private:
  IMRUMenu* Holder() const;
  void RemoveMenuItems();
  std::string SubKeyPath() const;
  void Trim();

  std::vector<std::string> entries_;
  int maximum_ = 4;
  bool autoSave_ = true;
  bool removeOnClick_ = true;
  bool useSubMenu_ = false;
  std::string subMenuName_ = "Default Sub Menu";
  IMRUMenu* fileMenu_ = nullptr;
  std::string autoSaveName_ = "\\Software\\ZTR\\Qorvel\\MRUList";
  std::string autoSaveKey_ = "MRU Items";
  ClickAction onClick_;
};
