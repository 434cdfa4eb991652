// The state of an in-memory machine and the classes that serve its ports.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/memory/memory_active_desktop.h"
#include "platform/memory/memory_desktop.h"
#include "platform/memory/memory_dialup.h"
#include "platform/memory/memory_faults.h"
#include "platform/memory/memory_machine.h"
#include "platform/memory/memory_shell.h"
#include "platform/memory/memory_spooler.h"
#include "platform/memory/memory_taskbar.h"
#include "platform/memory/paths.h"
#include "platform/network.h"
#include "platform/prompts.h"
#include "platform/system_parameters.h"

namespace qv {

namespace mem {

struct RegValue {
  std::string name;  // spelling as created
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

struct RegNode {
  std::string name;  // spelling as created
  std::uint64_t id = 0;
  std::vector<RegValue> values;            // creation order
  std::map<std::string, RegNode> children;  // by folded name

  RegValue* FindValue(std::string_view valueName);
};

struct FsNode {
  std::string name;  // spelling as created
  std::uint64_t id = 0;
  std::uint32_t attributes = 0;  // fattr::Directory for folders
  FileTimes times;
  std::vector<std::uint8_t> data;         // files
  std::map<std::string, FsNode> children;  // folders, by folded name

  bool IsFolder() const { return (attributes & fattr::Directory) != 0; }
};

struct Drive {
  FsNode root;
  std::uint64_t capacity = 0;
  std::uint64_t used = 0;  // bytes held by files
};

struct OpenKeyRecord {
  RegKey root = 0;                 // a real root: never ClassesRoot
  std::vector<std::string> path;   // folded names below the root
  std::uint64_t id = 0;            // the node's id when opened
  bool write = false;              // opened with full access
};

struct OpenFileRecord {
  FsPath path;
  std::uint64_t id = 0;
  FileAccess access = FileAccess::Read;
  std::uint64_t position = 0;
};

struct FindRecord {
  std::vector<FileInfo> entries;
  size_t next = 0;
};

// What SystemParametersInfo and its neighbours keep: integer values and
// structure blocks under the action that reads them, the texts that
// structures reach through pointers, and the display, colour, keyboard and
// mouse state.
struct ParameterState {
  std::map<unsigned, std::int32_t> values;               // by get action
  std::map<unsigned, std::vector<std::uint8_t>> blocks;  // by get action, 32-bit ANSI bytes
  std::map<unsigned, ParameterTexts> texts;              // by get action
  std::string wallpaper;  // as last set, "" for none
  std::string pattern;
  std::map<int, std::uint32_t> colors;  // the indices this kind knows
  DisplayMode display;                  // the mode in use
  std::vector<DisplayMode> modes;       // what the display offers
  std::vector<DisplayMode> restartModes;  // offered modes that take effect after a restart
  // Faults a test asks for: SystemParametersInfo actions that fail with the
  // given code, and an answer ChangeDisplaySettings gives to every mode.
  std::map<unsigned, WinError> failingActions;
  std::optional<std::int32_t> displayAnswer;
  std::string keyboardLayout;           // active layout, 8 upper-case hex digits
  std::set<std::string> layouts;        // layouts installed on the machine
  std::uint32_t doubleClickTime = 500;
  std::uint32_t caretBlinkTime = 530;
  Point cursor;
};

// A server of the network: its shares (every server also has "IPC$").
struct NetServer {
  std::string name;                           // spelling as added
  std::map<std::string, std::string> shares;  // folded name -> spelling
};

struct NetAccount {
  std::string name;
  std::uint32_t flags = 0;  // uf::*
};

// A domain reachable from the machine.
struct NetDomain {
  std::string name;
  std::string controller;  // computer name of the primary domain controller
  std::vector<std::uint8_t> sid;
  std::map<std::string, NetAccount> accounts;  // by folded name
};

// The machine's network and its Windows NT security policy.
struct NetworkState {
  std::set<NetLibrary> libraries;   // the libraries that load
  std::set<NetFunction> exports;    // the exports found in them
  DomainRole role = DomainRole::Workstation;
  std::vector<std::uint8_t> machineSid;
  PrimaryDomainInfo primary;        // what the policy holds
  std::string workstationDomain;    // what the workstation started with
  std::map<std::string, TrustedDomain> trusts;  // by folded name
  std::map<std::string, NetDomain> domains;     // by folded name
  std::map<std::string, NetServer> servers;     // by folded name
  std::vector<NetConnection> connections;       // in the order made
};

struct PolicyRecord {
  std::uint32_t access = 0;  // policyaccess::*
};

}  // namespace mem

struct MemoryMachine::State {
  MachineSetup setup;
  std::uint64_t nextId = 1;
  FileTime clock = 0;

