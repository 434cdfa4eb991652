// The accessibility structures' codecs against the system's own structures:
// the pointer-free ones match in size and offsets in every build; those with
// pointers match the 32-bit layout up to the first pointer (and whole in a
// 32-bit build). What the system fills in decodes to the same fields.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstddef>
#include <cstring>

#include "platform/machine.h"
#include "platform/system_parameters.h"
#include "stream/win_structs.h"

namespace {

static_assert(sizeof(ACCESSTIMEOUT) == AccessTimeout::kSize);
static_assert(offsetof(ACCESSTIMEOUT, iTimeOutMSec) == 8);
static_assert(sizeof(FILTERKEYS) == FilterKeys::kSize);
static_assert(offsetof(FILTERKEYS, iBounceMSec) == 20);
static_assert(sizeof(MOUSEKEYS) == MouseKeys::kSize);
static_assert(offsetof(MOUSEKEYS, iCtrlSpeed) == 16);
static_assert(offsetof(MOUSEKEYS, dwReserved2) == 24);
static_assert(sizeof(STICKYKEYS) == StickyKeys::kSize);
static_assert(sizeof(TOGGLEKEYS) == ToggleKeys::kSize);
static_assert(offsetof(SERIALKEYSA, lpszActivePort) == SerialKeys::kActivePortOffset);
static_assert(offsetof(HIGHCONTRASTA, lpszDefaultScheme) == HighContrast::kSchemeOffset);
static_assert(offsetof(SOUNDSENTRYA, iWindowsEffectMSec) == 36);
static_assert(offsetof(SOUNDSENTRYA, lpszWindowsEffectDLL) == SoundSentry::kEffectDllOffset);
#ifndef _WIN64
static_assert(sizeof(SERIALKEYSA) == SerialKeys::kSize);
static_assert(offsetof(SERIALKEYSA, lpszPort) == SerialKeys::kPortOffset);
static_assert(offsetof(SERIALKEYSA, iActive) == 24);
static_assert(sizeof(HIGHCONTRASTA) == HighContrast::kSize);
static_assert(sizeof(SOUNDSENTRYA) == SoundSentry::kSize);
static_assert(offsetof(SOUNDSENTRYA, iWindowsEffectOrdinal) == 44);
#endif

template <class Real>
std::vector<std::uint8_t> BytesOf(const Real& r) {
  std::vector<std::uint8_t> b(sizeof r);
  std::memcpy(b.data(), &r, sizeof r);
  return b;
}

TEST(Win32AccessLayout, PointerFreeStructuresFromTheSystemDecode) {
  FILTERKEYS fk{};
  fk.cbSize = sizeof fk;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETFILTERKEYS, sizeof fk, &fk, 0));
  FilterKeys f;
  ASSERT_TRUE(FilterKeys::FromBytes(BytesOf(fk), f));
  EXPECT_EQ(f.cbSize, fk.cbSize);
  EXPECT_EQ(f.dwFlags, fk.dwFlags);
  EXPECT_EQ(f.iWaitMSec, fk.iWaitMSec);
  EXPECT_EQ(f.iBounceMSec, fk.iBounceMSec);
  EXPECT_EQ(f.ToBytes(), BytesOf(fk));

  MOUSEKEYS mk{};
  mk.cbSize = sizeof mk;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETMOUSEKEYS, sizeof mk, &mk, 0));
  MouseKeys m;
  ASSERT_TRUE(MouseKeys::FromBytes(BytesOf(mk), m));
  EXPECT_EQ(m.iMaxSpeed, mk.iMaxSpeed);
  EXPECT_EQ(m.iCtrlSpeed, mk.iCtrlSpeed);
  EXPECT_EQ(m.ToBytes(), BytesOf(mk));

  ACCESSTIMEOUT at{};
  at.cbSize = sizeof at;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETACCESSTIMEOUT, sizeof at, &at, 0));
  AccessTimeout a;
  ASSERT_TRUE(AccessTimeout::FromBytes(BytesOf(at), a));
  EXPECT_EQ(a.iTimeOutMSec, at.iTimeOutMSec);
  EXPECT_EQ(a.ToBytes(), BytesOf(at));
}

TEST(Win32AccessLayout, StructuresWithPointersComeThroughThePortInTheThirtyTwoBitLayout) {
  SOUNDSENTRYA real{};
  real.cbSize = sizeof real;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETSOUNDSENTRY, sizeof real, &real, 0));
  std::vector<std::uint8_t> block = SoundSentry{}.ToBytes();
  qv::ParameterTexts texts;
  ASSERT_TRUE(qv::CurrentMachine().SystemParameters()->ParameterBlock(
      qv::spi::GetSoundSentry, SoundSentry::kSize, block, 0, &texts));
  SoundSentry s;
  ASSERT_TRUE(SoundSentry::FromBytes(block, s));
  EXPECT_EQ(s.cbSize, SoundSentry::kSize);
  EXPECT_EQ(s.dwFlags, real.dwFlags);
  EXPECT_EQ(s.iFSTextEffect, real.iFSTextEffect);
  EXPECT_EQ(s.iFSGrafEffectMSec, real.iFSGrafEffectMSec);
  EXPECT_EQ(s.iWindowsEffect, real.iWindowsEffect);
  EXPECT_EQ(s.iWindowsEffectOrdinal, real.iWindowsEffectOrdinal);

  HIGHCONTRASTA hc{};
  hc.cbSize = sizeof hc;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0));
  block = HighContrast{}.ToBytes();
  ASSERT_TRUE(qv::CurrentMachine().SystemParameters()->ParameterBlock(
      qv::spi::GetHighContrast, HighContrast::kSize, block, 0, &texts));
  HighContrast h;
  ASSERT_TRUE(HighContrast::FromBytes(block, h));
  EXPECT_EQ(h.dwFlags, hc.dwFlags);
}

}  // namespace
