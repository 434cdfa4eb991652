// The parts of the streams that make copies of whole files cheap: going back
// over written bytes, the read file stream's read-ahead, and records copied
// in one read of the file.
#include <cstdint>
#include <string>
#include <vector>

#include "stream/file_transfer.h"
#include "support/memory_fixture.h"
#include "support/streams.h"

namespace {

using qv::err::Success;
using qv::test::MemoryMachineTest;

std::string Written(const TWriteMemoryConnection& w) {
  const std::uint8_t* block;
  std::uint32_t size;
  w.GetBuffer(block, size);
  return std::string(reinterpret_cast<const char*>(block), w.Position());
}

using StreamCopyTest = MemoryMachineTest;

TEST_F(StreamCopyTest, PatchBackOverwritesInPlaceAndStaysAtTheEnd) {
  // The same writes on a memory and on a file stream give the same bytes.
  TWriteMemoryConnection m;
  m.Initialize();
  TWriteFileConnection f;
  ASSERT_TRUE(f.Open("C:\\p.bin", ""));
  for (TConnection* s : std::initializer_list<TConnection*>{&m, &f}) {
    ASSERT_TRUE(s->CanPatchBack());
    s->WriteBuffer("abcdefgh", 8);
    s->PatchBack(6, "XY", 2);  // over "cd"
    s->WriteBuffer("ij", 2);
    s->PatchBack(2, "Z", 1);   // over "i"
    s->PatchBack(10, "0", 1);  // the very first byte
    EXPECT_THROW(s->PatchBack(1000, "?", 1), Exception);  // before the start
    EXPECT_THROW(s->PatchBack(1, "??", 2), Exception);  // past the end
    s->WriteBuffer("k", 1);
  }
  EXPECT_EQ(Written(m), "0bXYefghZjk");
  f.Close();
  // The file stream began with the 4-byte version (no magic).
  EXPECT_EQ(ReadFile("C:\\p.bin").substr(4), "0bXYefghZjk");

  TCommentConnection c;
  EXPECT_FALSE(c.CanPatchBack());
  TWriteFileConnection closed;
  EXPECT_FALSE(closed.CanPatchBack());
}

// One step of a reader: its kind and size.
struct Step {
  enum Kind { Integer, String, Block, Skip, Back, Where, Rest, Again } kind;
  std::int32_t n;
};

TEST_F(StreamCopyTest, AReadFileStreamMovesExactlyLikeAMemoryStream) {
  // The same bytes behind a file and a memory reader; every step gives
  // the same value, position and rest on both, inside and across the
  // read-ahead.
  TWriteMemoryConnection w;
  w.Initialize();
  std::string big(300000, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 251);
  for (int i = 0; i < 40; ++i) {
    w.WriteInteger(i * 1000003);
    w.WriteString(std::string(static_cast<std::size_t>(i * 37 % 300), static_cast<char>('a' + i % 26)));
  }
  w.WriteBuffer(big.data(), static_cast<std::uint32_t>(big.size()));
  for (int i = 0; i < 40; ++i) w.WriteInteger(-i);
  const std::string bytes = Written(w);
  qv::test::PutFile(machine(), "C:\\r.bin", std::string("\x7C\0\0\0", 4) + bytes);

  TReadFileConnection f;
  ASSERT_TRUE(f.Open("C:\\r.bin", ""));
  auto m = qv::test::ReaderOf(w);
  const std::int32_t start = f.GetPosition();
  ASSERT_EQ(start, 4);

  const std::vector<Step> steps = {
      {Step::Integer, 0}, {Step::String, 0}, {Step::Where, 0},  {Step::Back, 4},
      {Step::Integer, 0}, {Step::Skip, 3},   {Step::Back, 3},   {Step::Integer, 0},
      {Step::Rest, 0},    {Step::Skip, 100}, {Step::Back, 50},  {Step::Integer, 0},
      {Step::Block, 5000}, {Step::Where, 0}, {Step::Back, 5000}, {Step::Block, 3},
      {Step::Skip, 70000}, {Step::Integer, 0}, {Step::Back, 70004}, {Step::Rest, 0},
      {Step::Again, 0},   {Step::Integer, 0}, {Step::String, 0},  {Step::Block, 200000},
      // Back over the end of a read larger than the read-ahead held.
      {Step::Where, 0},   {Step::Back, 100}, {Step::Block, 300}, {Step::Block, 1},
      {Step::Rest, 0},    {Step::Integer, 0}};
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const Step& s = steps[i];
    SCOPED_TRACE("step " + std::to_string(i));
    switch (s.kind) {
      case Step::Integer:
        EXPECT_EQ(f.ReadInteger(), m->ReadInteger());
        break;
      case Step::String:
        EXPECT_EQ(f.ReadString(), m->ReadString());
        break;
      case Step::Block: {
        std::string a(static_cast<std::size_t>(s.n), '\0'), b = a;
        f.ReadBuffer(a.data(), static_cast<std::uint32_t>(s.n));
        m->ReadBuffer(b.data(), static_cast<std::uint32_t>(s.n));
        EXPECT_EQ(a, b);
        break;
      }
      case Step::Skip:
        f.Seek(s.n);
        m->Seek(s.n);
        break;
      case Step::Back:
        f.Seek(-s.n);
        m->Seek(-s.n);
        break;
      case Step::Where:
        break;
      case Step::Rest:
        EXPECT_EQ(f.Remaining(), m->Remaining());
        break;
      case Step::Again:
        f.Rewind();
        f.Seek(start);
        m->Rewind();
        break;
    }
    EXPECT_EQ(f.GetPosition() - start, m->GetPosition());
  }
  // The rest of the stream, then the end itself.
  std::string a(static_cast<std::size_t>(m->Remaining()), '\0'), b = a;
  f.ReadBuffer(a.data(), static_cast<std::uint32_t>(a.size()));
  m->ReadBuffer(b.data(), static_cast<std::uint32_t>(b.size()));
  EXPECT_EQ(a, b);
  EXPECT_EQ(a.substr(a.size() - 4), std::string("\xD9\xFF\xFF\xFF", 4));  // -39
  EXPECT_EQ(f.Remaining(), 0);
  EXPECT_THROW(f.ReadByte(), EConnectionReadError);
}

