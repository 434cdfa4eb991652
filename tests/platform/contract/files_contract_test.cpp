// What the program relies on from files and folders, checked on every machine.
#include <map>

#include "platform/contract/fixture.h"

namespace qv::test {
namespace {

class FilesContract : public ContractTest {
 protected:
  std::string P(const std::string& name) { return bench().Path(name); }
  std::uint32_t Attr(const std::string& name) {
    std::uint32_t a = 0;
    files().Attributes(P(name), a);
    return a;
  }
  // Entry names and attributes of a find, in the order found.
  WinError List(const std::string& pattern, std::vector<FileInfo>& out) {
    out.clear();
    FindHandle h;
    FileInfo info;
    WinError e = files().FindFirst(P(pattern), h, info);
    if (e != err::Success) return e;
    do out.push_back(info);
    while (files().FindNext(h, info) == err::Success);
    e = sys().LastError();
    files().FindClose(h);
    return e;
  }
};

TEST_P(FilesContract, WriteSeekReadAndSize) {
  FileHandle h;
  ASSERT_EQ(files().Open(P("data.bin"), FileAccess::ReadWrite, Disposition::CreateNew, 0, h),
            err::Success);
  std::uint32_t done = 0;
  ASSERT_EQ(files().Write(h, "hello world", 11, done), err::Success);
  EXPECT_EQ(done, 11u);
  std::uint64_t pos = 99;
  ASSERT_EQ(files().Seek(h, 6, SeekOrigin::Begin, &pos), err::Success);
  EXPECT_EQ(pos, 6u);
  char buf[16] = {};
  ASSERT_EQ(files().Read(h, buf, sizeof buf, done), err::Success);
  EXPECT_EQ(done, 5u);
  EXPECT_EQ(std::string(buf, done), "world");
  // At the end a read succeeds with nothing read.
  ASSERT_EQ(files().Read(h, buf, sizeof buf, done), err::Success);
  EXPECT_EQ(done, 0u);
  ASSERT_EQ(files().Seek(h, -5, SeekOrigin::End, &pos), err::Success);
  EXPECT_EQ(pos, 6u);
  EXPECT_EQ(files().Seek(h, -100, SeekOrigin::Current, &pos), err::NegativeSeek);
  std::uint64_t size = 0;
  ASSERT_EQ(files().Size(h, size), err::Success);
  EXPECT_EQ(size, 11u);
  ASSERT_EQ(files().Seek(h, 5, SeekOrigin::Begin), err::Success);
  ASSERT_EQ(files().Truncate(h), err::Success);
  ASSERT_EQ(files().Size(h, size), err::Success);
  EXPECT_EQ(size, 5u);
  ASSERT_EQ(files().Close(h), err::Success);
  EXPECT_EQ(bench().ReadFile(P("data.bin")), "hello");

  FileInfo info;
  ASSERT_EQ(files().QueryInfo(P("DATA.BIN"), info), err::Success);
  EXPECT_EQ(info.size, 5u);
  EXPECT_EQ(info.attributes & fattr::Directory, 0u);
}

TEST_P(FilesContract, DispositionsFollowCreateFile) {
  FileHandle h;
  EXPECT_EQ(files().Open(P("none.txt"), FileAccess::Read, Disposition::OpenExisting, 0, h),
            err::FileNotFound);
  EXPECT_EQ(sys().LastError(), err::FileNotFound);
  EXPECT_EQ(files().Open(P("nofolder\\x.txt"), FileAccess::Write, Disposition::CreateAlways, 0, h),
            err::PathNotFound);
  bench().WriteFile(P("f.txt"), "first");
  EXPECT_EQ(files().Open(P("f.txt"), FileAccess::Write, Disposition::CreateNew, 0, h),
            err::FileExists);
  // CREATE_ALWAYS on an existing file succeeds, truncates, and says so in
  // the last error.
  ASSERT_EQ(files().Open(P("f.txt"), FileAccess::Write, Disposition::CreateAlways, 0, h),
            err::Success);
  EXPECT_EQ(sys().LastError(), err::AlreadyExists);
  std::uint64_t size = 1;
  files().Size(h, size);
  EXPECT_EQ(size, 0u);
  files().Close(h);
  ASSERT_EQ(files().Open(P("f.txt"), FileAccess::Read, Disposition::OpenAlways, 0, h), err::Success);
  EXPECT_EQ(sys().LastError(), err::AlreadyExists);
  files().Close(h);
  // A folder is not a file.
  EXPECT_EQ(files().Open(bench().scratchDir(), FileAccess::Read, Disposition::OpenExisting, 0, h),
            err::AccessDenied);
}

TEST_P(FilesContract, ReadOnlyFilesRefuseWritesAndDeletion) {
  bench().WriteFile(P("ro.txt"), "keep");
  EXPECT_NE(Attr("ro.txt") & fattr::Archive, 0u);  // new files carry the archive bit
  ASSERT_EQ(files().SetAttributes(P("ro.txt"), fattr::ReadOnly | fattr::Hidden), err::Success);
  // Wine keeps no archive bit: it reports every file with it.
  const std::uint32_t archive = bench().wine() ? fattr::Archive : 0;
  EXPECT_EQ(Attr("ro.txt") & (fattr::ReadOnly | fattr::Hidden | fattr::Archive),
            fattr::ReadOnly | fattr::Hidden | archive);
  FileHandle h;
  WinError openForWrite =
      files().Open(P("ro.txt"), FileAccess::Write, Disposition::OpenExisting, 0, h);
  if (bench().wine() && openForWrite == err::Success) {
    // Wine run by root opens read-only files for writing; Windows never does.
    files().Close(h);
  } else {
    EXPECT_EQ(openForWrite, err::AccessDenied);
    EXPECT_EQ(files().Open(P("ro.txt"), FileAccess::Write, Disposition::CreateAlways, 0, h),
              err::AccessDenied);
  }
  EXPECT_EQ(files().Remove(P("ro.txt")), err::AccessDenied);
  EXPECT_EQ(bench().ReadFile(P("ro.txt")), "keep");
  ASSERT_EQ(files().SetAttributes(P("ro.txt"), fattr::Normal), err::Success);
  EXPECT_EQ(Attr("ro.txt"), archive ? archive : fattr::Normal);
  EXPECT_EQ(files().Remove(P("ro.txt")), err::Success);
  EXPECT_EQ(Attr("ro.txt"), fattr::Invalid);
}

TEST_P(FilesContract, RemoveAndRenameErrors) {
  EXPECT_EQ(files().Remove(P("missing.txt")), err::FileNotFound);
  EXPECT_EQ(files().Remove(P("nofolder\\missing.txt")), err::PathNotFound);
  std::uint32_t a;
  EXPECT_EQ(files().Attributes(P("missing.txt"), a), err::FileNotFound);
  EXPECT_EQ(a, fattr::Invalid);
  EXPECT_EQ(files().Attributes(P("nofolder\\missing.txt"), a), err::PathNotFound);
  EXPECT_EQ(files().Remove(bench().scratchDir()), err::AccessDenied);

  bench().WriteFile(P("open.txt"), "x");
  FileHandle h;
  ASSERT_EQ(files().Open(P("open.txt"), FileAccess::Read, Disposition::OpenExisting, 0, h),
            err::Success);
  EXPECT_EQ(files().Remove(P("open.txt")), err::SharingViolation);
  files().Close(h);
  EXPECT_EQ(files().Remove(P("open.txt")), err::Success);

  bench().WriteFile(P("a.txt"), "a");
  bench().WriteFile(P("b.txt"), "b");
  EXPECT_EQ(files().Rename(P("a.txt"), P("b.txt")), err::AlreadyExists);
  ASSERT_EQ(files().Rename(P("a.txt"), P("c.txt")), err::Success);
  EXPECT_EQ(bench().ReadFile(P("c.txt")), "a");
  EXPECT_EQ(Attr("a.txt"), fattr::Invalid);
}

TEST_P(FilesContract, FolderRules) {
  ASSERT_EQ(files().MakeFolder(P("Sub")), err::Success);
  EXPECT_EQ(files().MakeFolder(P("SUB")), err::AlreadyExists);
  EXPECT_EQ(files().MakeFolder(P("x\\y")), err::PathNotFound);
  EXPECT_EQ(Attr("sub") & fattr::Directory, fattr::Directory);
  bench().WriteFile(P("Sub\\f.txt"), "f");
  EXPECT_EQ(files().RemoveFolder(P("Sub")), err::DirNotEmpty);
  EXPECT_EQ(files().RemoveFolder(P("Sub\\f.txt")), err::Directory);
  EXPECT_EQ(files().RemoveFolder(P("Gone")), err::FileNotFound);
  ASSERT_EQ(files().Remove(P("Sub\\f.txt")), err::Success);
  EXPECT_EQ(files().RemoveFolder(P("Sub")), err::Success);
  EXPECT_EQ(Attr("Sub"), fattr::Invalid);
}

TEST_P(FilesContract, FindMatchesWildcardsAndListsTheDotEntries) {
  bench().WriteFile(P("Alpha.TXT"), "1");
  bench().WriteFile(P("beta.dat"), "22");
  bench().WriteFile(P("README"), "333");
  ASSERT_EQ(files().MakeFolder(P("Sub")), err::Success);

  std::vector<FileInfo> all;
  ASSERT_EQ(List("*.*", all), err::NoMoreFiles);
  ASSERT_GE(all.size(), 2u);
  EXPECT_EQ(all[0].name, ".");
  EXPECT_EQ(all[1].name, "..");
  std::map<std::string, FileInfo> byName;
  for (const FileInfo& f : all) byName[f.name] = f;
  EXPECT_EQ(byName.size(), 6u);
  ASSERT_TRUE(byName.count("Alpha.TXT"));  // spelled as created
  EXPECT_EQ(byName["beta.dat"].size, 2u);
  EXPECT_EQ(byName["README"].size, 3u);
  EXPECT_NE(byName["Sub"].attributes & fattr::Directory, 0u);
  EXPECT_NE(byName["."].attributes & fattr::Directory, 0u);

  std::vector<FileInfo> txt;
  ASSERT_EQ(List("*.txt", txt), err::NoMoreFiles);
  ASSERT_EQ(txt.size(), 1u);
  EXPECT_EQ(txt[0].name, "Alpha.TXT");
  std::vector<FileInfo> q;
  ASSERT_EQ(List("b?ta.*", q), err::NoMoreFiles);
  ASSERT_EQ(q.size(), 1u);
  EXPECT_EQ(q[0].name, "beta.dat");
  std::vector<FileInfo> one;
  ASSERT_EQ(List("sub", one), err::NoMoreFiles);  // a plain name finds itself
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].name, "Sub");