  // Registry: one tree per real root (HKEY_CLASSES_ROOT is the key
  // HKEY_LOCAL_MACHINE\SOFTWARE\Classes).
  std::map<RegKey, mem::RegNode> registry;
  // Drives by letter.
  std::map<char, mem::Drive> drives;
  mem::FsPath currentFolder;
  std::string tempFolder;  // without trailing backslash
  std::string windowsFolder;
  std::string systemFolder;
  std::string userName;
  std::string computerName;
  OsVersion version;
  std::map<int, int> metrics;
  std::map<int, int> deviceCaps;
  mem::ParameterState parameters;
  mem::NetworkState network;
  mem::SpoolerState spooler;
  mem::DialUpState dialup;
  mem::RecycleBinState recycleBin;
  mem::DesktopState desktop;
  mem::ActiveDesktopState activeDesktop;
  mem::TaskbarState taskbar;

  // Setting-change notices the machine sent; not part of a copy.
  int settingChangeBroadcasts = 0;  // BroadcastSettingChange
  int settingChangeNotices = 0;     // SystemParametersInfo with SPIF_SENDWININICHANGE

  // Faults planned by a test; not part of a copy.
  mem::FaultState faults;

  // The person at the machine; not part of a copy.
  std::deque<int> answers;
  std::vector<ShownPrompt> shown;
  std::set<int> keysDown;

  // Open handles; not part of a copy.
  std::map<std::uint32_t, mem::OpenKeyRecord> keys;
  std::map<std::uint32_t, mem::OpenFileRecord> files;
  std::map<std::uint32_t, mem::FindRecord> finds;
  std::map<std::uint32_t, mem::PolicyRecord> policies;
  std::uint32_t nextHandle = 1;

  std::recursive_mutex lock;

  State() = default;
  // Copies the machine's state but not its open handles.
  State(const State& other);

