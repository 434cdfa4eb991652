#include "items/connectivity/tcpip_settings.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "engine/debug_log.h"
#include "engine/messages.h"
#include "engine/program.h"
#include "items/item_support.h"
#include "platform/machine.h"
#include "platform/registry.h"
#include "registry/reg_utils.h"
#include "stream/connection.h"
#include "undo/undo_manager.h"

namespace {

constexpr qv::RegKey kLM = qv::hkey::LocalMachine;
constexpr const char* kNetClassKey = "system\\currentcontrolset\\services\\class\\net";
constexpr const char* kMstcpEnumKey = "enum\\network\\mstcp";
constexpr const char* kDnsKey9x = "system\\currentcontrolset\\services\\vxd\\mstcp";
constexpr const char* kNetBTAdaptersKey = "System\\CurrentControlSet\\Services\\NetBT\\Adapters\\";
// The enum tree is a few levels deep; a deeper walk means a damaged registry.
constexpr int kMaxBindingDepth = 32;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string Replaced(std::string text, char from, char to) {
  std::replace(text.begin(), text.end(), from, to);
  return text;
}

bool KeyOpens(std::string_view path) {
  qv::IRegistry& registry = qv::CurrentMachine().Registry();
  qv::RegKey key = 0;
  if (registry.OpenKey(kLM, path, qv::RegAccess::Full, key) != qv::err::Success) return false;
  registry.CloseKey(key);
  return true;
}

// The names of the key's subkeys, in the order the registry lists them; none
// when the key does not open.
std::vector<std::string> SubkeyNames(std::string_view path) {
  std::vector<std::string> names;
  qv::IRegistry& registry = qv::CurrentMachine().Registry();
  qv::RegKey key = 0;
  if (registry.OpenKey(kLM, path, qv::RegAccess::Full, key) != qv::err::Success) return names;
  qv::RegKeyCloser closer(registry, key);
  std::string name;
  for (std::uint32_t i = 0; registry.EnumKey(key, i, name) == qv::err::Success; ++i)
    names.push_back(name);
  return names;
}

std::string RegText(const std::string& key, const std::string& name) {
  return UTLGetRegString(kLM, key, name, "");
}

// The first string of a multi-string (or binary) value: its text up to the
// first zero byte.
std::string FirstString(const std::string& key, const std::string& name) {
  char buffer[1024] = {};
  std::uint32_t size = UTLGetRegBinary(kLM, key, name, buffer, sizeof buffer - 1);
  buffer[std::min<std::uint32_t>(size, sizeof buffer - 1)] = '\0';
  return std::string(buffer);
}

// Stores a value the load may be creating: the undo manager hears of it
// first.
bool SetText(const std::string& key, const std::string& name, const std::string& value) {
  return items::SetRegStringForUndo(kLM, key, name, value);
}

// An empty value and a missing one read alike: an empty one is not created
// where none was, so that undo, which writes back every adapter it captured,
// does not leave empty values behind on adapters the load did not touch.
bool NeedsWrite(const std::string& key, const std::string& name, const std::string& value) {
  return !value.empty() || items::RegValueExists(kLM, key, name);
}

void SetAdapterText(const std::string& key, const std::string& name, const std::string& value) {
  if (NeedsWrite(key, name, value)) SetText(key, name, value);
}

void SetOrDeleteValue(const std::string& key, const std::string& name, const std::string& value) {
  if (!value.empty())
    SetText(key, name, value);
  else
    UTLDeleteRegKey(kLM, key, name);
}

// Windows 95/98: the TCP/IP instance bound to adapter instance `adapter`
// below enum key `key`, as "mstcp\" + instance, or "".
std::string FindBinding(const std::string& key, const std::string& adapter,
                        const std::vector<std::string>& instances, int depth) {
  std::string result;
  if (Upper(RegText(key, "Driver")) == "NET\\" + Upper(adapter)) {
    for (const std::string& instance : instances)
      if (UTLGetRegString(kLM, key + "\\Bindings", "MSTCP\\" + instance, "****").empty())
        result = "mstcp\\" + instance;
    return result;
  }
  if (depth >= kMaxBindingDepth) return result;
  for (const std::string& sub : SubkeyNames(key)) {
    std::string found = FindBinding(key + "\\" + sub, adapter, instances, depth + 1);
    if (!found.empty()) {
      DebugLog("Found it! : " + found + " at " + key + "\\" + sub);
      result = found;
    }
  }
  return result;
}

bool Discover9x(TAdapterList& list, bool win95) {
  const std::vector<std::string> adapters = SubkeyNames(kNetClassKey);
  const std::vector<std::string> instances = SubkeyNames(kMstcpEnumKey);
  for (const std::string& adapter : adapters) {
    DebugLog("");
    DebugLog("Looking for " + adapter);
    const std::string binding = FindBinding("enum", adapter, instances, 0);
    if (binding.empty()) continue;
    TAdapterInfo info;
    info.TcpipKey = "system\\currentcontrolset\\services\\class\\" +
                    RegText("enum\\network\\" + binding, "driver");
    info.Description = RegText(std::string(kNetClassKey) + "\\" + adapter, "driverdesc");
    info.IPAddress = RegText(info.TcpipKey, "ipaddress");
    info.SubnetMask = RegText(info.TcpipKey, "ipmask");
    info.DefaultGateway = RegText(info.TcpipKey, "defaultgateway");
    info.MaxMTU = RegText(info.TcpipKey, "maxmtu");
    if (win95) {
      info.WinsServers[0] = RegText(kMstcpKey, "NameServer1");
      info.WinsServers[1] = RegText(kMstcpKey, "NameServer2");
      list.NodeType = RegText(kMstcpKey, "NodeType");
      list.ScopeID = RegText(kMstcpKey, "ScopeID");
    } else {
      list.ScopeID = RegText(kMstcpKey, "ScopeID");
      list.NodeType = RegText(info.TcpipKey, "NodeType");
      DebugLog("WinsServer : ");
      for (int n = 0; n < TAdapterList::kMaxWinsServers; ++n) {
        info.WinsServers[n] = RegText(info.TcpipKey, "NameServer" + std::to_string(n + 1));
        DebugLog(info.WinsServers[n]);
      }
    }
    info.WinsServerCount = static_cast<std::int32_t>(
        std::count_if(info.WinsServers.begin(), info.WinsServers.end(),
                      [](const std::string& s) { return !s.empty(); }));
    list.WinsEnabled = info.WinsServerCount != 0;
    DebugLog("RegistryPath = " + info.TcpipKey);
    DebugLog("Description = " + info.Description);
    DebugLog("Maxmtu = " + info.MaxMTU);
    DebugLog("Netmask = " + info.SubnetMask);
    DebugLog("IP Address = " + info.IPAddress);
    DebugLog("Gateways = " + info.DefaultGateway);
    DebugLog("WINS server1 = " + info.WinsServers[0]);
    DebugLog("WINS server2 = " + info.WinsServers[1]);
    if (!list.Add(info)) DebugLog("More than 10 network adapters: " + info.Description + " left out");
  }
  DebugLog("Done GetTCPIPInfo9x");
  return !adapters.empty() && !instances.empty();
}

bool DiscoverNT(TAdapterList& list) {
  const std::vector<std::string> cards = SubkeyNames(kNetworkCardsKey);
  for (std::size_t i = 0; i < cards.size(); ++i) {
    const std::string cardKey = std::string(kNetworkCardsKey) + "\\" + cards[i];
    const std::string service = RegText(cardKey, "servicename");
    DebugLog("");
    DebugLog("Card " + std::to_string(i) + " Service : " + service);
    DebugLog("Looking for System\\Currentcontrolset\\Services\\" + service +
             "\\Parameters\\Tcpip ipaddress");
    if (UTLGetRegDWORD(kLM, cardKey, "Hidden", 0) == 1) continue;
    // A card without a service would name the services key itself.
    if (service.empty()) continue;
    TAdapterInfo info;
    info.TcpipKey = "System\\Currentcontrolset\\Services\\" + service + "\\Parameters\\Tcpip";
    info.IPAddress = FirstString(info.TcpipKey, "ipaddress");
    if (info.IPAddress.empty()) continue;
    info.Description = RegText(cardKey, "Description");
    info.SubnetMask = FirstString(info.TcpipKey, "SubnetMask");
    info.DefaultGateway = FirstString(info.TcpipKey, "DefaultGateway");
    info.NetBTKey = kNetBTAdaptersKey + service;
    info.WinsServerCount = 2;
    info.WinsServers[0] = RegText(info.NetBTKey, "NameServer");
    info.WinsServers[1] = RegText(info.NetBTKey, "NameServerBackup");
    list.WinsEnabled = !info.WinsServers[0].empty();
    list.ScopeID = RegText(kNetBTParametersKey, "ScopeID");
    list.NodeType.clear();
    DebugLog("Description = " + info.Description);
    DebugLog("IPaddress = " + info.IPAddress);
    DebugLog("NetMask   = " + info.SubnetMask);
    DebugLog("Gateways  = " + info.DefaultGateway);
    DebugLog("MaxMTU    = " + info.MaxMTU);
    DebugLog("Primary WINS NameServer = " + info.WinsServers[0]);
    DebugLog("Secondary NameServer    = " + info.WinsServers[1]);
    DebugLog("WINS ScopeID = " + list.ScopeID);
    if (!list.Add(info)) DebugLog("More than 10 network adapters: " + info.Description + " left out");
  }
  return list.Count > 0;
}

// A count read from a settings file: negative counts read no records.
std::int32_t RecordCount(std::int32_t count, std::uint64_t leastRecordBytes, TConnection& stream) {
  if (count <= 0) return 0;
  stream.RequireAvailable(static_cast<std::uint64_t>(count) * leastRecordBytes);
  return count;
}

}  // namespace

