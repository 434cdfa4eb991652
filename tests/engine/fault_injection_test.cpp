// Saves and loads that fail part way: a disk that fills up at each write in
// turn, a registry write that fails at each call in turn, a settings file
// cut at each byte. Every such run ends with SETTINGS_ERROR, without a box,
// with a report that has its header, names the failure and ends with the
// tail; no file is left in part and claimed as copied; the backup file is
// whole or reported as missing (and then nothing was applied).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/batch.h"
#include "config/cat_config.h"
#include "config/options.h"
#include "config/section_catalogue.h"
#include "engine/file_utils.h"
#include "engine/program.h"
#include "engine/run_report.h"
#include "engine/settings.h"
#include "platform/memory/memory_machine.h"
#include "platform/system_parameters.h"
#include "support/memory_fixture.h"

namespace qv::test {
namespace {

constexpr const char* kSettings = "C:\\work\\moved.qrv";
constexpr const char* kBackup = "C:\\work\\backup.qrv";
constexpr const char* kReport = "C:\\work\\report.txt";
const std::vector<std::pair<std::string, std::string>> kDataFiles = {
    {"C:\\Data\\notes.txt", "notes of the source"},
    {"C:\\Data\\Deep\\list.txt", "a list\r\nof two lines"},
};

void Put(const std::string& path, const std::string& bytes) {
  ForceFolders(FolderOf(path));
  PutFile(static_cast<MemoryMachine&>(CurrentMachine()), path, bytes);
}

bool Has(const std::vector<std::string>& lines, const std::string& part) {
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& l) { return l.find(part) != std::string::npos; });
}

// Every item the factory builds, a wallpaper bitmap and two data files,
// saved on a Windows 98 machine: the bytes of the settings file.
std::string SourceFile() {
  MemoryMachine source(okWin98);
  MachineScope on(source);
  ProgramObjects program("");
  Options().QuietMode = true;
  Put("C:\\Pictures\\Sea.bmp", "BM sea");
  std::string bitmap = "C:\\Pictures\\Sea.bmp";
  source.SystemParameters()->ParameterText(spi::SetDeskWallpaper, 0, &bitmap, spif::UpdateIniFile);
  TCatConfig& config = CurrentConfig();
  config.PersonalityItems.SetAll(false);
  config.ConnectivityItems.SetAll(false);
  for (std::size_t i = 0; i < kCatalogueSize; ++i) {
    const TCatalogueEntry& entry = Catalogue()[i];
    if (!CreateSettingsItem(entry.name)) continue;
    (entry.group == TSectionGroup::Personality ? config.PersonalityItems : config.ConnectivityItems)
        .SetSelected(entry.name, true);
  }
  config.FileList.clear();
  for (const auto& [path, text] : kDataFiles) {
    Put(path, text);
    config.FileList.push_back(path);
  }
  ForceFolders("C:\\work");
  EXPECT_EQ(BatchSave(kSettings), SETTINGS_OK);
  return FileText(source, kSettings);
}

class FaultInjection : public ::testing::Test {
 protected:
  FaultInjection() : source_(SourceFile()), target_(okWinNT) {
    MachineScope on(target_);
    ForceFolders("C:\\work");
    Put(kSettings, source_);
    Put("C:\\Data\\mine.txt", "the target's own file");
  }

  struct Run {
    SETTINGS_RC rc = SETTINGS_ERROR;
    std::vector<std::string> report;
    std::size_t boxes = 0;
  };

  // A quiet batch load on `m` with a backup file.
  static Run Load(MemoryMachine& m) {
    MachineScope on(m);
    ProgramObjects program("");
    Options().QuietMode = true;
    Options().BackupToFile = kBackup;
    Run run;
    run.rc = BatchLoad(kSettings);
    run.report = RunReport().Lines();
    run.boxes = m.ShownPrompts().size();
    return run;
  }

