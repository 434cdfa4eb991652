// The TCP/IP, WINS and DNS items on memory machines of each kind: what the
// adapters carry, how they pair, what each kind's registry receives, and
// settings files that state more than the item keeps.
#include <cstring>

#include "items/connectivity/tcpip_settings.h"
#include "platform/memory/memory_adapters.h"
#include "support/item_fixture.h"

namespace qv::test {
namespace {

constexpr const char* kMstcp = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";
constexpr const char* kTcpipParameters = "System\\CurrentControlSet\\Services\\Tcpip\\Parameters";
constexpr const char* kNetBTParameters = "System\\CurrentControlSet\\Services\\NetBT\\Parameters";

// A machine of `kind` with TCP/IP installed.
MemoryMachine Pc(OSKind kind) {
  MemoryMachine m(kind);
  InstallTcpip(m);
  return m;
}

// The first string of a multi-string value, "<none>" when missing, with its
// type checked.
std::string Multi(MemoryMachine& m, const std::string& key, const std::string& name) {
  MachineScope on(m);
  IRegistry& reg = m.Registry();
  RegKey k = 0;
  if (reg.OpenKey(hkey::LocalMachine, key, RegAccess::Read, k) != err::Success) return "<none>";
  std::uint32_t type = 0, size = 256;
  std::uint8_t data[256] = {};
  WinError e = reg.QueryValue(k, name, &type, data, &size);
  reg.CloseKey(k);
  if (e != err::Success) return "<none>";
  EXPECT_EQ(type, regtype::MultiSz) << name;
  return std::string(reinterpret_cast<const char*>(data));
}

std::uint32_t Dword(MemoryMachine& m, const std::string& key, const std::string& name) {
  MachineScope on(m);
  return UTLGetRegDWORD(hkey::LocalMachine, key, name, 0xFFFFFFFF);
}

// The address a load gave the adapter whose TCP/IP values are in `key`.
std::string AddressOf(MemoryMachine& m, const std::string& key) {
  if (m.Kind() == okWinNT) return Multi(m, key, "IPAddress");
  MachineScope on(m);
  return UTLGetRegString(hkey::LocalMachine, key, "IPAddress", "<none>");
}

const std::string kReplaced = "  Information for this adapter has been replaced by new information from ";

class TcpipItemTest : public ItemTest, public ::testing::WithParamInterface<OSKind> {};

// --- Pairing --------------------------------------------------------------

TEST_P(TcpipItemTest, TheSameCardModelPairsByNameWithoutReportLines) {
  MemoryMachine source = Pc(GetParam()), target = Pc(GetParam());
  AddTokenRingCard(source, "10.1.1.1", "Madge Token Ring");
  AddEthernetCard(source, "10.2.2.2");
  const std::string tokenKey = AddTokenRingCard(target, "192.168.5.5", "Madge Token Ring");
  const std::string etherKey = AddEthernetCard(target, "192.168.6.6");
  Save<TIPSettings>(source);
  ItemResult r = Load<TIPSettings>(target);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(AddressOf(target, tokenKey), "10.1.1.1");
  EXPECT_EQ(AddressOf(target, etherKey), "10.2.2.2");
  for (const std::string& line : r.lines)
    EXPECT_EQ(line.find("Information for this adapter"), std::string::npos) << line;
  EXPECT_TRUE(LogHas("Found Madge Token Ring"));
  EXPECT_TRUE(LogHas("Found 3Com Etherlink III Ethernet Adapter"));
  EXPECT_EQ(Consumed(), Written());
  EXPECT_TRUE(RestartRequired);
}

TEST_P(TcpipItemTest, TokenRingSpelledWithABlankPairsWithTheHyphenInTheTokenPass) {
  MemoryMachine source = Pc(okWinNT), target = Pc(GetParam());
  AddTokenRingCard(source, "10.1.1.1", "Olicom Token Ring PCI");
  const std::string key = AddTokenRingCard(target, "192.168.5.5", "IBM Token-Ring 16/4");
  Save<TIPSettings>(source);
  ItemResult r = Load<TIPSettings>(target);
  EXPECT_EQ(AddressOf(target, key), "10.1.1.1");
  EXPECT_TRUE(r.Has("  Network Adapter 1: IBM Token-Ring 16/4"));
  EXPECT_TRUE(r.Has(kReplaced + "\"Olicom Token Ring PCI\""));
  // Neither "token-ring" nor "token ring" is in both names; "token" is: the
  // target card is offered in those three passes and no more.
  const std::vector<std::string> lines = log();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "ProcessAdapter 0 IBM Token-Ring 16/4"), 3);
  EXPECT_EQ(std::count(r.lines.begin(), r.lines.end(), kReplaced + "\"Olicom Token Ring PCI\""), 1);
}