// --- TAdapterList -----------------------------------------------------------

TAdapterList::TAdapterList(bool discover) {
  if (discover) Found = TTCPIPSettings::DiscoverAdapters(*this);
}

bool TAdapterList::Add(const TAdapterInfo& adapter) {
  if (Count >= kMaxAdapters) return false;
  Adapters[Count++] = adapter;
  return true;
}

void TAdapterList::Clear() {
  Found = false;
  Count = 0;
  Adapters = {};
  WinsEnabled = false;
  ScopeID.clear();
  NodeType.clear();
}

// --- TTCPIPSettings -----------------------------------------------------------

TTCPIPSettings::TTCPIPSettings() { AdaptersFound = SystemAdapters.Found; }

bool TTCPIPSettings::IsTcpipInstalled() {
  bool installed = false;
  if (UTLHasRegistryAccess())
    installed = KeyOpens(items::RunningOnNT() ? kTcpipParametersKey : kDnsKey9x);
  DebugLog(std::string("TCPIP Installed : ") + (installed ? "1" : "0"));
  return installed;
}

bool TTCPIPSettings::DiscoverAdapters(TAdapterList& list) {
  list.Count = 0;
  const qv::OSKind kind = items::RunningOSKind();
  try {
    if (kind == qv::okWinNT) return DiscoverNT(list);
    return Discover9x(list, kind == qv::okWin95);
  } catch (const ERegistryException& e) {
    ShowErrorBox(e.what());
    return list.Count > 0;
  }
}

