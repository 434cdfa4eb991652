#include "stream/file_transfer.h"

#include "support/memory_fixture.h"
#include "support/streams.h"

namespace {

using qv::err::Success;

class FileTransferTest : public qv::test::MemoryMachineTest {
 protected:
  qv::FileTimes TimesOf(const std::string& path) {
    qv::FileInfo info;
    files().QueryInfo(path, info);
    return info.times;
  }
  std::uint32_t AttributesOf(const std::string& path) {
    std::uint32_t a = 0;
    files().Attributes(path, a);
    return a;
  }
  void SetLastWrite(const std::string& path, qv::FileTime t) {
    qv::FileHandle h;
    ASSERT_EQ(files().Open(path, qv::FileAccess::Write, qv::Disposition::OpenExisting, 0, h),
              Success);
    files().SetTimes(h, nullptr, nullptr, &t);
    files().Close(h);
  }
  // Writes the files into a fresh image and hands back a reader over it.
  std::unique_ptr<TReadMemoryConnection> Record(std::initializer_list<std::string> paths) {
    TWriteMemoryConnection w;
    w.Initialize();
    TFileWriter writer(w);
    for (const std::string& p : paths) EXPECT_TRUE(writer.WriteFile(p)) << writer.ErrorMessage();
    return qv::test::ReaderOf(w);
  }
};

TEST_F(FileTransferTest, ARecordCarriesNameSizeAttributesTimesAndChecksum) {
  ASSERT_EQ(files().MakeFolder("C:\\src"), Success);
  WriteFile("C:\\src\\abc.txt", "abc");
  files().SetAttributes("C:\\src\\abc.txt", qv::fattr::Hidden | qv::fattr::Archive);
  auto r = Record({"C:\\src\\abc.txt"});
  TFileTransferHeader h;
  ASSERT_TRUE(h.Read(*r));
  EXPECT_EQ(h.Name, "C:\\src\\abc.txt");
  EXPECT_EQ(h.Size, 3u);
  EXPECT_EQ(h.Checksum, 294u);  // 97 + 98 + 99
  EXPECT_EQ(h.Attributes, qv::fattr::Hidden | qv::fattr::Archive);
  EXPECT_EQ(h.LastWriteTime, TimesOf("C:\\src\\abc.txt").lastWrite);
  EXPECT_EQ(r->Remaining(), 3);
  // Layout: string, size, attributes, three 8-byte times, checksum, data.
  EXPECT_EQ(r->GetPosition(), 4 + 14 + 4 + 4 + 24 + 4);
}

TEST_F(FileTransferTest, FilesComeBackWithTheirTimesAndAttributesInNewFolders) {
  ASSERT_EQ(files().MakeFolder("C:\\src"), Success);
  WriteFile("C:\\src\\empty.dat", "");
  std::string big(150000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i % 251);
  WriteFile("C:\\src\\big.dat", big);
  SetLastWrite("C:\\src\\big.dat", 126000000000000000ull);
  files().SetAttributes("C:\\src\\big.dat", qv::fattr::ReadOnly);
  auto r = Record({"C:\\src\\empty.dat", "C:\\src\\big.dat"});

  TFileReader reader(*r, false, false);
  ASSERT_TRUE(reader.ReadFile(false, "C:\\new\\deep\\chain\\empty.dat"));
  ASSERT_TRUE(reader.ReadFile(false, "C:\\new\\deep\\chain\\big.dat"));
  EXPECT_EQ(reader.ErrorMessage(), "");
  EXPECT_EQ(ReadFile("C:\\new\\deep\\chain\\empty.dat"), "");
  EXPECT_EQ(ReadFile("C:\\new\\deep\\chain\\big.dat"), big);
  EXPECT_EQ(TimesOf("C:\\new\\deep\\chain\\big.dat").lastWrite, 126000000000000000ull);
  EXPECT_EQ(TimesOf("C:\\new\\deep\\chain\\big.dat").creation, TimesOf("C:\\src\\big.dat").creation);
  EXPECT_EQ(AttributesOf("C:\\new\\deep\\chain\\big.dat"), qv::fattr::ReadOnly);
  EXPECT_EQ(r->Remaining(), 0);
}

TEST_F(FileTransferTest, AReadOnlyTargetIsReplacedAndKeepsTheRecordsAttributes) {
  WriteFile("C:\\source.txt", "new contents");
  auto r = Record({"C:\\source.txt"});
  WriteFile("C:\\target.txt", "old");
  files().SetAttributes("C:\\target.txt", qv::fattr::ReadOnly | qv::fattr::Hidden | qv::fattr::System);
  TFileReader reader(*r, false, false);
  ASSERT_TRUE(reader.ReadFile(false, "C:\\target.txt"));
  EXPECT_EQ(ReadFile("C:\\target.txt"), "new contents");
  EXPECT_EQ(AttributesOf("C:\\target.txt"), qv::fattr::Archive);
}

TEST_F(FileTransferTest, ComparingByDateAndChecksumDecidesWhetherToReplace) {
  WriteFile("C:\\rec.txt", "record");
  SetLastWrite("C:\\rec.txt", 5000);
  auto image = [&] { return Record({"C:\\rec.txt"}); };
  struct Case {
    bool byDate, byChecksum;
    std::string existing;
    qv::FileTime existingTime;
    bool replaced;
  };
  const Case cases[] = {
      {true, false, "other", 5000, false},   // equal times: kept
      {true, false, "other", 4999, true},    // older: replaced
      {true, false, "other", 5001, false},   // newer: kept
      {false, true, "record", 1, false},     // identical: kept
      {false, true, "recorX", 1, false},     // differs but no date rule: kept
      {true, true, "recorX", 1, true},       // differs and older: replaced
      {true, true, "record", 1, false},      // identical, though older: kept
      {false, false, "other", 9999, true},   // no rule: always replaced
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.existing + " " + std::to_string(c.existingTime));
    WriteFile("C:\\there.txt", c.existing);
    SetLastWrite("C:\\there.txt", c.existingTime);
    auto r = image();
    TFileReader reader(*r, c.byDate, c.byChecksum);
    ASSERT_TRUE(reader.ReadFile(false, "C:\\there.txt"));
    EXPECT_EQ(ReadFile("C:\\there.txt"), c.replaced ? "record" : c.existing);
    EXPECT_EQ(r->Remaining(), 0);  // passed over or read, the stream is after the record
    auto forced = image();
    TFileReader force(*forced, c.byDate, c.byChecksum);
    ASSERT_TRUE(force.ReadFile(true, "C:\\there.txt"));
    EXPECT_EQ(ReadFile("C:\\there.txt"), "record");
  }
  // A missing target is always written, under the record's own name too.
  TWriteMemoryConnection w;
  w.Initialize();
  TFileTransferHeader h;
  h.Name = "C:\\restored\\rec.txt";
  h.Size = 2;
  h.Write(w);
  w.WriteBuffer("ok", 2);
  auto rrOwner = qv::test::ReaderOf(w);
  TReadMemoryConnection& rr = *rrOwner;
  TFileReader reader(rr, true, true);
  ASSERT_TRUE(reader.ReadFile(false));
  EXPECT_EQ(ReadFile("C:\\restored\\rec.txt"), "ok");
}