TEST_P(TcpipItemTest, UnrelatedAdaptersPairOnceInTheLastPass) {
  MemoryMachine source = Pc(GetParam()), target = Pc(GetParam());
  AddEthernetCard(source, "10.0.0.1", "FDDI Card A");
  AddEthernetCard(source, "10.0.0.2", "ATM Card B");
  const std::string first = AddEthernetCard(target, "172.16.0.1", "Wireless X");
  const std::string second = AddEthernetCard(target, "172.16.0.2", "Modem Y");
  Save<TIPSettings>(source);
  ItemResult r = Load<TIPSettings>(target);
  EXPECT_EQ(AddressOf(target, first), "10.0.0.1");
  EXPECT_EQ(AddressOf(target, second), "172.16.0.2");
  EXPECT_TRUE(r.Has("  Network Adapter 1: Wireless X"));
  EXPECT_TRUE(r.Has(kReplaced + "\"FDDI Card A\""));
  EXPECT_FALSE(r.Has("  Network Adapter 2: Modem Y"));
}

TEST_P(TcpipItemTest, EthernetPairsBeforeTheLastPassAndNamesComeFirst) {
  MemoryMachine source = Pc(GetParam()), target = Pc(GetParam());
  AddEthernetCard(source, "10.0.0.1", "Odd Card");
  AddEthernetCard(source, "10.0.0.2", "NE2000 Compatible Ethernet");
  AddEthernetCard(source, "10.0.0.3", "Same Card");
  const std::string ether = AddEthernetCard(target, "1.1.1.1", "Intel EtherExpress Pro Ethernet");
  const std::string same = AddEthernetCard(target, "1.1.1.2", "Same Card");
  const std::string odd = AddEthernetCard(target, "1.1.1.3", "Other Card");
  Save<TIPSettings>(source);
  ItemResult r = Load<TIPSettings>(target);
  EXPECT_EQ(AddressOf(target, same), "10.0.0.3");
  EXPECT_EQ(AddressOf(target, ether), "10.0.0.2");
  EXPECT_EQ(AddressOf(target, odd), "10.0.0.1");
  EXPECT_TRUE(r.Has("  Network Adapter 1: Intel EtherExpress Pro Ethernet"));
  EXPECT_TRUE(r.Has(kReplaced + "\"NE2000 Compatible Ethernet\""));
  EXPECT_TRUE(r.Has("  Network Adapter 3: Other Card"));
  EXPECT_FALSE(r.Has(kReplaced + "\"Same Card\""));
}

// --- What each kind receives ------------------------------------------------

TEST_P(TcpipItemTest, AddressMaskGatewayArriveAsTheTargetKeepsThem) {
  MemoryMachine source = Pc(okWin98), target = Pc(GetParam());
  AdapterSetup a = EthernetCard("10.9.8.7");
  a.subnetMask = "255.255.0.0";
  a.defaultGateway = "10.9.0.1";
  a.maxMTU = "1500";
  AddNetworkAdapter(source, a);
  const std::string key = AddEthernetCard(target, "192.168.1.2");
  Save<TIPSettings>(source);
  Load<TIPSettings>(target);
  if (GetParam() == okWinNT) {
    EXPECT_EQ(Multi(target, key, "IPAddress"), "10.9.8.7");
    EXPECT_EQ(Multi(target, key, "SubnetMask"), "255.255.0.0");
    EXPECT_EQ(Multi(target, key, "DefaultGateway"), "10.9.0.1");
    EXPECT_EQ(Dword(target, key, "EnableDHCP"), 0u);
    EXPECT_TRUE(LogHas("UTLSetRegMultiString : 1"));
  } else {
    EXPECT_EQ(Reg(target, hkey::LocalMachine, key, "IPAddress"), "10.9.8.7");
    EXPECT_EQ(Reg(target, hkey::LocalMachine, key, "IPMask"), "255.255.0.0");
    EXPECT_EQ(Reg(target, hkey::LocalMachine, key, "DefaultGateway"), "10.9.0.1");
    EXPECT_EQ(Reg(target, hkey::LocalMachine, key, "MaxMTU"), "1500");
  }
}

