#include "platform/memory/memory_adapters.h"

#include <cctype>
#include <cstdio>
#include <mutex>

#include "platform/memory/memory_state.h"

namespace qv {

using namespace mem;

namespace {

using State = MemoryMachine::State;

constexpr const char* kServices = "System\\CurrentControlSet\\Services";
constexpr const char* kNetworkCards = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
constexpr const char* kClass = "System\\CurrentControlSet\\Services\\Class";

void PutDword(RegNode& key, std::string_view name, std::uint32_t v) {
  PutValue(key, name, regtype::Dword,
           {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)});
}

// A multi-string holding one string: its characters and two zero bytes.
void PutMulti(RegNode& key, std::string_view name, const std::string& text) {
  std::vector<std::uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  data.push_back(0);
  PutValue(key, name, regtype::MultiSz, std::move(data));
}

std::size_t ChildCount(State& s, const std::string& path) {
  RegNode* node = FindKey(s, hkey::LocalMachine, path);
  return node ? node->children.size() : 0;
}

std::string FourDigits(std::size_t n) {
  char text[16];
  std::snprintf(text, sizeof text, "%04zu", n);
  return text;
}

bool IsTokenRing(const std::string& description) {
  std::string lower;
  for (char c : description) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find("token") != std::string::npos;
}

void EraseChild(State& s, const std::string& parent, const std::string& child) {
  if (RegNode* node = FindKey(s, hkey::LocalMachine, parent)) node->children.erase(FoldCase(child));
}

std::string AddNT(State& s, const AdapterSetup& a) {
  // Cards are numbered from 1; the number goes into the service's name.
  std::size_t number = 1;
  while (FindKey(s, hkey::LocalMachine, std::string(kNetworkCards) + "\\" + std::to_string(number)))
    ++number;
  const std::string service =
      !a.serviceName.empty() ? a.serviceName
                             : (a.hidden ? "NdisWan" : IsTokenRing(a.description) ? "IbmTok" : "El59x") +
                                   std::to_string(number);
  RegNode& card = MakeKey(s, hkey::LocalMachine, std::string(kNetworkCards) + "\\" + std::to_string(number));
  PutString(card, "ServiceName", service);
  PutString(card, "Description", a.description);
  PutString(card, "Title", "[" + std::to_string(number) + "] " + a.description);
  if (a.hidden) PutDword(card, "Hidden", 1);
  MakeKey(s, hkey::LocalMachine, std::string(kServices) + "\\" + service + "\\Linkage");
  if (!a.boundToTcpip) return "";
  const std::string tcpip = std::string(kServices) + "\\" + service + "\\Parameters\\Tcpip";
  RegNode& key = MakeKey(s, hkey::LocalMachine, tcpip);
  PutDword(key, "EnableDHCP", a.ipAddress == "0.0.0.0" ? 1 : 0);
  PutMulti(key, "IPAddress", a.ipAddress);
  PutMulti(key, "SubnetMask", a.subnetMask);
  PutMulti(key, "DefaultGateway", a.defaultGateway);
  RegNode& netbt = MakeKey(s, hkey::LocalMachine, std::string(kServices) + "\\NetBT\\Adapters\\" + service);
  if (a.winsServers.size() > 0 && !a.winsServers[0].empty())
    PutString(netbt, "NameServer", a.winsServers[0]);
  if (a.winsServers.size() > 1 && !a.winsServers[1].empty())
    PutString(netbt, "NameServerBackup", a.winsServers[1]);
  return tcpip;
}

std::string Add9x(State& s, const AdapterSetup& a) {
  const std::string instance = FourDigits(ChildCount(s, std::string(kClass) + "\\Net"));
  RegNode& cls = MakeKey(s, hkey::LocalMachine, std::string(kClass) + "\\Net\\" + instance);
  PutString(cls, "DriverDesc", a.description);
  PutString(cls, "DeviceVxDs", IsTokenRing(a.description) ? "ibmtok.vxd" : "elnk3.vxd");

  // The device: Ethernet cards on the PCI bus, token-ring cards on ISA.
  const std::string device =
      IsTokenRing(a.description)
          ? "Enum\\ISAPNP\\IBM0010\\" + instance
          : "Enum\\PCI\\VEN_10B7&DEV_9050\\BUS_00&DEV_" + instance.substr(2) + "&FUNC_00";
  RegNode& dev = MakeKey(s, hkey::LocalMachine, device);
  PutString(dev, "Class", "Net");
  PutString(dev, "DeviceDesc", a.description);
  PutString(dev, "Driver", "Net\\" + instance);
  RegNode& bindings = MakeKey(s, hkey::LocalMachine, device + "\\Bindings");
  PutString(bindings, "VREDIR\\" + instance, "");
  if (!a.boundToTcpip) return "";

  const std::string mstcp = FourDigits(ChildCount(s, "Enum\\Network\\MSTCP"));
  RegNode& protocol = MakeKey(s, hkey::LocalMachine, "Enum\\Network\\MSTCP\\" + mstcp);
  PutString(protocol, "Class", "NetTrans");
  PutString(protocol, "Driver", "NetTrans\\" + mstcp);
  PutString(protocol, "DeviceDesc", "TCP/IP");
  PutString(bindings, "MSTCP\\" + mstcp, "");

  const std::string driver = std::string(kClass) + "\\NetTrans\\" + mstcp;
  RegNode& key = MakeKey(s, hkey::LocalMachine, driver);
  PutString(key, "DriverDesc", "TCP/IP");
  PutString(key, "IPAddress", a.ipAddress);
  PutString(key, "IPMask", a.subnetMask);
  if (!a.defaultGateway.empty()) PutString(key, "DefaultGateway", a.defaultGateway);
  if (!a.maxMTU.empty()) PutString(key, "MaxMTU", a.maxMTU);
  if (s.setup.kind == okWin98) {
    if (!a.nodeType.empty()) PutString(key, "NodeType", a.nodeType);
    for (std::size_t n = 0; n < a.winsServers.size() && n < 12; ++n)
      if (!a.winsServers[n].empty()) PutString(key, "NameServer" + std::to_string(n + 1), a.winsServers[n]);
  } else {
    // Windows 95 keeps the WINS servers for the whole machine.
    for (std::size_t n = 0; n < a.winsServers.size() && n < 2; ++n)
      if (!a.winsServers[n].empty())
        PutString(MakeKey(s, hkey::LocalMachine, std::string(kServices) + "\\VxD\\MSTCP"),
                  "NameServer" + std::to_string(n + 1), a.winsServers[n]);
  }
  return driver;
}

}  // namespace

