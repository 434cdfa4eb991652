// An in-memory Windows machine of a chosen kind (Windows 95, 98 or NT).
//
// It keeps a registry, drives with folders and files, and the system's
// names, folders, metrics and device caps, and answers the ports the way the
// real API does, error codes included. Machines are independent of each
// other: tests save on one and load on another. A machine can be copied
// (state only, no open handles) and compared with another.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/active_desktop.h"
#include "platform/desktop.h"
#include "platform/machine.h"
#include "platform/network.h"

namespace qv {

struct MachineSetup {
  OSKind kind = okWinNT;
  // Without administrator rights the registry refuses full access below
  // HKEY_LOCAL_MACHINE (and HKEY_CLASSES_ROOT, which lives there), as
  // Windows NT does for a normal user.
  bool administrator = true;
  std::string userName = "User";
  std::string computerName = "QORVELPC";
  int screenWidth = 1024;
  int screenHeight = 768;
  int bitsPerPixel = 16;
  int dpi = 96;
  std::uint64_t diskCapacity = 2ull << 30;  // drive C:
};

// A message box the machine was shown, and the answer it gave.
struct ShownPrompt {
  std::string text;
  std::string caption;
  std::uint32_t style = 0;
  int answer = 0;
};

// The part a Windows NT machine plays in its domain.
enum class DomainRole { Workstation, PrimaryController, BackupController };

// A trust recorded in the machine's security policy.
struct TrustedDomain {
  std::string name;
  std::vector<std::uint8_t> sid;
};

// A network connection: a drive letter ("E:"), or "" for a connection
// without a device, and the remote name ("\\SERVER\SHARE").
struct NetConnection {
  std::string localName;
  std::string remoteName;
};

// A file or folder the shell moved to the recycle bin: its full path as the
// drive spelled it, and a file's content.
struct RecycledEntry {
  std::string path;
  bool folder = false;
  std::string content;
  bool operator==(const RecycledEntry&) const = default;
};

// The Active Desktop: whether the shell has it (its COM object can be
// made), and what the desktop shows as the last ApplyChanges left it.
struct ActiveDesktopSetup {
  bool installed = false;
  ComponentsOptions options;
  std::u16string wallpaper;
  WallpaperOptions wallpaperOptions;
  std::u16string pattern;
  std::vector<DesktopComponent> components;
  bool operator==(const ActiveDesktopSetup&) const = default;
};

// The taskbar: docked at a screen edge (appbar::Left ... appbar::Bottom)
// with a thickness in pixels, auto-hidden or not, and its Taskbar
// Properties dialog with the dialog's auto check boxes in dialog order
// ("&Always on top" and "A&uto hide" follow the two states).
struct TaskbarSetup {
  bool exists = true;
  int edge = appbar::Bottom;
  int thickness = 28;
  bool autoHide = false;
  bool alwaysOnTop = true;
  std::vector<TaskbarOption> boxes = {{"&Always on top", true},
                                      {"A&uto hide", false},
                                      {"Show &small icons in Start menu", false},
                                      {"Show &Clock", true}};
  // The dialog is open already: the taskbar's command brings that one
  // forward and no new dialog appears.
  bool dialogOpen = false;
  // The shell has no Taskbar Properties dialog at all.
  bool hasDialog = true;
  // Drags do not move or size the bar (the user holds it, or it is locked).
  bool locked = false;
};

// Which differences Differences() reports.
struct CompareOptions {
  bool fileTimes = true;  // creation and last-write times of files
};

class MemoryMachine : public Machine {
 public:
  explicit MemoryMachine(OSKind kind);
  explicit MemoryMachine(const MachineSetup& setup);
  MemoryMachine(const MemoryMachine& other);  // deep copy of the state
  MemoryMachine& operator=(const MemoryMachine&) = delete;
  ~MemoryMachine() override;

  IRegistry& Registry() override;
  IFiles& Files() override;
  ISystemInfo& System() override;
  IPrompts* Prompts() override;
  ISystemParameters* SystemParameters() override;
  IProfiles* Profiles() override;
  INetwork* Network() override;
  ISpooler* Spooler() override;
  IShell* Shell() override;
  IDialUp* DialUp() override;
  IActiveDesktop* ActiveDesktop() override;
  IDesktop* Desktop() override;

  OSKind Kind() const;
  const MachineSetup& Setup() const;

  // The machine's clock: every time stamp it gives advances it by one second.
  FileTime Now();
  void SetClock(FileTime now);

  // Direct changes for tests and scenarios.
  void SetMetric(int index, int value);
  void SetDeviceCaps(int index, int value);
  void SetAdministrator(bool administrator);
  // An empty name means nobody is logged on: UserName then fails.
  void SetUserName(const std::string& name);
  // The machine as if it had started with this computer name: the name in
  // use and the names in the registry change at once.
  void SetComputerName(const std::string& name);
  void SetDriveCapacity(char drive, std::uint64_t bytes);
  // Adds a drive with an empty root folder (no effect if it exists).
  void AddDrive(char drive, std::uint64_t capacity);

  // Starts the machine again: the computer name stored by the network port's
  // ChangeComputerName (SetComputerName) becomes the name in use, the
  // workstation names the workgroup or domain its policy holds, open policy
  // handles are gone, and of the network connections only the remembered
  // ones come back, when their share is still there. Open registry keys and
  // files are left alone.
  void Restart();

