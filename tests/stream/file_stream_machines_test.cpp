// Records through settings files on every machine: in the Windows build the
// one-read copy (the checksum put back into the header), the read-ahead and
// the times set through the writing handle meet real files under Wine.
#include "platform/contract/fixture.h"
#include "stream/file_transfer.h"

namespace qv::test {
namespace {

class FileStreamOnMachines : public ContractTest {};

TEST_P(FileStreamOnMachines, RecordsThroughASettingsFileMatchTheMemoryImage) {
  // A file of several copy blocks and a small one, with times of their own.
  std::string big(2500000, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 131) >> 3);
  const std::string paths[] = {bench().Path("big.bin"), bench().Path("small.txt")};
  bench().WriteFile(paths[0], big);
  bench().WriteFile(paths[1], "small file");
  const FileTime when = 127624001500000000ull;  // a whole second
  for (const std::string& p : paths) {
    FileHandle h;
    ASSERT_EQ(files().Open(p, FileAccess::Write, Disposition::OpenExisting, 0, h), err::Success);
    files().SetTimes(h, nullptr, nullptr, &when);
    files().Close(h);
    // A first read moves the access time (as a file system mounted with
    // relatime does once); the records below then see the same one.
    bench().ReadFile(p);
  }

  const std::string qrv = bench().Path("records.qrv");
  {
    TWriteFileConnection f;
    f.ConnectionVersion = kConnectionVersion;
    ASSERT_TRUE(f.Open(qrv, kSettingsMagic));
    TFileWriter writer(f);
    for (const std::string& p : paths) ASSERT_TRUE(writer.WriteFile(p)) << writer.ErrorMessage();
    f.WriteString("END_OF_SECTION");
  }
  TWriteMemoryConnection image;
  image.Initialize();
  {
    TFileWriter writer(image);
    for (const std::string& p : paths) ASSERT_TRUE(writer.WriteFile(p)) << writer.ErrorMessage();
    image.WriteString("END_OF_SECTION");
  }
  const std::uint8_t* block;
  std::uint32_t size;
  image.GetBuffer(block, size);
  const std::string onDisk = bench().ReadFile(qrv);
  ASSERT_EQ(onDisk.size(), 16u + image.Position());
  EXPECT_TRUE(onDisk.compare(16, std::string::npos, reinterpret_cast<const char*>(block),
                             image.Position()) == 0);

  TReadFileConnection r;
  ASSERT_TRUE(r.Open(qrv, kSettingsMagic));
  TFileReader reader(r, false, false);
  const std::string copies[] = {bench().Path("out\\big.bin"), bench().Path("out\\small.txt")};
  for (const std::string& c : copies) ASSERT_TRUE(reader.ReadFile(true, c)) << reader.ErrorMessage();
  EXPECT_EQ(r.ReadString(), "END_OF_SECTION");
  EXPECT_EQ(r.Remaining(), 0);
  EXPECT_EQ(bench().ReadFile(copies[0]), big);
  EXPECT_EQ(bench().ReadFile(copies[1]), "small file");
  for (const std::string& c : copies) {
    FileInfo info;
    ASSERT_EQ(files().QueryInfo(c, info), err::Success);
    EXPECT_EQ(info.times.lastWrite, when) << c;
  }
}

QV_CONTRACT_SUITE(FileStreamOnMachines);

}  // namespace
}  // namespace qv::test
