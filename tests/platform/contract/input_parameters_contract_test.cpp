// What the mouse, keyboard and accessibility items rely on from
// SystemParametersInfo, the system metrics and the keyboard calls, on each
// kind of Windows. Under Wine these tests change the real prefix, so every
// change is put back before the test ends.
//
// Windows NT 4.0 has no SERIALKEYS actions (the control panel keeps
// SerialKeys in the registry) and answers them with ERROR_INVALID_SPI_VALUE;
// Windows 95/98 answer them. Wine answers the GET of every accessibility
// structure (also SERIALKEYS) but refuses their SETs with 1439: there the
// memory machines follow Windows, and these tests say which is which.
#include "platform/contract/fixture.h"
#include "platform/system_parameters.h"
#include "stream/win_structs.h"

namespace qv::test {
namespace {

class InputParametersContract : public ContractTest {
 protected:
  void SetUp() override {
    ContractTest::SetUp();
    params_ = bench().machine().SystemParameters();
    ASSERT_NE(params_, nullptr);
  }
  ISystemParameters& params() { return *params_; }
  bool Wine() { return bench().wine(); }

 private:
  ISystemParameters* params_ = nullptr;
};

const struct {
  unsigned get, set;
  std::uint32_t size;
} kAccess[] = {{spi::GetAccessTimeout, spi::SetAccessTimeout, 12},
               {spi::GetFilterKeys, spi::SetFilterKeys, 24},
               {spi::GetMouseKeys, spi::SetMouseKeys, 28},
               {spi::GetStickyKeys, spi::SetStickyKeys, 8},
               {spi::GetToggleKeys, spi::SetToggleKeys, 8},
               {spi::GetSerialKeys, spi::SetSerialKeys, 28},
               {spi::GetHighContrast, spi::SetHighContrast, 12},
               {spi::GetSoundSentry, spi::SetSoundSentry, 48}};

std::vector<std::uint8_t> Sized(std::uint32_t size) {
  std::vector<std::uint8_t> b(size, 0);
  b[0] = static_cast<std::uint8_t>(size);
  return b;
}

TEST_P(InputParametersContract, AccessibilityStructuresAnswerAsTheirKindDoes) {
  for (const auto& a : kAccess) {
    SCOPED_TRACE(a.get);
    const bool serial = a.get == spi::GetSerialKeys;
    const bool answers = !serial || !IsNT() || Wine();
    std::vector<std::uint8_t> block = Sized(a.size);
    ParameterTexts texts;
    sys().SetLastError(0);
    const bool got = params().ParameterBlock(a.get, a.size, block, 0, &texts);
    EXPECT_EQ(got, answers);
    if (!got) {
      EXPECT_EQ(sys().LastError(), err::InvalidSpiValue);
      continue;
    }
    ASSERT_EQ(block.size(), a.size);
    EXPECT_EQ(block[0], a.size);  // the size field stays
    // Handing the same values back changes nothing; Wine refuses.
    std::vector<std::uint8_t> same = block;
    sys().SetLastError(0);
    const bool set = params().ParameterBlock(a.set, a.size, same, 0, &texts);
    if (Wine()) {
      EXPECT_FALSE(set);
      EXPECT_EQ(sys().LastError(), err::InvalidSpiValue);
    } else {
      EXPECT_TRUE(set);
      std::vector<std::uint8_t> again = Sized(a.size);
      ASSERT_TRUE(params().ParameterBlock(a.get, a.size, again, 0));
      EXPECT_EQ(again, block);
    }
  }
  // The two flags.
  for (unsigned get : {spi::GetKeyboardPref, spi::GetShowSounds}) {
    std::int32_t value = -1;
    EXPECT_TRUE(params().Parameter(get, 0, &value, 0)) << get;
    EXPECT_TRUE(value == 0 || value == 1) << get;
  }
}

TEST_P(InputParametersContract, TheAccessibilityStructuresChangeWhereTheSystemTakesThem) {
  if (Wine()) GTEST_SKIP() << "Wine refuses the accessibility SET actions";
  std::vector<std::uint8_t> original = Sized(24);
  ASSERT_TRUE(params().ParameterBlock(spi::GetFilterKeys, 24, original, 0));
  FilterKeys fk;
  ASSERT_TRUE(FilterKeys::FromBytes(original, fk));
  FilterKeys changed = fk;
  changed.iWaitMSec += 100;
  changed.dwFlags ^= 0x20;
  std::vector<std::uint8_t> block = changed.ToBytes();
  ASSERT_TRUE(params().ParameterBlock(spi::SetFilterKeys, 24, block, 0));
  std::vector<std::uint8_t> now = Sized(24);
  ASSERT_TRUE(params().ParameterBlock(spi::GetFilterKeys, 24, now, 0));
  EXPECT_EQ(now, changed.ToBytes());
  // A size field that is not the structure's is refused.
  std::vector<std::uint8_t> wrong = changed.ToBytes();
  wrong[0] = 12;
  EXPECT_FALSE(params().ParameterBlock(spi::SetFilterKeys, 24, wrong, 0));
  ASSERT_TRUE(params().ParameterBlock(spi::SetFilterKeys, 24, original, 0));
}

TEST_P(InputParametersContract, MouseActionsReachTheMetricsAndTheDoubleClickTime) {
  const int width = sys().Metric(sm::CxDoubleClk), height = sys().Metric(sm::CyDoubleClk);
  const int swap = sys().Metric(sm::SwapButton);
  const std::uint32_t time = params().DoubleClickTime();
  ASSERT_GT(width, 0);
  ASSERT_GT(height, 0);
  ASSERT_TRUE(params().Parameter(spi::SetDoubleClkWidth, width + 3, nullptr, 0));
  ASSERT_TRUE(params().Parameter(spi::SetDoubleClkHeight, height + 5, nullptr, 0));
  ASSERT_TRUE(params().Parameter(spi::SetMouseButtonSwap, swap ? 0 : 1, nullptr, 0));
  ASSERT_TRUE(params().Parameter(spi::SetDoubleClickTime, time + 111, nullptr, 0));
  EXPECT_EQ(sys().Metric(sm::CxDoubleClk), width + 3);
  EXPECT_EQ(sys().Metric(sm::CyDoubleClk), height + 5);
  EXPECT_EQ(sys().Metric(sm::SwapButton), swap ? 0 : 1);
  EXPECT_EQ(params().DoubleClickTime(), time + 111);
  params().Parameter(spi::SetDoubleClkWidth, width, nullptr, 0);
  params().Parameter(spi::SetDoubleClkHeight, height, nullptr, 0);
  params().Parameter(spi::SetMouseButtonSwap, swap, nullptr, 0);
  params().Parameter(spi::SetDoubleClickTime, time, nullptr, 0);
  EXPECT_EQ(sys().Metric(sm::CxDoubleClk), width);
  EXPECT_EQ(sys().Metric(sm::SwapButton), swap);
  EXPECT_EQ(params().DoubleClickTime(), time);

  // The acceleration block: three 32-bit values.
  std::vector<std::uint8_t> block(12, 0);
  ASSERT_TRUE(params().ParameterBlock(spi::GetMouse, 0, block, 0));
  std::vector<std::uint8_t> changed = block;
  changed[0] = static_cast<std::uint8_t>(block[0] + 1);
  ASSERT_TRUE(params().ParameterBlock(spi::SetMouse, 0, changed, 0));
  std::vector<std::uint8_t> now(12, 0);
  ASSERT_TRUE(params().ParameterBlock(spi::GetMouse, 0, now, 0));
  EXPECT_EQ(now, changed);
  ASSERT_TRUE(params().ParameterBlock(spi::SetMouse, 0, block, 0));
}

TEST_P(InputParametersContract, KeyboardRepeatAndLayout) {
  std::int32_t delay = -1, speed = -1;
  ASSERT_TRUE(params().Parameter(spi::GetKeyboardDelay, 0, &delay, 0));
  ASSERT_TRUE(params().Parameter(spi::GetKeyboardSpeed, 0, &speed, 0));
  EXPECT_TRUE(delay >= 0 && delay <= 3) << delay;
  EXPECT_TRUE(speed >= 0 && speed <= 31) << speed;
  ASSERT_TRUE(params().Parameter(spi::SetKeyboardDelay, delay == 3 ? 0 : delay + 1, nullptr, 0));
  std::int32_t now = -1;
  ASSERT_TRUE(params().Parameter(spi::GetKeyboardDelay, 0, &now, 0));
  EXPECT_EQ(now, delay == 3 ? 0 : delay + 1);
  ASSERT_TRUE(params().Parameter(spi::SetKeyboardDelay, delay, nullptr, 0));

  // The layout in use loads again; a name that is no layout does not.
  std::string layout;
  ASSERT_EQ(params().KeyboardLayoutName(layout), err::Success);
  EXPECT_EQ(params().LoadKeyboardLayoutByName(layout, klf::Activate), err::Success);
  std::string after;
  ASSERT_EQ(params().KeyboardLayoutName(after), err::Success);
  EXPECT_EQ(after, layout);
  std::string language;
  EXPECT_EQ(params().LocaleText(std::stoul(layout, nullptr, 16), localeinfo::SLanguage, language),
            err::Success);
  EXPECT_FALSE(language.empty());
}

QV_CONTRACT_SUITE(InputParametersContract);

}  // namespace
}  // namespace qv::test
