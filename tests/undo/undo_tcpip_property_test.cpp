// The undo property over the TCP/IP, WINS and DNS items: random adapters and
// values on a source of any kind and on the target; loading and undoing
// leaves the target as it was, values and keys the load created included.
//
// What the items cannot give back by design stays out of the targets and is
// pinned by the item tests: Windows 95/98 WINS servers are carried without
// their gaps (a target's servers have none here), a Windows 98 machine has
// one node type for all its adapters, an empty WINS value on Windows NT is
// taken as none, and Windows NT keeps blank-separated DNS lists.
#include <gtest/gtest.h>

#include <random>

#include "config/cat_config.h"
#include "config/options.h"
#include "engine/status.h"
#include "platform/memory/memory_adapters.h"
#include "engine/program.h"
#include "registry/reg_utils.h"
#include "support/property_rounds.h"
#include "support/undo_round.h"

namespace qv::test {
namespace {

constexpr const char* kMstcp = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";
constexpr const char* kTcpipParameters = "System\\CurrentControlSet\\Services\\Tcpip\\Parameters";
constexpr const char* kNetBTParameters = "System\\CurrentControlSet\\Services\\NetBT\\Parameters";
const char* const kItems[] = {"TCPIP Configuration", "DNS Configuration", "WINS Configuration"};

class UndoTcpipProperty : public ::testing::TestWithParam<OSKind> {};

std::string Address(std::mt19937& rng) {
  if (Coin(rng) && Coin(rng)) return "0.0.0.0";
  return "10." + std::to_string(rng() % 4) + "." + std::to_string(rng() % 8) + "." +
         std::to_string(1 + rng() % 200);
}

// Random cards and TCP/IP settings on `m`, drawn before any program objects
// exist (the cards are put in the registry directly).
void Randomize(MemoryMachine& m, std::mt19937& rng, bool target) {
  const bool installed = !target || rng() % 6 != 0;
  if (installed) InstallTcpip(m, Pick(rng, {"alpha", "bravo", ""}), Pick(rng, {"", "corp.example"}));
  const bool nt = m.Kind() == okWinNT, w98 = m.Kind() == okWin98;
  const std::string nodeType = Pick(rng, {"", "1", "8"});
  const unsigned cards = rng() % 4;
  for (unsigned i = 0; i < cards; ++i) {
    AdapterSetup a;
    a.description = Pick(rng, {"NE2000 Compatible Ethernet", "IBM Token-Ring 16/4", "Madge Token Ring",
                               "3Com Etherlink III", "Wireless X"});
    a.ipAddress = Address(rng);
    if (!nt && Coin(rng)) a.ipAddress.clear();
    a.subnetMask = Pick(rng, {"255.255.255.0", "255.255.0.0"});
    if (Coin(rng)) a.defaultGateway = Address(rng);
    if (!nt && Coin(rng)) a.maxMTU = Pick(rng, {"576", "1500"});
    a.hidden = nt && rng() % 5 == 0;
    a.boundToTcpip = rng() % 6 != 0;
    // Servers without gaps on Windows 95/98; Windows NT keeps each in its place.
    const unsigned servers = rng() % (w98 ? 5 : 3);
    for (unsigned n = 0; n < servers; ++n)
      a.winsServers.push_back(nt && Coin(rng) ? "" : "10.9." + std::to_string(i) + "." + std::to_string(n));
    if (w98) a.nodeType = nodeType;
    AddNetworkAdapter(m, a);
  }
  MachineScope on(m);
  auto maybe = [&](const char* key, const char* name, std::initializer_list<const char*> values) {
    if (Coin(rng)) UTLSetRegString(hkey::LocalMachine, key, name, Pick(rng, values));
  };
  if (!installed) return;
  if (nt) {
    maybe(kTcpipParameters, "NameServer", {"10.0.0.53", "10.0.0.53 10.0.1.53", ""});
    maybe(kTcpipParameters, "SearchList", {"corp.example lab.example", "lab.example"});
    maybe(kNetBTParameters, "ScopeID", {"SCOPE", "HARBOUR"});
  } else {
    maybe(kMstcp, "NameServer", {"10.0.0.53", "10.0.0.53,10.0.1.53"});
    maybe(kMstcp, "SearchList", {"corp.example,lab.example"});
    maybe(kMstcp, "EnableDNS", {"0", "1"});
    maybe(kMstcp, "ScopeID", {"SCOPE", "HARBOUR"});
    if (!w98) maybe(kMstcp, "NodeType", {"1", "8"});
  }
}

TEST_P(UndoTcpipProperty, LoadThenUndoLeavesTheTargetsNetworkAsItWas) {
  const OSKind kind = GetParam();
  EachRound(kind, PropertyRounds(30), [&](auto& rng, auto& source, auto& target) {
    Randomize(source, rng, false);
    Randomize(target, rng, true);
    auto differences = LoadThenUndo(
        source, target,
        [&] {
          for (const char* item : kItems) CurrentConfig().ConnectivityItems.SetSelected(item, Coin(rng));
        },
        [&] { Options().CreateBackup = Coin(rng); });
    EXPECT_EQ(differences, std::vector<std::string>{});
  });
}

INSTANTIATE_TEST_SUITE_P(Kinds, UndoTcpipProperty, ::testing::Values(okWin95, okWin98, okWinNT),
                         [](const auto& info) { return std::to_string(info.param); });

}  // namespace
}  // namespace qv::test
