// Batch mode: the steps RunBatch takes and their order, the boxes of the
// save and load steps with and without quiet mode, and the exit codes.
#include "app/batch.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/app_windows.h"
#include "app/command_line.h"
#include "config/cat_config.h"
#include "config/options.h"
#include "engine/file_utils.h"
#include "engine/program.h"
#include "engine/run_report.h"
#include "engine/settings.h"
#include "engine/status.h"
#include "stream/connection.h"
#include "platform/prompts.h"
#include "support/memory_fixture.h"
#include "undo/undo_manager.h"

namespace qv::test {
namespace {

// A settings item whose save fails.
class FailingItem : public TSettings {
 public:
  bool Read(TConnection&) override { return false; }
  bool Write(TConnection& s) override {
    s.AddComment("Failing item");
    return false;
  }
};

// Copies a file from one machine to another (a floppy between two PCs).
void Carry(MemoryMachine& from, MemoryMachine& to, const std::string& path) {
  std::string bytes;
  {
    MachineScope scope(from);
    FileHandle h;
    ASSERT_EQ(from.Files().Open(path, FileAccess::Read, Disposition::OpenExisting, 0, h),
              err::Success);
    char buf[4096];
    std::uint32_t done = 0;
    while (from.Files().Read(h, buf, sizeof buf, done) == err::Success && done) bytes.append(buf, done);
    from.Files().Close(h);
  }
  MachineScope scope(to);
  FileHandle h;
  ASSERT_EQ(to.Files().Open(path, FileAccess::Write, Disposition::CreateAlways, 0, h), err::Success);
  std::uint32_t done = 0;
  to.Files().Write(h, bytes.data(), static_cast<std::uint32_t>(bytes.size()), done);
  to.Files().Close(h);
}

void Prepare(MemoryMachine& m) {
  MachineScope scope(m);
  m.Files().MakeFolder("C:\\work");
  m.Files().MakeFolder("C:\\data");
}

// Writes a whole file on the current machine.
void Put(const std::string& path, const std::string& bytes) {
  IFiles& files = CurrentMachine().Files();
  FileHandle h;
  ASSERT_EQ(files.Open(path, FileAccess::Write, Disposition::CreateAlways, 0, h), err::Success);
  std::uint32_t done = 0;
  files.Write(h, bytes.data(), static_cast<std::uint32_t>(bytes.size()), done);
  files.Close(h);
}

// A configuration file that keeps the item selection and lists data files.
void PutFilesConfig(const std::string& path, const std::vector<std::string>& files) {
  std::string text = "Files\r\n";
  for (const std::string& f : files) text += "\"" + f + "\"\r\n";
  Put(path, text + "EndFiles\r\n");
}

class BatchTest : public MemoryMachineTest {
 protected:
  BatchTest() : program_("") {
    Prepare(machine());
    AppWindows() = TAppWindows{};
  }
  ~BatchTest() override { AppWindows() = TAppWindows{}; }

  void CommandLine(const std::vector<std::string>& params) {
    ASSERT_TRUE(ParseCommandLine(params, Options()));
  }
  // Makes a settings file on a machine of its own, with one data file, and
  // carries it here.
  void SourceFile(const std::string& qrv, const std::string& dataFile, const std::string& bytes) {
    MemoryMachine source(okWin98);
    Prepare(source);
    {
      MachineScope scope(source);
      ForceFolders(FolderOf(dataFile));
      Put(dataFile, bytes);
      std::vector<std::string> files = CurrentConfig().FileList;
      bool quiet = Options().QuietMode;
      CurrentConfig().FileList = {dataFile};
      Options().QuietMode = true;
      EXPECT_EQ(BatchSave(qrv), SETTINGS_OK);
      CurrentConfig().FileList = files;
      Options().QuietMode = quiet;
      Options().LastSavedFile.clear();
    }
    Carry(source, machine(), qrv);
  }
  std::vector<ShownPrompt> Boxes() { return machine().ShownPrompts(); }