  std::uint64_t NewId() { return nextId++; }
  FileTime Tick();
};

namespace mem {

// Sets the calling thread's last error and returns the code.
WinError Fail(WinError code);
WinError ThreadLastError();
void SetThreadLastError(WinError code);

// Direct edits of the registry tree, for building and changing the state
// outside the port's access rules.
// The key at `path` below `root`, made with any missing parents.
RegNode& MakeKey(MemoryMachine::State& state, RegKey root, std::string_view path);
// The key at `path` below `root`, or null when it or its root is missing.
RegNode* FindKey(MemoryMachine::State& state, RegKey root, std::string_view path);
// Sets a value, keeping its place when it exists.
void PutValue(RegNode& key, std::string_view name, std::uint32_t type,
              std::vector<std::uint8_t> data);
// Sets a string value (stored with its terminating zero).
void PutString(RegNode& key, std::string_view name, std::string_view text,
               std::uint32_t type = regtype::Sz);

// Builds the default state for the setup's kind.
void InitializeState(MemoryMachine::State& state);
// Adds the system parameters, colours, display modes and input settings of
// a fresh machine of the setup's kind (with their registry values).
void InitializeParameters(MemoryMachine::State& state);
// Readable lines for the parameter differences between two states.
void CompareParameters(const MemoryMachine::State& a, const MemoryMachine::State& b,
                       std::vector<std::string>& out);
// The network, security policy and exports of a fresh machine of the
// setup's kind.
void InitializeNetwork(MemoryMachine::State& state);
// Readable lines for the network differences between two states.
void CompareNetwork(const MemoryMachine::State& a, const MemoryMachine::State& b,
                    std::vector<std::string>& out);
// What a restart does to the computer name, the network and the policy.
void RestartNetwork(MemoryMachine::State& state);
// Stores the computer name where the system keeps it, without checks: the
// name the machine starts with next time.
void StorePendingComputerName(MemoryMachine::State& state, std::string_view name);

class MemoryRegistry : public IRegistry {
 public:
  explicit MemoryRegistry(MemoryMachine::State& s) : s_(s) {}
  WinError OpenKey(RegKey parent, std::string_view subKey, RegAccess access,
                   RegKey& result) override;
  WinError CreateKey(RegKey parent, std::string_view subKey, RegKey& result,
                     bool* created) override;
  WinError CloseKey(RegKey key) override;
  WinError QueryValue(RegKey key, std::string_view name, std::uint32_t* type,
                      std::uint8_t* data, std::uint32_t* size) override;
  WinError SetValue(RegKey key, std::string_view name, std::uint32_t type,
                    const std::uint8_t* data, std::uint32_t size) override;
  WinError DeleteValue(RegKey key, std::string_view name) override;
  WinError DeleteKey(RegKey parent, std::string_view subKey) override;
  WinError EnumKey(RegKey key, std::uint32_t index, std::string& name) override;
  WinError EnumValue(RegKey key, std::uint32_t index, std::string& name, std::uint32_t* type,
                     std::vector<std::uint8_t>* data) override;
  WinError QueryInfoKey(RegKey key, std::uint32_t* subKeys, std::uint32_t* values) override;

 private:
  struct Target {
    RegKey root = 0;
    std::vector<std::string> path;  // folded
    bool write = false;
  };
  // Resolves a handle (root or opened key) to its root and path.
  WinError Resolve(RegKey key, Target& target, RegNode*& node);
  WinError Walk(const Target& base, std::string_view subKey, Target& target,
                std::vector<std::string>& spelled);
  bool MayWrite(RegKey root) const;
  RegNode* Find(RegKey root, const std::vector<std::string>& path);
  RegKey NewHandle(const Target& target, std::uint64_t id);

  MemoryMachine::State& s_;
};

class MemoryFiles : public IFiles {
 public:
  explicit MemoryFiles(MemoryMachine::State& s) : s_(s) {}
  WinError Attributes(std::string_view path, std::uint32_t& attributes) override;
  WinError SetAttributes(std::string_view path, std::uint32_t attributes) override;
  WinError QueryInfo(std::string_view path, FileInfo& info) override;
  WinError Open(std::string_view path, FileAccess access, Disposition disposition,
                std::uint32_t attributes, FileHandle& handle) override;
  WinError Close(FileHandle handle) override;
  WinError Read(FileHandle handle, void* buffer, std::uint32_t count,
                std::uint32_t& done) override;
  WinError Write(FileHandle handle, const void* buffer, std::uint32_t count,
                 std::uint32_t& done) override;
  WinError Seek(FileHandle handle, std::int64_t offset, SeekOrigin origin,
                std::uint64_t* position) override;
  WinError Size(FileHandle handle, std::uint64_t& size) override;
  WinError Truncate(FileHandle handle) override;
  WinError Times(FileHandle handle, FileTimes& times) override;
  WinError SetTimes(FileHandle handle, const FileTime* creation, const FileTime* lastAccess,
                    const FileTime* lastWrite) override;
  WinError Remove(std::string_view path) override;
  WinError Rename(std::string_view from, std::string_view to) override;
  WinError MakeFolder(std::string_view path) override;
  WinError RemoveFolder(std::string_view path) override;
  WinError FindFirst(std::string_view pattern, FindHandle& handle, FileInfo& info) override;
  WinError FindNext(FindHandle handle, FileInfo& info) override;
  WinError FindClose(FindHandle handle) override;
  WinError DiskFreeSpace(std::string_view root, std::uint64_t& freeBytes,
                         std::uint64_t& totalBytes) override;
  WinError TempFolder(std::string& path) override;
  WinError CurrentFolder(std::string& path) override;
  WinError SetCurrentFolder(std::string_view path) override;

