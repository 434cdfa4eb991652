// The configuration: which personality and connectivity items a save
// includes, and which data files. Kept in ".cfg" text files and, as item
// lists, at the start of every settings file.
#pragma once

#include <string>
#include <vector>

class TConnection;

// A list of booleans.
class TBooleanList {
 public:
  void Add(bool value) { items_.push_back(value); }
  void Clear() { items_.clear(); }
  int GetCount() const { return static_cast<int>(items_.size()); }
  // False past the end.
  bool Get(int index) const;
  // Does nothing past the end.
  void Set(int index, bool value);
  void SetAll(bool value);

 private:
  std::vector<bool> items_;
};

// Item names (the section names of settings files) with their descriptions
// and selected flags, in a significant order. Names are looked up without
// regard to letter case; the first match wins.
class TSectionNames {
 public:
  void Clear();
  // Appends a selected item.
  void Add(const std::string& name, const std::string& description);
  // Does nothing for an unknown name.
  void SetSelected(const std::string& name, bool selected);
  // False for an unknown name.
  bool IsSelected(const std::string& name) const;
  // False when the position is past the end.
  bool GetItem(int index, std::string& name, bool& selected) const;
  // "" past the end.
  std::string GetDescription(int index) const;
  int GetCount() const { return static_cast<int>(names_.size()); }
  void SetAll(bool selected);
  // The position of the name, or -1.
  int IndexOf(const std::string& name) const;

  // The selected names in list order, then "END".
  void WriteNames(TConnection& connection) const;
  // Replaces the list with the names read up to "END", all selected, with
  // the description "No Comment".
  void ReadNames(TConnection& connection);

 private:
  std::vector<std::string> names_;
  std::vector<std::string> descriptions_;
  TBooleanList selected_;
};

class TCatConfig {
 public:
  // The default configuration.
  TCatConfig();

  // Writes the configuration file. Failures go to the debug log and, unless
  // quiet mode is on, to the standard error box; they are never raised.
  void Save(const std::string& fileName);
  // Reads a configuration file into this configuration: false when the file
  // does not exist (nothing changes) or cannot be read (the error is shown
  // unless quiet mode is on; what was read stays).
  bool Load(const std::string& fileName);

  // Both item lists as names in a settings stream: connectivity, then
  // personality. The file list is not part of it.
  void WriteItemLists(TConnection& connection) const;
  void ReadItemLists(TConnection& connection);

  TSectionNames PersonalityItems;
  TSectionNames ConnectivityItems;
  std::vector<std::string> FileList;
};
