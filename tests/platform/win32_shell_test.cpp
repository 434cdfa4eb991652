// The shell port on the real system (Wine on the build machines).
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "platform/win32/win32_shell.h"

namespace qv::test {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool IsFolder(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(Win32Shell, SpecialFoldersAreFoldersWithoutATrailingBackslash) {
  Win32Shell shell;
  for (int csidl : {csidl::Programs, csidl::StartMenu, csidl::SendTo, csidl::DesktopDirectory}) {
    std::string path;
    ASSERT_EQ(shell.SpecialFolder(csidl, path), err::Success) << csidl;
    EXPECT_TRUE(IsFolder(path)) << path;
    EXPECT_NE(path.back(), '\\') << path;
  }
}

TEST(Win32Shell, TypeNamesAndIconsNeedNoFile) {
  Win32Shell shell;
  ShellFileInfo text, folder;
  ASSERT_TRUE(shell.FileTypeInfo("C:\\nowhere\\notes.txt", FILE_ATTRIBUTE_NORMAL, text));
  ASSERT_TRUE(shell.FileTypeInfo("C:\\nowhere\\Letters", FILE_ATTRIBUTE_DIRECTORY, folder));
  EXPECT_FALSE(text.typeName.empty());
  EXPECT_FALSE(folder.typeName.empty());
  EXPECT_NE(text.typeName, folder.typeName);
  EXPECT_GE(text.iconIndex, 0);
  EXPECT_GE(folder.iconIndex, 0);
}

TEST(Win32Shell, ModulesAreFoundWithTheirVersion) {
  Win32Shell shell;
  std::string kernel;
  ASSERT_EQ(shell.FindModule("kernel32.dll", kernel), err::Success);
  char system[MAX_PATH] = "";
  GetSystemDirectoryA(system, sizeof system);
  EXPECT_EQ(Lower(kernel), Lower(std::string(system) + "\\kernel32.dll"));
  std::uint32_t ms = 0, ls = 0;
  ASSERT_EQ(shell.FileVersion(kernel, ms, ls), err::Success);
  EXPECT_NE(ms, 0u);

  std::string nothing = "unchanged";
  EXPECT_NE(shell.FindModule("no-such-module-qv.dll", nothing), err::Success);
  EXPECT_EQ(nothing, "unchanged");
  ms = ls = 7;
  EXPECT_NE(shell.FileVersion("C:\\no-such-file-qv.dll", ms, ls), err::Success);
  EXPECT_EQ(ms, 0u);
  EXPECT_EQ(ls, 0u);
}

TEST(Win32Shell, RecycledFilesAndFoldersLeaveTheirPlace) {
  char temp[MAX_PATH] = "";
  GetTempPathA(sizeof temp, temp);
  const std::string folder = std::string(temp) + "qv-recycle";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string file = folder + "\\old.txt";
  HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);

  Win32Shell shell;
  EXPECT_EQ(shell.SendToRecycleBin(folder), err::Success);
  EXPECT_EQ(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(IsFolder(folder));
}

}  // namespace
}  // namespace qv::test