TEST_F(ItemTest, AnAddressFromDhcpSwitchesDhcpOnOnNT) {
  for (const char* address : {"0.0.0.0", "10.0.0.9"}) {
    MemoryMachine source = Pc(okWin95), target = Pc(okWinNT);
    AddEthernetCard(source, address);
    const std::string key = AddEthernetCard(target, "192.168.1.2");
    Save<TIPSettings>(source);
    Load<TIPSettings>(target);
    EXPECT_EQ(Dword(target, key, "EnableDHCP"), std::string(address) == "0.0.0.0" ? 1u : 0u) << address;
    EXPECT_EQ(Multi(target, key, "IPAddress"), address);
  }
}

// A Windows 95/98 adapter without an address asks DHCP for one; on Windows
// NT an empty address would unbind the card, so it arrives as "0.0.0.0".
TEST_F(ItemTest, AnAdapterWithoutAnAddressArrivesOnNTAsDhcp) {
  MemoryMachine source = Pc(okWin98), target = Pc(okWinNT);
  AddEthernetCard(source, "");
  const std::string key = AddEthernetCard(target, "192.168.1.2");
  Save<TIPSettings>(source);
  Load<TIPSettings>(target);
  EXPECT_EQ(Multi(target, key, "IPAddress"), "0.0.0.0");
  EXPECT_EQ(Dword(target, key, "EnableDHCP"), 1u);
  ItemResult r = Describe<TIPSettings>(target);
  EXPECT_TRUE(r.Has("1 Network Adapter found."));
}

// Empty values the source carries are not created where the target has none
// (they read alike); values it has are emptied.
TEST_F(ItemTest, EmptyValuesAreNotCreatedOnWindows9x) {
  MemoryMachine source = Pc(okWin95), target = Pc(okWin98);
  AddEthernetCard(source, "10.0.0.1");
  AdapterSetup b = EthernetCard("10.0.0.2");
  b.maxMTU = "576";
  const std::string key = AddNetworkAdapter(target, b);
  Save<TIPSettings>(source);
  Load<TIPSettings>(target);
  EXPECT_EQ(Reg(target, hkey::LocalMachine, key, "DefaultGateway"), "<none>");
  EXPECT_EQ(Reg(target, hkey::LocalMachine, key, "MaxMTU"), "");
  EXPECT_EQ(Reg(target, hkey::LocalMachine, key, "IPAddress"), "10.0.0.1");
  Save<TWINSSettings>(source);
  Load<TWINSSettings>(target);
  EXPECT_EQ(Reg(target, hkey::LocalMachine, kMstcp, "ScopeID"), "<none>");
}

