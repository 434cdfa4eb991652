#include <gtest/gtest.h>

#include "platform/memory/paths.h"

namespace qv::mem {
namespace {

std::string Resolve(const std::string& path, WinError* error = nullptr, bool wild = false) {
  FsPath current;
  current.drive = 'C';
  current.parts = {"WINDOWS", "Temp"};
  FsPath out;
  WinError e = ResolvePath(path, current, wild, out);
  if (error) *error = e;
  return e == err::Success ? out.ToString() : "error " + std::to_string(e);
}

TEST(Paths, ResolveLikeWindows) {
  EXPECT_EQ(Resolve("C:\\a\\b"), "C:\\a\\b");
  EXPECT_EQ(Resolve("c:/a//b\\"), "C:\\a\\b");
  EXPECT_EQ(Resolve("x.txt"), "C:\\WINDOWS\\Temp\\x.txt");
  EXPECT_EQ(Resolve("..\\x.txt"), "C:\\WINDOWS\\x.txt");
  EXPECT_EQ(Resolve("\\x.txt"), "C:\\x.txt");
  EXPECT_EQ(Resolve("C:..\\..\\..\\x"), "C:\\x");  // ".." stops at the root
  EXPECT_EQ(Resolve("D:x"), "D:\\x");
  EXPECT_EQ(Resolve("C:\\name. "), "C:\\name");  // trailing dots and blanks go
  EXPECT_EQ(Resolve("C:\\a\\.\\b"), "C:\\a\\b");
  EXPECT_EQ(Resolve("C:"), "C:\\WINDOWS\\Temp");
  EXPECT_EQ(Resolve(""), "error 3");
  EXPECT_EQ(Resolve("\\\\server\\share\\x"), "error 3");
  EXPECT_EQ(Resolve("C:\\a<b"), "error 123");
  EXPECT_EQ(Resolve("C:\\a*"), "error 123");
  EXPECT_EQ(Resolve("C:\\a*", nullptr, true), "C:\\a*");
  EXPECT_EQ(Resolve("C:\\*\\b", nullptr, true), "error 123");  // only the last name
}

TEST(Paths, TrailingSeparator) {
  EXPECT_TRUE(HasTrailingSeparator("C:\\a\\"));
  EXPECT_FALSE(HasTrailingSeparator("C:\\"));
  EXPECT_FALSE(HasTrailingSeparator("\\"));
  EXPECT_FALSE(HasTrailingSeparator("C:\\a"));
}

TEST(Paths, DosWildcards) {
  EXPECT_TRUE(WildcardMatch("*.*", "README"));
  EXPECT_TRUE(WildcardMatch("*.*", "a.b.c"));
  EXPECT_TRUE(WildcardMatch("*", "."));
  EXPECT_TRUE(WildcardMatch("*.TXT", "notes.txt"));
  EXPECT_FALSE(WildcardMatch("*.txt", "notes.txt.bak"));
  EXPECT_TRUE(WildcardMatch("*.", "README"));
  EXPECT_FALSE(WildcardMatch("*.", "a.txt"));
  EXPECT_TRUE(WildcardMatch("foo.*", "foo"));
  EXPECT_TRUE(WildcardMatch("?at", "Cat"));
  EXPECT_FALSE(WildcardMatch("?at", "at"));
  EXPECT_TRUE(WildcardMatch("a*b*c", "aXXbYYc"));
  EXPECT_FALSE(WildcardMatch("a*b*c", "aXXbYY"));
}

TEST(Paths, RegistryKeyPaths) {
  std::vector<std::string> names;
  EXPECT_EQ(SplitKeyPath("Software\\ZTR\\Qorvel", names), err::Success);
  EXPECT_EQ(names, (std::vector<std::string>{"Software", "ZTR", "Qorvel"}));
  EXPECT_EQ(SplitKeyPath("Software\\", names), err::Success);
  EXPECT_EQ(names, std::vector<std::string>{"Software"});
  EXPECT_EQ(SplitKeyPath("", names), err::Success);
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(SplitKeyPath("\\Software", names), err::BadPathname);
  EXPECT_EQ(SplitKeyPath("A\\\\B", names), err::BadPathname);
}

}  // namespace
}  // namespace qv::mem
