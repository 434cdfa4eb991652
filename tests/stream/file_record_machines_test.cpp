// File records on every machine: in the Windows build this runs on real
// files under Wine, where times and attributes live on a real file system.
#include "platform/contract/fixture.h"
#include "stream/file_transfer.h"

namespace qv::test {
namespace {

class FileRecordOnMachines : public ContractTest {
 protected:
  void SetLastWrite(const std::string& path, FileTime t) {
    FileHandle h;
    ASSERT_EQ(files().Open(path, FileAccess::Write, Disposition::OpenExisting, 0, h), err::Success);
    files().SetTimes(h, nullptr, nullptr, &t);
    files().Close(h);
  }
  FileInfo Info(const std::string& path) {
    FileInfo info;
    EXPECT_EQ(files().QueryInfo(path, info), err::Success) << path;
    return info;
  }
  std::uint32_t Visible(std::uint32_t attributes) {
    // Wine reports every file with the archive bit.
    return bench().wine() ? attributes & ~fattr::Archive : attributes;
  }
};

TEST_P(FileRecordOnMachines, AFileTravelsWithItsTimesAndAttributes) {
  const std::string src = bench().Path("source.txt");
  bench().WriteFile(src, "the file's contents");
  const FileTime when = 127624001500000000ull;  // a whole second
  SetLastWrite(src, when);
  ASSERT_EQ(files().SetAttributes(src, fattr::ReadOnly), err::Success);

  TWriteMemoryConnection image;
  image.Initialize();
  TFileWriter writer(image);
  ASSERT_TRUE(writer.WriteFile(src)) << writer.ErrorMessage();
  const std::uint8_t* block;
  std::uint32_t size;
  image.GetBuffer(block, size);

  // Into a folder chain that does not exist yet.
  const std::string copy = bench().Path("out\\deep\\copy.txt");
  {
    TReadMemoryConnection r;
    r.SetBuffer(block, image.Position());
    TFileReader reader(r, false, false);
    ASSERT_TRUE(reader.ReadFile(false, copy)) << reader.ErrorMessage();
  }
  EXPECT_EQ(bench().ReadFile(copy), "the file's contents");
  EXPECT_EQ(Info(copy).times.lastWrite, when);
  EXPECT_EQ(Visible(Info(copy).attributes), fattr::ReadOnly);

  // Again over the read-only copy, which is replaced; then with the date
  // rule and equal times, which keeps the target.
  files().SetAttributes(copy, fattr::ReadOnly);
  {
    TReadMemoryConnection r;
    r.SetBuffer(block, image.Position());
    TFileReader reader(r, false, false);
    ASSERT_TRUE(reader.ReadFile(true, copy)) << reader.ErrorMessage();
  }
  files().SetAttributes(copy, fattr::Normal);
  bench().WriteFile(copy, "changed locally");
  SetLastWrite(copy, when);
  {
    TReadMemoryConnection r;
    r.SetBuffer(block, image.Position());
    TFileReader reader(r, true, false);
    ASSERT_TRUE(reader.ReadFile(false, copy));
    EXPECT_EQ(r.Remaining(), 0);
  }
  EXPECT_EQ(bench().ReadFile(copy), "changed locally");
  files().SetAttributes(src, fattr::Normal);
}

QV_CONTRACT_SUITE(FileRecordOnMachines);

}  // namespace
}  // namespace qv::test
