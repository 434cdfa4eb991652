// The system colours, the colour keys and the current scheme moving between
// machines, and colour records from a damaged or crafted settings file.
#include "items/personality/color_settings.h"

#include "engine/messages.h"
#include "support/item_fixture.h"
#include "undo/registry_store.h"

namespace qv::test {
namespace {

constexpr const char* kColors = "Control Panel\\Colors";
constexpr const char* kAppearance = "Control Panel\\Appearance";
constexpr const char* kSchemes = "Control Panel\\Appearance\\Schemes";
constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class ColorsTest : public ItemTest {
 protected:
  static void SetColor(MemoryMachine& m, int index, std::uint32_t color) {
    ASSERT_EQ(m.SystemParameters()->ChangeSysColors({index}, {color}), err::Success);
  }
  static std::vector<std::uint8_t> Binary(MemoryMachine& m, const char* key, const char* value) {
    MachineScope on(m);
    std::vector<std::uint8_t> data(4096);
    data.resize(UTLGetRegBinary(hkey::CurrentUser, key, value, data.data(), 4096));
    return data;
  }
  // A key record as the registry store writes it, of one string value.
  static void KeyRecord(TConnection& stream, RegKey root, std::int32_t count,
                        const std::string& keyPath, const std::string& value,
                        const std::string& text) {
    stream.WriteInteger(static_cast<std::int32_t>(root));
    stream.WriteInteger(count);
    if (count <= 0 || keyPath.empty()) return;
    stream.WriteString(keyPath);
    stream.WriteString(value);
    stream.WriteInteger(static_cast<std::int32_t>(regtype::Sz));
    stream.WriteInteger(static_cast<std::int32_t>(text.size() + 1));
    stream.WriteBuffer(text.c_str(), static_cast<std::uint32_t>(text.size() + 1));
  }
  static void Colors(TConnection& stream, std::uint32_t color) {
    for (int i = 0; i < SysColorCount; ++i) stream.WriteInteger(static_cast<std::int32_t>(color));
  }
};

TEST_F(ColorsTest, KeysColoursAndSchemeArriveOnEveryKind) {
  for (OSKind kind : {okWin95, okWin98, okWinNT}) {
    SCOPED_TRACE(kind);
    RestartRequired = false;
    MemoryMachine source(okWin98), target(kind);
    SetColor(source, 1, 0x0000FF);
    SetColor(source, 24, 0x123456);
    SetReg(source, hkey::CurrentUser, kColors, "Background", "255 0 0");
    SetReg(source, hkey::CurrentUser, kAppearance, "Current", "Rainy Day");
    ItemResult saved = Save<TColorSettings>(source);
    ASSERT_TRUE(saved.ok);
    ASSERT_EQ(saved.lines.size(), 29u);
    EXPECT_EQ(std::vector<std::string>(saved.lines.begin(), saved.lines.begin() + 6),
              (std::vector<std::string>{"Color settings : ", "Current scheme is Rainy Day", "",
                                        "System colors : ", "Scroll bar gray area : 192 192 192",
                                        "Desktop : 255 0 0"}));
    EXPECT_EQ(saved.lines[9], "Window background : 255 255 255");
    EXPECT_EQ(saved.lines.back(), "Background color for tooltip controls : 86 52 18");

    ItemResult loaded = Load<TColorSettings>(target);
    EXPECT_TRUE(loaded.ok);
    EXPECT_EQ(Consumed(), Written());
    EXPECT_EQ(loaded.lines, saved.lines);
    for (int i = 0; i < SysColorCount; ++i)
      EXPECT_EQ(target.SystemParameters()->SysColor(i), source.SystemParameters()->SysColor(i)) << i;
    EXPECT_EQ(Reg(target, hkey::CurrentUser, kColors, "Background"), "255 0 0");
    EXPECT_EQ(Reg(target, hkey::CurrentUser, kAppearance, "Current"), "Rainy Day");
    EXPECT_EQ(Binary(target, kSchemes, "Rainy Day"), Binary(source, kSchemes, "Rainy Day"));
    // Windows 98's own value comes along with its key.
    EXPECT_EQ(Reg(target, hkey::CurrentUser, kAppearance, "NewCurrent"), "Windows Standard");
    EXPECT_TRUE(RestartRequired);
  }
}

TEST_F(ColorsTest, ThePayloadIsThreeKeyRecordsTwentyFiveColoursAndTheSchemeName) {
  MemoryMachine source(okWinNT);
  SetColor(source, 5, 0xABCDEF);
  ASSERT_TRUE(Save<TColorSettings>(source).ok);
  auto reader = ReaderOf(written());
  MachineScope on(source);
  TRegistryStore store(*reader, false);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(store.ReadKey());
  for (int i = 0; i < SysColorCount; ++i)
    EXPECT_EQ(static_cast<std::uint32_t>(reader->ReadInteger()),
              source.SystemParameters()->SysColor(i));
  EXPECT_EQ(reader->ReadString(), "Windows Standard");
  EXPECT_EQ(reader->GetPosition(), Written());
}

TEST_F(ColorsTest, ASourceWithoutASchemeTakesTheTargetsCurrentSchemeAway) {
  MemoryMachine source(okWin95), target(okWin98);
  {
    MachineScope on(source);
    UTLDeleteRegKey(hkey::CurrentUser, kAppearance, "Current");
  }
  ItemResult saved = Save<TColorSettings>(source);
  EXPECT_TRUE(saved.Has("There is no current color scheme"));
  ASSERT_EQ(Reg(target, hkey::CurrentUser, kAppearance, "Current"), "Windows Standard");
  ItemResult loaded = Load<TColorSettings>(target);
  EXPECT_TRUE(loaded.ok);
  EXPECT_TRUE(loaded.Has("There is no current color scheme"));
  EXPECT_EQ(Reg(target, hkey::CurrentUser, kAppearance, "Current"), "<none>");
}

TEST_F(ColorsTest, ARecordWritesOnlyIntoTheKeyItStandsFor) {
  MemoryMachine target(okWinNT);
  for (const std::string path :
       {std::string(kRun), std::string(kColors) + "\\..\\..\\" + kRun, std::string(kColors) + "x",
        std::string(kSchemes) + "\\Evil"}) {
    SCOPED_TRACE(path);
    TWriteMemoryConnection& payload = NewPayload(okWinNT);
    KeyRecord(payload, hkey::CurrentUser, 1, kSchemes, "Harbour", "scheme");
    KeyRecord(payload, hkey::CurrentUser, 1, path, "Start", "C:\\evil.exe");
    KeyRecord(payload, hkey::LocalMachine, 1, kAppearance, "Current", "Harbour");
    Colors(payload, 0x00FF00);
    payload.WriteString("Harbour");
    ItemResult loaded = Load<TColorSettings>(target);
    EXPECT_TRUE(loaded.ok);
    EXPECT_EQ(Consumed(), Written());
    EXPECT_EQ(Reg(target, hkey::CurrentUser, kSchemes, "Harbour"), "scheme");
    EXPECT_EQ(Reg(target, hkey::CurrentUser, path, "Start"), "<none>");
    EXPECT_EQ(Reg(target, hkey::LocalMachine, kAppearance, "Current"), "<none>");
    EXPECT_TRUE(LogHas("Registry entry passed over : " + path + " Start"));
    EXPECT_EQ(target.SystemParameters()->SysColor(7), 0x00FF00u);
    EXPECT_EQ(Reg(target, hkey::CurrentUser, kAppearance, "Current"), "Harbour");
  }
}

TEST_F(ColorsTest, WrongCountsRaiseTheReadErrorAndABadRootFailsTheSection) {
  MemoryMachine target(okWin98);
  MemoryMachine before(target);
  for (std::int32_t count : {-1, 1000000, 0x7FFFFFFF}) {
    TWriteMemoryConnection& payload = NewPayload(okWin98);
    KeyRecord(payload, hkey::CurrentUser, count, "", "", "");
    KeyRecord(payload, hkey::CurrentUser, 0, "", "", "");
    KeyRecord(payload, hkey::CurrentUser, 0, "", "", "");
    Colors(payload, 0);
    payload.WriteString("");
    EXPECT_THROW(Load<TColorSettings>(target), EConnectionReadError) << count;
  }
  EXPECT_EQ(MemoryMachine::Differences(before, target), std::vector<std::string>{});

  TWriteMemoryConnection& payload = NewPayload(okWin98);
  KeyRecord(payload, 0x12345678, 1, kSchemes, "Harbour", "scheme");
  ItemResult loaded = Load<TColorSettings>(target);
  EXPECT_FALSE(loaded.ok);
  EXPECT_EQ(Consumed(), Written());
  EXPECT_EQ(loaded.lines.size(), 29u);
  EXPECT_EQ(MemoryMachine::Differences(before, target), std::vector<std::string>{});
}

}  // namespace
}  // namespace qv::test
