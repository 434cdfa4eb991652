// Every test starts with the run-wide flags that loads set cleared, so that
// a report does not carry a restart line left over from an earlier test.
#include <gtest/gtest.h>

#include "engine/settings.h"

namespace {

class RunFlagsReset : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    RestartRequired = false;
    SettingChangePending = false;
  }
};

const bool kInstalled = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new RunFlagsReset);
  return true;
}();

}  // namespace