  // What every failed load must hold to.
  void ExpectHonestFailure(const Run& run, MemoryMachine& m, const std::string& failure) {
    EXPECT_EQ(run.rc, SETTINGS_ERROR);
    EXPECT_EQ(run.boxes, 0u);
    ASSERT_GE(run.report.size(), 4u);
    EXPECT_EQ(run.report[1], "ZTR QRV - Qorvel");
    EXPECT_EQ(run.report[run.report.size() - 2], "End of Report");
    EXPECT_TRUE(Has(run.report, failure)) << "the report does not name \"" << failure << "\"";
    // A data file is there whole, or not at all; one that is claimed as
    // copied is there whole.
    for (const auto& [path, text] : kDataFiles) {
      std::string now = FileText(m, path);
      EXPECT_TRUE(now == text || now == "<missing>") << path << " holds " << now;
      if (Has(run.report, "Copied file " + path)) EXPECT_EQ(now, text) << path;
    }
    EXPECT_EQ(FileText(m, "C:\\Data\\mine.txt"), "the target's own file");
    // The backup is whole, or reported missing and then nothing was applied.
    std::string backup = FileText(m, kBackup);
    if (backup == "<missing>") {
      EXPECT_FALSE(Has(run.report, "System settings backed up to"));
    } else {
      EXPECT_EQ(backup, cleanBackup_);
    }
    if (Has(run.report, "Could not write backup file")) {
      EXPECT_EQ(backup, "<missing>");
      MemoryMachine before(target_);
      m.FillDiskAtWrite(0);
      m.FailRegistryWrite(0);
      EXPECT_EQ(MemoryMachine::Differences(before, m, CompareOptions{false}),
                std::vector<std::string>{});
    }
  }

  // The number of file and registry writes a load that goes well makes,
  // and its backup file.
  void CleanLoad(std::uint64_t& fileWrites, std::uint64_t& registryWrites) {
    MemoryMachine m(target_);
    m.FillDiskAtWrite(0);
    m.FailRegistryWrite(0);
    Run run = Load(m);
    ASSERT_EQ(run.rc, SETTINGS_OK) << ::testing::PrintToString(run.report);
    fileWrites = m.FileWrites();
    registryWrites = m.RegistryWrites();
    cleanBackup_ = FileText(m, kBackup);
    ASSERT_NE(cleanBackup_, "<missing>");
  }

  std::string source_;
  MemoryMachine target_;
  std::string cleanBackup_;
};

TEST_F(FaultInjection, ASaveOntoADiskThatFillsAtEachWriteFailsAndSaysSo) {
  MemoryMachine source(okWin98);
  {
    MachineScope on(source);
    Put("C:\\Data\\notes.txt", "notes");
    ForceFolders("C:\\work");
  }
  auto save = [&](MemoryMachine& m, std::vector<std::string>& report) {
    MachineScope on(m);
    ProgramObjects program("");
    Options().QuietMode = true;
    CurrentConfig().FileList = {"C:\\Data\\notes.txt"};
    SETTINGS_RC rc = BatchSave(kSettings);
    report = RunReport().Lines();
    return rc;
  };
  std::vector<std::string> report;
  MemoryMachine clean(source);
  clean.FillDiskAtWrite(0);
  ASSERT_EQ(save(clean, report), SETTINGS_OK);
  const std::uint64_t writes = clean.FileWrites();
  ASSERT_GT(writes, 10u);
  for (std::uint64_t at = 1; at <= writes; ++at) {
    SCOPED_TRACE("disk full at write " + std::to_string(at));
    MemoryMachine m(source);
    m.FillDiskAtWrite(at);
    EXPECT_EQ(save(m, report), SETTINGS_ERROR);
    EXPECT_TRUE(m.ShownPrompts().empty());
    EXPECT_TRUE(Has(report, "Insufficient disk space") ||
                Has(report, "There is not enough space on the disk."))
        << ::testing::PrintToString(report);
    EXPECT_EQ(report.back(), std::string(79, '-'));
  }
}

