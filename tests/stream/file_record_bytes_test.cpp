// The bytes of saved data files, pinned. A settings file saved from a fixed
// tree must not change from one build to the next, whatever path the copy
// takes (file or memory stream, files smaller or larger than a copy block).
#include <cstdint>
#include <string>
#include <vector>

#include "engine/runs.h"
#include "stream/file_transfer.h"
#include "support/engine_fixture.h"
#include "support/streams.h"

namespace qv::test {
namespace {

// FNV-1a, 64 bits.
std::uint64_t Hash(const std::uint8_t* data, std::size_t size) {
  std::uint64_t h = 1469598103934665603ull;
  for (std::size_t i = 0; i < size; ++i) {
    h ^= data[i];
    h *= 1099511628211ull;
  }
  return h;
}

std::string Content(std::size_t size, std::uint32_t seed) {
  std::string s(size, '\0');
  std::uint32_t x = seed * 2654435761u + 1;
  for (std::size_t i = 0; i < size; ++i) {
    x = x * 1664525u + 1013904223u;
    s[i] = static_cast<char>(x >> 24);
  }
  return s;
}

class FileRecordBytesTest : public EngineTest {
 protected:
  // A tree of every size that matters to a copy loop: empty, tiny, around
  // the 64 KiB and 1 MiB blocks, and several blocks long; with attributes
  // and times of its own.
  void MakeTree() {
    const std::size_t sizes[] = {0,         1,           3,           65535,   65536,
                                 65537,     200000,      1048575,     1048576, 1048577,
                                 3 * 1048576 + 12345};
    ASSERT_EQ(files().MakeFolder("C:\\tree"), qv::err::Success);
    ASSERT_EQ(files().MakeFolder("C:\\tree\\sub"), qv::err::Success);
    std::uint32_t seed = 1;
    for (std::size_t size : sizes) {
      std::string folder = seed % 2 ? "C:\\tree\\" : "C:\\tree\\sub\\";
      std::string path = folder + "f" + std::to_string(seed) + ".dat";
      WriteFile(path, Content(size, seed));
      qv::FileHandle h;
      ASSERT_EQ(files().Open(path, qv::FileAccess::Write, qv::Disposition::OpenExisting, 0, h),
                qv::err::Success);
      qv::FileTime c = 0x01C0000000000000ull + seed, a = c + 1000 * seed, w = c + 7 * seed;
      files().SetTimes(h, &c, &a, &w);
      files().Close(h);
      files().SetAttributes(path, seed % 3 == 0 ? qv::fattr::ReadOnly | qv::fattr::Archive
                                                : qv::fattr::Archive);
      ++seed;
    }
    CurrentConfig().FileList = {"C:\\tree"};
  }
};

TEST_F(FileRecordBytesTest, ASavedSettingsFileKeepsItsBytes) {
  MakeTree();
  {
    TWriteFileConnection f;
    f.ConnectionVersion = kConnectionVersion;
    ASSERT_TRUE(f.Open("C:\\out.qrv", kSettingsMagic));
    ASSERT_EQ(SaveSettings("C:\\out.qrv", f, true, true), SETTINGS_OK);
  }
  std::string bytes = ReadFile("C:\\out.qrv");
  EXPECT_EQ(bytes.size(), 6701539u);
  EXPECT_EQ(Hash(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
            189843526687237243ull);
}

TEST_F(FileRecordBytesTest, AMemoryImageKeepsItsBytes) {
  MakeTree();
  TWriteMemoryConnection w;
  w.ConnectionVersion = kConnectionVersion;
  w.Initialize();
  ASSERT_EQ(SaveSettings("C:\\out.qrv", w, true, true), SETTINGS_OK);
  const std::uint8_t* block;
  std::uint32_t capacity;
  w.GetBuffer(block, capacity);
  EXPECT_EQ(w.Position(), 6701523u);
  EXPECT_EQ(capacity, 6717440u);  // the growth steps too
  EXPECT_EQ(Hash(block, w.Position()), 5793341037215222524ull);
}

}  // namespace
}  // namespace qv::test