TEST_F(ItemTest, NameServerListsTurnBetweenBlanksAndCommas) {
  MemoryMachine nt = Pc(okWinNT), w98 = Pc(okWin98), back = Pc(okWinNT);
  SetReg(nt, hkey::LocalMachine, kTcpipParameters, "NameServer", "10.0.0.53 10.0.1.53");
  SetReg(nt, hkey::LocalMachine, kTcpipParameters, "SearchList", "corp.example lab.example");
  SetReg(nt, hkey::LocalMachine, kTcpipParameters, "Domain", "corp.example");
  Save<TDNSSettings>(nt);
  // The file holds the comma-separated form.
  auto reader = ReaderOf(written());
  EXPECT_EQ(reader->ReadString(), "corp.example");
  EXPECT_EQ(reader->ReadString(), "qorvelpc");
  EXPECT_EQ(reader->ReadString(), "10.0.0.53,10.0.1.53");
  EXPECT_EQ(reader->ReadString(), "corp.example,lab.example");
  EXPECT_EQ(reader->ReadString(), "");

  ItemResult r = Load<TDNSSettings>(w98);
  EXPECT_EQ(Reg(w98, hkey::LocalMachine, kMstcp, "NameServer"), "10.0.0.53,10.0.1.53");
  EXPECT_EQ(Reg(w98, hkey::LocalMachine, kMstcp, "SearchList"), "corp.example,lab.example");
  EXPECT_EQ(Reg(w98, hkey::LocalMachine, kMstcp, "Domain"), "corp.example");
  EXPECT_EQ(Reg(w98, hkey::LocalMachine, kMstcp, "EnableDNS"), "");
  EXPECT_TRUE(r.Has("NameServer : 10.0.0.53,10.0.1.53"));
  EXPECT_TRUE(r.Has("DNS is disabled."));

  SetReg(w98, hkey::LocalMachine, kMstcp, "EnableDNS", "1");
  ItemResult saved = Save<TDNSSettings>(w98);
  EXPECT_TRUE(saved.Has("DNS is enabled."));
  ItemResult loaded = Load<TDNSSettings>(back);
  EXPECT_EQ(Reg(back, hkey::LocalMachine, kTcpipParameters, "NameServer"), "10.0.0.53 10.0.1.53");
  EXPECT_EQ(Reg(back, hkey::LocalMachine, kTcpipParameters, "SearchList"), "corp.example lab.example");
  EXPECT_EQ(Reg(back, hkey::LocalMachine, kTcpipParameters, "EnableDNS"), "<none>");
  EXPECT_TRUE(LogHas("Corrected NameServer : 10.0.0.53 10.0.1.53"));
  EXPECT_FALSE(loaded.Has("DNS is enabled."));
}

TEST_F(ItemTest, AWindows98TargetLosesItsSurplusNumberedWinsServers) {
  MemoryMachine source = Pc(okWin98), target = Pc(okWin98);
  AdapterSetup a = EthernetCard("10.0.0.1");
  a.winsServers = {"10.0.0.100", "10.0.0.101"};
  a.nodeType = "8";
  AddNetworkAdapter(source, a);
  AdapterSetup b = EthernetCard("10.0.0.2");
  b.winsServers = {"1.1.1.1", "1.1.1.2", "1.1.1.3", "1.1.1.4", "1.1.1.5"};
  b.nodeType = "4";
  const std::string key = AddNetworkAdapter(target, b);
  SetReg(source, hkey::LocalMachine, kMstcp, "ScopeID", "SCOPE1");
  Save<TWINSSettings>(source);
  ItemResult r = Load<TWINSSettings>(target);
  EXPECT_EQ(Reg(target, hkey::LocalMachine, key, "NameServer1"), "10.0.0.100");
  EXPECT_EQ(Reg(target, hkey::LocalMachine, key, "NameServer2"), "10.0.0.101");
  for (int n = 3; n <= 12; ++n)
    EXPECT_EQ(Reg(target, hkey::LocalMachine, key, "NameServer" + std::to_string(n)), "<none>") << n;
  EXPECT_EQ(Reg(target, hkey::LocalMachine, key, "NodeType"), "8");
  EXPECT_EQ(Reg(target, hkey::LocalMachine, kMstcp, "ScopeID"), "SCOPE1");
  EXPECT_TRUE(LogHas("UTLDeleteRegKey system\\currentcontrolset\\services\\class\\NetTrans\\0000 NameServer5"));
  EXPECT_TRUE(r.Has("WINS is enabled."));
  EXPECT_TRUE(r.Has("Scope ID         : SCOPE1"));
  EXPECT_TRUE(r.Has("WINS Servers : "));
  EXPECT_TRUE(r.Has("10.0.0.101"));
  EXPECT_FALSE(r.Has("1.1.1.3"));
}