 private:
  ProgramObjects program_;
};

TEST_F(BatchTest, SaveLoadReportAndListRunInThatOrder) {
  SourceFile("C:\\work\\b.qrv", "C:\\data\\from-source.txt", "source bytes");
  WriteFile("C:\\data\\local.txt", "local bytes");
  PutFilesConfig("C:\\work\\local.cfg", {"C:\\data\\local.txt"});

  CommandLine({"-s", "C:\\work\\a", "-l", "C:\\work\\b", "-r", "C:\\work\\r", "-c",
               "C:\\work\\local", "-a", "C:\\work\\apps", "-q"});
  EXPECT_EQ(RunBatch(), kExitSuccess);

  // The save used the configuration file and wrote a settings file.
  EXPECT_EQ(Options().LastSavedFile, "C:\\work\\a.qrv");
  std::string saved = ReadFile("C:\\work\\a.qrv");
  ASSERT_GT(saved.size(), 16u);
  EXPECT_EQ(saved.substr(4, 8), std::string("ZTR QRV\0", 8));
  EXPECT_NE(saved.find("C:\\data\\local.txt"), std::string::npos);
  // The load brought the source's data file.
  EXPECT_EQ(ReadFile("C:\\data\\from-source.txt"), "source bytes");
  // The report file holds the load's report, which replaced the save's.
  std::string report = ReadFile("C:\\work\\r.txt");
  EXPECT_NE(report.find("Settings copied from : C:\\work\\b.qrv\r\n"), std::string::npos);
  EXPECT_NE(report.find("Copied file C:\\data\\from-source.txt\r\n"), std::string::npos);
  EXPECT_EQ(report.find("Settings saved to"), std::string::npos);
  // The application list exists, without lines for now.
  EXPECT_EQ(ReadFile("C:\\work\\apps.txt"), "0 Installed applications detected.\r\n\r\n");
  // Quiet: nobody was asked anything, and the undo manager stopped recording.
  EXPECT_TRUE(Boxes().empty());
  EXPECT_FALSE(UndoManager().Recording);
  EXPECT_FALSE(Options().bSaveToRegistry);
}

TEST_F(BatchTest, TheSaveComesBeforeTheLoadOfTheSameFile) {
  WriteFile("C:\\data\\mine.txt", "mine");
  PutFilesConfig("C:\\work\\mine.cfg", {"C:\\data\\mine.txt"});
  CommandLine({"-sC:\\work\\same", "-lC:\\work\\same", "-cC:\\work\\mine", "-q",
               "-rC:\\work\\r"});
  EXPECT_EQ(RunBatch(), kExitSuccess);
  std::string report = ReadFile("C:\\work\\r.txt");
  EXPECT_NE(report.find("Settings copied from : C:\\work\\same.qrv"), std::string::npos);
  // The file already there is neither copied nor mentioned.
  EXPECT_EQ(report.find("mine.txt"), std::string::npos);
  EXPECT_EQ(ReadFile("C:\\data\\mine.txt"), "mine");
}

TEST_F(BatchTest, SaveFailuresAreBoxedUnlessQuiet) {
  for (bool quiet : {false, true}) {
    SCOPED_TRACE(quiet ? "quiet" : "not quiet");
    machine().ClearShownPrompts();
    files().Remove("C:\\work\\out.qrv");
    Options().QuietMode = quiet;

    // A configuration file that is not there: nothing is written.
    Options().ConfigFile = "C:\\work\\none.cfg";
    EXPECT_EQ(BatchSave("C:\\work\\out.qrv"), SETTINGS_ERROR);
    EXPECT_EQ(ReadFile("C:\\work\\out.qrv"), "<missing>");
    Options().ConfigFile.clear();

    // A file that cannot be created.
    EXPECT_EQ(BatchSave("C:\\nofolder\\out.qrv"), SETTINGS_ERROR);
    EXPECT_EQ(Options().LastSavedFile, "");

    // A run that fails.
    ScopedSettingsItem failing("Colors", [] { return std::make_unique<FailingItem>(); });
    CurrentConfig().PersonalityItems.SetSelected("Colors", true);
    EXPECT_EQ(BatchSave("C:\\work\\out.qrv"), SETTINGS_ERROR);
    EXPECT_EQ(Options().LastSavedFile, "C:\\work\\out.qrv");
    EXPECT_NE(ReadFile("C:\\work\\out.qrv"), "<missing>");  // what was written stays
    Options().LastSavedFile.clear();

    std::vector<ShownPrompt> boxes = Boxes();
    if (quiet) {
      EXPECT_TRUE(boxes.empty());
      continue;
    }
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, "Configuration file C:\\work\\none.cfg not found.");
    EXPECT_EQ(boxes[1].text, "ERROR : Cannot create file C:\\nofolder\\out.qrv");
    EXPECT_EQ(boxes[2].text, "Error saving C:\\work\\out.qrv");
    for (const ShownPrompt& b : boxes) {
      EXPECT_EQ(b.caption, "Qorvel : Error");
      EXPECT_EQ(b.style, mb::Ok | mb::IconError);
    }
  }
}

TEST_F(BatchTest, LoadFailuresAreBoxedUnlessQuietAndAlwaysReported) {
  files().MakeFolder("C:\\work\\folder.qrv");
  WriteFile("C:\\work\\junk.qrv", "this is not a settings file");
  // A settings file of another format version.
  {
    TWriteFileConnection w;
    w.ConnectionVersion = 123;
    ASSERT_TRUE(w.Open("C:\\work\\old.qrv", kSettingsMagic));
  }
  MemoryMachine before(machine());
  struct Case {
    const char* file;
    std::vector<std::string> report;  // the lines before the tail
  };
  const Case cases[] = {
      {"C:\\work\\missing.qrv", {"File C:\\work\\missing.qrv not found."}},
      {"C:\\work\\folder.qrv", {"File C:\\work\\folder.qrv not found."}},
      {"C:\\work\\junk.qrv",
       {"Error reading C:\\work\\junk.qrv", "C:\\work\\junk.qrv is not a valid settings file."}},
      {"C:\\work\\old.qrv", {"QRV File version mismatch : Unable to load C:\\work\\old.qrv"}},
  };

  for (bool quiet : {false, true}) {
    SCOPED_TRACE(quiet ? "quiet" : "not quiet");
    machine().ClearShownPrompts();
    Options().QuietMode = quiet;
    for (const Case& c : cases) {
      SCOPED_TRACE(c.file);
      EXPECT_EQ(BatchLoad(c.file), SETTINGS_ERROR);
      std::vector<std::string> report = RunReport().Lines();
      ASSERT_GE(report.size(), c.report.size());
      EXPECT_EQ(std::vector<std::string>(report.begin(), report.begin() + c.report.size()), c.report);
      EXPECT_EQ(report.at(report.size() - 2), "End of Report");
    }

    // Quiet: nobody is asked anything, not even about a file that is no
    // settings file.
    std::vector<ShownPrompt> boxes = Boxes();
    if (quiet) {
      EXPECT_EQ(boxes.size(), 0u);
      continue;
    }
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0].text, "File C:\\work\\missing.qrv not found.");
    EXPECT_EQ(boxes[1].text, "File C:\\work\\folder.qrv not found.");
    for (int i : {0, 1}) {
      EXPECT_EQ(boxes[i].caption, "Qorvel");  // a plain notice
      EXPECT_EQ(boxes[i].style, mb::Ok);
    }
    EXPECT_EQ(boxes[2].text,
              "Error reading C:\\work\\junk.qrv\r\nC:\\work\\junk.qrv is not a valid settings file.");
    EXPECT_EQ(boxes[3].text, "QRV File version mismatch : Unable to load C:\\work\\old.qrv");
    for (std::size_t i = 2; i < boxes.size(); ++i) {
      EXPECT_EQ(boxes[i].caption, "Qorvel : Error");
      EXPECT_EQ(boxes[i].style, mb::Ok | mb::IconError);
    }
  }
  // Nothing was loaded, backed up or recorded.
  machine().ClearShownPrompts();
  MemoryMachine after(machine());
  EXPECT_EQ(MemoryMachine::Differences(before, after), std::vector<std::string>{});
  EXPECT_FALSE(UndoManager().Recording);
  EXPECT_FALSE(UndoManager().UndoAvailable());
}