TEST_F(StreamCopyTest, AShortFileEndsAReadWithTheReadError) {
  qv::test::PutFile(machine(), "C:\\s.bin", std::string("\x7C\0\0\0\x05\0\0\0ab", 10));
  TReadFileConnection f;
  ASSERT_TRUE(f.Open("C:\\s.bin", ""));
  // The string claims 5 bytes, the file holds 2.
  EXPECT_THROW(f.ReadString(), EConnectionReadError);
  f.Rewind();
  EXPECT_EQ(f.GetPosition(), 0);
  EXPECT_EQ(f.ReadInteger(), 124);
  EXPECT_EQ(f.ReadInteger(), 5);
  char two[3] = {};
  f.ReadBuffer(two, 2);
  EXPECT_STREQ(two, "ab");
  EXPECT_EQ(f.Remaining(), 0);
}

class RecordCopyTest : public MemoryMachineTest {
 protected:
  // The record of one file as a file stream and as a memory stream write
  // it, each without its stream's own header.
  void Records(const std::string& path, std::string& onFile, std::string& inMemory) {
    {
      TWriteFileConnection f;
      ASSERT_TRUE(f.Open("C:\\rec.qrv", ""));
      TFileWriter writer(f);
      ASSERT_TRUE(writer.WriteFile(path)) << writer.ErrorMessage();
    }
    onFile = ReadFile("C:\\rec.qrv").substr(4);
    TWriteMemoryConnection w;
    w.Initialize();
    TFileWriter writer(w);
    ASSERT_TRUE(writer.WriteFile(path)) << writer.ErrorMessage();
    inMemory = Written(w);
  }
};

TEST_F(RecordCopyTest, TheChecksumCoversEveryByteWhateverTheBlocks) {
  // Sizes around the copy blocks; bytes of 0xFF fill every lane of the sum.
  struct Case {
    std::size_t size;
    char byte;
  };
  const Case cases[] = {{0, 'x'},       {1, '\xFF'},      {7, '\xFF'},       {8, '\xFF'},
                        {1031, '\xFF'}, {32769, '\x80'}, {1048577, '\xFF'}, {2100000, '\x01'}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    WriteFile("C:\\c.dat", std::string(c.size, c.byte));
    std::string onFile, inMemory;
    Records("C:\\c.dat", onFile, inMemory);
    EXPECT_EQ(onFile, inMemory);
    TReadMemoryConnection r;
    r.SetBuffer(reinterpret_cast<const std::uint8_t*>(inMemory.data()),
                static_cast<std::uint32_t>(inMemory.size()));
    TFileTransferHeader h;
    h.Read(r);
    EXPECT_EQ(h.Size, c.size);
    EXPECT_EQ(h.Checksum, static_cast<std::uint32_t>(c.size * static_cast<std::uint8_t>(c.byte)));
    EXPECT_EQ(r.Remaining(), static_cast<std::int64_t>(c.size));
    // GetFileInfo, the checksum a load compares with, agrees.
    TFileTransferHeader info;
    TFileWriter probe(r);
    ASSERT_TRUE(probe.GetFileInfo("C:\\c.dat", info));
    EXPECT_EQ(info.Checksum, h.Checksum);
  }
}

