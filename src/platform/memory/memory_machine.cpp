#include <cstdio>
#include <functional>

#include "platform/memory/memory_explorer.h"
#include "platform/memory/memory_profiles.h"
#include "platform/memory/memory_shell.h"
#include "platform/memory/memory_spooler.h"
#include "platform/memory/memory_state.h"

namespace qv {

using namespace mem;

class MemoryMachine::Ports {
 public:
  explicit Ports(State& s)
      : registry(s), files(s), system(s), prompts(s), parameters(s),
        profiles(files, s.windowsFolder), network(s), spooler(s, files), shell(s, files),
        dialup(s.dialup, s.lock), activeDesktop(s), desktop(s) {}
  MemoryRegistry registry;
  MemoryFiles files;
  MemorySystem system;
  MemoryPrompts prompts;
  MemorySystemParameters parameters;
  MemoryProfiles profiles;
  MemoryNetwork network;
  MemorySpooler spooler;
  MemoryShell shell;
  MemoryDialUp dialup;
  MemoryActiveDesktop activeDesktop;
  MemoryDesktop desktop;
};

MemoryMachine::State::State(const State& other)
    : setup(other.setup),
      nextId(other.nextId),
      clock(other.clock),
      registry(other.registry),
      drives(other.drives),
      currentFolder(other.currentFolder),
      tempFolder(other.tempFolder),
      windowsFolder(other.windowsFolder),
      systemFolder(other.systemFolder),
      userName(other.userName),
      computerName(other.computerName),
      version(other.version),
      metrics(other.metrics),
      deviceCaps(other.deviceCaps),
      parameters(other.parameters),
      network(other.network),
      spooler(other.spooler),
      dialup(other.dialup),
      recycleBin(other.recycleBin),
      desktop(other.desktop),
      activeDesktop(other.activeDesktop),
      taskbar(other.taskbar) {}

FileTime MemoryMachine::State::Tick() {
  FileTime now = clock;
  clock += 10'000'000;  // one second
  return now;
}

MemoryMachine::MemoryMachine(OSKind kind) : MemoryMachine(MachineSetup{kind}) {}

MemoryMachine::MemoryMachine(const MachineSetup& setup) : state_(std::make_unique<State>()) {
  state_->setup = setup;
  InitializeState(*state_);
  InitializeParameters(*state_);
  InitializeNetwork(*state_);
  InitializeSpooler(*state_);
  InitializeDialUp(state_->dialup);
  InitializeDesktop(*state_);
  InitializeExplorer(*state_);
  InitializeActiveDesktop(*state_);
  ports_ = std::make_unique<Ports>(*state_);
}

MemoryMachine::MemoryMachine(const MemoryMachine& other) {
  std::lock_guard g(other.state_->lock);
  state_ = std::make_unique<State>(*other.state_);
  ports_ = std::make_unique<Ports>(*state_);
}

MemoryMachine::~MemoryMachine() = default;

IRegistry& MemoryMachine::Registry() { return ports_->registry; }
IFiles& MemoryMachine::Files() { return ports_->files; }
ISystemInfo& MemoryMachine::System() { return ports_->system; }
IPrompts* MemoryMachine::Prompts() { return &ports_->prompts; }
ISystemParameters* MemoryMachine::SystemParameters() { return &ports_->parameters; }
IProfiles* MemoryMachine::Profiles() { return &ports_->profiles; }
INetwork* MemoryMachine::Network() { return &ports_->network; }
ISpooler* MemoryMachine::Spooler() { return &ports_->spooler; }
IShell* MemoryMachine::Shell() { return &ports_->shell; }
IDialUp* MemoryMachine::DialUp() { return &ports_->dialup; }

std::vector<RecycledEntry> MemoryMachine::RecycleBin() const {
  std::lock_guard g(state_->lock);
  return state_->recycleBin.entries;
}

void MemoryMachine::SetDesktopShell(bool running) {
  std::lock_guard g(state_->lock);
  state_->desktop.shell = running;
}

void MemoryMachine::SetDesktopIcons(const std::vector<DesktopIcon>& icons) {
  std::lock_guard g(state_->lock);
  PutDesktopIcons(*state_, icons);
}

std::vector<DesktopIcon> MemoryMachine::DesktopIcons() const {
  std::lock_guard g(state_->lock);
  return state_->desktop.icons;
}

void MemoryMachine::SetShellListsNewFiles(bool lists) {
  std::lock_guard g(state_->lock);
  state_->desktop.listsNewFiles = lists;
}

void MemoryMachine::SetDesktopBlockError(WinError error) {
  std::lock_guard g(state_->lock);
  state_->desktop.blockError = error;
}

int MemoryMachine::DesktopWaits() const {
  std::lock_guard g(state_->lock);
  return state_->desktop.waits;
}

IActiveDesktop* MemoryMachine::ActiveDesktop() { return &ports_->activeDesktop; }
IDesktop* MemoryMachine::Desktop() { return &ports_->desktop; }

void MemoryMachine::SetTaskbar(const TaskbarSetup& taskbar) {
  std::lock_guard g(state_->lock);
  state_->taskbar.setup = taskbar;
  state_->taskbar.revealed = false;
}

TaskbarSetup MemoryMachine::Taskbar() const {
  std::lock_guard g(state_->lock);
  return state_->taskbar.setup;
}

void MemoryMachine::SetCursor(Point position) {
  std::lock_guard g(state_->lock);
  state_->taskbar.cursor = position;
}

Point MemoryMachine::Cursor() const {
  std::lock_guard g(state_->lock);
  return state_->taskbar.cursor;
}

void MemoryMachine::SetActiveDesktop(const ActiveDesktopSetup& setup) {
  std::lock_guard g(state_->lock);
  state_->activeDesktop.shown = setup;
}

ActiveDesktopSetup MemoryMachine::ActiveDesktopNow() const {
  std::lock_guard g(state_->lock);
  return state_->activeDesktop.shown;
}

std::vector<std::uint32_t> MemoryMachine::ActiveDesktopApplies() const {
  std::lock_guard g(state_->lock);
  return state_->activeDesktop.applies;
}

int MemoryMachine::SettingChangeBroadcasts() const {
  std::lock_guard g(state_->lock);
  return state_->settingChangeBroadcasts;
}

int MemoryMachine::SettingChangeNotices() const {
  std::lock_guard g(state_->lock);
  return state_->settingChangeNotices;
}

void MemoryMachine::QueueAnswer(int answer) {
  std::lock_guard g(state_->lock);
  state_->answers.push_back(answer);
}

std::vector<ShownPrompt> MemoryMachine::ShownPrompts() const {
  std::lock_guard g(state_->lock);
  return state_->shown;
}

void MemoryMachine::ClearShownPrompts() {
  std::lock_guard g(state_->lock);
  state_->shown.clear();
}

void MemoryMachine::SetKeyDown(int virtualKey, bool down) {
  std::lock_guard g(state_->lock);
  if (down)
    state_->keysDown.insert(virtualKey);
  else
    state_->keysDown.erase(virtualKey);
}

OSKind MemoryMachine::Kind() const { return state_->setup.kind; }
const MachineSetup& MemoryMachine::Setup() const { return state_->setup; }

FileTime MemoryMachine::Now() {
  std::lock_guard g(state_->lock);
  return state_->Tick();
}

void MemoryMachine::SetClock(FileTime now) {
  std::lock_guard g(state_->lock);
  state_->clock = now;
}

void MemoryMachine::SetMetric(int index, int value) {
  std::lock_guard g(state_->lock);
  state_->metrics[index] = value;
}

void MemoryMachine::SetDeviceCaps(int index, int value) {
  std::lock_guard g(state_->lock);
  state_->deviceCaps[index] = value;
}

void MemoryMachine::SetAdministrator(bool administrator) {
  std::lock_guard g(state_->lock);
  state_->setup.administrator = administrator;
}

void MemoryMachine::SetUserName(const std::string& name) {
  std::lock_guard g(state_->lock);
  state_->userName = name;
}

void MemoryMachine::SetComputerName(const std::string& name) {
  std::lock_guard g(state_->lock);
  state_->computerName = name;
  StorePendingComputerName(*state_, name);
  if (state_->setup.kind == okWinNT)
    PutString(MakeKey(*state_, hkey::LocalMachine,
                      "System\\CurrentControlSet\\Control\\ComputerName\\ActiveComputerName"),
              "ComputerName", name);
}

void MemoryMachine::SetDriveCapacity(char drive, std::uint64_t bytes) {
  std::lock_guard g(state_->lock);
  auto it = state_->drives.find(drive);
  if (it != state_->drives.end()) it->second.capacity = bytes;
}

void MemoryMachine::AddDrive(char drive, std::uint64_t capacity) {
  std::lock_guard g(state_->lock);
  if (state_->drives.count(drive)) return;
  Drive d;
  d.capacity = capacity;
  d.root.name = std::string(1, drive) + ":";
  d.root.id = state_->NewId();
  d.root.attributes = fattr::Directory;
  state_->drives.emplace(drive, std::move(d));
}

void MemoryMachine::Restart() {
  std::lock_guard g(state_->lock);
  RestartNetwork(*state_);
}

void MemoryMachine::SetDomainRole(DomainRole role) {
  std::lock_guard g(state_->lock);
  state_->network.role = role;
}

namespace {

NetServer& ServerNamed(MemoryMachine::State& s, const std::string& name) {
  NetServer& server = s.network.servers[FoldCase(name)];
  if (server.name.empty()) server.name = name;
  return server;
}

}  // namespace

void MemoryMachine::AddDomain(const std::string& name, const std::string& controller,
                              const std::vector<std::uint8_t>& sid) {
  std::lock_guard g(state_->lock);
  NetDomain& domain = state_->network.domains[FoldCase(name)];
  domain.name = name;
  domain.controller = controller;
  domain.sid = sid;
  ServerNamed(*state_, controller);
}

void MemoryMachine::AddDomainAccount(const std::string& domain, const std::string& account,
                                     std::uint32_t flags) {
  std::lock_guard g(state_->lock);
  auto it = state_->network.domains.find(FoldCase(domain));
  if (it == state_->network.domains.end()) return;
  it->second.accounts[FoldCase(account)] = NetAccount{account, flags};
}

void MemoryMachine::AddShare(const std::string& remoteName) {
  std::lock_guard g(state_->lock);
  std::string_view rest(remoteName);
  while (!rest.empty() && rest.front() == '\\') rest.remove_prefix(1);
  const std::size_t slash = rest.find('\\');
  if (slash == 0 || slash == std::string_view::npos || slash + 1 == rest.size()) return;
  const std::string share(rest.substr(slash + 1));
  ServerNamed(*state_, std::string(rest.substr(0, slash))).shares[FoldCase(share)] = share;
}

void MemoryMachine::SetMembership(const std::string& name, const std::vector<std::uint8_t>& sid) {
  std::lock_guard g(state_->lock);
  state_->network.primary = PrimaryDomainInfo{name, sid};
  state_->network.workstationDomain = name;
}

void MemoryMachine::AddTrustedDomain(const std::string& name,
                                     const std::vector<std::uint8_t>& sid) {
  std::lock_guard g(state_->lock);
  state_->network.trusts[FoldCase(name)] = TrustedDomain{name, sid};
}

void MemoryMachine::RemoveNetLibrary(NetLibrary library) {
  std::lock_guard g(state_->lock);
  state_->network.libraries.erase(library);
}

void MemoryMachine::RemoveNetFunction(NetFunction function) {
  std::lock_guard g(state_->lock);
  state_->network.exports.erase(function);
}

PrimaryDomainInfo MemoryMachine::PrimaryDomain() const {
  std::lock_guard g(state_->lock);
  return state_->network.primary;
}

std::vector<TrustedDomain> MemoryMachine::TrustedDomains() const {
  std::lock_guard g(state_->lock);
  std::vector<TrustedDomain> out;
  for (const auto& [key, trust] : state_->network.trusts) out.push_back(trust);
  return out;
}

std::vector<NetConnection> MemoryMachine::Connections() const {
  std::lock_guard g(state_->lock);
  return state_->network.connections;
}

int MemoryMachine::OpenPolicyCount() const {
  std::lock_guard g(state_->lock);
  return static_cast<int>(state_->policies.size());
}

// ---------------------------------------------------------------------------
// Comparison

namespace {

std::string Quote(std::string_view s) { return "\"" + std::string(s) + "\""; }

std::string TypeName(std::uint32_t type) {
  switch (type) {
    case regtype::None: return "REG_NONE";
    case regtype::Sz: return "REG_SZ";
    case regtype::ExpandSz: return "REG_EXPAND_SZ";
    case regtype::Binary: return "REG_BINARY";
    case regtype::Dword: return "REG_DWORD";
    case regtype::MultiSz: return "REG_MULTI_SZ";
    default: return "type " + std::to_string(type);
  }
}

std::string Describe(const RegValue* v) {
  if (!v) return "missing";
  std::string out = TypeName(v->type) + " ";
  const auto& d = v->data;
  if ((v->type == regtype::Sz || v->type == regtype::ExpandSz) && !d.empty()) {
    std::string s(d.begin(), d.end());
    while (!s.empty() && s.back() == '\0') s.pop_back();
    return out + Quote(s);
  }
  if (v->type == regtype::Dword && d.size() == 4) {
    std::uint32_t x = d[0] | (d[1] << 8) | (d[2] << 16) | (std::uint32_t(d[3]) << 24);
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%08x (%u)", x, x);
    return out + buf;
  }
  out += "[" + std::to_string(d.size()) + " bytes";
  for (size_t i = 0; i < d.size() && i < 24; ++i) {
    char buf[4];
    std::snprintf(buf, sizeof buf, " %02x", d[i]);
    out += buf;
  }
  return out + (d.size() > 24 ? " ...]" : "]");
}

void CompareKeys(const std::string& where, const RegNode* a, const RegNode* b,
                 std::vector<std::string>& out) {
  if (!a || !b) {
    out.push_back("registry " + where + ": key only in " + (a ? "first" : "second"));
    return;
  }
  for (const RegValue& va : a->values) {
    const RegValue* vb = const_cast<RegNode*>(b)->FindValue(va.name);
    if (!vb || vb->type != va.type || vb->data != va.data)
      out.push_back("registry " + where + ": value " + Quote(va.name) + " " + Describe(&va) +
                    " -> " + Describe(vb));
  }
  for (const RegValue& vb : b->values)
    if (!const_cast<RegNode*>(a)->FindValue(vb.name))
      out.push_back("registry " + where + ": value " + Quote(vb.name) + " missing -> " +
                    Describe(&vb));
  auto ia = a->children.begin();
  auto ib = b->children.begin();
  while (ia != a->children.end() || ib != b->children.end()) {
    if (ib == b->children.end() || (ia != a->children.end() && ia->first < ib->first)) {
      CompareKeys(where + "\\" + ia->second.name, &ia->second, nullptr, out);
      ++ia;
    } else if (ia == a->children.end() || ib->first < ia->first) {
      CompareKeys(where + "\\" + ib->second.name, nullptr, &ib->second, out);
      ++ib;
    } else {
      CompareKeys(where + "\\" + ia->second.name, &ia->second, &ib->second, out);
      ++ia;
      ++ib;
    }
  }
}

std::string Hex(std::uint64_t x) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(x));
  return buf;
}