TEST_F(FaultInjection, ALoadOntoADiskThatFillsAtEachWriteFailsHonestly) {
  std::uint64_t fileWrites = 0, registryWrites = 0;
  CleanLoad(fileWrites, registryWrites);
  ASSERT_GT(fileWrites, 2u);  // the backup and the data files at least
  int backupsMissing = 0;
  for (std::uint64_t at = 1; at <= fileWrites; ++at) {
    SCOPED_TRACE("disk full at write " + std::to_string(at));
    MemoryMachine m(target_);
    m.FillDiskAtWrite(at);
    Run run = Load(m);
    ExpectHonestFailure(run, m, "space on the disk");
    backupsMissing += Has(run.report, "Could not write backup file C:\\work\\backup.qrv : There is not enough space on the disk.");
  }
  // The first writes are the backup file's: those loads stopped at once.
  EXPECT_GE(backupsMissing, 1);
}

TEST_F(FaultInjection, ALoadWhoseRegistryWriteFailsAtEachCallFailsHonestly) {
  std::uint64_t fileWrites = 0, registryWrites = 0;
  CleanLoad(fileWrites, registryWrites);
  ASSERT_GT(registryWrites, 2u);
  for (std::uint64_t at = 1; at <= registryWrites; ++at) {
    SCOPED_TRACE("registry write " + std::to_string(at) + " fails");
    MemoryMachine m(target_);
    m.FailRegistryWrite(at);
    Run run = Load(m);
    ExpectHonestFailure(run, m, "Access is denied.");
  }
}

TEST_F(FaultInjection, ASettingsFileCutAtEachByteFailsHonestly) {
  std::uint64_t fileWrites = 0, registryWrites = 0;
  CleanLoad(fileWrites, registryWrites);
  for (std::size_t size = 0; size < source_.size(); ++size) {
    SCOPED_TRACE("cut at " + std::to_string(size) + " of " + std::to_string(source_.size()));
    MemoryMachine m(target_);
    {
      MachineScope on(m);
      Put(kSettings, source_.substr(0, size));
    }
    Run run = Load(m);
    EXPECT_EQ(run.rc, SETTINGS_ERROR);
    EXPECT_EQ(run.boxes, 0u);
    if (size < 16) {
      // Not even a header: nothing is read, the report says so.
      EXPECT_TRUE(Has(run.report, "is not a valid settings file.")) << ::testing::PrintToString(run.report);
      continue;
    }
    ExpectHonestFailure(run, m, "Attempt to read past end of file.");
  }
}

// A file cut short inside its source-system record, loaded as
// -l FILE -r REPORT -q: exit code 1, and the report file is the failed
// load's, not the backup's.
TEST_F(FaultInjection, TheReportOfALoadCutShortIsThatLoadsReport) {
  MachineScope on(target_);
  ProgramObjects program("");
  // The source record follows the configuration record: two lists of names
  // ending in "END". Cut two bytes into the record's first string.
  std::size_t configEnd = 16;
  for (int ends = 0; ends < 2;) {
    std::uint32_t length = 0;
    for (int i = 0; i < 4; ++i) length |= std::uint32_t(std::uint8_t(source_[configEnd + i])) << (8 * i);
    if (source_.substr(configEnd + 4, length) == "END") ++ends;
    configEnd += 4 + length;
  }
  Put(kSettings, source_.substr(0, configEnd + 6));
  Options().LoadFromFile = kSettings;
  Options().ReportFile = kReport;
  Options().QuietMode = true;
  EXPECT_EQ(RunBatch(), kExitFailed);
  EXPECT_TRUE(target_.ShownPrompts().empty());
  std::string report = FileText(target_, kReport);
  EXPECT_NE(report.find("ZTR QRV - Qorvel\r\n"), std::string::npos) << report;
  EXPECT_NE(report.find("Settings copied from : C:\\work\\moved.qrv\r\n"), std::string::npos);
  // The record ends inside the user name: no source, rather than this
  // machine's (which the backup had gathered).
  EXPECT_NE(report.find("Source System Name : \r\nSource System User : \r\n"), std::string::npos)
      << report;
  EXPECT_NE(report.find("\r\nAttempt to read past end of file.\r\n"), std::string::npos);
  EXPECT_NE(report.find("End of Report\r\n"), std::string::npos);
  EXPECT_EQ(report.find("Settings saved to"), std::string::npos);
}

}  // namespace
}  // namespace qv::test
