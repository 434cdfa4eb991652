// Dial-up entries: the entry codec, the phone book of the memory machine,
// and the item between machines with and without dial-up networking.
#include "items/connectivity/ras_settings.h"
#include "platform/memory/memory_dialup.h"
#include "stream/win_structs_ras.h"
#include "support/item_fixture.h"

namespace qv::test {
namespace {

// An entry block as a system stores it, with recognisable bytes also
// outside the fields the program knows.
std::vector<std::uint8_t> MakeEntry(const std::string& phone, const std::string& deviceName,
                                    const std::string& deviceType = "modem") {
  std::vector<std::uint8_t> block(RasEntrySize, 0);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i * 7);
  RasEntryFields f;
  f.size = RasEntrySize;
  f.options = 0x10;
  f.countryId = 44;
  f.countryCode = 44;
  f.areaCode = "0207";
  f.phoneNumber = phone;
  f.ipAddress = {10, 1, 2, 3};
  f.dns = {192, 168, 0, 1};
  f.dnsAlt = {192, 168, 0, 2};
  f.wins = {172, 16, 0, 9};
  f.winsAlt = {0, 0, 0, 0};
  f.script = "C:\\dial.scp";
  f.autodialDll = "autodial.dll";
  f.autodialFunc = "AutoDialFunc";
  f.deviceType = deviceType;
  f.deviceName = deviceName;
  f.EncodeInto(block);
  return block;
}

TEST(RasEntryCodec, FieldsSitAtTheirOffsetsAndOtherBytesStay) {
  std::vector<std::uint8_t> block = MakeEntry("5551234", "Sportster 56k");
  EXPECT_EQ(block.size(), 1768u);
  EXPECT_EQ(EntrySizeField(block), 1768u);
  EXPECT_EQ(block[8], 44);                                        // country id
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&block[16])), "0207");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&block[27])), "5551234");
  EXPECT_EQ(block[160], 10);
  EXPECT_EQ(block[163], 3);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&block[972])), "modem");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&block[989])), "Sportster 56k");
  EXPECT_EQ(block[180], static_cast<std::uint8_t>(180 * 7));     // frame size: untouched
  EXPECT_EQ(block[1767], static_cast<std::uint8_t>(1767 * 7));
  const RasEntryFields f = RasEntryFields::Decode(block);
  EXPECT_EQ(f.script, "C:\\dial.scp");
  EXPECT_EQ(f.autodialFunc, "AutoDialFunc");
  EXPECT_EQ(DottedAddress(f.dns), "192.168.0.1");

  // Texts are cut to their field and always end with a zero.
  RasEntryFields g = f;
  g.deviceName = std::string(300, 'N');
  g.deviceType = std::string(40, 'T');
  g.EncodeInto(block);
  EXPECT_EQ(RasEntryFields::Decode(block).deviceName, std::string(128, 'N'));
  EXPECT_EQ(RasEntryFields::Decode(block).deviceType, std::string(16, 'T'));
  EXPECT_EQ(block[989 + 128], 0);
  EXPECT_EQ(block[972 + 16], 0);
  EXPECT_EQ(block[1118], static_cast<std::uint8_t>(1118 * 7));  // the X.25 pad type after it
}

class RasTest : public ItemTest {
 protected:
  static void Devices(MemoryMachine& m, std::vector<RasDevice> devices) {
    DialUpOf(m).devices = std::move(devices);
  }
  static void AddEntry(MemoryMachine& m, const std::string& name, std::vector<std::uint8_t> bytes,
                       WinError readError = 0) {
    DialUpOf(m).entries.push_back(mem::RasBookEntry{name, std::move(bytes), readError});
  }
  static const mem::RasBookEntry* Entry(MemoryMachine& m, const std::string& name) {
    for (const mem::RasBookEntry& e : DialUpOf(m).entries)
      if (e.name == name) return &e;
    return nullptr;
  }
};

TEST_F(RasTest, EntriesMoveWithEveryByteOnEachKind) {
  for (OSKind from : {okWin95, okWinNT}) {
    for (OSKind to : {okWin98, okWinNT}) {
      MemoryMachine source(from), target(to);
      Devices(source, {{"modem", "Sportster 56k"}});
      Devices(target, {{"isdn", "ISDN Card"}, {"modem", "Sportster 56k"}});
      AddEntry(source, "Office", MakeEntry("5551234", "Sportster 56k"));
      const ItemResult saved = Save<TRASSettings>(source);
      EXPECT_TRUE(saved.ok);
      EXPECT_EQ(Written(), 4 + 4 + 6 + 1768);
      EXPECT_TRUE(saved.Has("1 RAS Phone Book Entries found."));
      EXPECT_TRUE(saved.Has("PhoneNumber : 5551234"));
      const ItemResult loaded = Load<TRASSettings>(target);
      EXPECT_TRUE(loaded.ok);
      ASSERT_NE(Entry(target, "Office"), nullptr);
      EXPECT_EQ(Entry(target, "Office")->bytes, MakeEntry("5551234", "Sportster 56k"));
      EXPECT_FALSE(loaded.Has("WARNING : RAS Settings :"));
      EXPECT_TRUE(loaded.Has("DeviceName : Sportster 56k"));
      EXPECT_TRUE(LogHas("TRASSettings::SetEntry : Successful"));
    }
  }
}

