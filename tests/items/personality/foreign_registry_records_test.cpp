// Registry records inside a settings file name their own key paths. The
// items that carry whole keys or values (sound events, cursors, the screen
// saver's password data) write only where the item's own key is; a record
// that a crafted file points elsewhere is read past, and the rest arrives.
#include "items/personality/input_settings.h"
#include "items/personality/screen_saver_settings.h"
#include "items/personality/sound_settings.h"
#include "support/item_fixture.h"

namespace qv::test {
namespace {

class ForeignRegistryRecords : public ItemTest {
 protected:
  // Saves the item on `source`, then swaps every `from` in the saved bytes
  // for `to` (of the same length), as a crafted file would.
  template <class Item>
  void SaveAndRedirect(MemoryMachine& source, const std::string& from, const std::string& to) {
    ASSERT_EQ(from.size(), to.size());
    ASSERT_TRUE(Save<Item>(source).ok);
    const std::uint8_t* block;
    std::uint32_t size;
    written().GetBuffer(block, size);
    std::string bytes(reinterpret_cast<const char*>(block), static_cast<std::size_t>(Written()));
    std::size_t at = bytes.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    for (; at != std::string::npos; at = bytes.find(from, at + to.size()))
      bytes.replace(at, from.size(), to);
    TWriteMemoryConnection& payload = NewPayload(source.Kind());
    payload.WriteBuffer(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
  }
};

TEST_F(ForeignRegistryRecords, SoundEventsPointedElsewhereAreNotWritten) {
  MemoryMachine source(okWin98), target(okWin98);
  SetReg(source, hkey::CurrentUser, "AppEvents\\Schemes\\Apps\\.Default\\Open\\.Current", "",
         "open.wav");
  SetReg(source, hkey::CurrentUser, "AppEvents\\EventLabels\\Open", "", "Open program");
  SaveAndRedirect<TSoundSettings>(source, "AppEvents\\Schemes", "Softwares\\Schemes");
  Load<TSoundSettings>(target);
  EXPECT_EQ(Consumed(), Written());
  EXPECT_EQ(Reg(target, hkey::CurrentUser, "Softwares\\Schemes\\Apps\\.Default\\Open\\.Current", ""),
            "<none>");
  EXPECT_EQ(Reg(target, hkey::CurrentUser, "AppEvents\\EventLabels\\Open", ""), "Open program");
}

TEST_F(ForeignRegistryRecords, CursorRecordsPointedElsewhereAreNotWritten) {
  MemoryMachine source(okWinNT), target(okWinNT);
  SetReg(source, hkey::CurrentUser, "Control Panel\\Cursors", "Wait", "");
  SetReg(source, hkey::CurrentUser, "Control Panel\\Cursors\\Schemes", "Harbour", "");
  SaveAndRedirect<TMouseSettings>(source, "Control Panel\\Cursors\\Schemes",
                                  "Control Panel\\Desktop\\Schemes");
  ASSERT_TRUE(Load<TMouseSettings>(target).ok);
  EXPECT_EQ(Consumed(), Written());
  EXPECT_EQ(Reg(target, hkey::CurrentUser, "Control Panel\\Desktop\\Schemes", "Harbour"), "<none>");
  EXPECT_EQ(Reg(target, hkey::CurrentUser, "Control Panel\\Cursors", "Wait"), "");
}

TEST_F(ForeignRegistryRecords, ScreenSaverPasswordDataGoesOnlyToItsOwnValue) {
  constexpr const char* kDesktop = "Control Panel\\Desktop";
  const std::uint8_t secret[] = {7, 7, 7};
  for (bool redirected : {false, true}) {
    SCOPED_TRACE(redirected);
    MemoryMachine source(okWin95), target(okWin95);
    {
      MachineScope on(source);
      UTLSetRegBinary(hkey::CurrentUser, kDesktop, "ScreenSave_Data", secret, 3);
      ASSERT_TRUE(UTLSetRegDWORD(hkey::CurrentUser, kDesktop, "ScreenSaveUsePassword", 1));
    }
    if (redirected)
      SaveAndRedirect<TScreenSaverSettings>(source, "ScreenSave_Data", "Shell_Run_Entry");
    else
      SaveAndRedirect<TScreenSaverSettings>(source, "ScreenSave_Data", "ScreenSave_Data");
    ASSERT_TRUE(Load<TScreenSaverSettings>(target).ok);
    EXPECT_EQ(Consumed(), Written());
    MachineScope on(target);
    std::uint8_t data[8] = {};
    EXPECT_EQ(UTLGetRegBinary(hkey::CurrentUser, kDesktop, "Shell_Run_Entry", data, 8), 0u);
    EXPECT_EQ(UTLGetRegBinary(hkey::CurrentUser, kDesktop, "ScreenSave_Data", data, 8),
              redirected ? 0u : 3u);
    EXPECT_EQ(LogHas("Registry entry passed over : Control Panel\\Desktop Shell_Run_Entry"),
              redirected);
  }
}

}  // namespace
}  // namespace qv::test