void CompareFs(const std::string& where, const FsNode* a, const FsNode* b,
               const CompareOptions& options, std::vector<std::string>& out) {
  if (!a || !b) {
    const FsNode* n = a ? a : b;
    out.push_back(std::string(n->IsFolder() ? "folder " : "file ") + where + ": only in " +
                  (a ? "first" : "second"));
    return;
  }
  std::string label = std::string(a->IsFolder() ? "folder " : "file ") + where + ": ";
  if (a->IsFolder() != b->IsFolder()) {
    out.push_back(label + "a folder in one machine and a file in the other");
    return;
  }
  if (a->attributes != b->attributes)
    out.push_back(label + "attributes " + Hex(a->attributes) + " -> " + Hex(b->attributes));
  if (!a->IsFolder()) {
    if (a->data.size() != b->data.size())
      out.push_back(label + "size " + std::to_string(a->data.size()) + " -> " +
                    std::to_string(b->data.size()));
    else if (a->data != b->data)
      out.push_back(label + "contents differ");
    if (options.fileTimes) {
      if (a->times.lastWrite != b->times.lastWrite)
        out.push_back(label + "last write time " + std::to_string(a->times.lastWrite) + " -> " +
                      std::to_string(b->times.lastWrite));
      if (a->times.creation != b->times.creation)
        out.push_back(label + "creation time " + std::to_string(a->times.creation) + " -> " +
                      std::to_string(b->times.creation));
    }
    return;
  }
  std::string prefix = where.back() == '\\' ? where : where + "\\";
  auto ia = a->children.begin();
  auto ib = b->children.begin();
  while (ia != a->children.end() || ib != b->children.end()) {
    if (ib == b->children.end() || (ia != a->children.end() && ia->first < ib->first)) {
      CompareFs(prefix + ia->second.name, &ia->second, nullptr, options, out);
      ++ia;
    } else if (ia == a->children.end() || ib->first < ia->first) {
      CompareFs(prefix + ib->second.name, nullptr, &ib->second, options, out);
      ++ib;
    } else {
      CompareFs(prefix + ia->second.name, &ia->second, &ib->second, options, out);
      ++ia;
      ++ib;
    }
  }
}

