// What the display items rely on from SystemParametersInfo: window and icon
// metrics set with the update flag come back and are kept under "Control
// Panel\Desktop\WindowMetrics"; the icon-title font call changes the icon
// metrics' font. Under Wine these tests change the real prefix, so every
// change is put back before the test ends.
#include <cstdlib>

#include "platform/contract/fixture.h"
#include "platform/system_parameters.h"
#include "stream/win_structs.h"

namespace qv::test {
namespace {

constexpr const char* kWindowMetrics = "Control Panel\\Desktop\\WindowMetrics";

class DisplayParametersContract : public ContractTest {
 protected:
  void SetUp() override {
    ContractTest::SetUp();
    params_ = bench().machine().SystemParameters();
    ASSERT_NE(params_, nullptr);
  }
  ISystemParameters& params() { return *params_; }

  template <class S>
  S Get(unsigned action, std::uint32_t uiParam) {
    S value;
    std::vector<std::uint8_t> b = value.ToBytes();
    EXPECT_TRUE(params().ParameterBlock(action, uiParam, b, 0)) << action;
    EXPECT_TRUE(S::FromBytes(b, value));
    return value;
  }
  template <class S>
  bool Set(unsigned action, const S& value, unsigned winIni = spif::UpdateIniFile) {
    std::vector<std::uint8_t> b = value.ToBytes();
    return params().ParameterBlock(action, 0, b, winIni);
  }
  // A window-metrics value in pixels, whichever unit the system keeps.
  std::optional<int> StoredPixels(const char* name) {
    RegKey k;
    if (reg().OpenKey(hkey::CurrentUser, kWindowMetrics, RegAccess::Read, k) != err::Success)
      return std::nullopt;
    char buf[64] = {};
    std::uint32_t size = sizeof buf - 1;
    std::uint32_t type = 0;
    WinError e = reg().QueryValue(k, name, &type, reinterpret_cast<std::uint8_t*>(buf), &size);
    reg().CloseKey(k);
    if (e != err::Success) return std::nullopt;
    const int v = std::atoi(buf);
    return v < 0 ? -v / 15 : v;  // twips are negative
  }

 private:
  ISystemParameters* params_ = nullptr;
};

TEST_P(DisplayParametersContract, WindowMetricsSetWithTheUpdateFlagComeBackAndAreKept) {
  const NonClientMetrics ncm = Get<NonClientMetrics>(spi::GetNonClientMetrics, 0);
  const MinimizedMetrics mm = Get<MinimizedMetrics>(spi::GetMinimizedMetrics, 20);
  ASSERT_EQ(ncm.cbSize, 340u);
  ASSERT_EQ(mm.cbSize, 20u);

  NonClientMetrics bigger = ncm;
  bigger.captionHeight = ncm.captionHeight + 3;
  bigger.menuHeight = ncm.menuHeight + 2;
  MinimizedMetrics wider = mm;
  wider.width = mm.width + 10;
  ASSERT_TRUE(Set(spi::SetNonClientMetrics, bigger));
  ASSERT_TRUE(Set(spi::SetMinimizedMetrics, wider));
  const NonClientMetrics nowNcm = Get<NonClientMetrics>(spi::GetNonClientMetrics, 0);
  const MinimizedMetrics nowMm = Get<MinimizedMetrics>(spi::GetMinimizedMetrics, 20);
  const std::optional<int> caption = StoredPixels("CaptionHeight");
  const std::optional<int> minWidth = StoredPixels("MinWidth");
  // Put back before looking.
  EXPECT_TRUE(Set(spi::SetNonClientMetrics, ncm));
  EXPECT_TRUE(Set(spi::SetMinimizedMetrics, mm));

  EXPECT_EQ(nowNcm.captionHeight, ncm.captionHeight + 3);
  EXPECT_EQ(nowNcm.menuHeight, ncm.menuHeight + 2);
  EXPECT_EQ(nowNcm.captionFont, ncm.captionFont);
  EXPECT_EQ(nowMm.width, mm.width + 10);
  EXPECT_EQ(caption, ncm.captionHeight + 3);
  EXPECT_EQ(minWidth, mm.width + 10);
  EXPECT_EQ(Get<NonClientMetrics>(spi::GetNonClientMetrics, 0).captionHeight, ncm.captionHeight);
}

TEST_P(DisplayParametersContract, TheIconTitleFontIsTheIconMetricsFont) {
  const IconMetrics icons = Get<IconMetrics>(spi::GetIconMetrics, 0);
  ASSERT_EQ(icons.cbSize, 76u);
  LogFont font = icons.font;
  font.height = icons.font.height < 0 ? icons.font.height - 2 : icons.font.height + 2;
  font.faceName = icons.font.faceName == "Arial" ? "Courier New" : "Arial";
  StructWriter w;
  font.Encode(w);
  std::vector<std::uint8_t> block = w.bytes();
  ASSERT_TRUE(params().ParameterBlock(spi::SetIconTitleLogFont, spisize::LogFont, block, 0));
  const IconMetrics now = Get<IconMetrics>(spi::GetIconMetrics, 0);
  EXPECT_TRUE(Set(spi::SetIconMetrics, icons, 0));
  EXPECT_EQ(now.font.height, font.height);
  EXPECT_EQ(now.font.faceName, font.faceName);
  EXPECT_EQ(now.horzSpacing, icons.horzSpacing);
  EXPECT_EQ(Get<IconMetrics>(spi::GetIconMetrics, 0).font.height, icons.font.height);
}

TEST_P(DisplayParametersContract, IconSpacingBelow32PixelsIsRaisedTo32) {
  const IconMetrics icons = Get<IconMetrics>(spi::GetIconMetrics, 0);
  IconMetrics narrow = icons;
  narrow.horzSpacing = 20;
  narrow.vertSpacing = 40;
  ASSERT_TRUE(Set(spi::SetIconMetrics, narrow, 0));
  const IconMetrics now = Get<IconMetrics>(spi::GetIconMetrics, 0);
  EXPECT_TRUE(Set(spi::SetIconMetrics, icons, 0));
  EXPECT_EQ(now.horzSpacing, 32);
  EXPECT_EQ(now.vertSpacing, 40);
}

QV_CONTRACT_SUITE(DisplayParametersContract);

}  // namespace
}  // namespace qv::test
