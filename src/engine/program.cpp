#include "engine/program.h"

#include <stdexcept>

#include "config/cat_config.h"
#include "config/options.h"
#include "engine/run_report.h"
#include "undo/undo_manager.h"

namespace {

TCatConfig* g_config = nullptr;
TUndoManager* g_undo = nullptr;
TOptions* g_options = nullptr;
TRunReport* g_report = nullptr;

template <typename T>
T& Require(T* object) {
  if (!object) throw std::logic_error("the program-wide objects do not exist");
  return *object;
}

}  // namespace

TCatConfig& CurrentConfig() { return Require(g_config); }
TUndoManager& UndoManager() { return Require(g_undo); }
TOptions& Options() { return Require(g_options); }
TRunReport& RunReport() { return Require(g_report); }

TCatConfig* SwapCurrentConfig(TCatConfig* config) {
  TCatConfig* previous = g_config;
  g_config = config;
  return previous;
}

ProgramObjects::ProgramObjects(const std::string& optionsKey) {
  config_ = std::make_unique<TCatConfig>();
  g_config = config_.get();
  undo_ = std::make_unique<TUndoManager>();
  g_undo = undo_.get();
  options_ = std::make_unique<TOptions>(optionsKey);
  g_options = options_.get();
  ProgramOptions = g_options;
  report_ = std::make_unique<TRunReport>();
  g_report = report_.get();
}

ProgramObjects::~ProgramObjects() {
  g_config = nullptr;
  config_.reset();
  g_undo = nullptr;
  undo_.reset();
  g_options = nullptr;
  ProgramOptions = nullptr;
  options_.reset();  // stores the options unless told not to
  g_report = nullptr;
  report_.reset();
}