  std::vector<FileInfo> none;
  EXPECT_EQ(List("*.none", none), err::FileNotFound);
  EXPECT_EQ(List("NoFolder\\*.*", none), err::PathNotFound);
}

TEST_P(FilesContract, LastWriteTimeRoundTrips) {
  bench().WriteFile(P("t.txt"), "t");
  FileHandle h;
  ASSERT_EQ(files().Open(P("t.txt"), FileAccess::ReadWrite, Disposition::OpenExisting, 0, h),
            err::Success);
  // 2005-06-07 08:09:10 UTC, a whole second.
  const FileTime when = 127624001500000000ull;
  ASSERT_EQ(files().SetTimes(h, nullptr, &when, &when), err::Success);
  FileTimes t;
  ASSERT_EQ(files().Times(h, t), err::Success);
  EXPECT_EQ(t.lastWrite, when);
  files().Close(h);
  FileInfo info;
  ASSERT_EQ(files().QueryInfo(P("t.txt"), info), err::Success);
  EXPECT_EQ(info.times.lastWrite, when);
}

TEST_P(FilesContract, RelativePathsUseTheCurrentFolder) {
  std::string before;
  ASSERT_EQ(files().CurrentFolder(before), err::Success);
  ASSERT_EQ(files().SetCurrentFolder(bench().scratchDir()), err::Success);
  bench().WriteFile("rel.txt", "relative");
  std::string now;
  files().CurrentFolder(now);
  ASSERT_EQ(files().SetCurrentFolder(before), err::Success);
  EXPECT_EQ(bench().ReadFile(P("rel.txt")), "relative");
  EXPECT_EQ(files().SetCurrentFolder(P("missing")), err::FileNotFound);
}

TEST_P(FilesContract, TempFolderAndDiskSpace) {
  std::string temp;
  ASSERT_EQ(files().TempFolder(temp), err::Success);
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '\\');
  std::uint32_t a = 0;
  ASSERT_EQ(files().Attributes(temp, a), err::Success);
  EXPECT_NE(a & fattr::Directory, 0u);
  std::uint64_t freeBytes = 0, total = 0;
  ASSERT_EQ(files().DiskFreeSpace(bench().scratchDir(), freeBytes, total), err::Success);
  EXPECT_GT(total, 0u);
  EXPECT_GT(freeBytes, 0u);
  EXPECT_LE(freeBytes, total);
}

QV_CONTRACT_SUITE(FilesContract);

}  // namespace
}  // namespace qv::test
