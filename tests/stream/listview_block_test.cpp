// The "QRV Listview" shared blocks in their 32-bit layouts.
#include <gtest/gtest.h>

#include <cstring>

#include "stream/win_structs.h"

namespace {

std::uint32_t U32At(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}

TEST(ListViewBlock, SaveBlockHoldsAnEmptyLabelTheItemAskingForItAndAPoint) {
  const std::uint32_t base = 0x81230000u;
  const std::vector<std::uint8_t> b = ListViewSaveBlock(base, 7);
  ASSERT_EQ(b.size(), 308u);
  for (std::size_t i = 0; i < 260; ++i) ASSERT_EQ(b[i], 0) << i;
  const std::uint32_t want[10] = {1, 7, 0, 0, 0, base, 260, 0, 0, 0};
  for (int f = 0; f < 10; ++f) EXPECT_EQ(U32At(b, 260 + 4 * f), want[f]) << "field " << f;
  EXPECT_EQ(U32At(b, 300), 0u);
  EXPECT_EQ(U32At(b, 304), 0u);
  ListViewItem item;
  StructReader r(b.data() + listview_block::kItemOffset, ListViewItem::kSize);
  item.Decode(r);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(item.text, base);
  EXPECT_EQ(item.item, 7);
}

TEST(ListViewBlock, LoadBlockHoldsTheLabelAndAStringSearch) {
  const std::uint32_t base = 0x00560000u;
  const std::vector<std::uint8_t> b = ListViewLoadBlock(base, "My Computer");
  ASSERT_EQ(b.size(), 284u);
  EXPECT_STREQ(reinterpret_cast<const char*>(b.data()), "My Computer");
  const std::uint32_t want[6] = {2, base, 0, 0, 0, 0};
  for (int f = 0; f < 6; ++f) EXPECT_EQ(U32At(b, 260 + 4 * f), want[f]) << "field " << f;

  // A label longer than the buffer is cut and still ends with a zero.
  const std::vector<std::uint8_t> longer = ListViewLoadBlock(base, std::string(400, 'x'));
  ASSERT_EQ(longer.size(), 284u);
  EXPECT_EQ(std::strlen(reinterpret_cast<const char*>(longer.data())), 259u);
}

}  // namespace
