// The dial-up port, the re-created share's security descriptor and the
// three items on the real system (Wine on the build machines: RASAPI32
// exports only the "A" names, offers one device and an empty phone book;
// WNetAddConnection3 answers that there is no network).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "engine/debug_log.h"
#include "engine/program.h"
#include "engine/status.h"
#include "items/connectivity/ras_settings.h"
#include "items/connectivity/shared_settings.h"
#include "platform/machine.h"
#include "platform/network.h"
#include "platform/win32/win32_dialup.h"
#include "stream/connection.h"
#include "stream/win_structs_ras.h"
#include "support/streams.h"

namespace qv::test {
namespace {

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  for (const std::string& l : lines)
    if (l == line) return true;
  return false;
}

TEST(Win32DialUp, TheLibraryLoadsAndEveryFunctionIsFoundUnderOneOfItsNames) {
  Win32DialUp ras;
  ASSERT_NE(ras.LibraryHandle(), 0u);
  for (RasFunction f : {RasFunction::GetEntryProperties, RasFunction::SetEntryProperties,
                        RasFunction::EnumEntries, RasFunction::GetErrorString,
                        RasFunction::EnumDevices})
    EXPECT_TRUE(ras.Has(f)) << static_cast<int>(f);
  // The plain names may be missing (Wine has only the "A" ones): the
  // lookup falls back to them.
  HMODULE module = GetModuleHandleA("RASAPI32.DLL");
  ASSERT_NE(module, nullptr);
  EXPECT_TRUE(GetProcAddress(module, "RasEnumDevices") || GetProcAddress(module, "RasEnumDevicesA"));
}

TEST(Win32DialUp, DevicesAndThePhoneBookAreRead) {
  Win32DialUp ras;
  std::vector<RasDevice> devices;
  ASSERT_EQ(ras.EnumDevices(devices), err::Success);
  ASSERT_FALSE(devices.empty());
  EXPECT_FALSE(devices[0].type.empty());
  EXPECT_FALSE(devices[0].name.empty());
  std::vector<std::string> names;
  std::uint32_t bytes = 0, count = 99;
  const WinError e = ras.EnumEntries(1, names, bytes, count);
  ASSERT_TRUE(e == err::Success || e == err::BufferTooSmall) << e;
  if (e == err::Success) {
    EXPECT_EQ(names.size(), count);
  }
  // Storing an entry of the carried size is accepted (Wine stores nothing).
  std::vector<std::uint8_t> entry(RasEntrySize, 0);
  RasEntryFields f = RasEntryFields::Decode(entry);
  f.size = RasEntrySize;
  f.phoneNumber = "5550100";
  f.deviceType = devices[0].type;
  f.deviceName = devices[0].name;
  f.EncodeInto(entry);
  EXPECT_EQ(ras.SetEntryProperties("Qorvel test entry", entry), err::Success);
}

class Win32Items : public ::testing::Test {
 protected:
  Win32Items() : program_(""), statusScope_(status_) {}
  std::vector<std::string> log() const { return log_.Lines(); }

 private:
  ProgramObjects program_;
  TRecordingStatus status_;
  StatusScope statusScope_;
  DebugLogRecorder log_;
};

TEST_F(Win32Items, TheDialUpItemSeesTheSystemsDevicesAndPhoneBook) {
  Win32DialUp ras;
  std::vector<RasDevice> devices;
  ras.EnumDevices(devices);
  TRASSettings item;
  EXPECT_TRUE(item.RasInstalled);
  EXPECT_TRUE(item.DevicesPresent);
  ASSERT_EQ(item.DeviceNames.size(), devices.size());
  EXPECT_TRUE(Has(log(), std::to_string(devices.size()) + " devices found."));
  EXPECT_TRUE(Has(log(), devices[0].type + " " + devices[0].name));
  EXPECT_TRUE(Has(log(), "RAS is installed"));
  TCommentConnection comments;
  EXPECT_TRUE(item.Write(comments));
  EXPECT_TRUE(Has(*comments.GetComments(),
                  std::to_string(item.Entries.size()) + " RAS Phone Book Entries found."));
}

TEST_F(Win32Items, MappingADriveReportsTheSystemsAnswer) {
  TWriteMemoryConnection payload;
  payload.Initialize();
  payload.WriteInteger(1);
  payload.WriteString("Q:");
  payload.WriteString("\\\\QORVELTESTSRV\\DOCS");
  auto reader = ReaderOf(payload);
  TMappedDrivesSettings item;
  EXPECT_TRUE(item.Read(*reader));
  INetwork* network = CurrentMachine().Network();
  const WinError e = network->AddDriveConnection("Q:", "\\\\QORVELTESTSRV\\DOCS", "", 0);
  ASSERT_NE(e, err::Success);
  std::string message = network->NetErrorMessage(e);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
  ASSERT_FALSE(message.empty());
  EXPECT_TRUE(Has(*reader->GetComments(),
                  "Error mapping Q: to \\\\QORVELTESTSRV\\DOCS : " + message));
}

TEST(Win32Shares, TheReadOnlyDescriptorIsValidAndGrantsEveryoneReadAndExecute) {
  std::vector<std::uint8_t> sd = ReadOnlyShareSecurityDescriptor();
  ASSERT_EQ(sd.size(), 96u);
  PSECURITY_DESCRIPTOR p = sd.data();
  ASSERT_TRUE(IsValidSecurityDescriptor(p));
  EXPECT_EQ(GetSecurityDescriptorLength(p), 96u);
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorDacl(p, &present, &dacl, &defaulted));
  ASSERT_TRUE(present);
  ASSERT_TRUE(IsValidAcl(dacl));
  EXPECT_EQ(dacl->AceCount, 1);
  void* ace = nullptr;
  ASSERT_TRUE(GetAce(dacl, 0, &ace));
  auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
  EXPECT_EQ(allowed->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
  EXPECT_EQ(allowed->Mask, static_cast<DWORD>(FILE_GENERIC_READ | FILE_GENERIC_EXECUTE));
  BYTE world[SECURITY_MAX_SID_SIZE], admins[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof world;
  ASSERT_TRUE(CreateWellKnownSid(WinWorldSid, nullptr, world, &size));
  size = sizeof admins;
  ASSERT_TRUE(CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, admins, &size));
  EXPECT_TRUE(EqualSid(&allowed->SidStart, world));
  PSID owner = nullptr, group = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorOwner(p, &owner, &defaulted));
  EXPECT_TRUE(EqualSid(owner, admins));
  ASSERT_TRUE(GetSecurityDescriptorGroup(p, &group, &defaulted));
  ASSERT_TRUE(IsValidSid(group));
  EXPECT_EQ(*GetSidSubAuthority(group, *GetSidSubAuthorityCount(group) - 1), 513u);
}

}  // namespace
}  // namespace qv::test
