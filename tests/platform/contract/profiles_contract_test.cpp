// What the program relies on from the INI profile calls.
#include "platform/contract/fixture.h"
#include "platform/profiles.h"

namespace qv::test {
namespace {

class ProfilesContract : public ContractTest {
 protected:
  IProfiles& ini() { return *bench().machine().Profiles(); }
  std::string File() { return bench().Path("test.ini"); }
};

TEST_P(ProfilesContract, MissingFilesSectionsAndKeysGiveTheDefault) {
  EXPECT_EQ(ini().ReadProfileString(File(), "Boot", "shell", "fallback"), "fallback");
  EXPECT_EQ(ini().ReadProfileString(File(), "Boot", "shell", "trimmed  "), "trimmed");
  EXPECT_TRUE(ini().ProfileSectionNames(File()).empty());
  EXPECT_TRUE(ini().ProfileKeyNames(File(), "Boot").empty());
}

TEST_P(ProfilesContract, WritesCreateAndEditTheFile) {
  bench().WriteFile(File(),
                    "[boot]\r\nshell=Explorer.exe\r\nquoted=\"a b\"\r\n\r\n[Screen Saver.Marquee]\r\n"
                    "Text=Hello\r\n");
  EXPECT_EQ(ini().ReadProfileString(File(), "BOOT", "Shell", ""), "Explorer.exe");
  EXPECT_EQ(ini().ReadProfileString(File(), "boot", "quoted", ""), "a b");
  ASSERT_EQ(ini().WriteProfileValue(File(), "Boot", "SCRNSAVE.EXE", "C:\\x.scr"), err::Success);
  ASSERT_EQ(ini().WriteProfileValue(File(), "boot", "shell", "progman.exe"), err::Success);
  ASSERT_EQ(ini().WriteProfileValue(File(), "Screen Saver.Mystify", "Speed", "3"), err::Success);
  EXPECT_EQ(ini().ReadProfileString(File(), "boot", "shell", ""), "progman.exe");
  EXPECT_EQ(ini().ReadProfileString(File(), "boot", "scrnsave.exe", ""), "C:\\x.scr");
  EXPECT_EQ(ini().ProfileKeyNames(File(), "Boot"),
            (std::vector<std::string>{"shell", "quoted", "SCRNSAVE.EXE"}));
  EXPECT_EQ(ini().ProfileSectionNames(File()),
            (std::vector<std::string>{"boot", "Screen Saver.Marquee", "Screen Saver.Mystify"}));

  ASSERT_EQ(ini().DeleteProfileKey(File(), "Boot", "quoted"), err::Success);
  ASSERT_EQ(ini().DeleteProfileSection(File(), "screen saver.marquee"), err::Success);
  EXPECT_EQ(ini().ProfileKeyNames(File(), "Boot"),
            (std::vector<std::string>{"shell", "SCRNSAVE.EXE"}));
  EXPECT_EQ(ini().ProfileSectionNames(File()),
            (std::vector<std::string>{"boot", "Screen Saver.Mystify"}));

  const std::string fresh = bench().Path("fresh.ini");
  ASSERT_EQ(ini().WriteProfileValue(fresh, "Desktop", "Pattern", "(None)"), err::Success);
  EXPECT_EQ(ini().ReadProfileString(fresh, "desktop", "pattern", ""), "(None)");
}

QV_CONTRACT_SUITE(ProfilesContract);

}  // namespace
}  // namespace qv::test
