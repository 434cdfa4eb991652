// The command line: splitting the process's command line, and every rule of
// reading parameters into the options' run fields.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/options.h"
#include "engine/debug_log.h"
#include "support/memory_fixture.h"

namespace {

using Params = std::vector<std::string>;

TEST(CommandLineSplit, BlanksSeparateAndQuotesGroup) {
  EXPECT_EQ(SplitCommandLine("qorvel.exe -s a"), (Params{"qorvel.exe", "-s", "a"}));
  EXPECT_EQ(SplitCommandLine("  qorvel.exe\t-s  \t a  "), (Params{"qorvel.exe", "-s", "a"}));
  EXPECT_EQ(SplitCommandLine(R"("C:\Program Files\Qorvel\qorvel.exe" -s"C:\My Files\x.qrv" "a b")"),
            (Params{R"(C:\Program Files\Qorvel\qorvel.exe)", R"(-sC:\My Files\x.qrv)", "a b"}));
  // Quotes may sit anywhere in a parameter and are dropped.
  EXPECT_EQ(SplitCommandLine(R"(q a"b c"d)"), (Params{"q", "ab cd"}));
  EXPECT_EQ(SplitCommandLine(""), Params{});
  EXPECT_EQ(SplitCommandLine("   "), Params{});
}

TEST(CommandLineSplit, BackslashesArePlainAndOddQuotesRunToTheEnd) {
  // A folder with a closing backslash inside quotes stays as typed.
  EXPECT_EQ(SplitCommandLine(R"(q -l "C:\Backups\" -q)"), (Params{"q", "-l", R"(C:\Backups\)", "-q"}));
  EXPECT_EQ(SplitCommandLine(R"(q \\server\share\a.qrv)"), (Params{"q", R"(\\server\share\a.qrv)"}));
  EXPECT_EQ(SplitCommandLine(R"(q "a b -q)"), (Params{"q", "a b -q"}));
  EXPECT_EQ(SplitCommandLine(R"(q "" -q)"), (Params{"q", "", "-q"}));
}

class CommandLineTest : public qv::test::MemoryMachineTest {
 protected:
  bool Parse(const Params& params) {
    log_.Clear();
    return ParseCommandLine(params, options_);
  }
  TOptions options_{""};
  DebugLogRecorder log_;
};

TEST_F(CommandLineTest, NoParametersIsInteractiveAnyParameterIsBatch) {
  EXPECT_FALSE(Parse({}));
  EXPECT_TRUE(Parse({"-q"}));
  EXPECT_TRUE(options_.QuietMode);
  // A lone switch character asks for nothing but still means batch mode.
  TOptions fresh("");
  EXPECT_TRUE(ParseCommandLine({"-"}, fresh));
  EXPECT_TRUE(ParseCommandLine({"/"}, fresh));
  EXPECT_TRUE(ParseCommandLine({""}, fresh));
  EXPECT_EQ(fresh.SaveToFile + fresh.LoadFromFile + fresh.ReportFile + fresh.BackupToFile +
                fresh.AppListFile,
            "");
  EXPECT_FALSE(fresh.QuietMode);
}

TEST_F(CommandLineTest, BareFileNamesAreLoadedAsTyped) {
  EXPECT_TRUE(Parse({R"(C:\x.dat)"}));
  EXPECT_EQ(options_.LoadFromFile, R"(C:\x.dat)");
  Parse({"first.qrv", "settings"});
  EXPECT_EQ(options_.LoadFromFile, "settings");  // the later one, without an extension added
}

TEST_F(CommandLineTest, TheSecondCharacterSelectsTheSwitch) {
  Parse({"-S", "upper"});
  EXPECT_EQ(options_.SaveToFile, "upper.qrv");
  Parse({"/s", "slash"});
  EXPECT_EQ(options_.SaveToFile, "slash.qrv");
  Parse({"/L", "x"});
  EXPECT_EQ(options_.LoadFromFile, "x.qrv");

  // -save is -s with the value "ave"; x.qrv is then a bare file name.
  TOptions o("");
  ParseCommandLine({"-save", "x.qrv"}, o);
  EXPECT_EQ(o.SaveToFile, "ave.qrv");
  EXPECT_EQ(o.LoadFromFile, "x.qrv");
}

TEST_F(CommandLineTest, ValuesAreTheRestOfTheParameterOrTheNextOne) {
  Parse({R"(-sC:\new.qrv)"});
  EXPECT_EQ(options_.SaveToFile, R"(C:\new.qrv)");
  Parse({"-lsettings"});
  EXPECT_EQ(options_.LoadFromFile, "settings.qrv");
  Parse({"-Lsettings.QRV"});
  EXPECT_EQ(options_.LoadFromFile, "settings.QRV");

  // The next parameter is taken whatever it looks like.
  TOptions o("");
  ParseCommandLine({"-l", "-q"}, o);
  EXPECT_EQ(o.LoadFromFile, "-q.qrv");
  EXPECT_FALSE(o.QuietMode);
  ParseCommandLine({"-r", "/s"}, o);
  EXPECT_EQ(o.ReportFile, "/s.txt");
  EXPECT_EQ(o.SaveToFile, "");
}

TEST_F(CommandLineTest, AMissingValueCancelsTheSwitch) {
  Parse({"-l", "a", "-l"});
  EXPECT_EQ(options_.LoadFromFile, "");
  Parse({"b.qrv", "-l"});
  EXPECT_EQ(options_.LoadFromFile, "");

  // -c without a value also drops the stored configuration file.
  TOptions o("");
  o.ConfigFile = R"(C:\stored.cfg)";
  ParseCommandLine({"-c"}, o);
  EXPECT_EQ(o.ConfigFile, "");
}

TEST_F(CommandLineTest, EachSwitchHasItsFieldAndDefaultExtension) {
  Parse({"-s", "s", "-l", "l", "-r", "r", "-b", "b", "-c", "c", "-a", "a"});
  EXPECT_EQ(options_.SaveToFile, "s.qrv");
  EXPECT_EQ(options_.LoadFromFile, "l.qrv");
  EXPECT_EQ(options_.ReportFile, "r.txt");
  EXPECT_EQ(options_.BackupToFile, "b.qrv");
  EXPECT_EQ(options_.ConfigFile, "c.cfg");
  EXPECT_EQ(options_.AppListFile, "a.txt");
  EXPECT_FALSE(options_.QuietMode);

  // The extension anywhere in the name, in any case, is enough.
  Parse({"-sa.QRV", "-ba.qrv.bak", "-rnotes.TXT.old", "-cx.Cfg", "-aapps"});
  EXPECT_EQ(options_.SaveToFile, "a.QRV");
  EXPECT_EQ(options_.BackupToFile, "a.qrv.bak");
  EXPECT_EQ(options_.ReportFile, "notes.TXT.old");
  EXPECT_EQ(options_.ConfigFile, "x.Cfg");
  EXPECT_EQ(options_.AppListFile, "apps.txt");
  // Another switch's extension does not count.
  Parse({"-r", "report.qrv"});
  EXPECT_EQ(options_.ReportFile, "report.qrv.txt");
}

TEST_F(CommandLineTest, QuietTakesNoValueAndLaterSwitchesWin) {
  Parse({"-quiet", "x"});
  EXPECT_TRUE(options_.QuietMode);
  EXPECT_EQ(options_.LoadFromFile, "x");  // not consumed by -q

  Parse({"-s", "a", "/S", "b", "-sc"});
  EXPECT_EQ(options_.SaveToFile, "c.qrv");
}

TEST_F(CommandLineTest, UnknownSwitchesRaise) {
  for (const char* p : {"-x", "/?", "--", "-h", "-Zebra"}) {
    TOptions o("");
    try {
      ParseCommandLine({"-s", "a", p, "-l", "b"}, o);
      ADD_FAILURE() << p << " was accepted";
    } catch (const EUnknownSwitch& e) {
      EXPECT_EQ(e.Parameter, p);
      EXPECT_EQ(o.LoadFromFile, "") << "parameters after the unknown switch are not read";
    }
  }
}

TEST_F(CommandLineTest, TheResultGoesToTheDebugLog) {
  Parse({"-s", "a", "-l", "b", "-r", "r", "-q", "-b", "bak", "-c", "cfg", "-a", "apps"});
  EXPECT_EQ(log_.Lines(), (Params{"QuietMode", "SaveToFile : a.qrv", "LoadFromFile : b.qrv",
                                  "BackupToFile : bak.qrv", "ReportFile : r.txt"}));
  TOptions o("");
  log_.Clear();
  ParseCommandLine({"x"}, o);
  EXPECT_EQ(log_.Lines(), (Params{"SaveToFile : ", "LoadFromFile : x", "BackupToFile : ",
                                  "ReportFile : "}));
}

}  // namespace
