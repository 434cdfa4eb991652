// The state a freshly installed Windows 95, 98 or NT machine starts with.
#include "platform/memory/memory_state.h"

namespace qv::mem {

namespace {

using State = MemoryMachine::State;

RegNode& Key(State& s, RegKey root, std::string_view path) { return MakeKey(s, root, path); }

void Sz(RegNode& key, std::string_view name, std::string_view text,
        std::uint32_t type = regtype::Sz) {
  PutString(key, name, text, type);
}

FsNode& Folder(State& s, std::string_view path) {
  FsPath p;
  ResolvePath(path, FsPath{}, false, p);
  FsNode* node = &s.drives.at(p.drive).root;
  for (const std::string& name : p.parts) {
    auto [it, inserted] = node->children.try_emplace(FoldCase(name));
    if (inserted) {
      it->second.name = name;
      it->second.id = s.NewId();
      it->second.attributes = fattr::Directory;
      FileTime now = s.Tick();
      it->second.times = FileTimes{now, now, now};
    }
    node = &it->second;
  }
  return *node;
}

void TextFile(State& s, std::string_view folder, std::string_view name, std::string_view text) {
  FsNode& dir = Folder(s, folder);
  FsNode file;
  file.name = std::string(name);
  file.id = s.NewId();
  file.attributes = fattr::Archive;
  FileTime now = s.Tick();
  file.times = FileTimes{now, now, now};
  file.data.assign(text.begin(), text.end());
  s.drives.at('C').used += file.data.size();
  dir.children[FoldCase(name)] = std::move(file);
}

}  // namespace

void InitializeState(State& s) {
  const MachineSetup& setup = s.setup;
  const bool nt = setup.kind == okWinNT;
  // 2001-01-01 00:00:00 UTC.
  s.clock = 126227808000000000ull;

  Drive c;
  c.capacity = setup.diskCapacity;
  c.root.name = "C:";
  c.root.id = s.NewId();
  c.root.attributes = fattr::Directory;
  s.drives.emplace('C', std::move(c));

  s.userName = setup.userName;
  s.computerName = setup.computerName;
  switch (setup.kind) {
    case okWin95: s.version = OsVersion{platformid::Windows, 4, 0, 0x040003B6, ""}; break;
    case okWin98: s.version = OsVersion{platformid::Windows, 4, 10, 0x040A08AE, " A "}; break;
    case okWinNT: s.version = OsVersion{platformid::NT, 4, 0, 1381, "Service Pack 6"}; break;
    default: s.version = OsVersion{platformid::Win32s, 1, 30, 0, ""}; break;
  }

  s.windowsFolder = nt ? "C:\\WINNT" : "C:\\WINDOWS";
  s.systemFolder = nt ? "C:\\WINNT\\system32" : "C:\\WINDOWS\\SYSTEM";
  s.tempFolder = nt ? "C:\\TEMP" : "C:\\WINDOWS\\TEMP";
  const std::string profile =
      nt ? "C:\\WINNT\\Profiles\\" + setup.userName : std::string("C:\\WINDOWS");
  const std::string personal = nt ? profile + "\\Personal" : std::string("C:\\My Documents");

  Folder(s, s.windowsFolder);
  Folder(s, s.systemFolder);
  Folder(s, s.tempFolder);
  Folder(s, s.windowsFolder + "\\Fonts");
  Folder(s, "C:\\Program Files\\Common Files");
  Folder(s, personal);
  const char* shellFolders[][2] = {
      {"Desktop", "Desktop"},     {"Start Menu", "Start Menu"},
      {"Programs", "Start Menu\\Programs"}, {"Startup", "Start Menu\\Programs\\Startup"},
      {"SendTo", "SendTo"},       {"Recent", "Recent"},
      {"Favorites", "Favorites"}, {"NetHood", "NetHood"},
      {"Templates", nt ? "Templates" : "ShellNew"}};
  for (auto& f : shellFolders) Folder(s, profile + "\\" + f[1]);

  TextFile(s, s.windowsFolder, "win.ini",
           "[windows]\r\nload=\r\nrun=\r\nNullPort=None\r\n\r\n"
           "[Desktop]\r\nWallpaper=(None)\r\nTileWallpaper=0\r\nWallpaperStyle=0\r\n"
           "Pattern=(None)\r\n\r\n[intl]\r\niCountry=1\r\n");
  TextFile(s, s.windowsFolder, "system.ini",
           "[boot]\r\nshell=Explorer.exe\r\n\r\n[386Enh]\r\n\r\n[drivers]\r\n");
  TextFile(s, s.windowsFolder, "control.ini", "[Current]\r\ncolor schemes=Windows Standard\r\n");

  s.currentFolder = FsPath{'C', {}};
  ResolvePath(s.windowsFolder, FsPath{}, false, s.currentFolder);

  // Registry roots.
  for (RegKey root : {hkey::LocalMachine, hkey::CurrentUser, hkey::Users, hkey::CurrentConfig}) {
    s.registry[root].id = s.NewId();
  }
  if (!nt) s.registry[hkey::DynData].id = s.NewId();

  RegNode& cv = Key(s, hkey::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
  Sz(cv, "ProgramFilesDir", "C:\\Program Files");
  Sz(cv, "CommonFilesDir", "C:\\Program Files\\Common Files");
  if (nt) {
    RegNode& ntcv = Key(s, hkey::LocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
    Sz(ntcv, "CurrentVersion", "4.0");
    Sz(ntcv, "CurrentBuildNumber", "1381");
    Sz(ntcv, "CSDVersion", "Service Pack 6");
    Sz(ntcv, "SystemRoot", s.windowsFolder);
    Sz(ntcv, "RegisteredOwner", setup.userName);
  } else {
    Sz(cv, "Version", setup.kind == okWin95 ? "Windows 95" : "Windows 98");
    Sz(cv, "VersionNumber", setup.kind == okWin95 ? "4.00.950" : "4.10.2222");
    Sz(cv, "SystemRoot", s.windowsFolder);
    Sz(cv, "RegisteredOwner", setup.userName);
  }
  Sz(Key(s, hkey::LocalMachine, "SOFTWARE\\Classes\\.txt"), "", "txtfile");
  Sz(Key(s, hkey::LocalMachine, "SOFTWARE\\Classes\\txtfile"), "", "Text Document");
  Sz(Key(s, hkey::LocalMachine, "System\\CurrentControlSet\\Control\\ComputerName\\ComputerName"),
     "ComputerName", setup.computerName);
  if (nt) {
    Sz(Key(s, hkey::LocalMachine,
           "System\\CurrentControlSet\\Control\\ComputerName\\ActiveComputerName"),
       "ComputerName", setup.computerName);
    Sz(Key(s, hkey::LocalMachine, "System\\CurrentControlSet\\Services\\LanmanServer\\Parameters"),
       "srvcomment", "");
  } else {
    RegNode& vnet = Key(s, hkey::LocalMachine, "System\\CurrentControlSet\\Services\\VxD\\VNETSUP");
    Sz(vnet, "ComputerName", setup.computerName);
    Sz(vnet, "Workgroup", "WORKGROUP");
    Sz(vnet, "Comment", "");
    RegNode& display = Key(s, hkey::CurrentConfig, "Display\\Settings");
    Sz(display, "Resolution",
       std::to_string(setup.screenWidth) + "," + std::to_string(setup.screenHeight));
    Sz(display, "BitsPerPixel", std::to_string(setup.bitsPerPixel));
    Key(s, hkey::DynData, "Config Manager\\Enum");
  }

  RegNode& desktop = Key(s, hkey::CurrentUser, "Control Panel\\Desktop");
  Sz(desktop, "Wallpaper", "(None)");
  Sz(desktop, "TileWallpaper", "0");
  Sz(desktop, "Pattern", "(None)");
  Sz(desktop, "ScreenSaveActive", "1");
  Sz(desktop, "ScreenSaveTimeOut", "900");
  RegNode& colors = Key(s, hkey::CurrentUser, "Control Panel\\Colors");
  Sz(colors, "Background", "0 128 128");
  Sz(colors, "Window", "255 255 255");
  Sz(colors, "WindowText", "0 0 0");
  RegNode& mouse = Key(s, hkey::CurrentUser, "Control Panel\\Mouse");
  Sz(mouse, "DoubleClickSpeed", "500");
  Sz(mouse, "SwapMouseButtons", "0");
  RegNode& folders =
      Key(s, hkey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
  for (auto& f : shellFolders) Sz(folders, f[0], profile + "\\" + f[1]);
  Sz(folders, "Personal", personal);
  Sz(folders, "Fonts", s.windowsFolder + "\\Fonts");
  if (nt) {
    RegNode& user = Key(s, hkey::CurrentUser,
                        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders");
    for (auto& f : shellFolders)
      Sz(user, f[0], std::string("%USERPROFILE%\\") + f[1], regtype::ExpandSz);
  }
  Key(s, hkey::Users, ".DEFAULT\\Control Panel\\Desktop");

  s.metrics = {{sm::CxScreen, setup.screenWidth},
               {sm::CyScreen, setup.screenHeight},
               {sm::CxIcon, 32},
               {sm::CyIcon, 32},
               {sm::MousePresent, 1},
               {sm::SwapButton, 0},
               {sm::CxDoubleClk, 4},
               {sm::CyDoubleClk, 4},
               {sm::CxIconSpacing, 75},
               {sm::CyIconSpacing, 75},
               {sm::CxSmIcon, 16},
               {sm::CySmIcon, 16},
               {sm::Network, 1},
               {sm::CleanBoot, 0}};
  s.deviceCaps = {{caps::HorzRes, setup.screenWidth}, {caps::VertRes, setup.screenHeight},
                  {caps::BitsPixel, setup.bitsPerPixel}, {caps::Planes, 1},
                  {caps::LogPixelsX, setup.dpi},     {caps::LogPixelsY, setup.dpi}};
}

}  // namespace qv::mem