TEST_F(BatchTest, ALoadThatIsNotQuietAsksWhetherToKeepIt) {
  SourceFile("C:\\work\\b.qrv", "C:\\data\\new\\from-source.txt", "source bytes");
  int reportsShown = 0;
  AppWindows().ShowReport = [&] { ++reportsShown; };
  Options().BackupToFile = "C:\\work\\backup.qrv";

  // Yes: the settings stay, and the report is shown.
  machine().QueueAnswer(id::Yes);
  EXPECT_EQ(BatchLoad("C:\\work\\b.qrv"), SETTINGS_OK);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(Boxes()[0].text.find("C:\\work\\backup.qrv"), std::string::npos);
  EXPECT_EQ(Boxes()[0].style & mb::ButtonsMask, mb::YesNo);
  EXPECT_EQ(reportsShown, 1);
  EXPECT_EQ(ReadFile("C:\\data\\new\\from-source.txt"), "source bytes");
  EXPECT_NE(ReadFile("C:\\work\\backup.qrv"), "<missing>");
  EXPECT_FALSE(UndoManager().Recording);

  // No: undo removes what the load created, and the backup file goes too.
  files().Remove("C:\\data\\new\\from-source.txt");
  files().RemoveFolder("C:\\data\\new");
  files().Remove("C:\\work\\backup.qrv");
  MemoryMachine before(machine());
  machine().ClearShownPrompts();
  machine().QueueAnswer(id::No);
  EXPECT_EQ(BatchLoad("C:\\work\\b.qrv"), SETTINGS_OK);
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(reportsShown, 1);
  EXPECT_EQ(ReadFile("C:\\work\\backup.qrv"), "<missing>");
  machine().ClearShownPrompts();
  CompareOptions noTimes;
  noTimes.fileTimes = false;
  EXPECT_EQ(MemoryMachine::Differences(before, machine(), noTimes), std::vector<std::string>{});
}

