// The four program-wide objects, created at start-up in this order and
// destroyed at exit in the same order: the current configuration, the undo
// manager, the options and the run report.
#pragma once

#include <memory>
#include <string>

class TCatConfig;
class TUndoManager;
class TOptions;
class TRunReport;

TCatConfig& CurrentConfig();
TUndoManager& UndoManager();
TOptions& Options();
TRunReport& RunReport();

// Makes `config` the current configuration and returns the previous one
// (the undo manager's capture saves a file's own selection this way).
TCatConfig* SwapCurrentConfig(TCatConfig* config);

// Creates the four objects for its lifetime. `optionsKey` is where the
// options live under HKEY_CURRENT_USER ("" keeps defaults and never touches
// the registry, as tests want).
class ProgramObjects {
 public:
  explicit ProgramObjects(const std::string& optionsKey);
  ~ProgramObjects();
  ProgramObjects(const ProgramObjects&) = delete;
  ProgramObjects& operator=(const ProgramObjects&) = delete;

 private:
  std::unique_ptr<TCatConfig> config_;
  std::unique_ptr<TUndoManager> undo_;
  std::unique_ptr<TOptions> options_;
  std::unique_ptr<TRunReport> report_;
};
