// The settings viewer's logic: the listed names and the description cache.
#include "ui/logic/settings_view_model.h"

#include <gtest/gtest.h>

#include <memory>

#include "config/cat_config.h"
#include "engine/program.h"
#include "engine/settings.h"
#include "stream/connection.h"
#include "support/ui_fixture.h"

namespace qv::test {
namespace {

// Describes itself with two lines and counts how often it was asked.
class DescribedItem : public TSettings {
 public:
  DescribedItem(std::string name, bool ok, bool needsRegistry, bool throws = false)
      : name_(std::move(name)), ok_(ok), needsRegistry_(needsRegistry), throws_(throws) {}
  bool Read(TConnection&) override { return true; }
  bool Write(TConnection& s) override {
    ++writes()[name_];
    s.WriteString("payload");  // stored nowhere
    s.AddComment(name_ + " line 1");
    if (throws_) throw Exception("Insufficient memory.");
    s.AddComment(name_ + " line 2");
    return ok_;
  }
  bool RequiresRegistryAccess() override { return needsRegistry_; }
  static std::map<std::string, int>& writes() {
    static std::map<std::string, int> w;
    return w;
  }

 private:
  std::string name_;
  bool ok_, needsRegistry_, throws_;
};

class SettingsViewModelTest : public UiLogicTest {
 protected:
  SettingsViewModelTest() { DescribedItem::writes().clear(); }
  void Use(const std::string& name, bool ok = true, bool needsRegistry = false,
           bool throws = false) {
    items_.push_back(std::make_unique<ScopedSettingsItem>(name, [=] {
      return std::make_unique<DescribedItem>(name, ok, needsRegistry, throws);
    }));
  }
  int Writes(const std::string& name) { return DescribedItem::writes()[name]; }

 private:
  std::vector<std::unique_ptr<ScopedSettingsItem>> items_;
};

using Lines = std::vector<std::string>;

TEST_F(SettingsViewModelTest, ListsEveryItemSorted) {
  CurrentConfig().PersonalityItems.SetAll(false);
  TSettingsViewModel viewer;
  Lines personality = viewer.Names(TViewGroup::Personality);
  ASSERT_EQ(personality.size(), 19u);
  EXPECT_EQ(personality.front(), "Accessibility");
  EXPECT_EQ(personality[1], "Active Desktop");
  EXPECT_EQ(personality.back(), "Window metrics");
  Lines connectivity = viewer.Names(TViewGroup::Connectivity);
  ASSERT_EQ(connectivity.size(), 9u);
  EXPECT_EQ(connectivity.front(), "Computer Description");
  EXPECT_EQ(connectivity.back(), "WorkGroup/Domain");
}

TEST_F(SettingsViewModelTest, AnItemIsDescribedOncePerViewer) {
  Use("Colors");
  {
    TSettingsViewModel viewer;
    EXPECT_FALSE(viewer.IsCached(TViewGroup::Personality, 7));
    EXPECT_EQ(viewer.Show(TViewGroup::Personality, "Colors"),
              (Lines{"Colors line 1", "Colors line 2"}));
    EXPECT_TRUE(viewer.IsCached(TViewGroup::Personality, 7));  // "Colors" is position 7
    EXPECT_EQ(viewer.Show(TViewGroup::Personality, "colors"),
              (Lines{"Colors line 1", "Colors line 2"}));
    EXPECT_EQ(Writes("Colors"), 1);
  }
  TSettingsViewModel reopened;
  reopened.Show(TViewGroup::Personality, "Colors");
  EXPECT_EQ(Writes("Colors"), 2);
}

TEST_F(SettingsViewModelTest, AFailedDescriptionEndsWithTheErrorLine) {
  Use("Mouse", false);
  Use("Sound", true, false, true);
  TSettingsViewModel viewer;
  EXPECT_EQ(viewer.Show(TViewGroup::Personality, "Mouse"),
            (Lines{"Mouse line 1", "Mouse line 2", "", kRetrieveErrorLine}));
  EXPECT_EQ(log(), Lines{"An error occurred while retrieving the settings."});
  // An item that raises shows what it gave before, then the error line.
  EXPECT_EQ(viewer.Show(TViewGroup::Personality, "Sound"),
            (Lines{"Sound line 1", "", kRetrieveErrorLine}));
}

TEST_F(SettingsViewModelTest, RegistryAccessIsNeededForConnectivityItemsOnly) {
  machine().SetAdministrator(false);
  Use("Computer Name", true, true);
  Use("Display", true, true);
  Use("Mapped Drives", true, false);
  TSettingsViewModel viewer;
  EXPECT_EQ(viewer.Show(TViewGroup::Connectivity, "Computer Name"),
            Lines{"Registry access is required to retrieve or modify this setting."});
  EXPECT_EQ(Writes("Computer Name"), 0);
  EXPECT_EQ(viewer.Show(TViewGroup::Personality, "Display"),
            (Lines{"Display line 1", "Display line 2"}));
  EXPECT_EQ(viewer.Show(TViewGroup::Connectivity, "Mapped Drives").size(), 2u);

  machine().SetAdministrator(true);
  TSettingsViewModel admin;
  EXPECT_EQ(admin.Show(TViewGroup::Connectivity, "Computer Name").size(), 2u);
  EXPECT_EQ(Writes("Computer Name"), 1);
}

TEST_F(SettingsViewModelTest, UnknownNamesAndItemsNotBuiltGiveNoLines) {
  TSettingsViewModel viewer;
  EXPECT_TRUE(viewer.Show(TViewGroup::Personality, "Nothing such").empty());
  EXPECT_TRUE(viewer.Show(TViewGroup::Connectivity, "Start Menu").empty());  // other group
  EXPECT_TRUE(log().empty());
}

TEST_F(SettingsViewModelTest, TheListedItemIsDescribedWhereverItStands) {
  // A configuration read from a settings file lists only its own items: the
  // cache slot follows the position, the description the name.
  Use("Start Menu");
  Use("Desktop Icons");
  CurrentConfig().PersonalityItems.Clear();
  CurrentConfig().PersonalityItems.Add("Desktop Icons", "");
  TSettingsViewModel viewer;
  EXPECT_EQ(viewer.Show(TViewGroup::Personality, "Desktop Icons").front(),
            "Desktop Icons line 1");
  EXPECT_TRUE(viewer.IsCached(TViewGroup::Personality, 0));
  EXPECT_EQ(Writes("Start Menu"), 0);
}

}  // namespace
}  // namespace qv::test