TEST_F(FileTransferTest, SkipFilePassesOverALargeRecord) {
  WriteFile("C:\\large.bin", std::string(100000, 'z'));
  TWriteMemoryConnection w;
  w.Initialize();
  TFileWriter writer(w);
  ASSERT_TRUE(writer.WriteFile("C:\\large.bin"));
  w.WriteInteger(4242);
  auto rOwner = qv::test::ReaderOf(w);
  TReadMemoryConnection& r = *rOwner;
  TFileReader reader(r, false, false);
  ASSERT_TRUE(reader.SkipFile());
  EXPECT_EQ(r.ReadInteger(), 4242);
}

TEST_F(FileTransferTest, FailuresSayWhatWentWrong) {
  TWriteMemoryConnection w;
  w.Initialize();
  TFileWriter writer(w);
  EXPECT_FALSE(writer.WriteFile("C:\\missing.txt"));
  EXPECT_EQ(writer.ErrorMessage(), "Cannot read file C:\\missing.txt");
  EXPECT_EQ(w.Position(), 0u);  // nothing written
  EXPECT_EQ(log(), std::vector<std::string>{"TFileWriter : Cannot open C:\\missing.txt"});

  WriteFile("C:\\a.txt", "data");
  auto r = Record({"C:\\a.txt"});
  WriteFile("C:\\blocker", "a file where a folder should be");
  TFileReader reader(*r, false, false);
  EXPECT_FALSE(reader.ReadFile(true, "C:\\blocker\\sub\\a.txt"));
  EXPECT_EQ(reader.ErrorMessage(), "Can't create directory C:\\blocker\\sub .");
  EXPECT_EQ(log().back(), "Can't create directory C:\\blocker\\sub .");
  EXPECT_EQ(r->Remaining(), 0);  // the record was passed over

  r = Record({"C:\\a.txt"});
  ASSERT_EQ(files().MakeFolder("C:\\dir.txt"), Success);
  TFileReader reader2(*r, false, false);
  EXPECT_FALSE(reader2.ReadFile(true, "C:\\dir.txt"));
  EXPECT_EQ(reader2.ErrorMessage(), "Cant create file C:\\dir.txt");

  // A full disk stops the copy.
  std::uint64_t freeBytes, total;
  files().DiskFreeSpace("C:\\", freeBytes, total);
  machine().SetDriveCapacity('C', total - freeBytes + 2);
  r = Record({"C:\\a.txt"});
  TFileReader reader3(*r, false, false);
  EXPECT_FALSE(reader3.ReadFile(true, "C:\\full.txt"));
  EXPECT_EQ(reader3.ErrorMessage(),
            "Error writing file C:\\full.txt : There is not enough space on the disk.");
  EXPECT_EQ(log().back(), "Error 112 writing to file.");
  // The part written is no copy: it is gone, and the stream is past the record.
  EXPECT_EQ(ReadFile("C:\\full.txt"), "<missing>");
  EXPECT_EQ(r->Remaining(), 0);
}

TEST_F(FileTransferTest, ADamagedSizeIsAReadErrorBeforeAnyFileIsMade) {
  TWriteMemoryConnection w;
  w.Initialize();
  TFileTransferHeader h;
  h.Name = "C:\\victim.txt";
  h.Size = 1000000;  // the stream holds 3 bytes of it
  h.Write(w);
  w.WriteBuffer("abc", 3);
  auto rOwner = qv::test::ReaderOf(w);
  TReadMemoryConnection& r = *rOwner;
  TFileReader reader(r, false, false);
  EXPECT_THROW(reader.ReadFile(true), EConnectionReadError);
  std::uint32_t a;
  EXPECT_EQ(files().Attributes("C:\\victim.txt", a), qv::err::FileNotFound);
}

TEST_F(FileTransferTest, ADescriptionStreamTakesNoData) {
  WriteFile("C:\\a.txt", "data");
  TCommentConnection c;
  TFileWriter writer(c);
  EXPECT_TRUE(writer.WriteFile("C:\\a.txt"));
  EXPECT_TRUE(c.GetComments()->empty());
}

}  // namespace
