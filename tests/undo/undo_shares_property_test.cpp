// The undo property over shares, mapped drives and dial-up entries: loading
// a file saved on any kind of machine and undoing the load leaves the
// target as it was, except for what undo cannot take back:
// - a drive the load mapped stays mapped (and remembered): a network
//   connection is neither a file nor a registry value the undo manager
//   knows, and re-applying the captured drives only maps what was there;
// - a phone-book entry the load created stays: the phone book is reached
//   only through the dial-up library, which can create and replace entries
//   but is never asked to delete one. Entries the load replaced get their
//   captured bytes back, as long as they name a device the target has (an
//   entry left pointing at a removed modem comes back re-pointed to the
//   target's first device, as any load of it would).
// The property checks that exactly those leftovers remain.
#include <random>

#include "config/cat_config.h"
#include "items/connectivity/shared_settings.h"
#include "platform/memory/memory_dialup.h"
#include "registry/reg_utils.h"
#include "stream/win_structs_ras.h"
#include "support/memory_fixture.h"
#include "support/property_rounds.h"
#include "support/undo_round.h"

namespace qv::test {
namespace {

const char* const kShareNames[] = {"DOCS", "TOOLS", "ENGINEERING-DOCS", "Public"};
const char* const kServers[] = {"\\\\FILER\\DOCS", "\\\\FILER\\APPS", "\\\\NAS\\MEDIA"};
const char* const kEntryNames[] = {"Office", "Home", "Lab line"};

struct Round {
  std::vector<std::pair<std::string, std::string>> drives;  // letter, remote on the source
  std::vector<std::string> entries;                          // names on the source
};

void RandomShares(std::mt19937& rng, MemoryMachine& m, int most) {
  MachineScope on(m);
  const int n = std::uniform_int_distribution<int>(0, most)(rng);
  for (int i = 0; i < n; ++i) {
    const std::string name = kShareNames[std::uniform_int_distribution<int>(0, 3)(rng)];
    const std::string path = Pick(rng, {"c:\\docs", "D:\\Tools", "C:\\Share Me"});
    const std::string remark = Coin(rng) ? "" : Pick(rng, {"Team", "Old stuff"});
    if (m.Kind() == okWinNT) {
      std::string lines = "MaxUses=3";
      lines.push_back('\0');
      lines += "Path=" + path;
      lines.push_back('\0');
      if (!remark.empty()) {
        lines += "Remark=" + remark;
        lines.push_back('\0');
      }
      lines.push_back('\0');
      RegKey k = 0;
      m.Registry().CreateKey(hkey::LocalMachine, kSharesKeyNT, k, nullptr);
      m.Registry().SetValue(k, name, regtype::MultiSz,
                            reinterpret_cast<const std::uint8_t*>(lines.data()),
                            static_cast<std::uint32_t>(lines.size()));
      m.Registry().CloseKey(k);
      const std::uint8_t sd[] = {1, 0, 4, 0x80, static_cast<std::uint8_t>(i)};
      UTLSetRegBinary(hkey::LocalMachine, std::string(kSharesKeyNT) + "\\Security", name, sd,
                      sizeof sd);
    } else {
      const std::string key = std::string(kSharesKey9x) + "\\" + name;
      UTLSetRegString(hkey::LocalMachine, key, "Path", path);
      UTLSetRegString(hkey::LocalMachine, key, "Remark", remark);
      UTLSetRegDWORD(hkey::LocalMachine, key, "Flags", Coin(rng) ? 0x102 : 0x191);
      const std::uint8_t secret[] = {static_cast<std::uint8_t>(i), 1, 2};
      UTLSetRegBinary(hkey::LocalMachine, key, "Parm1enc", secret, sizeof secret);
    }
  }
}

std::vector<std::uint8_t> RandomEntry(std::mt19937& rng, const std::string& device) {
  std::vector<std::uint8_t> block(RasEntrySize);
  for (std::uint8_t& b : block) b = static_cast<std::uint8_t>(rng());
  RasEntryFields f = RasEntryFields::Decode(block);
  f.size = RasEntrySize;
  f.phoneNumber = std::to_string(rng() % 10000000);
  f.deviceType = "modem";
  f.deviceName = device;
  // Texts as a system keeps them: zeros after the terminator.
  f.areaCode = "01";
  f.script = f.autodialDll = f.autodialFunc = "";
  f.EncodeInto(block);
  return block;
}

void RandomPhoneBook(std::mt19937& rng, MemoryMachine& m, int most, std::vector<std::string>* names) {
  mem::DialUpState& d = DialUpOf(m);
  d.devices = {{"modem", Pick(rng, {"Standard Modem", "Sportster 56k"})}};
  if (Coin(rng)) d.devices.push_back({"isdn", "ISDN Card"});
  const int n = std::uniform_int_distribution<int>(0, most)(rng);
  for (int i = 0; i < n; ++i) {
    const std::string name = kEntryNames[std::uniform_int_distribution<int>(0, 2)(rng)];
    bool known = false;
    for (const mem::RasBookEntry& e : d.entries) known = known || e.name == name;
    if (known) continue;
    // The target's entries name its own devices; the source's may name a
    // device the target lacks.
    const std::string device =
        names ? Pick(rng, {"Standard Modem", "Sportster 56k"}) : d.devices.front().name;
    d.entries.push_back({name, RandomEntry(rng, device), 0});
    if (names) names->push_back(name);
  }
}

bool StartsWith(const std::string& s, const std::string& p) { return s.rfind(p, 0) == 0; }
bool EndsWith(const std::string& s, const std::string& p) {
  return s.size() >= p.size() && s.compare(s.size() - p.size(), p.size(), p) == 0;
}

TEST(UndoSharesProperty, UndoLeavesOnlyTheDrivesAndEntriesItCannotTakeBack) {
  const unsigned rounds = PropertyRounds(40);
  for (unsigned seed = 1; seed <= rounds; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    const OSKind kinds[] = {okWin95, okWin98, okWinNT};
    MemoryMachine source(kinds[rng() % 3]), target(kinds[rng() % 3]);
    Round round;
    RandomShares(rng, source, 3);
    RandomShares(rng, target, 2);
    RandomPhoneBook(rng, source, 3, &round.entries);
    RandomPhoneBook(rng, target, 2, nullptr);
    for (const char* letter : {"E:", "F:", "G:"}) {
      if (!Coin(rng)) continue;
      const std::string remote = kServers[rng() % 3];
      source.AddShare(remote);
      source.Network()->AddDriveConnection(letter, remote, "", 0);
      round.drives.push_back({letter, remote});
    }
    // The target knows some of the servers and has some letters in use.
    for (const char* remote : kServers)
      if (Coin(rng)) target.AddShare(remote);
    if (Coin(rng)) {
      target.AddShare("\\\\NAS\\MEDIA");
      target.Network()->AddDriveConnection("F:", "\\\\NAS\\MEDIA", "", 0);
    }

    // What the load will map and create, which undo leaves.
    int mapped = 0;
    for (const auto& [letter, remote] : round.drives) {
      std::string there;
      if (target.Network()->DriveConnection(letter, there) == err::Success) continue;
      // A share is reachable when the target was given it.
      MemoryMachine probe(target);
      if (probe.Network()->AddDriveConnection("", remote, "", 0) == err::Success) ++mapped;
    }
    int created = 0;
    for (const std::string& name : round.entries) {
      bool there = false;
      for (const mem::RasBookEntry& e : DialUpOf(target).entries) there = there || e.name == name;
      if (!there) ++created;
    }

    const std::vector<std::string> left = LoadThenUndo(
        source, target,
        [] {
          for (const char* item :
               {"Shared Folders and Drives", "Mapped Drives", "RAS Networking connections"})
            CurrentConfig().ConnectivityItems.SetSelected(item, true);
        },
        [] {});
    int connections = 0, entries = 0;
    for (const std::string& line : left) {
      if (StartsWith(line, "network connection ") && EndsWith(line, ": only in second")) {
        ++connections;
      } else if (StartsWith(line, "dial-up entry \"") && EndsWith(line, ": only in second")) {
        ++entries;
      } else if (StartsWith(line, "registry HKEY_CURRENT_USER\\Network") && mapped > 0) {
        // where the mapped drives are remembered
      } else {
        ADD_FAILURE() << "undo left: " << line;
      }
    }
    EXPECT_EQ(connections, mapped);
    EXPECT_EQ(entries, created);
  }
}

}  // namespace
}  // namespace qv::test
