// The applications installed on this computer, as the system's uninstall
// registry names them: what has to be installed on the target by hand,
// since settings files carry settings and data, never programs.
#pragma once

#include <string>
#include <vector>

class TConnection;

class TAppList {
 public:
  // Fills the list from the uninstall key under HKEY_LOCAL_MACHINE: one
  // display name per entry that has one, sorted without regard to case,
  // each name once.
  TAppList();

  // Adds the list as description lines; false (with the registry-access
  // line) when the user may not read machine-wide settings.
  bool Describe(TConnection& stream) const;

  const std::vector<std::string>& Names() const { return names_; }

 private:
  void Add(const std::string& name);

  std::vector<std::string> names_;
};

// The list's lines, as the report window and the -a file show them.
std::vector<std::string> InstalledApplicationLines();