bool TTCPIPSettings::MatchAdapters(TConnection& stream) {
  if (!IsTcpipInstalled()) return false;
  for (std::int32_t i = 0; i < SystemAdapters.Count; ++i) SystemAdapters.Adapters[i].Matched = false;
  for (std::int32_t i = 0; i < SourceAdapters.Count; ++i) SourceAdapters.Adapters[i].Matched = false;

  for (std::int32_t s = 0; s < SystemAdapters.Count; ++s) {
    TAdapterInfo& system = SystemAdapters.Adapters[s];
    if (system.Matched) continue;
    for (std::int32_t r = 0; r < SourceAdapters.Count; ++r) {
      TAdapterInfo& source = SourceAdapters.Adapters[r];
      if (source.Matched || source.Description != system.Description) continue;
      DebugLog("Found " + system.Description);
      ProcessAdapter(stream, s, source);
      system.Matched = true;
      source.Matched = true;
      break;
    }
  }
  for (const char* keyword : {"token-ring", "token ring", "token", "ethernet", ""})
    MatchAdaptersByType(stream, keyword);

  SystemAdapters.Clear();
  SystemAdapters.Found = DiscoverAdapters(SystemAdapters);
  AdaptersFound = SystemAdapters.Found;
  return true;
}

void TTCPIPSettings::MatchAdaptersByType(TConnection& stream, const std::string& keyword) {
  DebugLog("");
  DebugLog("Looking for " + keyword);
  for (std::int32_t s = 0; s < SystemAdapters.Count; ++s) {
    TAdapterInfo& system = SystemAdapters.Adapters[s];
    if (system.Matched) continue;
    DebugLog("ProcessAdapter " + std::to_string(s) + " " + system.Description);
    const std::string systemName = Lower(system.Description);
    for (std::int32_t r = 0; r < SourceAdapters.Count; ++r) {
      TAdapterInfo& source = SourceAdapters.Adapters[r];
      if (source.Matched) continue;
      DebugLog("   ProcessAdapter " + std::to_string(r) + " " + source.Description);
      const std::string sourceName = Lower(source.Description);
      const bool pair = keyword.empty() || (systemName.find(keyword) != std::string::npos &&
                                            sourceName.find(keyword) != std::string::npos);
      if (!pair) continue;
      stream.AddComment("  Network Adapter " + std::to_string(s + 1) + ": " + system.Description);
      stream.AddComment("  Information for this adapter has been replaced by new information from \"" +
                        source.Description + "\"");
      ProcessAdapter(stream, s, source);
      system.Matched = true;
      source.Matched = true;
      return;
    }
  }
}