TEST_F(RasTest, AModemOnlyOnTheSourceIsReplacedByTheTargetsFirstDevice) {
  MemoryMachine source(okWin98), target(okWinNT);
  Devices(source, {{"modem", "Sportster 56k"}});
  Devices(target, {{"modem", "Courier V.Everything"}, {"isdn", "ISDN Card"}});
  AddEntry(source, "Office", MakeEntry("5551234", "Sportster 56k", "modem"));
  Save<TRASSettings>(source);
  const ItemResult loaded = Load<TRASSettings>(target);
  const std::vector<std::string> expected = {
      "WARNING : RAS Settings :",
      "The device \"Sportster 56k\" does not exist.",
      "The Dial-up Networking connection \"Office\" will be installed with a default device "
      "type of \"Courier V.Everything\"",
      ""};
  auto at = std::search(loaded.lines.begin(), loaded.lines.end(), expected.begin(), expected.end());
  EXPECT_NE(at, loaded.lines.end());
  ASSERT_NE(Entry(target, "Office"), nullptr);
  const RasEntryFields f = RasEntryFields::Decode(Entry(target, "Office")->bytes);
  EXPECT_EQ(f.deviceName, "Courier V.Everything");
  EXPECT_EQ(f.deviceType, "modem");
  EXPECT_EQ(f.phoneNumber, "5551234");
}

TEST_F(RasTest, AnUnreadableEntryIsReportedAndLeftOutWithoutFailingTheSave) {
  MemoryMachine source(okWinNT);
  AddEntry(source, "Office", MakeEntry("5551234", "Standard Modem"));
  AddEntry(source, "Broken", MakeEntry("1", "Standard Modem"), 625);
  const ItemResult saved = Save<TRASSettings>(source);
  EXPECT_TRUE(saved.ok);  // the last entry read failed, the section did not
  EXPECT_TRUE(saved.Has("The Dial-up Network entry \"Broken\" is invalid."));
  EXPECT_TRUE(saved.Has("2 RAS Phone Book Entries found."));
  EXPECT_EQ(Written(), 4 + 4 + 6 + 1768);
  auto reader = ReaderOf(written());
  EXPECT_EQ(reader->ReadInteger(), 1);
  EXPECT_EQ(reader->ReadString(), "Office");
}

TEST_F(RasTest, AnEntryThatCannotBeCreatedIsReportedInFullWithDottedAddresses) {
  MemoryMachine source(okWinNT), target(okWinNT);
  AddEntry(source, "Lab [2]", MakeEntry("5559876", "Standard Modem"));
  AddEntry(source, "Office", MakeEntry("5551234", "Standard Modem"));
  Save<TRASSettings>(source);
  const ItemResult loaded = Load<TRASSettings>(target);
  EXPECT_TRUE(loaded.ok);
  const std::vector<std::string> expected = {
      "WARNING : The following RAS entry could not be created for the following reason :",
      "The filename, directory name, or volume label syntax is incorrect.",
      "",
      "Connection configuration : ",
      "Name : Lab [2]",
      "CountryID : 44",
      "CountryCode : 44",
      "AreaCode : 0207",
      "PhoneNumber : 5559876",
      "Script : C:\\dial.scp",
      "AutoDial DLL : autodial.dll",
      "AutoDial Func : AutoDialFunc",
      "DeviceType : modem",
      "DeviceName : Standard Modem",
      "IPAddress : 10.1.2.3",
      "IP DNS : 192.168.0.1",
      "IP DNS Alternate : 192.168.0.2",
      "IP WINS : 172.16.0.9",
      "IP WINS Alternate : 0.0.0.0",
      ""};
  auto at = std::search(loaded.lines.begin(), loaded.lines.end(), expected.begin(), expected.end());
  EXPECT_NE(at, loaded.lines.end());
  EXPECT_TRUE(LogHas("TRASSettings::SetEntry Failed. Entry name is Lab [2]"));
  EXPECT_EQ(Entry(target, "Lab [2]"), nullptr);
  EXPECT_NE(Entry(target, "Office"), nullptr);  // the load went on
  EXPECT_TRUE(loaded.Has("1 RAS Phone Book Entries found."));
}