TEST_F(BatchTest, TheExitCodeTellsFailureAndCancellation) {
  SourceFile("C:\\work\\b.qrv", "C:\\data\\f.txt", "f");
  Options().QuietMode = true;

  // Nothing asked, or everything fine.
  EXPECT_EQ(RunBatch(), kExitSuccess);
  Options().LoadFromFile = "C:\\work\\b.qrv";
  Options().ReportFile = "C:\\work\\r.txt";
  EXPECT_EQ(RunBatch(), kExitSuccess);

  // A report or list that cannot be written fails the run; the later steps
  // still run.
  Options().ReportFile = "C:\\nofolder\\r.txt";
  Options().AppListFile = "C:\\work\\apps.txt";
  EXPECT_EQ(RunBatch(), kExitFailed);
  EXPECT_EQ(ReadFile("C:\\work\\apps.txt"), "0 Installed applications detected.\r\n\r\n");
  Options().ReportFile.clear();
  Options().AppListFile = "C:\\nofolder\\apps.txt";
  EXPECT_EQ(RunBatch(), kExitFailed);
  Options().AppListFile.clear();

  // A load that fails.
  Options().LoadFromFile = "C:\\work\\missing.qrv";
  EXPECT_EQ(RunBatch(), kExitFailed);
  Options().LoadFromFile.clear();

  // A cancelled save; a failure elsewhere outweighs it.
  WriteFile("C:\\data\\g.txt", "g");
  PutFilesConfig("C:\\work\\g.cfg", {"C:\\data\\g.txt"});
  Options().ConfigFile = "C:\\work\\g.cfg";
  Options().SaveToFile = "C:\\work\\a.qrv";
  TRecordingStatus status;
  StatusScope statusScope(status);
  status.CancelAt("Saving C:\\data\\g.txt");
  EXPECT_EQ(RunBatch(), kExitCancelled);
  status.CancelAt("Saving C:\\data\\g.txt");
  Options().LoadFromFile = "C:\\work\\missing.qrv";
  EXPECT_EQ(RunBatch(), kExitFailed);
  EXPECT_TRUE(Boxes().empty());
}

}  // namespace
}  // namespace qv::test