TEST_F(ItemTest, WinsServersTravelToEachKindsPlace) {
  MemoryMachine source = Pc(okWinNT);
  AdapterSetup a = EthernetCard("10.0.0.1");
  a.winsServers = {"10.0.0.100", "10.0.0.101"};
  AddNetworkAdapter(source, a);
  SetReg(source, hkey::LocalMachine, kNetBTParameters, "ScopeID", "HARBOUR");
  Save<TWINSSettings>(source);

  MemoryMachine nt = Pc(okWinNT);
  AdapterSetup old = EthernetCard("192.168.0.1");
  old.winsServers = {"", "192.168.0.100"};
  AddNetworkAdapter(nt, old);
  ItemResult r = Load<TWINSSettings>(nt);
  const std::string netbt = "System\\CurrentControlSet\\Services\\NetBT\\Adapters\\El59x1";
  EXPECT_EQ(Reg(nt, hkey::LocalMachine, netbt, "NameServer"), "10.0.0.100");
  EXPECT_EQ(Reg(nt, hkey::LocalMachine, netbt, "NameServerBackup"), "10.0.0.101");
  EXPECT_EQ(Reg(nt, hkey::LocalMachine, kNetBTParameters, "ScopeID"), "HARBOUR");
  EXPECT_TRUE(LogHas("Original WINS Data : "));
  EXPECT_TRUE(LogHas("Secondary WINS Server : 192.168.0.100"));
  EXPECT_TRUE(LogHas("Primary WINS Server  : 10.0.0.100"));
  EXPECT_TRUE(r.Has("Adapter 1 : 3Com Etherlink III Ethernet Adapter"));
  EXPECT_TRUE(r.Has("Primary WINS Server  : 10.0.0.100"));

  MemoryMachine w95 = Pc(okWin95);
  AdapterSetup c = EthernetCard("192.168.0.2");
  c.winsServers = {"9.9.9.9", "8.8.8.8"};
  AddNetworkAdapter(w95, c);
  SetReg(w95, hkey::LocalMachine, kMstcp, "NodeType", "2");
  r = Load<TWINSSettings>(w95);
  EXPECT_EQ(Reg(w95, hkey::LocalMachine, kMstcp, "NameServer1"), "10.0.0.100");
  EXPECT_EQ(Reg(w95, hkey::LocalMachine, kMstcp, "NameServer2"), "10.0.0.101");
  EXPECT_EQ(Reg(w95, hkey::LocalMachine, kMstcp, "ScopeID"), "HARBOUR");
  // The source kept no node type: the target's goes.
  EXPECT_EQ(Reg(w95, hkey::LocalMachine, kMstcp, "NodeType"), "<none>");
  EXPECT_TRUE(r.Has("Primary WINS Server  : 10.0.0.100"));
  EXPECT_TRUE(r.Has("Scope ID         : HARBOUR"));
}

TEST_F(ItemTest, WinsDisabledStillCarriesItsServersAndTheFlagIsNotUsed) {
  MemoryMachine source = Pc(okWinNT), target = Pc(okWinNT);
  AdapterSetup a = EthernetCard("10.0.0.1");
  a.winsServers = {"", "10.0.0.101"};  // no primary: WINS counts as disabled
  AddNetworkAdapter(source, a);
  AdapterSetup b = EthernetCard("10.0.0.2");
  b.winsServers = {"7.7.7.7", ""};
  AddNetworkAdapter(target, b);
  ItemResult saved = Save<TWINSSettings>(source);
  EXPECT_TRUE(saved.Has("WINS is disabled."));
  auto reader = ReaderOf(written());
  EXPECT_FALSE(reader->ReadBoolean());
  reader->ReadString();
  reader->ReadString();
  EXPECT_EQ(reader->ReadInteger(), 1);
  EXPECT_EQ(reader->ReadInteger(), 2);
  EXPECT_EQ(reader->ReadString(), "3Com Etherlink III Ethernet Adapter");
  EXPECT_EQ(reader->ReadString(), "");
  EXPECT_EQ(reader->ReadString(), "10.0.0.101");
  Load<TWINSSettings>(target);
  const std::string netbt = "System\\CurrentControlSet\\Services\\NetBT\\Adapters\\El59x1";
  EXPECT_EQ(Reg(target, hkey::LocalMachine, netbt, "NameServer"), "<none>");
  EXPECT_EQ(Reg(target, hkey::LocalMachine, netbt, "NameServerBackup"), "10.0.0.101");
}

