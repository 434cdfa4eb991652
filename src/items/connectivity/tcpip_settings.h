// TCP/IP, WINS and DNS settings. The two per-adapter items find the network
// adapters bound to TCP/IP on the running system and, on load, pair each
// adapter of the settings file with one of this computer's adapters: by name
// first, then by adapter type, since two computers rarely have the same card.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/settings.h"

// One network adapter bound to TCP/IP.
struct TAdapterInfo {
  std::string Description;  // the card's display name: the pairing key
  std::string TcpipKey;     // under HKEY_LOCAL_MACHINE: the adapter's TCP/IP values
  std::string DefaultGateway;
  std::string SubnetMask;
  std::string IPAddress;
  std::string MaxMTU;  // empty on Windows NT
  std::string Spare;
  std::string NetBTKey;  // Windows NT: the adapter's NetBIOS-over-TCP/IP key
  std::array<std::string, 12> WinsServers;
  std::int32_t WinsServerCount = 0;
  bool Matched = false;
};

// The adapters of one side (this computer, or the computer that wrote a
// settings file).
class TAdapterList {
 public:
  static constexpr std::int32_t kMaxAdapters = 10;
  static constexpr std::int32_t kMaxWinsServers = 12;

  // With `discover` the list is filled from the running system at once.
  explicit TAdapterList(bool discover);

  // Appends an adapter; false (and nothing kept) when the list is full.
  bool Add(const TAdapterInfo& adapter);
  void Clear();

  bool Found = false;
  std::int32_t Count = 0;
  std::array<TAdapterInfo, kMaxAdapters> Adapters;
  bool WinsEnabled = false;
  std::string ScopeID;
  std::string NodeType;
};

// Base of the IP and WINS items.
class TTCPIPSettings : public TSettings {
 public:
  TTCPIPSettings();
  bool RequiresRegistryAccess() override { return true; }

  // Applies one source adapter's settings to system adapter `index`.
  virtual void ProcessAdapter(TConnection& stream, std::int32_t index,
                              const TAdapterInfo& source) = 0;

  static bool IsTcpipInstalled();
  // Fills `list` from the running system; true when adapters bound to
  // TCP/IP were found.
  static bool DiscoverAdapters(TAdapterList& list);
  // Pairs SourceAdapters with SystemAdapters and applies each pair; then
  // looks at the system again. False when TCP/IP is not installed.
  bool MatchAdapters(TConnection& stream);
  // Pairs at most one couple whose descriptions both contain `keyword`
  // (any couple for the empty keyword).
  void MatchAdaptersByType(TConnection& stream, const std::string& keyword);

  TAdapterList SystemAdapters{true};
  TAdapterList SourceAdapters{false};
  bool AdaptersFound = false;

 protected:
  // "1 Network Adapter found." or the count and " Network Adapters found.".
  std::string AdapterCountLine() const;
};

// "TCPIP Configuration": address, mask and gateway of every adapter.
class TIPSettings : public TTCPIPSettings {
 public:
  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;
  void ProcessAdapter(TConnection& stream, std::int32_t index,
                      const TAdapterInfo& source) override;

 private:
  void Describe(TConnection& stream);
};

// "WINS Configuration": the WINS servers of every adapter, the NetBIOS
// scope and the node type.
class TWINSSettings : public TTCPIPSettings {
 public:
  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;
  void ProcessAdapter(TConnection& stream, std::int32_t index,
                      const TAdapterInfo& source) override;

 private:
  void Describe(TConnection& stream);
};

// "DNS Configuration": the machine-wide resolver settings. Name server and
// suffix lists travel comma-separated; Windows NT keeps them blank-separated.
class TDNSSettings : public TSettings {
 public:
  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;
  bool RequiresRegistryAccess() override { return true; }

  std::string Domain;
  std::string HostName;
  std::string NameServer;
  std::string Searchlist;
  std::string EnableDNS;

 private:
  void Describe(TConnection& stream);
  void LogValues();
};

// Where the systems keep their TCP/IP settings (under HKEY_LOCAL_MACHINE).
inline constexpr const char* kMstcpKey = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";
inline constexpr const char* kTcpipParametersKey =
    "system\\currentcontrolset\\services\\tcpip\\parameters";
inline constexpr const char* kNetBTParametersKey =
    "System\\CurrentControlSet\\Services\\NetBT\\Parameters";
inline constexpr const char* kNetworkCardsKey =
    "Software\\Microsoft\\Windows nt\\Currentversion\\Networkcards";
