// The minimized-window and animation structures of the window metrics.
#include "stream/win_structs.h"

#include <gtest/gtest.h>

namespace {

std::int32_t At(const std::vector<std::uint8_t>& b, std::size_t offset) {
  return static_cast<std::int32_t>(b[offset] | (b[offset + 1] << 8) | (b[offset + 2] << 16) |
                                   (static_cast<std::uint32_t>(b[offset + 3]) << 24));
}

TEST(WinStructs, MinimizedMetricsHaveThe20ByteLayout) {
  MinimizedMetrics m;
  m.width = 154;
  m.horzGap = -2;
  m.vertGap = 3;
  m.arrange = 8;
  auto bytes = m.ToBytes();
  ASSERT_EQ(bytes.size(), 20u);
  const std::int32_t expected[] = {20, 154, -2, 3, 8};
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(At(bytes, 4 * i), expected[i]) << i;
  MinimizedMetrics back;
  ASSERT_TRUE(MinimizedMetrics::FromBytes(bytes, back));
  EXPECT_EQ(back, m);
  bytes.push_back(0);
  EXPECT_FALSE(MinimizedMetrics::FromBytes(bytes, back));
}

TEST(WinStructs, AnimationInfoHasThe8ByteLayout) {
  AnimationInfo a;
  a.minAnimate = 1;
  auto bytes = a.ToBytes();
  ASSERT_EQ(bytes, (std::vector<std::uint8_t>{8, 0, 0, 0, 1, 0, 0, 0}));
  a.cbSize = 0;  // the mark of a structure the system did not deliver
  AnimationInfo back;
  ASSERT_TRUE(AnimationInfo::FromBytes(a.ToBytes(), back));
  EXPECT_EQ(back.cbSize, 0u);
  EXPECT_EQ(back.minAnimate, 1);
  EXPECT_FALSE(AnimationInfo::FromBytes({8, 0, 0, 0}, back));
}

}  // namespace