// Windows 95/98 count only the servers that are set: a gap before a set
// server keeps the set one.
TEST_F(ItemTest, AWinsServerAfterAnEmptyOneIsNotLost) {
  MemoryMachine source = Pc(okWin95), target = Pc(okWin95);
  AddEthernetCard(source, "10.0.0.1");
  SetReg(source, hkey::LocalMachine, kMstcp, "NameServer2", "10.0.0.102");
  AddEthernetCard(target, "10.0.0.2");
  Save<TWINSSettings>(source);
  auto reader = ReaderOf(written());
  EXPECT_TRUE(reader->ReadBoolean());
  reader->ReadString();
  reader->ReadString();
  EXPECT_EQ(reader->ReadInteger(), 1);
  EXPECT_EQ(reader->ReadInteger(), 1);
  reader->ReadString();
  EXPECT_EQ(reader->ReadString(), "10.0.0.102");
  Load<TWINSSettings>(target);
  EXPECT_EQ(Reg(target, hkey::LocalMachine, kMstcp, "NameServer1"), "10.0.0.102");
}

// --- TCP/IP missing ------------------------------------------------------------

TEST_P(TcpipItemTest, WithoutTcpipTheTargetStaysAsItWas) {
  MemoryMachine source = Pc(okWinNT);
  AdapterSetup a = EthernetCard("10.0.0.1");
  a.winsServers = {"10.0.0.100"};
  AddNetworkAdapter(source, a);
  SetReg(source, hkey::LocalMachine, kTcpipParameters, "NameServer", "10.0.0.53");
  MemoryMachine target(GetParam());
  AddEthernetCard(target, "192.168.0.1");
  const MemoryMachine before(target);

  Save<TIPSettings>(source);
  ItemResult ip = Load<TIPSettings>(target);
  EXPECT_TRUE(ip.Has("TCP/IP is not installed on this system. IP settings have not been modified."));
  Save<TWINSSettings>(source);
  Load<TWINSSettings>(target);
  Save<TDNSSettings>(source);
  ItemResult dns = Load<TDNSSettings>(target);
  EXPECT_TRUE(dns.Has("There are no DNS settings. TCP/IP is not installed. "));
  EXPECT_TRUE(LogHas("TCPIP Installed : 0"));
  EXPECT_EQ(MemoryMachine::Differences(before, target), std::vector<std::string>{});
}

TEST_P(TcpipItemTest, WithoutRegistryAccessNothingIsGatheredOrChanged) {
  MemoryMachine source = Pc(GetParam());
  AddEthernetCard(source, "10.0.0.1");
  source.SetAdministrator(false);
  ItemResult ip = Save<TIPSettings>(source);
  EXPECT_FALSE(ip.ok);
  EXPECT_TRUE(ip.Has("Registry access is required to retrieve or modify this setting."));
  ItemResult wins = Describe<TWINSSettings>(source);
  EXPECT_TRUE(wins.Has("WINS Settings :"));
  ItemResult dns = Describe<TDNSSettings>(source);
  EXPECT_TRUE(dns.Has("DNS settings :"));
  EXPECT_TRUE(dns.Has("There are no DNS settings. TCP/IP is not installed. "));
}

// --- Discovery ------------------------------------------------------------------

TEST_F(ItemTest, NTDiscoveryPassesOverHiddenCardsAndCardsWithoutAnAddress) {
  MemoryMachine m = Pc(okWinNT);
  AddHiddenCard(m, "10.0.0.9");
  AddEthernetCard(m, "", "Card Without Address");
  AdapterSetup unbound = EthernetCard("10.0.0.7", "Unbound Card");
  unbound.boundToTcpip = false;
  AddNetworkAdapter(m, unbound);
  AddTokenRingCard(m, "10.0.0.5");
  ItemResult r = Describe<TIPSettings>(m);
  EXPECT_TRUE(r.Has("1 Network Adapter found."));
  EXPECT_TRUE(r.Has("Description : IBM Auto 16/4 Token-Ring Adapter"));
  EXPECT_TRUE(r.Has("IP Address  : 10.0.0.5"));
  EXPECT_TRUE(r.Has("NetMask     : 255.255.255.0"));
  EXPECT_TRUE(LogHas("Card 0 Service : NdisWan1"));
  EXPECT_TRUE(LogHas("Looking for System\\Currentcontrolset\\Services\\IbmTok4\\Parameters\\Tcpip ipaddress"));
}

