// What the program relies on from the dial-up calls of a machine with
// dial-up networking installed. Wine's RASAPI32 is a stub (one virtual
// modem, an empty phone book, every entry call answering success without
// storing or reading anything, no error texts); where it differs from
// Windows the suite says so and pins the in-memory machine to Windows.
#include "platform/contract/fixture.h"
#include "platform/dialup.h"

namespace qv::test {
namespace {

class DialUpContract : public ContractTest {
 protected:
  IDialUp& ras() { return *bench().machine().DialUp(); }
};

TEST_P(DialUpContract, TheLibraryAndItsFiveFunctionsAreFound) {
  ASSERT_NE(bench().machine().DialUp(), nullptr);
  EXPECT_NE(ras().LibraryHandle(), 0u);
  for (RasFunction f : {RasFunction::GetEntryProperties, RasFunction::SetEntryProperties,
                        RasFunction::EnumEntries, RasFunction::GetErrorString,
                        RasFunction::EnumDevices})
    EXPECT_TRUE(ras().Has(f)) << static_cast<int>(f);
}

TEST_P(DialUpContract, DevicesHaveATypeAndAName) {
  std::vector<RasDevice> devices;
  ASSERT_EQ(ras().EnumDevices(devices), err::Success);
  ASSERT_FALSE(devices.empty());
  for (const RasDevice& d : devices) {
    EXPECT_FALSE(d.type.empty());
    EXPECT_FALSE(d.name.empty());
  }
}

TEST_P(DialUpContract, EntriesAreListedWhenThereIsRoomAndCountedWhenThereIsNot) {
  std::vector<std::string> names;
  std::uint32_t bytes = 0, count = 0;
  const WinError e = ras().EnumEntries(1, names, bytes, count);
  if (e == err::Success) {
    EXPECT_EQ(names.size(), count);
  } else {
    EXPECT_EQ(e, err::BufferTooSmall);
    EXPECT_GT(count, 1u);
    EXPECT_GE(bytes, count * 264u);
    EXPECT_TRUE(names.empty());
  }
}

TEST_P(DialUpContract, UnknownEntriesAndUnusableNamesAreRefused) {
  if (bench().wine()) GTEST_SKIP() << "Wine's entry calls answer success without a phone book";
  std::vector<std::uint8_t> entry(RasEntrySize, 0);
  entry[0] = RasEntrySize & 0xFF;
  entry[1] = RasEntrySize >> 8;
  std::uint32_t size = RasEntrySize;
  EXPECT_EQ(ras().GetEntryProperties("Qorvel no such entry", entry, size),
            err::CannotFindPhonebookEntry);
  EXPECT_EQ(ras().SetEntryProperties("", entry), err::InvalidName);
  EXPECT_EQ(ras().SetEntryProperties("Bad\r\nName", entry), err::InvalidName);
  EXPECT_FALSE(ras().ErrorString(err::BufferTooSmall).empty());
}

QV_CONTRACT_SUITE(DialUpContract);

}  // namespace
}  // namespace qv::test
