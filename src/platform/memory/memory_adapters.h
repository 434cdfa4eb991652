// Network adapters and the TCP/IP protocol of an in-memory machine, kept in
// its registry where each kind of Windows keeps them.
//
// Windows 95/98: every card is an instance of the network class
// ("System\CurrentControlSet\Services\Class\Net\0000", with "DriverDesc"),
// has a device key below "Enum" whose "Driver" names that instance and whose
// "Bindings" list the protocol instances bound to it ("MSTCP\0000" = ""),
// and each TCP/IP instance ("Enum\Network\MSTCP\0000") names its driver key
// ("NetTrans\0000" below Services\Class), which holds the adapter's
// addresses and, on Windows 98, its WINS servers "NameServer1".."12".
// Windows 95 keeps two WINS servers for the whole machine in VxD\MSTCP.
//
// Windows NT: every card is a numbered key below
// "Software\Microsoft\Windows NT\CurrentVersion\NetworkCards" with its
// "ServiceName" and "Description" (and "Hidden" = 1 for the cards the
// network panel does not show); the service's "Parameters\Tcpip" key holds
// the addresses as multi-strings and "EnableDHCP", and
// "Services\NetBT\Adapters\<service>" its WINS servers.
#pragma once

#include <string>
#include <vector>

#include "platform/memory/memory_machine.h"

namespace qv {

struct AdapterSetup {
  std::string description;
  std::string ipAddress;
  std::string subnetMask = "255.255.255.0";
  std::string defaultGateway;
  std::string maxMTU;                    // Windows 95/98; "" leaves the value out
  std::vector<std::string> winsServers;  // NT: primary, backup; 98: up to 12; 95: the machine's two
  std::string nodeType;                  // Windows 98: the adapter's "NodeType"; "" leaves it out
  bool hidden = false;                   // Windows NT: "Hidden" = 1
  bool boundToTcpip = true;              // without it the card has no TCP/IP values
  std::string serviceName;               // Windows NT; "" makes one from the card's type
};

// The TCP/IP protocol: Windows NT's Tcpip and NetBT parameter keys, Windows
// 95/98's VxD\MSTCP key. Removing it takes those keys away (the cards stay).
void InstallTcpip(MemoryMachine& machine, const std::string& hostName = "",
                  const std::string& domain = "");
void RemoveTcpip(MemoryMachine& machine);

// Adds a card with its registry trees, numbered after the cards already
// there. The result is the key (below HKEY_LOCAL_MACHINE) that holds the
// card's TCP/IP values, "" for a card not bound to TCP/IP.
std::string AddNetworkAdapter(MemoryMachine& machine, const AdapterSetup& setup);

// Cards as a test wants them, bound to TCP/IP with the given address.
AdapterSetup EthernetCard(const std::string& ipAddress,
                          const std::string& description = "3Com Etherlink III Ethernet Adapter");
AdapterSetup TokenRingCard(const std::string& ipAddress,
                           const std::string& description = "IBM Auto 16/4 Token-Ring Adapter");
std::string AddEthernetCard(MemoryMachine& machine, const std::string& ipAddress,
                            const std::string& description = "3Com Etherlink III Ethernet Adapter");
std::string AddTokenRingCard(MemoryMachine& machine, const std::string& ipAddress,
                             const std::string& description = "IBM Auto 16/4 Token-Ring Adapter");
// Windows NT: a card marked hidden (a WAN miniport), with an address.
std::string AddHiddenCard(MemoryMachine& machine, const std::string& ipAddress,
                          const std::string& description = "WAN Miniport (PPTP)");

}  // namespace qv