TEST_F(ItemTest, Windows9xDiscoveryFollowsTheBindingsOfEachCard) {
  MemoryMachine m = Pc(okWin98);
  AdapterSetup unbound = EthernetCard("", "Dial-Up Adapter");
  unbound.boundToTcpip = false;
  AddNetworkAdapter(m, unbound);
  const std::string key = AddEthernetCard(m, "10.0.0.1");
  EXPECT_EQ(key, "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0000");
  ItemResult r = Describe<TIPSettings>(m);
  EXPECT_TRUE(r.Has("1 Network Adapter found."));
  EXPECT_TRUE(r.Has("Description : 3Com Etherlink III Ethernet Adapter"));
  EXPECT_TRUE(LogHas("Looking for 0000"));
  EXPECT_TRUE(LogHas("Looking for 0001"));
  EXPECT_TRUE(LogHas("Found it! : mstcp\\0000 at enum\\PCI"));
  EXPECT_TRUE(LogHas("RegistryPath = system\\currentcontrolset\\services\\class\\NetTrans\\0000"));
  EXPECT_TRUE(LogHas("Done GetTCPIPInfo9x"));
}

TEST_F(ItemTest, EachKindDescribesItsWinsServersInItsOwnLines) {
  struct Case {
    OSKind kind;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {okWin95,
       {"WINS is enabled.", "Scope ID         : LAB", "Primary WINS Server  : 10.0.0.100",
        "Secondary WINS Server : 10.0.0.101", ""}},
      {okWin98,
       {"WINS is enabled.", "", "1 Network Adapter found.", "", "Scope ID         : LAB", "",
        "Adapter 1 : 3Com Etherlink III Ethernet Adapter", "WINS Servers : ", "10.0.0.100", "10.0.0.101", ""}},
      {okWinNT,
       {"WINS is enabled.", "", "1 Network Adapter found.", "", "Scope ID         : LAB", "",
        "Adapter 1 : 3Com Etherlink III Ethernet Adapter", "Primary WINS Server  : 10.0.0.100",
        "Secondary WINS Server : 10.0.0.101", ""}},
  };
  for (const Case& c : cases) {
    MemoryMachine m = Pc(c.kind);
    AdapterSetup a = EthernetCard("10.0.0.1");
    a.winsServers = {"10.0.0.100", "10.0.0.101"};
    AddNetworkAdapter(m, a);
    SetReg(m, hkey::LocalMachine, c.kind == okWinNT ? kNetBTParameters : kMstcp, "ScopeID", "LAB");
    EXPECT_EQ(Describe<TWINSSettings>(m).lines, c.lines) << c.kind;
  }
  MemoryMachine m = Pc(okWinNT);
  AddEthernetCard(m, "10.0.0.1");
  EXPECT_EQ(Describe<TWINSSettings>(m).lines, std::vector<std::string>{"WINS is disabled."});
  EXPECT_EQ(Describe<TIPSettings>(m).lines,
            (std::vector<std::string>{"", "1 Network Adapter found.", "", "Adapter 1",
                                      "Description : 3Com Etherlink III Ethernet Adapter",
                                      "IP Address  : 10.0.0.1", "NetMask     : 255.255.255.0",
                                      "Gateways    : ", ""}));
}

TEST_F(ItemTest, NoAdaptersIsSaidInTheDescription) {
  MemoryMachine m = Pc(okWin95);
  ItemResult r = Describe<TIPSettings>(m);
  EXPECT_TRUE(r.Has("No device bindings to TCP/IP were found."));
  EXPECT_TRUE(r.Has("0 Network Adapters found."));
}

// --- Payloads and bad input ------------------------------------------------------