  // The network around the machine and its Windows NT security policy. A
  // fresh Windows NT machine is a workstation in the workgroup "WORKGROUP"
  // with every export of ADVAPI32.DLL and NETAPI32.DLL; a Windows 95/98
  // machine has both libraries but none of the Lsa* and Net* exports. The
  // machine knows no domains and no other servers until they are added.
  void SetDomainRole(DomainRole role);
  // A domain reachable from the machine: its primary domain controller's
  // computer name and its SID, taken as given (a test may give a malformed
  // one). The controller becomes a server of the network.
  void AddDomain(const std::string& name, const std::string& controller,
                 const std::vector<std::uint8_t>& sid);
  // An account in a known domain's account database, with its flags (uf::*);
  // computer accounts are named after the computer followed by "$".
  void AddDomainAccount(const std::string& domain, const std::string& account,
                        std::uint32_t flags);
  // A share on a server of the network ("\\SERVER\SHARE"); the server
  // becomes reachable if it was not.
  void AddShare(const std::string& remoteName);
  // Membership as if the machine had been joined and started again: a
  // domain with its SID, or a workgroup with none.
  void SetMembership(const std::string& name, const std::vector<std::uint8_t>& sid);
  // A trust already recorded in the policy.
  void AddTrustedDomain(const std::string& name, const std::vector<std::uint8_t>& sid);
  // Takes away a library (with all its exports) or one export: calls to it
  // then fail as on a system that lacks it.
  void RemoveNetLibrary(NetLibrary library);
  void RemoveNetFunction(NetFunction function);

  // The policy's primary domain, its trusts, the network connections in the
  // order they were made, and how many policy handles are open.
  PrimaryDomainInfo PrimaryDomain() const;
  std::vector<TrustedDomain> TrustedDomains() const;
  std::vector<NetConnection> Connections() const;
  int OpenPolicyCount() const;

  // The person at the machine: message boxes take the queued answers in
  // order; with none queued a box is closed with its first button (OK or
  // Yes), as Enter would. Every box shown is recorded.
  void QueueAnswer(int answer);
  std::vector<ShownPrompt> ShownPrompts() const;
  void ClearShownPrompts();
  void SetKeyDown(int virtualKey, bool down);

  // How often the machine was told that settings changed: BroadcastSettingChange
  // calls, and SystemParametersInfo calls with SPIF_SENDWININICHANGE. A copy
  // starts again from 0.
  int SettingChangeBroadcasts() const;
  int SettingChangeNotices() const;

  // The recycle bin: what SendToRecycleBin moved there, in order.
  std::vector<RecycledEntry> RecycleBin() const;

  // The desktop: whether the shell's desktop window with its list view is
  // there, its icons in list-view order, whether new desktop files get an
  // icon when the program waits for the shell, and how often it waited.
  void SetDesktopShell(bool running);
  void SetDesktopIcons(const std::vector<DesktopIcon>& icons);
  std::vector<DesktopIcon> DesktopIcons() const;
  void SetShellListsNewFiles(bool lists);
  // The shared block for the desktop list view cannot be made: the list
  // operations that go through it fail with `error` (0: they work).
  void SetDesktopBlockError(WinError error);
  int DesktopWaits() const;

  // The Active Desktop (installed on a fresh Windows 98 machine only): set
  // as if the user had applied it, read as the desktop shows it, and the
  // flags of every ApplyChanges so far.
  void SetActiveDesktop(const ActiveDesktopSetup& setup);
  ActiveDesktopSetup ActiveDesktopNow() const;
  std::vector<std::uint32_t> ActiveDesktopApplies() const;

  // The taskbar as the user left it, and as it is now. The mouse cursor's
  // position: the taskbar procedures must put it back.
  void SetTaskbar(const TaskbarSetup& taskbar);
  TaskbarSetup Taskbar() const;
  void SetCursor(Point position);
  Point Cursor() const;
  // Fault injection. The disk that the n-th file write from now (1-based)
  // goes to fills up at that write: it fails with err::DiskFull, and so
  // does every later write that needs more room than half of it. The
  // n-th registry write from now (RegSetValueEx, RegCreateKeyEx,
  // RegDeleteValue, RegDeleteKey) fails with err::AccessDenied. 0 plans no
  // fault; planning restarts the counts, which tell how many writes there
  // were (how many positions a sweep has to try).
  void FillDiskAtWrite(std::uint64_t n);
  void FailRegistryWrite(std::uint64_t n);
  std::uint64_t FileWrites() const;
  std::uint64_t RegistryWrites() const;

  // Readable lines, one per difference between `a` and `b` ("a" is the
  // first state, "b" the second); empty when the machines are alike.
  static std::vector<std::string> Differences(const MemoryMachine& a, const MemoryMachine& b,
                                              const CompareOptions& options = {});

  struct State;  // the whole machine state (memory_state.h)
  State& state() { return *state_; }
  const State& state() const { return *state_; }

 private:
  std::unique_ptr<State> state_;
  class Ports;
  std::unique_ptr<Ports> ports_;
};

}  // namespace qv