TEST_F(RasTest, ASystemExpectingAnotherSizeIsAskedForItAndAnswered) {
  MemoryMachine source(okWinNT), target(okWinNT);
  DialUpOf(source).entrySize = 2884;
  DialUpOf(target).entrySize = 2884;
  std::vector<std::uint8_t> big = MakeEntry("5551234", "Standard Modem");
  big.resize(2884, 0xEE);
  big[0] = 0x44, big[1] = 0x0B;  // 2884
  AddEntry(source, "Office", big);
  const ItemResult saved = Save<TRASSettings>(source);
  EXPECT_TRUE(LogHas("Corrected dwsize = 2884"));
  EXPECT_TRUE(saved.Has("PhoneNumber : 5551234"));
  const ItemResult loaded = Load<TRASSettings>(target);
  EXPECT_TRUE(LogHas("RAS : SetEntry1  603 The buffer is too small."));
  ASSERT_NE(Entry(target, "Office"), nullptr);
  const std::vector<std::uint8_t>& stored = Entry(target, "Office")->bytes;
  ASSERT_EQ(stored.size(), 2884u);
  EXPECT_EQ(EntrySizeField(stored), 2884u);
  EXPECT_TRUE(std::equal(stored.begin() + 4, stored.begin() + 1768, big.begin() + 4));
  EXPECT_EQ(stored[2000], 0);  // the later fields the program does not carry

  // A system whose structure is smaller answers with its own error.
  MemoryMachine older(okWin95);
  DialUpOf(older).entrySize = 1676;
  const ItemResult refused = Load<TRASSettings>(older);
  EXPECT_TRUE(refused.Has("The structure size is incorrect."));
  EXPECT_EQ(Entry(older, "Office"), nullptr);
}

TEST_F(RasTest, WithoutTheLibraryOrAFunctionNothingIsCarriedOrCreated) {
  MemoryMachine source(okWinNT), target(okWin95), missing(okWinNT);
  AddEntry(source, "Office", MakeEntry("5551234", "Standard Modem"));
  DialUpOf(target).installed = false;
  DialUpOf(missing).missing = {RasFunction::EnumDevices, RasFunction::GetErrorString};
  Save<TRASSettings>(source);
  const ItemResult loaded = Load<TRASSettings>(target);
  EXPECT_TRUE(loaded.ok);
  EXPECT_EQ(Consumed(), Written());
  EXPECT_TRUE(loaded.Has("Remote Access Services are not installed on this system."));
  EXPECT_TRUE(DialUpOf(target).entries.empty());
  EXPECT_TRUE(LogHas("RAS is not installed"));
  EXPECT_TRUE(LogHas("... Loaded Library RASAPI32.DLL 0"));

  AddEntry(missing, "Home", MakeEntry("1", "Standard Modem"));
  const ItemResult saved = Save<TRASSettings>(missing);
  EXPECT_EQ(Written(), 4);
  EXPECT_TRUE(LogHas("m_fnRasEnumDevices is NULL"));
  EXPECT_TRUE(LogHas("m_fnRasGetErrorString is NULL"));
  EXPECT_FALSE(LogHas("m_fnRasEnumEntries is NULL"));
  EXPECT_EQ(saved.lines, (std::vector<std::string>{
                             "Remote Access Services are not installed on this system.", ""}));
}

TEST_F(RasTest, WithoutDevicesTheTargetSaysSoOnceAndCreatesNothing) {
  MemoryMachine source(okWinNT), target(okWinNT);
  AddEntry(source, "Office", MakeEntry("5551234", "Standard Modem"));
  AddEntry(source, "Home", MakeEntry("5554321", "Standard Modem"));
  Devices(target, {});
  Save<TRASSettings>(source);
  const ItemResult loaded = Load<TRASSettings>(target);
  EXPECT_EQ(std::count(loaded.lines.begin(), loaded.lines.end(),
                       "There are no Dial-up devices installed. Dial-up Networking entries cannot "
                       "be created."),
            1);
  EXPECT_TRUE(DialUpOf(target).entries.empty());
  EXPECT_TRUE(LogHas("0 devices found."));
}

TEST_F(RasTest, APhoneBookThatDoesNotOpenIsReported) {
  MemoryMachine source(okWinNT);
  AddEntry(source, "Office", MakeEntry("5551234", "Standard Modem"));
  DialUpOf(source).bookError = 621;
  const ItemResult saved = Save<TRASSettings>(source);
  EXPECT_TRUE(saved.Has("An error occured retrieving RAS Phone book entries. Ensure Dial-up "
                        "networking is correctly installed."));
  EXPECT_TRUE(saved.Has("The system could not open the phone book file."));
  EXPECT_TRUE(LogHas("RAS : 0.  621 The system could not open the phone book file."));
  EXPECT_EQ(Written(), 4);
}

TEST_F(RasTest, CountsBeyondTheStreamAreReadErrors) {
  MemoryMachine target(okWinNT);
  TWriteMemoryConnection& w = NewPayload(okWinNT);
  w.WriteInteger(3);
  w.WriteString("Office");
  std::vector<std::uint8_t> block = MakeEntry("1", "Standard Modem");
  w.WriteBuffer(block.data(), 1768);
  EXPECT_THROW(Load<TRASSettings>(target), EConnectionReadError);
  EXPECT_TRUE(DialUpOf(target).entries.empty());
  NewPayload(okWinNT).WriteInteger(-5);
  EXPECT_THROW(Load<TRASSettings>(target), EConnectionReadError);
}

}  // namespace
}  // namespace qv::test
