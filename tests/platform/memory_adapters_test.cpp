// The memory machine's network cards and TCP/IP: the registry trees sit
// where each kind of Windows keeps them.
#include <gtest/gtest.h>

#include "platform/memory/memory_adapters.h"
#include "registry/reg_utils.h"

namespace qv::test {
namespace {

std::string Text(const std::string& key, const std::string& name) {
  return UTLGetRegString(hkey::LocalMachine, key, name, "<none>");
}

bool Opens(const std::string& key) {
  RegKey k = 0;
  if (CurrentMachine().Registry().OpenKey(hkey::LocalMachine, key, RegAccess::Read, k) != err::Success)
    return false;
  CurrentMachine().Registry().CloseKey(k);
  return true;
}

TEST(MemoryAdapters, Windows9xCardsHaveAClassInstanceADeviceKeyAndABoundProtocol) {
  for (OSKind kind : {okWin95, okWin98}) {
    MemoryMachine m(kind);
    MachineScope on(m);
    InstallTcpip(m);
    EXPECT_TRUE(Opens("System\\CurrentControlSet\\Services\\VxD\\MSTCP"));
    AdapterSetup token = TokenRingCard("10.0.0.2");
    token.winsServers = {"10.0.0.100"};
    EXPECT_EQ(AddEthernetCard(m, "10.0.0.1"), "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0000");
    EXPECT_EQ(AddNetworkAdapter(m, token), "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0001");
    EXPECT_EQ(Text("System\\CurrentControlSet\\Services\\Class\\Net\\0001", "DriverDesc"),
              "IBM Auto 16/4 Token-Ring Adapter");
    EXPECT_EQ(Text("Enum\\ISAPNP\\IBM0010\\0001", "Driver"), "Net\\0001");
    EXPECT_EQ(Text("Enum\\ISAPNP\\IBM0010\\0001\\Bindings", "MSTCP\\0001"), "");
    EXPECT_EQ(Text("Enum\\PCI\\VEN_10B7&DEV_9050\\BUS_00&DEV_00&FUNC_00\\Bindings", "MSTCP\\0000"), "");
    EXPECT_EQ(Text("Enum\\Network\\MSTCP\\0001", "Driver"), "NetTrans\\0001");
    EXPECT_EQ(Text("System\\CurrentControlSet\\Services\\Class\\NetTrans\\0001", "IPAddress"), "10.0.0.2");
    // Windows 95 keeps its WINS servers for the whole machine, 98 per adapter.
    EXPECT_EQ(Text("System\\CurrentControlSet\\Services\\VxD\\MSTCP", "NameServer1"),
              kind == okWin95 ? "10.0.0.100" : "<none>");
    EXPECT_EQ(Text("System\\CurrentControlSet\\Services\\Class\\NetTrans\\0001", "NameServer1"),
              kind == okWin98 ? "10.0.0.100" : "<none>");
    RemoveTcpip(m);
    EXPECT_FALSE(Opens("System\\CurrentControlSet\\Services\\VxD\\MSTCP"));
    EXPECT_TRUE(Opens("System\\CurrentControlSet\\Services\\Class\\Net\\0001"));
  }
}

TEST(MemoryAdapters, WindowsNTCardsHaveAServiceWithTcpipAndNetBTKeys) {
  MemoryMachine m(okWinNT);
  MachineScope on(m);
  EXPECT_FALSE(Opens("System\\CurrentControlSet\\Services\\Tcpip\\Parameters"));
  InstallTcpip(m, "", "corp.example");
  EXPECT_EQ(Text("System\\CurrentControlSet\\Services\\Tcpip\\Parameters", "Hostname"), "qorvelpc");
  EXPECT_EQ(Text("System\\CurrentControlSet\\Services\\Tcpip\\Parameters", "Domain"), "corp.example");
  AddHiddenCard(m, "10.0.0.9");
  AdapterSetup ether = EthernetCard("0.0.0.0");
  ether.winsServers = {"10.0.0.100", "10.0.0.101"};
  EXPECT_EQ(AddNetworkAdapter(m, ether), "System\\CurrentControlSet\\Services\\El59x2\\Parameters\\Tcpip");
  const std::string cards = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards\\";
  EXPECT_EQ(Text(cards + "1", "ServiceName"), "NdisWan1");
  EXPECT_EQ(UTLGetRegDWORD(hkey::LocalMachine, cards + "1", "Hidden", 0), 1u);
  EXPECT_EQ(Text(cards + "2", "Description"), "3Com Etherlink III Ethernet Adapter");
  char address[32] = {};
  EXPECT_EQ(UTLGetRegBinary(hkey::LocalMachine, "System\\CurrentControlSet\\Services\\El59x2\\Parameters\\Tcpip",
                            "IPAddress", address, sizeof address),
            9u);  // "0.0.0.0" and the two zeros of a one-string list
  EXPECT_STREQ(address, "0.0.0.0");
  EXPECT_EQ(UTLGetRegDWORD(hkey::LocalMachine, "System\\CurrentControlSet\\Services\\El59x2\\Parameters\\Tcpip",
                           "EnableDHCP", 7),
            1u);
  EXPECT_EQ(Text("System\\CurrentControlSet\\Services\\NetBT\\Adapters\\El59x2", "NameServerBackup"), "10.0.0.101");
  RemoveTcpip(m);
  EXPECT_FALSE(Opens("System\\CurrentControlSet\\Services\\Tcpip"));
  EXPECT_FALSE(Opens("System\\CurrentControlSet\\Services\\NetBT"));
  EXPECT_TRUE(Opens(cards + "2"));
}

}  // namespace
}  // namespace qv::test
