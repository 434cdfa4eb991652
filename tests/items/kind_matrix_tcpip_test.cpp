// The TCP/IP, WINS and DNS items saved on each kind of Windows and loaded on
// each kind, through the save and load runs, between computers whose network
// cards differ: the source's cards find their partners by type.
#include "config/cat_config.h"
#include "engine/run_report.h"
#include "engine/runs.h"
#include "platform/memory/memory_adapters.h"
#include "support/item_fixture.h"
#include "support/kind_round.h"

namespace qv::test {
namespace {

constexpr const char* kMstcp = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";
constexpr const char* kTcpipParameters = "System\\CurrentControlSet\\Services\\Tcpip\\Parameters";
constexpr const char* kNetBTParameters = "System\\CurrentControlSet\\Services\\NetBT\\Parameters";
constexpr const char* kReplaced = "  Information for this adapter has been replaced by new information from ";

class TcpipKindMatrix : public ::testing::TestWithParam<std::tuple<OSKind, OSKind>> {};

std::string Text(const std::string& key, const std::string& name) {
  return UTLGetRegString(hkey::LocalMachine, key, name, "<none>");
}

// The first string of a value, a string or a multi-string.
std::string First(const std::string& key, const std::string& name) {
  char buffer[256] = {};
  if (UTLGetRegBinary(hkey::LocalMachine, key, name, buffer, sizeof buffer - 1) == 0)
    return Text(key, name);
  return buffer;
}

// The source: an Ethernet card and a token-ring card with WINS servers and
// DNS settings.
void PrepareSource(MemoryMachine& m) {
  InstallTcpip(m, "harbour", "harbour.example");
  AdapterSetup ether = EthernetCard("10.1.0.5", "NE2000 Compatible Ethernet");
  ether.subnetMask = "255.255.0.0";
  ether.defaultGateway = "10.1.0.1";
  ether.maxMTU = "1500";
  ether.winsServers = {"10.1.0.100", "10.1.0.101"};
  ether.nodeType = "8";
  AddNetworkAdapter(m, ether);
  AdapterSetup token = TokenRingCard("10.2.0.5", "Madge Smart 16/4 Token Ring");
  token.defaultGateway = "10.2.0.1";
  AddNetworkAdapter(m, token);
  MachineScope on(m);
  if (m.Kind() == okWinNT) {
    UTLSetRegString(hkey::LocalMachine, kTcpipParameters, "NameServer", "10.1.0.53 10.1.0.54");
    UTLSetRegString(hkey::LocalMachine, kTcpipParameters, "SearchList", "harbour.example quay.example");
    UTLSetRegString(hkey::LocalMachine, kNetBTParameters, "ScopeID", "HARBOUR");
  } else {
    UTLSetRegString(hkey::LocalMachine, kMstcp, "NameServer", "10.1.0.53,10.1.0.54");
    UTLSetRegString(hkey::LocalMachine, kMstcp, "SearchList", "harbour.example,quay.example");
    UTLSetRegString(hkey::LocalMachine, kMstcp, "EnableDNS", "1");
    UTLSetRegString(hkey::LocalMachine, kMstcp, "ScopeID", "HARBOUR");
  }
}

TEST_P(TcpipKindMatrix, AdaptersFindTheirPartnersByTypeOnEveryKind) {
  auto [from, to] = GetParam();
  MemoryMachine source(from), target(to);
  PrepareSource(source);
  InstallTcpip(target, "quay");
  // The target: other cards, listed token ring first, and on Windows NT a
  // hidden card that nothing may touch.
  const std::string token = AddTokenRingCard(target, "192.168.2.5", "IBM Token-Ring 16/4 ISA");
  AdapterSetup ether = EthernetCard("192.168.1.5", "Intel EtherExpress PRO/100 Ethernet");
  ether.winsServers = {"192.168.1.100", "192.168.1.101", "192.168.1.102"};
  const std::string etherKey = AddNetworkAdapter(target, ether);
  std::string hidden;
  if (to == okWinNT) hidden = AddHiddenCard(target, "192.168.3.5");

  KindRound run;
  ASSERT_EQ(run.Save(source, {},
                     {"TCPIP Configuration", "DNS Configuration", "WINS Configuration"}),
            SETTINGS_OK);
  ASSERT_EQ(run.Load(target), SETTINGS_OK);

  // IP: the token-ring pair in a token pass, the Ethernet pair in the
  // Ethernet pass; each said once by the IP item.
  EXPECT_EQ(run.count("  Network Adapter 1: IBM Token-Ring 16/4 ISA"), 2);  // the IP and WINS items
  EXPECT_EQ(run.count(std::string(kReplaced) + "\"Madge Smart 16/4 Token Ring\""), 2);
  EXPECT_EQ(run.count("  Network Adapter 2: Intel EtherExpress PRO/100 Ethernet"), 2);
  EXPECT_EQ(run.count(std::string(kReplaced) + "\"NE2000 Compatible Ethernet\""), 2);
  EXPECT_EQ(First(etherKey, "IPAddress"), "10.1.0.5");
  EXPECT_EQ(First(etherKey, "DefaultGateway"), "10.1.0.1");
  EXPECT_EQ(First(token, "IPAddress"), "10.2.0.5");
  EXPECT_EQ(First(token, "DefaultGateway"), "10.2.0.1");
  if (to == okWinNT) {
    EXPECT_EQ(First(etherKey, "SubnetMask"), "255.255.0.0");
    EXPECT_EQ(First(hidden, "IPAddress"), "192.168.3.5");
    EXPECT_EQ(UTLGetRegDWORD(hkey::LocalMachine, etherKey, "EnableDHCP", 7), 0u);
  } else {
    EXPECT_EQ(Text(etherKey, "IPMask"), "255.255.0.0");
    // Windows NT carries no MTU; the target had none, and gets no empty one.
    EXPECT_EQ(Text(etherKey, "MaxMTU"), from == okWinNT ? "<none>" : "1500");
  }

  // WINS in the target's own place.
  switch (to) {
    case okWinNT: {
      const std::string netbt = "System\\CurrentControlSet\\Services\\NetBT\\Adapters\\El59x2";
      EXPECT_EQ(Text(netbt, "NameServer"), "10.1.0.100");
      EXPECT_EQ(Text(netbt, "NameServerBackup"), "10.1.0.101");
      EXPECT_EQ(Text(kNetBTParameters, "ScopeID"), "HARBOUR");
      break;
    }
    case okWin95:
      EXPECT_EQ(Text(kMstcp, "NameServer1"), "10.1.0.100");
      EXPECT_EQ(Text(kMstcp, "NameServer2"), "10.1.0.101");
      EXPECT_EQ(Text(kMstcp, "ScopeID"), "HARBOUR");
      // The last card found decides the node type: the token-ring card has none.
      EXPECT_EQ(Text(kMstcp, "NodeType"), "<none>");
      break;
    default:
      EXPECT_EQ(Text(etherKey, "NameServer1"), "10.1.0.100");
      EXPECT_EQ(Text(etherKey, "NameServer2"), "10.1.0.101");
      EXPECT_EQ(Text(etherKey, "NameServer3"), "<none>");
      EXPECT_EQ(Text(token, "NameServer1"), from == okWin95 ? "10.1.0.100" : "<none>");
      EXPECT_EQ(Text(kMstcp, "ScopeID"), "HARBOUR");
      break;
  }
  EXPECT_EQ(run.count("WINS is enabled."), 1);

  // DNS: comma-separated on Windows 95/98, blank-separated on Windows NT.
  if (to == okWinNT) {
    EXPECT_EQ(Text(kTcpipParameters, "NameServer"), "10.1.0.53 10.1.0.54");
    EXPECT_EQ(Text(kTcpipParameters, "SearchList"), "harbour.example quay.example");
    EXPECT_EQ(Text(kTcpipParameters, "Hostname"), "harbour");
    EXPECT_EQ(Text(kTcpipParameters, "EnableDNS"), "<none>");
  } else {
    EXPECT_EQ(Text(kMstcp, "NameServer"), "10.1.0.53,10.1.0.54");
    EXPECT_EQ(Text(kMstcp, "SearchList"), "harbour.example,quay.example");
    EXPECT_EQ(Text(kMstcp, "HostName"), "harbour");
    EXPECT_EQ(Text(kMstcp, "EnableDNS"), from == okWinNT ? "" : "1");
  }
  EXPECT_EQ(Text(to == okWinNT ? kTcpipParameters : kMstcp, "Domain"), "harbour.example");
  EXPECT_TRUE(RestartRequired);
}

INSTANTIATE_TEST_SUITE_P(AllKinds, TcpipKindMatrix,
                         ::testing::Combine(::testing::Values(okWin95, okWin98, okWinNT),
                                            ::testing::Values(okWin95, okWin98, okWinNT)));

}  // namespace
}  // namespace qv::test