 private:
  // Finds the node at `path`: err::PathNotFound when a folder on the way is
  // missing, err::FileNotFound when only the last name is.
  WinError Locate(const FsPath& path, FsNode*& node, Drive** drive = nullptr);
  WinError LocateParent(const FsPath& path, FsNode*& parent, Drive*& drive);
  // Resolves and locates a path argument, leaving a failure as last error.
  WinError LocateArg(std::string_view path, FsPath& p, FsNode*& node, Drive** drive = nullptr);
  WinError ResolveArg(std::string_view path, FsPath& out, bool wildcardLeaf = false);
  // Finds an open file's record and node, leaving a failure as last error.
  WinError OpenRecord(FileHandle handle, OpenFileRecord*& rec, FsNode*& node, Drive*& drive);
  bool IsOpenBelow(const FsPath& path) const;
  static FileInfo InfoOf(const FsNode& node);

  MemoryMachine::State& s_;
};

class MemorySystem : public ISystemInfo {
 public:
  explicit MemorySystem(MemoryMachine::State& s) : s_(s) {}
  WinError Version(OsVersion& version) override;
  WinError UserName(std::string& name) override;
  WinError ComputerName(std::string& name) override;
  WinError SystemFolder(std::string& path) override;
  WinError WindowsFolder(std::string& path) override;
  int Metric(int index) override;
  int DeviceCaps(int index) override;
  WinError LastError() override;
  void SetLastError(WinError code) override;
  std::string ErrorMessage(WinError code) override;
  std::string DateTimeText() override;
  std::string FileTimeText(FileTime time) override;

 private:
  MemoryMachine::State& s_;
};

// SystemParametersInfo answers from a table per action pair: a get action
// reads the value or block that the matching set action writes. Integer
// set actions take their value from uiParam, as Windows does. Actions the
// machine's kind does not have fail (Windows NT: err::InvalidSpiValue,
// Windows 95/98: err::InvalidParameter). With spif::UpdateIniFile the sets
// below also store the value where Windows keeps it in the registry, as a
// string under HKEY_CURRENT_USER\Control Panel:
//   Desktop  ScreenSaveTimeOut, ScreenSaveActive, Wallpaper, Pattern
//   Mouse    DoubleClickSpeed, SwapMouseButtons, DoubleClickWidth,
//            DoubleClickHeight, MouseThreshold1, MouseThreshold2, MouseSpeed
//   Keyboard KeyboardSpeed, KeyboardDelay
// A display mode stored with cds::UpdateRegistry goes to
// HKEY_CURRENT_CONFIG\Display\Settings on Windows 95/98.
class MemorySystemParameters : public ISystemParameters {
 public:
  explicit MemorySystemParameters(MemoryMachine::State& s) : s_(s) {}
  bool Parameter(unsigned action, std::uint32_t uiParam, std::int32_t* value,
                 unsigned winIni) override;
  bool ParameterBlock(unsigned action, std::uint32_t uiParam, std::vector<std::uint8_t>& block,
                      unsigned winIni, ParameterTexts* texts = nullptr) override;
  bool ParameterText(unsigned action, std::uint32_t uiParam, const std::string* text,
                     unsigned winIni) override;
  std::uint32_t SysColor(int index) override;
  WinError ChangeSysColors(const std::vector<int>& indices,
                           const std::vector<std::uint32_t>& colors) override;
  WinError CurrentDisplayMode(DisplayMode& mode) override;
  std::vector<DisplayMode> DisplayModes() override;
  std::int32_t ChangeDisplayMode(const DisplayMode& mode, std::uint32_t flags) override;
  WinError KeyboardLayoutName(std::string& name) override;
  WinError LoadKeyboardLayoutByName(std::string_view name, std::uint32_t flags) override;
  WinError LocaleText(std::uint32_t locale, std::uint32_t type, std::string& text) override;
  std::uint32_t DoubleClickTime() override;
  WinError ChangeDoubleClickTime(std::uint32_t milliseconds) override;
  std::uint32_t CaretBlinkTime() override;
  WinError ChangeCaretBlinkTime(std::uint32_t milliseconds) override;
  WinError CursorPosition(Point& position) override;
  WinError MoveCursor(Point position) override;
  void BroadcastSettingChange() override;

