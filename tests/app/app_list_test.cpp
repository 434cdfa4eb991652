// The installed-applications list: display names from the uninstall key.
#include "app/app_list.h"

#include "registry/reg_utils.h"
#include "stream/connection.h"
#include "support/memory_fixture.h"

namespace qv::test {
namespace {

constexpr const char* kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

class AppListTest : public MemoryMachineTest {
 protected:
  void Install(const std::string& entry, const char* displayName) {
    const std::string key = std::string(kUninstall) + "\\" + entry;
    if (displayName)
      ASSERT_TRUE(UTLSetRegString(hkey::LocalMachine, key, "DisplayName", displayName));
    else
      ASSERT_TRUE(UTLSetRegString(hkey::LocalMachine, key, "UninstallString", "setup /u"));
  }
};

TEST_F(AppListTest, NamesAreSortedWithoutCaseOnceEachAndOnlyWhenDisplayed) {
  Install("zz-editor", "Text Editor 2.0");
  Install("A-Office", "office suite");
  Install("B-Office", "Office Suite");
  Install("Drivers", nullptr);
  Install("Empty", "");
  Install("Viewer", "Picture Viewer");
  EXPECT_EQ(InstalledApplicationLines(),
            (std::vector<std::string>{"3 Installed applications detected.", "", "office suite",
                                      "Picture Viewer", "Text Editor 2.0"}));
}

TEST_F(AppListTest, NoUninstallKeyListsNothingAndNoAccessOnlySaysSo) {
  EXPECT_EQ(InstalledApplicationLines(),
            (std::vector<std::string>{"0 Installed applications detected.", ""}));

  Install("Viewer", "Picture Viewer");
  machine().SetAdministrator(false);
  TCommentConnection lines;
  EXPECT_FALSE(TAppList().Describe(lines));
  EXPECT_EQ(*lines.GetComments(), std::vector<std::string>{
                                      "Registry access is required to retrieve or modify this setting."});
}

}  // namespace
}  // namespace qv::test