std::string TTCPIPSettings::AdapterCountLine() const {
  if (SystemAdapters.Count == 1) return "1 Network Adapter found.";
  return std::to_string(SystemAdapters.Count) + " Network Adapters found.";
}

// --- TIPSettings --------------------------------------------------------------

bool TIPSettings::Write(TConnection& stream) {
  stream.WriteInteger(SystemAdapters.Count, "Count");
  for (std::int32_t i = 0; i < SystemAdapters.Count; ++i) {
    const TAdapterInfo& a = SystemAdapters.Adapters[i];
    stream.WriteString(a.Description, "Description");
    stream.WriteString(a.DefaultGateway, "DefaultGateway");
    stream.WriteString(a.IPAddress, "IPAddress");
    stream.WriteString(a.SubnetMask, "SubnetMask");
    stream.WriteString(a.MaxMTU, "MaxMTU");
  }
  if (UTLHasRegistryAccess()) {
    Describe(stream);
    return true;
  }
  ReportRegistryAccessRequired(stream);
  return false;
}

bool TIPSettings::Read(TConnection& stream) {
  RestartRequired = true;
  const bool access = UTLHasRegistryAccess();
  if (access) stream.AddComment("Network Adapters :");
  SourceAdapters.Clear();
  // Five string lengths at least per adapter.
  const std::int32_t count = RecordCount(stream.ReadInteger("Count"), 5 * 4, stream);
  for (std::int32_t i = 0; i < count; ++i) {
    TAdapterInfo a;
    a.Description = stream.ReadString("Description");
    a.DefaultGateway = stream.ReadString("DefaultGateway");
    a.IPAddress = stream.ReadString("IPAddress");
    a.SubnetMask = stream.ReadString("SubnetMask");
    a.MaxMTU = stream.ReadString("MaxMTU");
    if (!SourceAdapters.Add(a)) DebugLog("More than 10 network adapters: " + a.Description + " ignored");
  }
  if (IsTcpipInstalled()) {
    MatchAdapters(stream);
  } else if (access) {
    stream.AddComment("TCP/IP is not installed on this system. IP settings have not been modified.");
  } else {
    stream.AddComment("IP Settings :");
    ReportRegistryAccessRequired(stream);
  }
  return true;
}