 private:
  MemoryMachine::State& s_;
};

class MemoryPrompts : public IPrompts {
 public:
  explicit MemoryPrompts(MemoryMachine::State& s) : s_(s) {}
  int ShowMessage(std::string_view text, std::string_view caption, std::uint32_t style) override;
  bool KeyDown(int virtualKey) override;

 private:
  MemoryMachine::State& s_;
};

// The network port on the machine's state. Drive connections are
// remembered under HKEY_CURRENT_USER\Network\<letter> on Windows NT and
// HKEY_CURRENT_USER\Network\Persistent\<letter> on Windows 95/98. A
// server name given to the Net* calls may be empty or the machine's own
// name (the local computer), a server of the network, or unknown
// (err::BadNetPath). Only the machine's own policy can be opened.
class MemoryNetwork : public INetwork {
 public:
  explicit MemoryNetwork(MemoryMachine::State& s) : s_(s) {}
  WinError ChangeComputerName(std::string_view name) override;
  WinError DriveConnection(std::string_view localName, std::string& remoteName) override;
  WinError AddDriveConnection(std::string_view localName, std::string_view remoteName,
                              std::string_view userName, std::uint32_t flags) override;
  WinError CancelDriveConnection(std::string_view localName, std::uint32_t flags,
                                 bool force) override;
  std::string NetErrorMessage(WinError code) override;
  bool HasLibrary(NetLibrary library) override;
  bool Has(NetFunction function) override;
  WinError LsaStatusToWinError(NtStatus status) override;
  NtStatus OpenPolicy(std::string_view systemName, std::uint32_t access,
                      LsaPolicy& handle) override;
  NtStatus ClosePolicy(LsaPolicy policy) override;
  NtStatus QueryPrimaryDomain(LsaPolicy policy, PrimaryDomainInfo& info) override;
  NtStatus SetPrimaryDomain(LsaPolicy policy, const PrimaryDomainInfo& info) override;
  NtStatus SetTrustedDomainName(LsaPolicy policy, const std::vector<std::uint8_t>& domainSid,
                                std::string_view name) override;
  WinError WorkstationInfo100(WorkstationInfo& info) override;
  WinError ServerType(std::string_view server, std::uint32_t& type) override;
  WinError AccountDomain(std::string_view server, std::string& name,
                         std::vector<std::uint8_t>& sid) override;
  WinError DomainControllerName(std::string_view server, std::string_view domain,
                                std::string& controller) override;
  WinError AddUse(std::string_view localName, std::string_view remoteName,
                  std::uint32_t type) override;
  WinError DeleteUse(std::string_view name, std::uint32_t force) override;
  WinError UserFlags(std::string_view server, std::string_view userName,
                     std::uint32_t& flags) override;

 private:
  enum class Where { Local, Remote, Unknown };
  // Where a server name points; `folded` is the remote server's key.
  Where Locate(std::string_view server, std::string& folded) const;
  // A policy handle with the access it needs: ntstatus::InvalidHandle or
  // ntstatus::AccessDenied otherwise.
  NtStatus CheckPolicy(LsaPolicy policy, std::uint32_t access) const;
  // Checks that a remote name is a share of a known server.
  WinError CheckShare(std::string_view remoteName) const;
  // Checks that a local name is a drive letter not in use.
  WinError CheckFreeLetter(std::string_view localName) const;
  std::vector<NetConnection>::iterator FindConnection(std::string_view name);

  MemoryMachine::State& s_;
};

// The Windows (US English) message text for an error code, "" if unknown.
std::string SystemMessageText(WinError code);
// The same for the network error codes (2100 to 2999) of "netmsg.dll".
std::string NetworkMessageText(WinError code);

}  // namespace mem
}  // namespace qv