void InstallTcpip(MemoryMachine& machine, const std::string& hostName, const std::string& domain) {
  State& s = machine.state();
  std::lock_guard g(s.lock);
  std::string host = hostName;
  if (host.empty())
    for (char c : s.computerName) host += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (s.setup.kind == okWinNT) {
    RegNode& tcpip = MakeKey(s, hkey::LocalMachine, std::string(kServices) + "\\Tcpip\\Parameters");
    PutString(tcpip, "Hostname", host);
    PutString(tcpip, "Domain", domain);
    PutString(tcpip, "NameServer", "");
    PutString(tcpip, "SearchList", "");
    RegNode& netbt = MakeKey(s, hkey::LocalMachine, std::string(kServices) + "\\NetBT\\Parameters");
    PutString(netbt, "NbProvider", "_tcp");
    MakeKey(s, hkey::LocalMachine, std::string(kServices) + "\\NetBT\\Adapters");
  } else {
    RegNode& vxd = MakeKey(s, hkey::LocalMachine, std::string(kServices) + "\\VxD\\MSTCP");
    PutString(vxd, "StaticVxD", "mstcp.vxd");
    PutString(vxd, "HostName", host);
    if (!domain.empty()) PutString(vxd, "Domain", domain);
    PutString(vxd, "EnableDNS", "0");
    MakeKey(s, hkey::LocalMachine, "Enum\\Network\\MSTCP");
  }
}

void RemoveTcpip(MemoryMachine& machine) {
  State& s = machine.state();
  std::lock_guard g(s.lock);
  if (s.setup.kind == okWinNT) {
    EraseChild(s, kServices, "Tcpip");
    EraseChild(s, kServices, "NetBT");
  } else {
    EraseChild(s, std::string(kServices) + "\\VxD", "MSTCP");
  }
}

std::string AddNetworkAdapter(MemoryMachine& machine, const AdapterSetup& setup) {
  State& s = machine.state();
  std::lock_guard g(s.lock);
  return s.setup.kind == okWinNT ? AddNT(s, setup) : Add9x(s, setup);
}

AdapterSetup EthernetCard(const std::string& ipAddress, const std::string& description) {
  AdapterSetup a;
  a.description = description;
  a.ipAddress = ipAddress;
  return a;
}

AdapterSetup TokenRingCard(const std::string& ipAddress, const std::string& description) {
  AdapterSetup a;
  a.description = description;
  a.ipAddress = ipAddress;
  return a;
}

std::string AddEthernetCard(MemoryMachine& machine, const std::string& ipAddress,
                            const std::string& description) {
  return AddNetworkAdapter(machine, EthernetCard(ipAddress, description));
}

std::string AddTokenRingCard(MemoryMachine& machine, const std::string& ipAddress,
                             const std::string& description) {
  return AddNetworkAdapter(machine, TokenRingCard(ipAddress, description));
}

std::string AddHiddenCard(MemoryMachine& machine, const std::string& ipAddress,
                          const std::string& description) {
  AdapterSetup a = EthernetCard(ipAddress, description);
  a.hidden = true;
  return AddNetworkAdapter(machine, a);
}

}  // namespace qv
