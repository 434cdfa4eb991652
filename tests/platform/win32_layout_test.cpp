// The structure codecs against the real Windows structures: same size, same
// offsets, and the bytes the system fills in decode to the same fields.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "stream/win_structs.h"

namespace {

static_assert(sizeof(LOGFONTA) == LogFont::kSize);
static_assert(sizeof(ICONMETRICSA) == IconMetrics::kSize);
static_assert(offsetof(NONCLIENTMETRICSA, lfMessageFont) + sizeof(LOGFONTA) ==
              NonClientMetrics::kSize);
static_assert(offsetof(NONCLIENTMETRICSA, iMenuHeight) == 156);

TEST(Win32Layout, IconMetricsFromTheSystemDecode) {
  ICONMETRICSA real{};
  real.cbSize = sizeof real;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETICONMETRICS, sizeof real, &real, 0));
  std::vector<std::uint8_t> bytes(sizeof real);
  std::memcpy(bytes.data(), &real, sizeof real);
  IconMetrics decoded;
  ASSERT_TRUE(IconMetrics::FromBytes(bytes, decoded));
  EXPECT_EQ(decoded.horzSpacing, real.iHorzSpacing);
  EXPECT_EQ(decoded.vertSpacing, real.iVertSpacing);
  EXPECT_EQ(decoded.font.height, real.lfFont.lfHeight);
  EXPECT_EQ(decoded.font.faceName, real.lfFont.lfFaceName);
  EXPECT_EQ(decoded.ToBytes(), bytes);
}

TEST(Win32Layout, NonClientMetricsFromTheSystemDecode) {
  NONCLIENTMETRICSA real{};
  real.cbSize = NonClientMetrics::kSize;  // the size without the padded border
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, real.cbSize, &real, 0));
  std::vector<std::uint8_t> bytes(NonClientMetrics::kSize);
  std::memcpy(bytes.data(), &real, bytes.size());
  NonClientMetrics decoded;
  ASSERT_TRUE(NonClientMetrics::FromBytes(bytes, decoded));
  EXPECT_EQ(decoded.captionHeight, real.iCaptionHeight);
  EXPECT_EQ(decoded.menuHeight, real.iMenuHeight);
  EXPECT_EQ(decoded.messageFont.faceName, real.lfMessageFont.lfFaceName);
  EXPECT_EQ(decoded.ToBytes(), bytes);
}

}  // namespace

// The window metrics' minimized-window and animation structures.
namespace {

static_assert(sizeof(MINIMIZEDMETRICS) == MinimizedMetrics::kSize);
static_assert(offsetof(MINIMIZEDMETRICS, iArrange) == 16);
static_assert(sizeof(ANIMATIONINFO) == AnimationInfo::kSize);
static_assert(offsetof(ANIMATIONINFO, iMinAnimate) == 4);

TEST(Win32Layout, MinimizedMetricsAndAnimationFromTheSystemDecode) {
  MINIMIZEDMETRICS mm{};
  mm.cbSize = sizeof mm;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETMINIMIZEDMETRICS, sizeof mm, &mm, 0));
  std::vector<std::uint8_t> bytes(sizeof mm);
  std::memcpy(bytes.data(), &mm, sizeof mm);
  MinimizedMetrics decoded;
  ASSERT_TRUE(MinimizedMetrics::FromBytes(bytes, decoded));
  EXPECT_EQ(decoded.width, mm.iWidth);
  EXPECT_EQ(decoded.horzGap, mm.iHorzGap);
  EXPECT_EQ(decoded.vertGap, mm.iVertGap);
  EXPECT_EQ(decoded.arrange, mm.iArrange);
  EXPECT_EQ(decoded.ToBytes(), bytes);

  ANIMATIONINFO ai{};
  ai.cbSize = sizeof ai;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETANIMATION, sizeof ai, &ai, 0));
  std::vector<std::uint8_t> animation(sizeof ai);
  std::memcpy(animation.data(), &ai, sizeof ai);
  AnimationInfo info;
  ASSERT_TRUE(AnimationInfo::FromBytes(animation, info));
  EXPECT_EQ(info.minAnimate, ai.iMinAnimate);
  EXPECT_EQ(info.ToBytes(), animation);
}

}  // namespace
