#include "items/connectivity/shared_settings.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "engine/debug_log.h"
#include "engine/program.h"
#include "items/item_support.h"
#include "platform/machine.h"
#include "platform/network.h"
#include "platform/system_info.h"
#include "registry/reg_utils.h"
#include "stream/connection.h"
#include "undo/registry_store.h"
#include "undo/undo_manager.h"

namespace {

// The security descriptor every re-created Windows NT share gets: read and
// execute for Everyone, owned by the Administrators, in self-relative form.
constexpr std::uint8_t kReadOnlyShareSecurity[] = {
    // Header: revision 1, control SE_SELF_RELATIVE | SE_DACL_PRESENT,
    // owner at 52, group at 68, no system ACL, discretionary ACL at 20.
    0x01, 0x00, 0x04, 0x80, 0x34, 0x00, 0x00, 0x00, 0x44, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00,
    // Discretionary ACL: revision 2, 32 bytes, one entry.
    0x02, 0x00, 0x20, 0x00, 0x01, 0x00, 0x00, 0x00,
    // Access allowed, 24 bytes, mask 0x001200A9, for S-1-1-0 (Everyone):
    // the 12-byte SID and 4 bytes of padding fill the entry.
    0x00, 0x00, 0x18, 0x00, 0xA9, 0x00, 0x12, 0x00,
    0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00,
    // Owner S-1-5-32-544 (Administrators).
    0x01, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05, 0x20, 0x00, 0x00, 0x00,
    0x20, 0x02, 0x00, 0x00,
    // Group S-1-5-21-1123561945-1935655697-1060284298-513 (a domain's Users).
    0x01, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05, 0x15, 0x00, 0x00, 0x00,
    0xD9, 0x4F, 0xF8, 0x42, 0x11, 0x5C, 0x5F, 0x73, 0x8A, 0x28, 0x33, 0x3F,
    0x01, 0x02, 0x00, 0x00};
static_assert(sizeof kReadOnlyShareSecurity == 96);

constexpr std::uint32_t kReadOnlyShareFlags9x = 401;  // 0x191
constexpr std::uint32_t kUnlimitedUses = 4294967295u;

std::string SharesKeyFor(qv::OSKind kind) {
  return kind == qv::okWinNT ? kSharesKeyNT : kSharesKey9x;
}

bool HasLineBreakOrZero(const std::string& text) {
  return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

// Whether `path` is `key` or lies below it (letter case ignored).
bool InsideKey(std::string path, const std::string& key) {
  if (!path.empty() && path.front() == '\\') path.erase(0, 1);
  if (path.size() < key.size() || CompareNames(path.substr(0, key.size()), key) != 0) return false;
  return path.size() == key.size() || path[key.size()] == '\\';
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string WithoutLineEnd(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

// The subkey or value names of a key of HKEY_LOCAL_MACHINE, opened with
// full access; false when the key does not open.
bool ListKey(const std::string& keyPath, bool subKeys, std::vector<std::string>& names) {
  qv::IRegistry& registry = qv::CurrentMachine().Registry();
  qv::RegKey key = 0;
  if (registry.OpenKey(qv::hkey::LocalMachine, keyPath, qv::RegAccess::Full, key) !=
      qv::err::Success)
    return false;
  qv::RegKeyCloser closer(registry, key);
  std::string name;
  for (std::uint32_t i = 0;; ++i) {
    qv::WinError e = subKeys ? registry.EnumKey(key, i, name)
                             : registry.EnumValue(key, i, name, nullptr, nullptr);
    if (e != qv::err::Success) break;
    names.push_back(name);
  }
  return true;
}

std::string RegStringOrEmpty(const std::string& keyPath, const std::string& value) {
  try {
    return UTLGetRegString(qv::hkey::LocalMachine, keyPath, value, "");
  } catch (const ERegistryException&) {
    return "";
  }
}

}  // namespace

std::vector<std::uint8_t> ReadOnlyShareSecurityDescriptor() {
  return std::vector<std::uint8_t>(std::begin(kReadOnlyShareSecurity),
                                   std::end(kReadOnlyShareSecurity));
}

// ---------------------------------------------------------------------------
// TSharedSettings

TSharedSettings::TSharedSettings() : SharesKey(SharesKeyFor(items::RunningOSKind())) {
  GatherShares();
}

void TSharedSettings::GatherShares() {
  if (!UTLHasRegistryAccess()) return;
  Names.clear();
  Paths.clear();
  Remarks.clear();
  if (!items::RunningOnNT()) {
    std::vector<std::string> shares;
    ListKey(SharesKey, true, shares);
    for (const std::string& name : shares) {
      const std::string key = SharesKey + "\\" + name;
      Names.push_back(name);
      Paths.push_back(RegStringOrEmpty(key, "Path"));
      Remarks.push_back(RegStringOrEmpty(key, "Remark"));
    }
    return;
  }
  std::vector<std::string> shares;
  ListKey(SharesKey, false, shares);
  for (const std::string& name : shares) {
    char buffer[1024] = {};
    const std::uint32_t size =
        UTLGetRegBinary(qv::hkey::LocalMachine, SharesKey, name, buffer, sizeof buffer);
    std::string path, remark;
    std::size_t at = 0;
    while (at < size) {
      const std::size_t length = strnlen(buffer + at, size - at);
      if (length == 0) break;
      const std::string line(buffer + at, length);
      DebugLog(line);
      if (line.rfind("Path=", 0) == 0) path = line.substr(5);
      if (line.rfind("Remark=", 0) == 0) remark = line.substr(7);
      at += length + 1;
    }
    Names.push_back(name);
    Paths.push_back(path);
    Remarks.push_back(remark);
  }
}

bool TSharedSettings::Write(TConnection& stream) {
  TRegistryStore store(stream, false);
  const bool ok = store.WriteKey(qv::hkey::LocalMachine, SharesKey, true);
  stream.WriteInteger(static_cast<std::int32_t>(Names.size()), "Count");
  for (std::size_t i = 0; i < Names.size(); ++i) {
    stream.WriteString(Names[i], "Name");
    stream.WriteString(Paths[i], "Path");
    stream.WriteString(Remarks[i], "Remark");
  }
  Describe(stream);
  return ok;
}

bool TSharedSettings::ReadSharesKey(TConnection& stream, bool apply) {
  // The record has the registry store's form. Only values inside the shares
  // key are applied: a settings file names its own key paths, and this item
  // changes shares, nothing else.
  const auto root = static_cast<qv::RegKey>(stream.ReadInteger("RegistryKey"));
  const std::int32_t count = stream.ReadInteger("Count");
  const bool usable = qv::hkey::IsRoot(root);
  if (!usable) DebugLog("Error writing registry key : invalid root key " + std::to_string(root));
  if (count > 0) stream.RequireAvailable(static_cast<std::uint64_t>(count) * 16u);
  bool refused = false;
  for (std::int32_t i = 0; i < count; ++i) {
    TRegistryEntry entry(nullptr, std::string(), std::string(), root);
    entry.ReadFromStream(stream);
    if (!apply || !usable) continue;
    if (root != qv::hkey::LocalMachine || !InsideKey(entry.KeyPath(), SharesKey)) {
      DebugLog("Shares : value outside the shares key not written : " + entry.KeyPath() + " " +
               entry.ValueName());
      refused = true;
      continue;
    }
    entry.WriteToRegistry();
  }
  if (refused)
    stream.AddComment("Registry values outside the shared folders key were not written.");
  return usable;
}

bool TSharedSettings::Read(TConnection& stream) {
  const bool access = UTLHasRegistryAccess();
  const bool sameKind = items::RunningOSKind() == stream.OSVersion;
  const bool ok = ReadSharesKey(stream, sameKind && access);
  RestartRequired = true;

  const std::int32_t count = stream.ReadInteger("Count");
  if (count < 0) throw EConnectionReadError("Invalid share count " + std::to_string(count));
  // Every share holds three strings of at least their 4-byte length.
  stream.RequireAvailable(static_cast<std::uint64_t>(count) * 12u);
  for (std::int32_t i = 0; i < count; ++i) {
    std::string name = stream.ReadString("Name");
    const std::string path = stream.ReadString("Path");
    const std::string remark = stream.ReadString("Remark");
    if (!sameKind && access) CreateShare(stream, std::move(name), path, remark);
  }
  GatherShares();
  Describe(stream);
  return ok;
}

void TSharedSettings::CreateShare(TConnection& stream, std::string name, const std::string& path,
                                  const std::string& remark) {
  const bool nt = items::RunningOnNT();
  // A share is a value (Windows NT) or a key (Windows 95/98) named after it,
  // and its path and remark become lines of a multi-string or strings.
  if (name.empty() || name.find_first_of("\\=") != std::string::npos ||
      HasLineBreakOrZero(name) || path.empty() || HasLineBreakOrZero(path) ||
      HasLineBreakOrZero(remark)) {
    stream.AddComment("The shared folder \"" + name + "\" (" + path +
                      ") could not be created: its name or path is not valid on this system.");
    return;
  }
  if (!nt && name.size() > kMaxShareName9x) {
    const std::string cut = name.substr(0, kMaxShareName9x);
    for (const std::string& existing : Names) {
      if (CompareNames(existing, cut) == 0) {
        stream.AddComment("The shared folder \"" + name + "\" (" + path +
                          ") could not be created: its name is too long for this system and \"" +
                          cut + "\" is shared already.");
        return;
      }
    }
    stream.AddComment("The share name \"" + name + "\" is too long for this system; " + path +
                      " is shared as \"" + cut + "\".");
    name = cut;
  }
  if (nt ? CreateShareNT(name, path, remark) : CreateShare9x(name, path, remark)) {
    SharesCreated = true;
    Names.push_back(name);  // later names are checked against it
  }
}

bool TSharedSettings::CreateShareNT(const std::string& name, const std::string& path,
                                    const std::string& remark) {
  DebugLog("Manual Share creation");
  std::vector<std::string> lines;
  char maxUses[32];
  std::snprintf(maxUses, sizeof maxUses, "MaxUses=%lu", static_cast<unsigned long>(kUnlimitedUses));
  lines.push_back(maxUses);
  lines.push_back("Path=" + path);
  lines.push_back("Permissions=127");
  if (!remark.empty()) lines.push_back("Remark=" + remark);
  lines.push_back("Type=0");
  std::vector<std::uint8_t> block;
  for (const std::string& line : lines) {
    block.insert(block.end(), line.begin(), line.end());
    block.push_back(0);
  }
  block.push_back(0);

  // Several lines in one value: the registry layer stores multi-strings of
  // one line only, so the value is set through the registry itself.
  qv::IRegistry& registry = qv::CurrentMachine().Registry();
  UndoManager().RecordRegistryValue(qv::hkey::LocalMachine, kSharesKeyNT, name);
  qv::RegKey key = 0;
  qv::WinError e = registry.CreateKey(qv::hkey::LocalMachine, kSharesKeyNT, key, nullptr);
  if (e == qv::err::Success) {
    qv::RegKeyCloser closer(registry, key);
    e = registry.SetValue(key, name, qv::regtype::MultiSz, block.data(),
                          static_cast<std::uint32_t>(block.size()));
  }
  if (e != qv::err::Success) NoteRegistryWriteFailure(qv::hkey::LocalMachine, kSharesKeyNT, name, e);
  const std::string security = std::string(kSharesKeyNT) + "\\Security";
  UndoManager().RecordRegistryValue(qv::hkey::LocalMachine, security, name);
  try {
    UTLSetRegBinary(qv::hkey::LocalMachine, security, name, kReadOnlyShareSecurity,
                    sizeof kReadOnlyShareSecurity);
  } catch (const ERegistryException& e) {
    DebugLog(std::string("CreateShareNT : ") + e.what());
  }
  return true;
}

bool TSharedSettings::CreateShare9x(const std::string& name, const std::string& path,
                                    const std::string& remark) {
  const std::string key = std::string(kSharesKey9x) + "\\" + name;
  items::SetRegDWORDForUndo(qv::hkey::LocalMachine, key, "Flags", kReadOnlyShareFlags9x);
  for (const char* value : {"Parm1enc", "Parm2enc"}) {
    UndoManager().RecordRegistryValue(qv::hkey::LocalMachine, key, value);
    try {
      UTLSetRegBinary(qv::hkey::LocalMachine, key, value, "", 0);
    } catch (const ERegistryException& e) {
      DebugLog(std::string("CreateShare9x : ") + e.what());
    }
  }
  items::SetRegStringForUndo(qv::hkey::LocalMachine, key, "Path", Upper(path));
  items::SetRegStringForUndo(qv::hkey::LocalMachine, key, "Remark", remark);
  items::SetRegDWORDForUndo(qv::hkey::LocalMachine, key, "Type", 0);
  return true;
}

void TSharedSettings::Describe(TConnection& stream) {
  if (!UTLHasRegistryAccess()) {
    stream.AddComment("Shared Drives and Folders : ");
    ReportRegistryAccessRequired(stream);
  }
  stream.AddComment(std::to_string(Names.size()) + " Shared Drives and Folders");
  stream.AddComment("");
  if (SharesCreated) {
    stream.AddComment("The following shared drives and folders have been set");
    stream.AddComment(items::RunningOnNT()
                          ? "with Read-Only access - Permissions should be assigned."
                          : "with Read-Only access - Passwords should be assigned.");
  }
  for (std::size_t i = 0; i < Names.size(); ++i) {
    stream.AddComment("Name : " + Names[i]);
    stream.AddComment("Path : " + Paths[i]);
    stream.AddComment("Comment : " + Remarks[i]);
    stream.AddComment("");
  }
}

// ---------------------------------------------------------------------------
// TMappedDrivesSettings

TMappedDrivesSettings::TMappedDrivesSettings() { GatherDrives(); }

void TMappedDrivesSettings::GatherDrives() {
  LocalNames.clear();
  RemoteNames.clear();
  qv::INetwork* network = qv::CurrentMachine().Network();
  if (!network) return;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    char local[8];
    std::snprintf(local, sizeof local, "%c:", letter);
    std::string remote;
    if (network->DriveConnection(local, remote) != qv::err::Success) continue;
    if (remote.size() > 259) remote.resize(259);  // a buffer of 260 characters
    LocalNames.push_back(local);
    RemoteNames.push_back(remote);
  }
}

bool TMappedDrivesSettings::Write(TConnection& stream) {
  stream.WriteInteger(static_cast<std::int32_t>(LocalNames.size()), "Count");
  for (std::size_t i = 0; i < LocalNames.size(); ++i) {
    stream.WriteString(LocalNames[i], "LocalName");
    stream.WriteString(RemoteNames[i], "RemoteName");
  }
  Describe(stream);
  return true;
}

bool TMappedDrivesSettings::Read(TConnection& stream) {
  const std::int32_t count = stream.ReadInteger("Count");
  if (count < 0) throw EConnectionReadError("Invalid drive count " + std::to_string(count));
  stream.RequireAvailable(static_cast<std::uint64_t>(count) * 8u);
  qv::INetwork* network = qv::CurrentMachine().Network();
  for (std::int32_t i = 0; i < count; ++i) {
    const std::string local = stream.ReadString("LocalName");
    const std::string remote = stream.ReadString("RemoteName");
    qv::WinError e = qv::err::NotSupported;
    if (network) {
      e = network->AddDriveConnection(local, remote, "", qv::connflag::UpdateProfile);
      if (e != qv::err::Success) {
        std::string user;
        if (qv::CurrentMachine().System().UserName(user) != qv::err::Success) user = "Unknown";
        e = network->AddDriveConnection(local, remote, user, 0);
      }
    }
    if (e == qv::err::Success) continue;
    std::string message = network ? WithoutLineEnd(network->NetErrorMessage(e)) : std::string();
    if (message.empty()) message = "Error " + std::to_string(e);
    DebugLog("strDrive " + local);
    DebugLog("strServer " + remote);
    DebugLog("WNetAddConnection Error : " + message);
    stream.AddComment("Error mapping " + local + " to " + remote + " : " + message);
    stream.AddComment("");
  }
  GatherDrives();
  Describe(stream);
  return true;
}

void TMappedDrivesSettings::Describe(TConnection& stream) {
  stream.AddComment("Mapped Drives :");
  stream.AddComment(std::to_string(LocalNames.size()) + " mapped network drives.");
  for (std::size_t i = 0; i < LocalNames.size(); ++i)
    stream.AddComment(LocalNames[i] + " is mapped to " + RemoteNames[i]);
  stream.AddComment("");
}