TEST_F(ItemTest, TheIPPayloadPutsTheGatewayBeforeTheAddressBeforeTheMask) {
  MemoryMachine m = Pc(okWin95);
  AdapterSetup a = EthernetCard("1.2.3.4", "NIC");
  a.subnetMask = "255.0.0.0";
  a.defaultGateway = "1.0.0.1";
  a.maxMTU = "576";
  AddNetworkAdapter(m, a);
  Save<TIPSettings>(m);
  const std::uint8_t expected[] = {1, 0, 0, 0, 3, 0, 0, 0, 'N', 'I', 'C', 7, 0, 0, 0, '1', '.', '0', '.',
                                   '0', '.', '1', 7, 0, 0, 0, '1', '.', '2', '.', '3', '.', '4', 9, 0, 0,
                                   0, '2', '5', '5', '.', '0', '.', '0', '.', '0', 3, 0, 0, 0, '5', '7', '6'};
  const std::uint8_t* block = nullptr;
  std::uint32_t size = 0;
  written().GetBuffer(block, size);
  ASSERT_EQ(static_cast<std::size_t>(Written()), sizeof expected);
  EXPECT_EQ(std::memcmp(block, expected, sizeof expected), 0);
}

TEST_F(ItemTest, MoreAdaptersAndServersThanTheListsHoldAreReadAndLeftOut) {
  MemoryMachine target = Pc(okWin98);
  AdapterSetup b = EthernetCard("10.0.0.2", "Card 11");
  const std::string key = AddNetworkAdapter(target, b);
  TWriteMemoryConnection& w = NewPayload(okWin98);
  w.WriteBoolean(true);
  w.WriteString("");
  w.WriteString("");
  w.WriteInteger(11);
  for (int i = 1; i <= 11; ++i) {
    w.WriteInteger(i == 1 ? 14 : 1);
    w.WriteString("Card " + std::to_string(i));
    for (int n = 1; n <= (i == 1 ? 14 : 1); ++n) w.WriteString("9.9." + std::to_string(i) + "." + std::to_string(n));
  }
  ItemResult r = Load<TWINSSettings>(target);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(Consumed(), Written());
  // Card 11 is the eleventh: left out, so the only target card pairs with
  // the first one in the last pass, which brings 12 of its 14 servers.
  EXPECT_EQ(Reg(target, hkey::LocalMachine, key, "NameServer1"), "9.9.1.1");
  EXPECT_EQ(Reg(target, hkey::LocalMachine, key, "NameServer12"), "9.9.1.12");
  EXPECT_EQ(Reg(target, hkey::LocalMachine, key, "NameServer13"), "<none>");
  EXPECT_TRUE(LogHas("More than 12 WINS servers for Card 1: 14, the first 12 kept"));
  EXPECT_TRUE(LogHas("More than 10 network adapters: Card 11 ignored"));
}

TEST_F(ItemTest, CountsTheStreamCannotHoldAreRefused) {
  MemoryMachine target = Pc(okWinNT);
  AddEthernetCard(target, "10.0.0.2");
  const MemoryMachine before(target);
  TWriteMemoryConnection& w = NewPayload(okWinNT);
  w.WriteInteger(0x7FFFFFFF);
  w.WriteString("x");
  EXPECT_THROW(Load<TIPSettings>(target), EConnectionReadError);
  TWriteMemoryConnection& v = NewPayload(okWinNT);
  v.WriteBoolean(true);
  v.WriteString("");
  v.WriteString("");
  v.WriteInteger(1);
  v.WriteInteger(1 << 30);
  v.WriteString("3Com Etherlink III Ethernet Adapter");
  EXPECT_THROW(Load<TWINSSettings>(target), EConnectionReadError);
  // A negative count reads no records.
  TWriteMemoryConnection& n = NewPayload(okWinNT);
  n.WriteInteger(-5);
  EXPECT_TRUE(Load<TIPSettings>(target).ok);
  EXPECT_EQ(Consumed(), 4);
  EXPECT_EQ(MemoryMachine::Differences(before, target), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Kinds, TcpipItemTest, ::testing::Values(okWin95, okWin98, okWinNT),
                         [](const auto& info) { return std::to_string(info.param); });

}  // namespace
}  // namespace qv::test