void TIPSettings::ProcessAdapter(TConnection&, std::int32_t index, const TAdapterInfo& source) {
  const std::string& key = SystemAdapters.Adapters[index].TcpipKey;
  if (items::RunningOnNT()) {
    // Windows 95/98 leave the address of an adapter that asks DHCP for it
    // empty; Windows NT would no longer count the adapter as bound to
    // TCP/IP (nor could undo find it again), so it gets DHCP's "0.0.0.0".
    const std::string address = source.IPAddress.empty() ? "0.0.0.0" : source.IPAddress;
    const std::pair<const char*, std::string> values[] = {
        {"IPaddress", address}, {"SubNetMask", source.SubnetMask}, {"DefaultGateway", source.DefaultGateway}};
    for (const auto& [name, value] : values) {
      if (!NeedsWrite(key, name, value)) continue;
      UndoManager().RecordRegistryValue(kLM, key, name);
      UTLSetRegMultiString(kLM, key, name, value);
    }
    items::SetRegDWORDForUndo(kLM, key, "EnableDHCP", address == "0.0.0.0" ? 1 : 0);
  } else {
    SetAdapterText(key, "IPaddress", source.IPAddress);
    SetAdapterText(key, "IPmask", source.SubnetMask);
    SetAdapterText(key, "DefaultGateway", source.DefaultGateway);
    SetAdapterText(key, "Maxmtu", source.MaxMTU);
  }
}

void TIPSettings::Describe(TConnection& stream) {
  if (!SystemAdapters.Found) {
    DebugLog("No device bindings to TCP/IP were found.");
    stream.AddComment("No device bindings to TCP/IP were found.");
  }
  stream.AddComment("");
  stream.AddComment(AdapterCountLine());
  stream.AddComment("");
  for (std::int32_t i = 0; i < SystemAdapters.Count; ++i) {
    const TAdapterInfo& a = SystemAdapters.Adapters[i];
    stream.AddComment("Adapter " + std::to_string(i + 1));
    stream.AddComment("Description : " + a.Description);
    stream.AddComment("IP Address  : " + a.IPAddress);
    stream.AddComment("NetMask     : " + a.SubnetMask);
    stream.AddComment("Gateways    : " + a.DefaultGateway);
    stream.AddComment("");
  }
}

// --- TWINSSettings ------------------------------------------------------------

bool TWINSSettings::Write(TConnection& stream) {
  const bool nt = items::RunningOnNT();
  stream.WriteBoolean(SystemAdapters.WinsEnabled, "WinsEnabled");
  stream.WriteString(SystemAdapters.NodeType, "NodeType");
  stream.WriteString(SystemAdapters.ScopeID, "ScopeID");
  stream.WriteInteger(SystemAdapters.Count, "Count");
  for (std::int32_t i = 0; i < SystemAdapters.Count; ++i) {
    const TAdapterInfo& a = SystemAdapters.Adapters[i];
    DebugLog("Adapter : " + a.Description);
    DebugLog("WINS Server count : " + std::to_string(a.WinsServerCount));
    stream.WriteInteger(a.WinsServerCount, "WinsServerCount");
    stream.WriteString(a.Description, "Description");
    // Windows NT keeps the primary and the backup server in their places;
    // Windows 95/98 count only the servers that are set, so those are the
    // ones written, in order, also when an earlier one is empty.
    std::int32_t written = 0;
    for (const std::string& server : a.WinsServers) {
      if (written == a.WinsServerCount) break;
      if (!nt && server.empty()) continue;
      stream.WriteString(server, "WinsServer");
      ++written;
    }
    for (; written < a.WinsServerCount; ++written) stream.WriteString("", "WinsServer");
  }
  Describe(stream);
  DebugLog("TWINSSettings::DoneWrite");
  return true;
}

bool TWINSSettings::Read(TConnection& stream) {
  RestartRequired = true;
  SourceAdapters.Clear();
  stream.ReadBoolean("WinsEnabled");  // the system's own state decides
  SourceAdapters.NodeType = stream.ReadString("NodeType");
  SourceAdapters.ScopeID = stream.ReadString("ScopeID");
  // A count, a description length: 8 bytes at least per adapter.
  const std::int32_t count = RecordCount(stream.ReadInteger("Count"), 8, stream);
  for (std::int32_t i = 0; i < count; ++i) {
    TAdapterInfo a;
    const std::int32_t servers = RecordCount(stream.ReadInteger("WinsServerCount"), 4, stream);
    a.Description = stream.ReadString("Description");
    for (std::int32_t n = 0; n < servers; ++n) {
      std::string server = stream.ReadString("WinsServer");
      if (n < TAdapterList::kMaxWinsServers) a.WinsServers[n] = std::move(server);
    }
    if (servers > TAdapterList::kMaxWinsServers)
      DebugLog("More than 12 WINS servers for " + a.Description + ": " + std::to_string(servers) +
               ", the first 12 kept");
    a.WinsServerCount = std::min(servers, TAdapterList::kMaxWinsServers);
    if (!SourceAdapters.Add(a)) DebugLog("More than 10 network adapters: " + a.Description + " ignored");
  }
  MatchAdapters(stream);
  Describe(stream);
  return true;
}