TEST_F(RecordCopyTest, ALoadFromAFileStreamKeepsTimesAndAttributes) {
  const std::string content(1500000, 'q');
  WriteFile("C:\\src.dat", content);
  qv::FileHandle h;
  ASSERT_EQ(files().Open("C:\\src.dat", qv::FileAccess::Write, qv::Disposition::OpenExisting, 0, h),
            Success);
  qv::FileTime c = 111, a = 222, w = 333;
  files().SetTimes(h, &c, &a, &w);
  files().Close(h);
  files().SetAttributes("C:\\src.dat", qv::fattr::ReadOnly | qv::fattr::Hidden);
  {
    TWriteFileConnection f;
    ASSERT_TRUE(f.Open("C:\\rec.qrv", ""));
    TFileWriter writer(f);
    ASSERT_TRUE(writer.WriteFile("C:\\src.dat"));
    f.WriteInteger(77);  // what follows the record
  }
  TReadFileConnection r;
  ASSERT_TRUE(r.Open("C:\\rec.qrv", ""));
  TFileReader reader(r, false, false);
  ASSERT_TRUE(reader.ReadFile(true, "C:\\out\\dst.dat")) << reader.ErrorMessage();
  EXPECT_EQ(r.ReadInteger(), 77);
  EXPECT_EQ(ReadFile("C:\\out\\dst.dat"), content);
  qv::FileInfo info;
  ASSERT_EQ(files().QueryInfo("C:\\out\\dst.dat", info), Success);
  EXPECT_EQ(info.times.creation, 111u);
  EXPECT_EQ(info.times.lastAccess, 222u);
  EXPECT_EQ(info.times.lastWrite, 333u);
  EXPECT_EQ(info.attributes, qv::fattr::ReadOnly | qv::fattr::Hidden);
}

}  // namespace

namespace {

TEST_F(RecordCopyTest, CanReadKeepsTheFileOpenOnlyForTheWriteThatFollows) {
  WriteFile("C:\\a.txt", "first");
  WriteFile("C:\\b.txt", "second");
  WriteFile("C:\\c.txt", "third");
  TWriteFileConnection f;
  ASSERT_TRUE(f.Open("C:\\held.qrv", ""));
  {
    TFileWriter writer(f);
    // Checked and written: the file is free again afterwards.
    ASSERT_TRUE(writer.CanRead("C:\\a.txt"));
    EXPECT_EQ(files().Remove("C:\\a.txt"), qv::err::SharingViolation);  // open meanwhile
    ASSERT_TRUE(writer.WriteFile("C:\\a.txt"));
    EXPECT_EQ(files().Remove("C:\\a.txt"), Success);
    // Checked, then another file written: the checked one is let go.
    ASSERT_TRUE(writer.CanRead("C:\\b.txt"));
    ASSERT_TRUE(writer.WriteFile("C:\\c.txt"));
    EXPECT_EQ(files().Remove("C:\\b.txt"), Success);
    // A missing file is refused and holds nothing.
    EXPECT_FALSE(writer.CanRead("C:\\missing.txt"));
    EXPECT_EQ(writer.ErrorMessage(), "Cannot read file C:\\missing.txt");
    // Checked and never written: the writer lets go when it ends.
    ASSERT_TRUE(writer.CanRead("C:\\c.txt"));
  }
  EXPECT_EQ(files().Remove("C:\\c.txt"), Success);
  f.Close();
  TReadFileConnection r;
  ASSERT_TRUE(r.Open("C:\\held.qrv", ""));
  TFileTransferHeader h;
  h.Read(r);
  EXPECT_EQ(h.Name, "C:\\a.txt");
  EXPECT_EQ(h.Checksum, 102u + 105 + 114 + 115 + 116);
  SkipBytes(r, h.Size);
  h.Read(r);
  EXPECT_EQ(h.Name, "C:\\c.txt");
  SkipBytes(r, h.Size);
  EXPECT_EQ(r.Remaining(), 0);
}

}  // namespace