template <typename T>
void CompareField(const char* what, const T& a, const T& b, std::vector<std::string>& out) {
  if (a == b) return;
  if constexpr (std::is_same_v<T, std::string>)
    out.push_back(std::string("system ") + what + " " + Quote(a) + " -> " + Quote(b));
  else
    out.push_back(std::string("system ") + what + " " + std::to_string(a) + " -> " +
                  std::to_string(b));
}

void CompareTable(const char* what, const std::map<int, int>& a, const std::map<int, int>& b,
                  std::vector<std::string>& out) {
  std::map<int, std::pair<int, int>> all;
  for (auto [k, v] : a) all[k].first = v;
  for (auto [k, v] : b) all[k].second = v;
  for (auto [k, v] : all)
    if (v.first != v.second)
      out.push_back(std::string("system ") + what + " " + std::to_string(k) + ": " +
                    std::to_string(v.first) + " -> " + std::to_string(v.second));
}

}  // namespace

std::vector<std::string> MemoryMachine::Differences(const MemoryMachine& first,
                                                    const MemoryMachine& second,
                                                    const CompareOptions& options) {
  std::scoped_lock g(first.state_->lock, second.state_->lock);
  State& a = *first.state_;
  State& b = *second.state_;
  std::vector<std::string> out;

  CompareField("kind", static_cast<int>(a.setup.kind), static_cast<int>(b.setup.kind), out);
  CompareField("administrator", static_cast<int>(a.setup.administrator),
               static_cast<int>(b.setup.administrator), out);
  CompareField("user name", a.userName, b.userName, out);
  CompareField("computer name", a.computerName, b.computerName, out);
  CompareField("Windows folder", a.windowsFolder, b.windowsFolder, out);
  CompareField("system folder", a.systemFolder, b.systemFolder, out);
  CompareField("temporary folder", a.tempFolder, b.tempFolder, out);
  CompareField("current folder", a.currentFolder.ToString(), b.currentFolder.ToString(), out);
  CompareTable("metric", a.metrics, b.metrics, out);
  CompareTable("device caps", a.deviceCaps, b.deviceCaps, out);
  CompareParameters(a, b, out);
  CompareNetwork(a, b, out);
  CompareSpooler(a, b, out);
  CompareDialUp(a.dialup, b.dialup, out);
  CompareRecycleBins(a.recycleBin, b.recycleBin, out);
  CompareDesktops(a, b, out);
  CompareActiveDesktops(a.activeDesktop, b.activeDesktop, out);
  CompareTaskbars(a.taskbar, b.taskbar, out);

  for (RegKey root : {hkey::LocalMachine, hkey::CurrentUser, hkey::Users, hkey::CurrentConfig,
                      hkey::DynData}) {
    auto ia = a.registry.find(root);
    auto ib = b.registry.find(root);
    const RegNode* na = ia == a.registry.end() ? nullptr : &ia->second;
    const RegNode* nb = ib == b.registry.end() ? nullptr : &ib->second;
    if (na || nb) CompareKeys(RootKeyName(root), na, nb, out);
  }

  std::map<char, std::pair<const Drive*, const Drive*>> drives;
  for (const auto& [d, drive] : a.drives) drives[d].first = &drive;
  for (const auto& [d, drive] : b.drives) drives[d].second = &drive;
  for (const auto& [letter, pair] : drives) {
    std::string root = std::string(1, letter) + ":\\";
    if (!pair.first || !pair.second) {
      out.push_back("drive " + root + ": only in " + (pair.first ? "first" : "second"));
      continue;
    }
    CompareFs(root, &pair.first->root, &pair.second->root, options, out);
  }
  return out;
}

void MemoryMachine::FillDiskAtWrite(std::uint64_t n) {
  std::lock_guard g(state_->lock);
  state_->faults.fileWrites = 0;
  state_->faults.diskFullAt = n;
}

void MemoryMachine::FailRegistryWrite(std::uint64_t n) {
  std::lock_guard g(state_->lock);
  state_->faults.registryWrites = 0;
  state_->faults.registryFailAt = n;
}

std::uint64_t MemoryMachine::FileWrites() const {
  std::lock_guard g(state_->lock);
  return state_->faults.fileWrites;
}

std::uint64_t MemoryMachine::RegistryWrites() const {
  std::lock_guard g(state_->lock);
  return state_->faults.registryWrites;
}

}  // namespace qv
