#include "stream/connection.h"

#include "config/options.h"

#include "support/memory_fixture.h"

namespace {

using qv::test::MemoryMachineTest;

std::string Bytes(std::initializer_list<int> b) {
  std::string s;
  for (int x : b) s.push_back(static_cast<char>(x));
  return s;
}

std::string Written(TWriteMemoryConnection& w) {
  const std::uint8_t* block;
  std::uint32_t size;
  w.GetBuffer(block, size);
  return std::string(reinterpret_cast<const char*>(block), w.Position());
}

void LoadReader(TReadMemoryConnection& r, const std::string& bytes) {
  r.SetBuffer(reinterpret_cast<const std::uint8_t*>(bytes.data()),
              static_cast<std::uint32_t>(bytes.size()));
}

using ConnectionTest = MemoryMachineTest;

TEST_F(ConnectionTest, TypedValuesHaveTheirByteLayout) {
  TWriteMemoryConnection w;
  ASSERT_TRUE(w.Initialize());
  w.WriteInteger(-2, "Int");
  w.WriteBoolean(true);
  w.WriteBoolean(false);
  w.WriteByte(0xAB);
  w.WriteString("");
  w.WriteString("Hi");
  w.WriteBuffer("raw", 3);
  EXPECT_EQ(Written(w), Bytes({0xFE, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 0, 0, 0, 0, 0xAB, 0, 0, 0, 0, 2,
                               0, 0, 0, 'H', 'i', 'r', 'a', 'w'}));

  TReadMemoryConnection r;
  LoadReader(r, Written(w));
  EXPECT_EQ(r.ReadInteger(), -2);
  EXPECT_TRUE(r.ReadBoolean());
  EXPECT_FALSE(r.ReadBoolean());
  EXPECT_EQ(r.ReadByte(), 0xAB);
  EXPECT_EQ(r.ReadString(), "");
  EXPECT_EQ(r.ReadString(), "Hi");
  char raw[3];
  EXPECT_EQ(r.ReadBuffer(raw, 3), 3u);
  EXPECT_EQ(std::string(raw, 3), "raw");
  EXPECT_EQ(r.Remaining(), 0);
}

TEST_F(ConnectionTest, BooleansAreTrueOnlyForOne) {
  TReadMemoryConnection r;
  LoadReader(r, Bytes({2, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0}));
  EXPECT_FALSE(r.ReadBoolean());
  EXPECT_TRUE(r.ReadBoolean());
  EXPECT_FALSE(r.ReadBoolean());  // 256
}

TEST_F(ConnectionTest, StringsLongerThan1024AreCutAndSkipped) {
  TWriteMemoryConnection w;
  w.Initialize();
  w.WriteString(std::string(1024, 'a'));
  w.WriteString(std::string(1024, 'b') + "TAIL");
  w.WriteInteger(77);
  w.WriteString(std::string("cut\0here", 8));
  TReadMemoryConnection r;
  LoadReader(r, Written(w));
  EXPECT_EQ(r.ReadString(), std::string(1024, 'a'));
  EXPECT_TRUE(log().empty());
  EXPECT_EQ(r.ReadString(), std::string(1024, 'b'));
  EXPECT_EQ(log(), std::vector<std::string>{
                       "Warning : TConnection.ReadString : String too long : 1028"});
  EXPECT_EQ(r.ReadInteger(), 77);  // still in step
  EXPECT_EQ(r.ReadString(), "cut");  // a zero byte ends the text
}

TEST_F(ConnectionTest, CorruptedLengthsRaiseTheReadErrorBeforeAllocating) {
  TReadMemoryConnection r;
  LoadReader(r, Bytes({0xFF, 0xFF, 0xFF, 0x7F, 'x'}));  // 2 GiB string in 5 bytes
  EXPECT_THROW(r.ReadString(), EConnectionReadError);
  LoadReader(r, Bytes({0xFF, 0xFF, 0xFF, 0xFF}));  // negative length
  EXPECT_THROW(r.ReadString(), EConnectionReadError);
  LoadReader(r, Bytes({10, 0, 0, 0}));
  EXPECT_THROW(r.RequireAvailable(11), EConnectionReadError);
  r.Rewind();
  EXPECT_NO_THROW(r.RequireAvailable(4));
}

TEST_F(ConnectionTest, WriteMemoryGrowsBy32KiB) {
  TWriteMemoryConnection w;
  ASSERT_TRUE(w.Initialize());
  EXPECT_EQ(w.Capacity(), 32768u);
  std::string block(40000, 'x');
  w.WriteBuffer(block.data(), 32768);
  EXPECT_EQ(w.Capacity(), 32768u);
  w.WriteByte(1);
  EXPECT_EQ(w.Capacity(), 65536u);
  EXPECT_EQ(w.Position(), 32769u);

  TWriteMemoryConnection big;
  big.Initialize();
  big.WriteBuffer(block.data(), 40000);
  EXPECT_EQ(big.Capacity(), 105536u);

  TWriteMemoryConnection fresh;  // never initialised
  EXPECT_FALSE(fresh.IsOpen());
  fresh.WriteByte(1);
  EXPECT_EQ(fresh.Capacity(), 32768u);
  EXPECT_FALSE(fresh.Seek(0));  // writers do not seek
}

TEST_F(ConnectionTest, ReadMemoryBoundsAndSeek) {
  TReadMemoryConnection r;
  LoadReader(r, "0123456789");
  EXPECT_TRUE(r.Seek(10));
  EXPECT_EQ(r.GetPosition(), 10);
  try {
    r.ReadByte();
    FAIL() << "no read error";
  } catch (const EConnectionReadError& e) {
    EXPECT_STREQ(e.what(), "Attempt to read past end of file.");
  }
  EXPECT_EQ(log(), (std::vector<std::string>{"Attempt to read past end of file.", "BufSize = 10",
                                             "CurPos = 10", "Size = 1"}));
  EXPECT_EQ(r.GetPosition(), 10);
  EXPECT_TRUE(r.Seek(-10));
  try {
    r.Seek(-1);
    FAIL() << "no seek error";
  } catch (const EConnectionReadError& e) {
    EXPECT_STREQ(e.what(), "TReadMemoryConnection::Seek");
  }
  EXPECT_THROW(r.Seek(11), EConnectionReadError);
  EXPECT_EQ(r.ReadByte(), '0');
}

TEST_F(ConnectionTest, CommentConnectionKeepsLinesAndStoresNothing) {
  TCommentConnection c;
  c.WriteString("ignored");
  c.AddComment("first");
  c.AddComment("second");
  EXPECT_EQ(*c.GetComments(), (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(c.ReadInteger(), 0);
  EXPECT_EQ(c.ReadString(), "");
  EXPECT_EQ(c.GetPosition(), -1);
  EXPECT_EQ(c.GetTransferBlockSize(), 65536);
  TConnection bare;
  bare.AddComment("dropped");
  EXPECT_EQ(bare.GetComments(), nullptr);
  EXPECT_EQ(bare.OSVersion, qv::okWinNT);  // the running system's kind
  EXPECT_EQ(bare.ConnectionVersion, 0);
}

TEST_F(ConnectionTest, AnEmptySettingsFileIsTheSixteenByteHeader) {
  {
    TWriteFileConnection w;
    w.ConnectionVersion = kConnectionVersion;
    ASSERT_TRUE(w.Open("C:\\empty.qrv", kSettingsMagic)) << w.LastError();
    EXPECT_TRUE(w.IsOpen());
  }
  EXPECT_EQ(ReadFile("C:\\empty.qrv"),
            Bytes({0x0C, 0, 0, 0, 'Z', 'T', 'R', ' ', 'Q', 'R', 'V', 0, 0x7C, 0, 0, 0}));
  TReadFileConnection r;
  ASSERT_TRUE(r.Open("C:\\empty.qrv", kSettingsMagic));
  EXPECT_EQ(r.ConnectionVersion, 124);
  EXPECT_EQ(r.GetPosition(), 16);
  EXPECT_TRUE(r.Rewind());
  EXPECT_EQ(r.GetPosition(), 0);
  EXPECT_EQ(r.ReadInteger(), 12);  // before the header
}

TEST_F(ConnectionTest, FileStreamsCarryTypedValues) {
  {
    TWriteFileConnection w;
    w.ConnectionVersion = kConnectionVersion;
    ASSERT_TRUE(w.Open("C:\\values.qrv", kSettingsMagic));
    w.WriteString("UserName");
    w.WriteInteger(42);
    w.WriteBoolean(true);
  }
  TReadFileConnection r;
  ASSERT_TRUE(r.Open("C:\\values.qrv", kSettingsMagic));
  EXPECT_EQ(r.Remaining(), 4 + 8 + 4 + 4);
  EXPECT_EQ(r.ReadString(), "UserName");
  EXPECT_TRUE(r.Seek(4));
  EXPECT_TRUE(r.ReadBoolean());
  // The file ends here: a further read is an error, never invented bytes.
  EXPECT_THROW(r.ReadInteger(), EConnectionReadError);
  EXPECT_TRUE(r.Rewind());
  // Out of step, "User" reads as a length of 1.9 GB: refused before any
  // memory is reserved for it.
  EXPECT_TRUE(r.Seek(20));
  EXPECT_THROW(r.ReadString("x"), EConnectionReadError);
}

TEST_F(ConnectionTest, OpeningBadFilesTellsWhy) {
  WriteFile("C:\\short.qrv", "abc");
  WriteFile("C:\\wrong.qrv", Bytes({12, 0, 0, 0, 'Z', 'T', 'R', ' ', 'Q', 'R', 'X', 0, 124, 0, 0, 0}));
  WriteFile("C:\\old.qrv", Bytes({12, 0, 0, 0, 'Z', 'T', 'R', ' ', 'Q', 'R', 'V', 0, 123, 0, 0, 0}));
  TReadFileConnection r;
  EXPECT_FALSE(r.Open("C:\\short.qrv", kSettingsMagic));
  EXPECT_EQ(r.LastError(), "C:\\short.qrv is not a valid settings file.");
  EXPECT_FALSE(r.IsOpen());
  EXPECT_FALSE(r.Open("C:\\wrong.qrv", kSettingsMagic));
  EXPECT_EQ(r.LastError(), "C:\\wrong.qrv is not a valid settings file.");
  ASSERT_TRUE(r.Open("C:\\old.qrv", kSettingsMagic));  // the caller refuses old versions
  EXPECT_EQ(r.ConnectionVersion, 123);

  EXPECT_FALSE(r.Open("C:\\missing.qrv", kSettingsMagic));
  EXPECT_EQ(r.LastError(), "Error opening file C:\\missing.qrv");
  auto shown = machine().ShownPrompts();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "Qorvel");
  EXPECT_EQ(shown[0].text,
            "Cannot open file \"C:\\missing.qrv\". The system cannot find the file specified.");

  // A quiet run waits for nobody: no box, the same error text.
  {
    TOptions options("");
    options.QuietMode = true;
    TOptions* previous = ProgramOptions;
    ProgramOptions = &options;
    machine().ClearShownPrompts();
    EXPECT_FALSE(r.Open("C:\\missing.qrv", kSettingsMagic));
    EXPECT_EQ(r.LastError(), "Error opening file C:\\missing.qrv");
    EXPECT_TRUE(machine().ShownPrompts().empty());
    ProgramOptions = previous;
  }

  TWriteFileConnection w;
  EXPECT_FALSE(w.Open("C:\\no\\such\\folder\\x.qrv", kSettingsMagic));
  EXPECT_EQ(w.LastError(), "ERROR : Cannot create file C:\\no\\such\\folder\\x.qrv");
}

TEST_F(ConnectionTest, WriteToFileWritesTheBackupForm) {
  TWriteMemoryConnection w;
  w.ConnectionVersion = kConnectionVersion;
  w.Initialize();
  std::string data(100, 'd');
  w.WriteBuffer(data.data(), 100);
  ASSERT_TRUE(w.WriteToFile("C:\\backup.qrv", kSettingsMagic)) << w.LastError();
  std::string file = ReadFile("C:\\backup.qrv");
  ASSERT_EQ(file.size(), 116u);
  EXPECT_EQ(file.substr(0, 16),
            Bytes({112, 0, 0, 0, 'Z', 'T', 'R', ' ', 'Q', 'R', 'V', 0, 0x7C, 0, 0, 0}));
  EXPECT_EQ(file.substr(16), data);
  // It reads back as a settings file.
  TReadFileConnection r;
  ASSERT_TRUE(r.Open("C:\\backup.qrv", kSettingsMagic));
  EXPECT_EQ(r.Remaining(), 100);

  ASSERT_TRUE(w.WriteToFile("C:\\bare.bin", ""));  // no magic: version first
  EXPECT_EQ(ReadFile("C:\\bare.bin").size(), 104u);
}

TEST_F(ConnectionTest, WriteToFileCopiesLargeImagesInBlocks) {
  TWriteMemoryConnection w;
  w.Initialize();
  std::string data;
  for (int i = 0; i < 200000; ++i) data.push_back(static_cast<char>(i * 7));
  w.WriteBuffer(data.data(), static_cast<std::uint32_t>(data.size()));
  ASSERT_TRUE(w.WriteToFile("C:\\big.qrv", kSettingsMagic));
  EXPECT_EQ(ReadFile("C:\\big.qrv").substr(16), data);
}

TEST_F(ConnectionTest, AFullDiskIsReportedBeforeAnythingIsWritten) {
  std::uint64_t freeBytes, total;
  files().DiskFreeSpace("C:\\", freeBytes, total);
  machine().SetDriveCapacity('C', total - freeBytes + 50);
  TWriteMemoryConnection w;
  w.Initialize();
  std::string data(100, 'd');
  w.WriteBuffer(data.data(), 100);
  EXPECT_FALSE(w.WriteToFile("C:\\backup.qrv", kSettingsMagic));
  EXPECT_EQ(w.LastError(), "There is not enough space on the disk.");
  std::uint32_t a;
  EXPECT_EQ(files().Attributes("C:\\backup.qrv", a), qv::err::FileNotFound);

  // A settings file that outgrows the disk raises the general error.
  TWriteFileConnection f;
  ASSERT_TRUE(f.Open("C:\\full.qrv", kSettingsMagic));
  try {
    f.WriteBuffer(data.data(), 100);
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Insufficient disk space");
  }
}

TEST_F(ConnectionTest, DumpStateNamesTheStream) {
  TWriteMemoryConnection w;
  w.Initialize();
  w.WriteInteger(1);
  w.DumpState();
  EXPECT_EQ(log(), (std::vector<std::string>{"OSver = 2", "Connection version = 0",
                                             "TmemoryConnection State",
                                             "TmemoryConnection Buffersize : 32768",
                                             "TmemoryConnection Current Position : 4"}));
}

}  // namespace