void TWINSSettings::ProcessAdapter(TConnection&, std::int32_t index, const TAdapterInfo& source) {
  const TAdapterInfo& target = SystemAdapters.Adapters[index];
  const std::string& scope = SourceAdapters.ScopeID;
  const std::string& nodeType = SourceAdapters.NodeType;
  switch (items::RunningOSKind()) {
    case qv::okWinNT: {
      SetOrDeleteValue(target.NetBTKey, "NameServer", source.WinsServers[0]);
      SetOrDeleteValue(target.NetBTKey, "NameServerBackup", source.WinsServers[1]);
      SetOrDeleteValue(kNetBTParametersKey, "ScopeID", scope);
      DebugLog("Original WINS Data : ");
      DebugLog("Reg key : " + target.TcpipKey);
      DebugLog("Adapter " + target.Description);
      DebugLog("ScopeID " + SystemAdapters.ScopeID);
      DebugLog("WINS Reg path " + target.NetBTKey);
      DebugLog("Primary WINS Server  : " + target.WinsServers[0]);
      DebugLog("Secondary WINS Server : " + target.WinsServers[1]);
      DebugLog("New WINS Data : ");
      DebugLog("Reg key : " + source.TcpipKey);
      DebugLog("Adapter " + source.Description);
      DebugLog("ScopeID " + scope);
      DebugLog("WINS Reg path " + source.NetBTKey);
      DebugLog("Primary WINS Server  : " + source.WinsServers[0]);
      DebugLog("Secondary WINS Server : " + source.WinsServers[1]);
      break;
    }
    case qv::okWin95:
      SetOrDeleteValue(kMstcpKey, "ScopeID", scope);
      SetOrDeleteValue(kMstcpKey, "NameServer1", source.WinsServers[0]);
      SetOrDeleteValue(kMstcpKey, "NameServer2", source.WinsServers[1]);
      SetOrDeleteValue(kMstcpKey, "NodeType", nodeType);
      break;
    default:
      SetAdapterText(kMstcpKey, "ScopeID", scope);
      SetOrDeleteValue(target.TcpipKey, "NodeType", nodeType);
      for (int n = 0; n < TAdapterList::kMaxWinsServers; ++n)
        SetOrDeleteValue(target.TcpipKey, "NameServer" + std::to_string(n + 1), source.WinsServers[n]);
      break;
  }
}

void TWINSSettings::Describe(TConnection& stream) {
  if (!UTLHasRegistryAccess()) {
    stream.AddComment("WINS Settings :");
    ReportRegistryAccessRequired(stream);
    return;
  }
  if (!SystemAdapters.WinsEnabled) {
    stream.AddComment("WINS is disabled.");
    return;
  }
  stream.AddComment("WINS is enabled.");
  const qv::OSKind kind = items::RunningOSKind();
  if (kind == qv::okWin95) {
    const TAdapterInfo& first = SystemAdapters.Adapters[0];
    stream.AddComment("Scope ID         : " + SystemAdapters.ScopeID);
    stream.AddComment("Primary WINS Server  : " + first.WinsServers[0]);
    stream.AddComment("Secondary WINS Server : " + first.WinsServers[1]);
    stream.AddComment("");
    return;
  }
  stream.AddComment("");
  stream.AddComment(AdapterCountLine());
  stream.AddComment("");
  stream.AddComment("Scope ID         : " + SystemAdapters.ScopeID);
  stream.AddComment("");
  for (std::int32_t i = 0; i < SystemAdapters.Count; ++i) {
    const TAdapterInfo& a = SystemAdapters.Adapters[i];
    stream.AddComment("Adapter " + std::to_string(i + 1) + " : " + a.Description);
    if (kind == qv::okWinNT) {
      stream.AddComment("Primary WINS Server  : " + a.WinsServers[0]);
      stream.AddComment("Secondary WINS Server : " + a.WinsServers[1]);
    } else {
      stream.AddComment("WINS Servers : ");
      for (const std::string& server : a.WinsServers) {
        if (server.empty()) continue;
        stream.AddComment(server);
        DebugLog(server);
      }
    }
    stream.AddComment("");
  }
}

