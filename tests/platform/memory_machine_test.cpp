// The in-memory machine's own behaviour: its kinds, copies, comparison,
// rights and limits.
#include <gtest/gtest.h>

#include <thread>

#include "platform/memory/memory_machine.h"
#include "platform/prompts.h"

namespace qv {
namespace {

std::string ReadText(IFiles& f, const std::string& path) {
  FileHandle h;
  if (f.Open(path, FileAccess::Read, Disposition::OpenExisting, 0, h) != err::Success) return "?";
  char buf[512];
  std::uint32_t done = 0;
  f.Read(h, buf, sizeof buf, done);
  f.Close(h);
  return std::string(buf, done);
}

WinError SetString(IRegistry& r, RegKey root, const std::string& path, const std::string& name,
                   const std::string& value) {
  RegKey k;
  WinError e = r.CreateKey(root, path, k);
  if (e != err::Success) return e;
  e = r.SetValue(k, name, regtype::Sz, reinterpret_cast<const std::uint8_t*>(value.c_str()),
                 static_cast<std::uint32_t>(value.size() + 1));
  r.CloseKey(k);
  return e;
}

TEST(MemoryMachine, EachKindStartsAsAFreshInstallOfIt) {
  struct Expect {
    OSKind kind;
    std::uint32_t platform, minor;
    const char* windows;
    const char* system;
    const char* desktop;
  };
  for (const Expect& x : {
           Expect{okWin95, platformid::Windows, 0, "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM",
                  "C:\\WINDOWS\\Desktop"},
           Expect{okWin98, platformid::Windows, 10, "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM",
                  "C:\\WINDOWS\\Desktop"},
           Expect{okWinNT, platformid::NT, 0, "C:\\WINNT", "C:\\WINNT\\system32",
                  "C:\\WINNT\\Profiles\\User\\Desktop"},
       }) {
    SCOPED_TRACE(OSKindName(x.kind));
    MemoryMachine m(x.kind);
    OsVersion v;
    ASSERT_EQ(m.System().Version(v), err::Success);
    EXPECT_EQ(v.platform, x.platform);
    EXPECT_EQ(v.minor, x.minor);
    EXPECT_EQ(RunningKind(m.System()), x.kind);
    std::string folder;
    m.System().WindowsFolder(folder);
    EXPECT_EQ(folder, x.windows);
    m.System().SystemFolder(folder);
    EXPECT_EQ(folder, x.system);
    EXPECT_EQ(m.System().Metric(sm::CxScreen), 1024);
    EXPECT_EQ(m.System().DeviceCaps(caps::LogPixelsY), 96);

    // The shell folders in the registry name folders that exist.
    RegKey k;
    ASSERT_EQ(m.Registry().OpenKey(hkey::CurrentUser,
                                   "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell "
                                   "Folders",
                                   RegAccess::Read, k),
              err::Success);
    char buf[260] = {};
    std::uint32_t size = sizeof buf;
    ASSERT_EQ(m.Registry().QueryValue(k, "Desktop", nullptr, reinterpret_cast<std::uint8_t*>(buf),
                                      &size),
              err::Success);
    m.Registry().CloseKey(k);
    EXPECT_STREQ(buf, x.desktop);
    std::uint32_t a = 0;
    EXPECT_EQ(m.Files().Attributes(buf, a), err::Success);
    EXPECT_NE(ReadText(m.Files(), std::string(x.windows) + "\\WIN.INI").find("[Desktop]"),
              std::string::npos);

    // HKEY_DYN_DATA exists only on Windows 95/98.
    WinError dyn = m.Registry().OpenKey(hkey::DynData, "", RegAccess::Read, k);
    EXPECT_EQ(dyn == err::Success, x.kind != okWinNT);
    if (dyn == err::Success) m.Registry().CloseKey(k);
  }
}

TEST(MemoryMachine, ACopyIsIndependentAndDifferencesAreReadable) {
  MemoryMachine original(okWin98);
  MemoryMachine copy(original);
  EXPECT_TRUE(MemoryMachine::Differences(original, copy).empty());

  ASSERT_EQ(SetString(copy.Registry(), hkey::CurrentUser, "Control Panel\\Desktop", "Wallpaper",
                      "C:\\WINDOWS\\Clouds.bmp"),
            err::Success);
  ASSERT_EQ(SetString(copy.Registry(), hkey::CurrentUser, "Software\\New", "v", "1"), err::Success);
  FileHandle h;
  ASSERT_EQ(copy.Files().Open("C:\\new.txt", FileAccess::Write, Disposition::CreateNew, 0, h),
            err::Success);
  copy.Files().Close(h);
  ASSERT_EQ(copy.Files().SetAttributes("C:\\WINDOWS\\win.ini", fattr::ReadOnly), err::Success);
  copy.SetComputerName("OTHER");

  auto diff = MemoryMachine::Differences(original, copy);
  const std::vector<std::string> expected = {
      "system computer name \"QORVELPC\" -> \"OTHER\"",
      "registry HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\ComputerName\\"
      "ComputerName: value \"ComputerName\" REG_SZ \"QORVELPC\" -> REG_SZ \"OTHER\"",
      "registry HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\VxD\\VNETSUP: "
      "value \"ComputerName\" REG_SZ \"QORVELPC\" -> REG_SZ \"OTHER\"",
      "registry HKEY_CURRENT_USER\\Control Panel\\Desktop: value \"Wallpaper\" REG_SZ \"(None)\" "
      "-> REG_SZ \"C:\\WINDOWS\\Clouds.bmp\"",
      "registry HKEY_CURRENT_USER\\Software\\New: key only in second",
      "file C:\\new.txt: only in second",
      "file C:\\WINDOWS\\win.ini: attributes 0x20 -> 0x1",
  };
  EXPECT_EQ(diff, expected);
  // The original did not change.
  RegKey k;
  EXPECT_EQ(original.Registry().OpenKey(hkey::CurrentUser, "Software\\New", RegAccess::Read, k),
            err::FileNotFound);
  std::uint32_t a;
  EXPECT_EQ(original.Files().Attributes("C:\\new.txt", a), err::FileNotFound);
}

TEST(MemoryMachine, FileTimesCanBeLeftOutOfAComparison) {
  MemoryMachine a(okWinNT);
  MemoryMachine b(a);
  FileHandle h;
  ASSERT_EQ(b.Files().Open("C:\\WINNT\\win.ini", FileAccess::Write, Disposition::OpenExisting, 0, h),
            err::Success);
  const FileTime t = 1;
  b.Files().SetTimes(h, &t, nullptr, &t);
  b.Files().Close(h);
  EXPECT_EQ(MemoryMachine::Differences(a, b).size(), 2u);
  EXPECT_TRUE(MemoryMachine::Differences(a, b, CompareOptions{false}).empty());
}

TEST(MemoryMachine, WithoutAdministratorRightsTheLocalMachineIsReadOnly) {
  MachineSetup setup;
  setup.kind = okWinNT;
  setup.administrator = false;
  MemoryMachine m(setup);
  IRegistry& r = m.Registry();
  RegKey k;
  EXPECT_EQ(r.OpenKey(hkey::LocalMachine, "Software", RegAccess::Full, k), err::AccessDenied);
  ASSERT_EQ(r.OpenKey(hkey::LocalMachine, "Software", RegAccess::Read, k), err::Success);
  const std::uint8_t one = 1;
  EXPECT_EQ(r.SetValue(k, "x", regtype::Binary, &one, 1), err::AccessDenied);
  r.CloseKey(k);
  EXPECT_EQ(SetString(r, hkey::LocalMachine, "Software\\Qorvel", "v", "1"), err::AccessDenied);
  EXPECT_EQ(SetString(r, hkey::ClassesRoot, ".qrv", "", "qrv_auto_file"), err::AccessDenied);
  EXPECT_EQ(r.SetValue(hkey::LocalMachine, "x", regtype::Binary, &one, 1), err::AccessDenied);
  EXPECT_EQ(r.DeleteKey(hkey::LocalMachine, "Software\\Classes\\.txt"), err::AccessDenied);
  EXPECT_EQ(SetString(r, hkey::CurrentUser, "Software\\Qorvel", "v", "1"), err::Success);

  m.SetAdministrator(true);
  EXPECT_EQ(SetString(r, hkey::LocalMachine, "Software\\Qorvel", "v", "1"), err::Success);
}

TEST(MemoryMachine, AFullDiskRefusesTheWriteAndFreedSpaceComesBack) {
  MemoryMachine m(okWin95);
  IFiles& f = m.Files();
  std::uint64_t freeBytes = 0, total = 0;
  ASSERT_EQ(f.DiskFreeSpace("C:\\", freeBytes, total), err::Success);
  m.SetDriveCapacity('C', total - freeBytes + 100);  // 100 bytes left
  std::vector<char> block(150, 'x');
  FileHandle h;
  ASSERT_EQ(f.Open("C:\\big.bin", FileAccess::Write, Disposition::CreateNew, 0, h), err::Success);
  std::uint32_t done = 7;
  EXPECT_EQ(f.Write(h, block.data(), 150, done), err::DiskFull);
  EXPECT_EQ(done, 0u);
  EXPECT_EQ(f.Write(h, block.data(), 100, done), err::Success);
  ASSERT_EQ(f.DiskFreeSpace("C:\\WINDOWS", freeBytes, total), err::Success);
  EXPECT_EQ(freeBytes, 0u);
  f.Close(h);
  ASSERT_EQ(f.Remove("C:\\big.bin"), err::Success);
  ASSERT_EQ(f.DiskFreeSpace("C:\\", freeBytes, total), err::Success);
  EXPECT_EQ(freeBytes, 100u);
  EXPECT_EQ(f.DiskFreeSpace("Q:\\", freeBytes, total), err::PathNotFound);
}

TEST(MemoryMachine, TheClockStampsNewFilesAndCanBeSet) {
  MemoryMachine m(okWinNT);
  m.SetClock(500'000'000);
  FileHandle h;
  ASSERT_EQ(m.Files().Open("C:\\t.txt", FileAccess::Write, Disposition::CreateNew, 0, h),
            err::Success);
  FileTimes t;
  m.Files().Times(h, t);
  m.Files().Close(h);
  EXPECT_EQ(t.creation, 500'000'000u);
  EXPECT_EQ(t.lastWrite, 500'000'000u);
  EXPECT_GT(m.Now(), t.creation);
}

TEST(MemoryMachine, MovingAFolderTakesItsContents) {
  MemoryMachine m(okWinNT);
  IFiles& f = m.Files();
  ASSERT_EQ(f.MakeFolder("C:\\A"), err::Success);
  ASSERT_EQ(f.MakeFolder("C:\\A\\B"), err::Success);
  FileHandle h;
  ASSERT_EQ(f.Open("C:\\A\\B\\x.txt", FileAccess::Write, Disposition::CreateNew, 0, h),
            err::Success);
  f.Close(h);
  EXPECT_EQ(f.Rename("C:\\A", "C:\\A\\B\\C"), err::SharingViolation);
  ASSERT_EQ(f.Rename("C:\\A", "C:\\Z"), err::Success);
  std::uint32_t a;
  EXPECT_EQ(f.Attributes("C:\\Z\\B\\x.txt", a), err::Success);
  EXPECT_EQ(f.Attributes("C:\\A", a), err::FileNotFound);
  // The current folder cannot be removed while it is current.
  ASSERT_EQ(f.SetCurrentFolder("C:\\Z\\B"), err::Success);
  ASSERT_EQ(f.Remove("C:\\Z\\B\\x.txt"), err::Success);
  EXPECT_EQ(f.RemoveFolder("C:\\Z\\B"), err::SharingViolation);
  ASSERT_EQ(f.SetCurrentFolder("..\\.."), err::Success);
  std::string cur;
  f.CurrentFolder(cur);
  EXPECT_EQ(cur, "C:\\");
  EXPECT_EQ(f.RemoveFolder("Z\\B"), err::Success);
}

TEST(MachineScope, NestsAndIsSeenByOtherThreads) {
  MemoryMachine outer(okWin95), inner(okWinNT);
  Machine* def = &CurrentMachine();
  EXPECT_EQ(RunningKind(def->System()), okWinNT);  // the native build's default
  {
    MachineScope a(outer);
    EXPECT_EQ(&CurrentMachine(), &outer);
    {
      MachineScope b(inner);
      Machine* seen = nullptr;
      std::thread([&] { seen = &CurrentMachine(); }).join();
      EXPECT_EQ(seen, &inner);
    }
    EXPECT_EQ(&CurrentMachine(), &outer);
  }
  EXPECT_EQ(&CurrentMachine(), def);
}

TEST(MemoryMachine, ErrorTextsAreTheSystemsOwn) {
  MemoryMachine m(okWinNT);
  EXPECT_EQ(m.System().ErrorMessage(2), "The system cannot find the file specified.\r\n");
  EXPECT_EQ(m.System().ErrorMessage(5), "Access is denied.\r\n");
  EXPECT_EQ(m.System().ErrorMessage(12345), "");
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

TEST(MemoryMachine, PromptsTakeQueuedAnswersThenTheFirstButton) {
  MemoryMachine m(okWinNT);
  IPrompts& p = *m.Prompts();
  m.QueueAnswer(id::No);
  EXPECT_EQ(p.ShowMessage("Keep?", "Qorvel : Load", mb::YesNo | mb::IconQuestion), id::No);
  EXPECT_EQ(p.ShowMessage("Keep?", "Qorvel : Load", mb::YesNo), id::Yes);
  EXPECT_EQ(p.ShowMessage("Done", "Qorvel", mb::OkCancel), id::Ok);
  auto shown = m.ShownPrompts();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].text, "Keep?");
  EXPECT_EQ(shown[0].caption, "Qorvel : Load");
  EXPECT_EQ(shown[0].style, mb::YesNo | mb::IconQuestion);
  EXPECT_EQ(shown[0].answer, id::No);
  EXPECT_FALSE(p.KeyDown(vk::Control));
  m.SetKeyDown(vk::Control, true);
  EXPECT_TRUE(p.KeyDown(vk::Control));
  // A copy carries the machine, not the person in front of it.
  MemoryMachine copy(m);
  EXPECT_TRUE(copy.ShownPrompts().empty());
  EXPECT_FALSE(copy.Prompts()->KeyDown(vk::Control));
}

}  // namespace
}  // namespace qv
