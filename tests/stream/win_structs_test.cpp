#include "stream/win_structs.h"

#include <gtest/gtest.h>

namespace {

LogFont Font(const std::string& face, int height) {
  LogFont f;
  f.height = height;
  f.width = -3;
  f.weight = 700;
  f.italic = 1;
  f.charSet = 0xEE;
  f.pitchAndFamily = 0x22;
  f.faceName = face;
  return f;
}

std::int32_t At(const std::vector<std::uint8_t>& b, std::size_t offset) {
  return static_cast<std::int32_t>(b[offset] | (b[offset + 1] << 8) | (b[offset + 2] << 16) |
                                   (static_cast<std::uint32_t>(b[offset + 3]) << 24));
}

TEST(WinStructs, IconMetricsHaveThe76ByteLayout) {
  IconMetrics m;
  m.horzSpacing = 75;
  m.vertSpacing = -1;
  m.titleWrap = 1;
  m.font = Font("MS Sans Serif", -11);
  auto bytes = m.ToBytes();
  ASSERT_EQ(bytes.size(), 76u);
  EXPECT_EQ(At(bytes, 0), 76);
  EXPECT_EQ(At(bytes, 4), 75);
  EXPECT_EQ(At(bytes, 8), -1);
  EXPECT_EQ(At(bytes, 16), -11);          // lfHeight
  EXPECT_EQ(At(bytes, 32), 700);          // lfWeight
  EXPECT_EQ(bytes[36], 1);                // lfItalic
  EXPECT_EQ(bytes[39], 0xEE);             // lfCharSet
  EXPECT_EQ(bytes[43], 0x22);             // lfPitchAndFamily
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&bytes[44])), "MS Sans Serif");
  EXPECT_EQ(bytes[75], 0);
  IconMetrics back;
  ASSERT_TRUE(IconMetrics::FromBytes(bytes, back));
  EXPECT_EQ(back, m);
  bytes.pop_back();
  EXPECT_FALSE(IconMetrics::FromBytes(bytes, back));
}

TEST(WinStructs, NonClientMetricsHaveThe340ByteLayout) {
  NonClientMetrics m;
  m.borderWidth = 1;
  m.captionHeight = 18;
  m.captionFont = Font("Caption", -12);
  m.smCaptionHeight = 15;
  m.menuHeight = 19;
  m.messageFont = Font("Message", -13);
  auto bytes = m.ToBytes();
  ASSERT_EQ(bytes.size(), 340u);
  EXPECT_EQ(At(bytes, 0), 340);
  EXPECT_EQ(At(bytes, 4), 1);
  EXPECT_EQ(At(bytes, 20), 18);        // iCaptionHeight
  EXPECT_EQ(At(bytes, 24), -12);       // lfCaptionFont.lfHeight
  EXPECT_EQ(At(bytes, 88), 15);        // iSmCaptionHeight
  EXPECT_EQ(At(bytes, 156), 19);       // iMenuHeight
  EXPECT_EQ(At(bytes, 280), -13);      // lfMessageFont.lfHeight
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&bytes[308])), "Message");
  NonClientMetrics back;
  ASSERT_TRUE(NonClientMetrics::FromBytes(bytes, back));
  EXPECT_EQ(back, m);
}

TEST(WinStructs, FaceNamesAreCutToFitTheirArray) {
  LogFont f = Font(std::string(40, 'F'), 1);
  StructWriter w;
  f.Encode(w);
  ASSERT_EQ(w.bytes().size(), 60u);
  StructReader r(w.bytes());
  LogFont back;
  back.Decode(r);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(back.faceName, std::string(31, 'F'));
}

TEST(WinStructs, ReadingPastTheEndIsNoticedAndGivesZeros) {
  std::vector<std::uint8_t> three{1, 2, 3};
  StructReader r(three);
  EXPECT_EQ(r.U16(), 0x0201);
  EXPECT_EQ(r.U32(), 0u);
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.U8(), 0);  // stays failed
}

}  // namespace