// --- TDNSSettings -------------------------------------------------------------

bool TDNSSettings::Write(TConnection& stream) {
  if (UTLHasRegistryAccess()) {
    if (items::RunningOnNT()) {
      Domain = RegText(kTcpipParametersKey, "Domain");
      HostName = RegText(kTcpipParametersKey, "HostName");
      NameServer = Replaced(RegText(kTcpipParametersKey, "NameServer"), ' ', ',');
      Searchlist = Replaced(RegText(kTcpipParametersKey, "Searchlist"), ' ', ',');
      EnableDNS.clear();
    } else {
      Domain = RegText(kDnsKey9x, "Domain");
      HostName = RegText(kDnsKey9x, "HostName");
      NameServer = RegText(kDnsKey9x, "NameServer");
      Searchlist = RegText(kDnsKey9x, "Searchlist");
      EnableDNS = UTLGetRegString(kLM, kDnsKey9x, "EnableDNS", "0");
    }
    LogValues();
  }
  stream.WriteString(Domain, "Domain");
  stream.WriteString(HostName, "HostName");
  stream.WriteString(NameServer, "NameServer");
  stream.WriteString(Searchlist, "Searchlist");
  stream.WriteString(EnableDNS, "EnableDNS");
  Describe(stream);
  return true;
}

bool TDNSSettings::Read(TConnection& stream) {
  RestartRequired = true;
  Domain = stream.ReadString("Domain");
  HostName = stream.ReadString("HostName");
  NameServer = stream.ReadString("NameServer");
  Searchlist = stream.ReadString("Searchlist");
  EnableDNS = stream.ReadString("EnableDNS");
  if (UTLHasRegistryAccess() && TTCPIPSettings::IsTcpipInstalled()) {
    if (items::RunningOnNT()) {
      NameServer = Replaced(NameServer, ',', ' ');
      Searchlist = Replaced(Searchlist, ',', ' ');
      DebugLog("Corrected NameServer : " + NameServer);
      SetText(kTcpipParametersKey, "Domain", Domain);
      SetText(kTcpipParametersKey, "HostName", HostName);
      SetText(kTcpipParametersKey, "NameServer", NameServer);
      SetText(kTcpipParametersKey, "Searchlist", Searchlist);
    } else {
      SetText(kDnsKey9x, "Domain", Domain);
      SetText(kDnsKey9x, "HostName", HostName);
      SetText(kDnsKey9x, "NameServer", NameServer);
      SetText(kDnsKey9x, "Searchlist", Searchlist);
      SetText(kDnsKey9x, "EnableDNS", EnableDNS);
    }
    LogValues();
  }
  Describe(stream);
  return true;
}

void TDNSSettings::LogValues() {
  DebugLog("domain  = " + Domain);
  DebugLog("hostname  = " + HostName);
  DebugLog("nameservers  = " + NameServer);
  DebugLog("suffixes  = " + Searchlist);
  DebugLog("DNS enabled : " + EnableDNS);
}

void TDNSSettings::Describe(TConnection& stream) {
  if (TTCPIPSettings::IsTcpipInstalled()) {
    stream.AddComment("Domain : " + Domain);
    stream.AddComment("HostName : " + HostName);
    stream.AddComment("NameServer : " + NameServer);
    stream.AddComment("Suffixes : " + Searchlist);
    if (!items::RunningOnNT())
      stream.AddComment(EnableDNS == "1" ? "DNS is enabled." : "DNS is disabled.");
    stream.AddComment("");
    return;
  }
  if (!UTLHasRegistryAccess()) {
    stream.AddComment("DNS settings :");
    ReportRegistryAccessRequired(stream);
  }
  stream.AddComment("There are no DNS settings. TCP/IP is not installed. ");
}
