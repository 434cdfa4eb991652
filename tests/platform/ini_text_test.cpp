#include "platform/memory/ini_text.h"

#include <gtest/gtest.h>

namespace qv::mem {
namespace {

const char* const kSample =
    "; a comment\r\n"
    "[Boot]\r\n"
    "shell = Explorer.exe \r\n"
    "SCRNSAVE.EXE=C:\\WINDOWS\\SYSTEM\\BLANK.SCR\r\n"
    "quoted=\"  spaced  \"\r\n"
    "novalue\r\n"
    "\r\n"
    "[Screen Saver.Marquee]\r\n"
    "Text=Hello\r\n"
    "[boot]\r\n"
    "shell=second\r\n";

TEST(IniText, ReadsLikeTheProfileCalls) {
  IniText ini(kSample);
  EXPECT_EQ(ini.Get("boot", "SHELL"), "Explorer.exe");  // first section and key count
  EXPECT_EQ(ini.Get(" Boot ", "scrnsave.exe"), "C:\\WINDOWS\\SYSTEM\\BLANK.SCR");
  EXPECT_EQ(ini.Get("Boot", "quoted"), "  spaced  ");
  EXPECT_EQ(ini.Get("Boot", "novalue"), "");
  EXPECT_FALSE(ini.Get("Boot", "missing").has_value());
  EXPECT_FALSE(ini.Get("Nowhere", "shell").has_value());
  EXPECT_FALSE(ini.Get("Boot", "; a comment").has_value());
  EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"Boot", "Screen Saver.Marquee"}));
  EXPECT_EQ(ini.Keys("BOOT"),
            (std::vector<std::string>{"shell", "SCRNSAVE.EXE", "quoted", "novalue"}));
}

TEST(IniText, EditsKeepEveryOtherLine) {
  IniText ini(kSample);
  ini.Set("boot", "SHELL", "progman.exe");           // replaced in place, spelling kept
  ini.Set("Boot", "added", "1");                     // after the section's last key
  ini.Set("Screen Saver.Mystify", "Speed", "3");     // a new section at the end
  ini.DeleteKey("Boot", "novalue");
  ini.DeleteKey("Boot", "absent");                   // nothing happens
  EXPECT_EQ(ini.Text(),
            "; a comment\r\n"
            "[Boot]\r\n"
            "shell=progman.exe\r\n"
            "SCRNSAVE.EXE=C:\\WINDOWS\\SYSTEM\\BLANK.SCR\r\n"
            "quoted=\"  spaced  \"\r\n"
            "added=1\r\n"
            "\r\n"
            "[Screen Saver.Marquee]\r\n"
            "Text=Hello\r\n"
            "[boot]\r\n"
            "shell=second\r\n"
            "\r\n"
            "[Screen Saver.Mystify]\r\n"
            "Speed=3\r\n");
  ini.DeleteSection("screen saver.marquee");
  EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"Boot", "Screen Saver.Mystify"}));
  EXPECT_EQ(ini.Get("Screen Saver.Mystify", "speed"), "3");
}

TEST(IniText, StartsFromNothing) {
  IniText ini;
  EXPECT_TRUE(ini.Sections().empty());
  ini.Set("Desktop", "Pattern", "(None)");
  EXPECT_EQ(ini.Text(), "[Desktop]\r\nPattern=(None)\r\n");
  IniText unix("[a]\nk=v\n");
  EXPECT_EQ(unix.Get("a", "k"), "v");
}

}  // namespace
}  // namespace qv::mem
