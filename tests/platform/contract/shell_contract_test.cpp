// What the program relies on from the shell: the user's shell folders, and
// the recycle bin taking files and whole folders away from their place.
#include "platform/contract/fixture.h"
#include "platform/shell.h"
#include "platform/memory/paths.h"

namespace qv::test {
namespace {

class ShellContract : public ContractTest {
 protected:
  IShell& shell() { return *bench().machine().Shell(); }
  bool Exists(const std::string& path) {
    std::uint32_t attributes = 0;
    return files().Attributes(path, attributes) == err::Success;
  }
  // The string value of the user's "Shell Folders" key.
  std::string ShellFoldersValue(const char* name) {
    RegKey key = 0;
    if (reg().OpenKey(hkey::CurrentUser,
                      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                      RegAccess::Read, key) != err::Success)
      return "";
    std::vector<std::uint8_t> data(1024);
    std::uint32_t type = 0, size = static_cast<std::uint32_t>(data.size());
    std::string value;
    if (reg().QueryValue(key, name, &type, data.data(), &size) == err::Success)
      value.assign(reinterpret_cast<const char*>(data.data()));
    reg().CloseKey(key);
    return value;
  }
};

TEST_P(ShellContract, SpecialFoldersAreTheUsersShellFolders) {
  const struct {
    int csidl;
    const char* value;
  } folders[] = {{csidl::StartMenu, "Start Menu"}, {csidl::Programs, "Programs"},
                 {csidl::Startup, "Startup"},      {csidl::SendTo, "SendTo"},
                 {csidl::DesktopDirectory, "Desktop"}};
  for (const auto& f : folders) {
    std::string path;
    ASSERT_EQ(shell().SpecialFolder(f.csidl, path), err::Success) << f.value;
    EXPECT_TRUE(mem::EqualNoCase(path, ShellFoldersValue(f.value))) << f.value << ": " << path;
    EXPECT_NE(path.back(), '\\') << path;
  }
}

TEST_P(ShellContract, RecycledFilesAndFoldersLeaveTheirPlace) {
  bench().WriteFile(bench().Path("gone.txt"), "bye");
  ASSERT_EQ(files().MakeFolder(bench().Path("Tree")), err::Success);
  ASSERT_EQ(files().MakeFolder(bench().Path("Tree\\Sub")), err::Success);
  bench().WriteFile(bench().Path("Tree\\Sub\\inside.txt"), "in");
  bench().WriteFile(bench().Path("stays.txt"), "here");

  EXPECT_EQ(shell().SendToRecycleBin(bench().Path("gone.txt")), err::Success);
  EXPECT_EQ(shell().SendToRecycleBin(bench().Path("Tree")), err::Success);
  EXPECT_FALSE(Exists(bench().Path("gone.txt")));
  EXPECT_FALSE(Exists(bench().Path("Tree")));
  EXPECT_EQ(bench().ReadFile(bench().Path("stays.txt")), "here");
  // A name that is not there: the shell answers an error and moves nothing.
  EXPECT_NE(shell().SendToRecycleBin(bench().Path("never.txt")), err::Success);
  EXPECT_TRUE(Exists(bench().Path("stays.txt")));
}

QV_CONTRACT_SUITE(ShellContract);

}  // namespace
}  // namespace qv::test
