// The accessibility structures' 32-bit layout: every field at its offset,
// pointer fields written as 0 and never read back.
#include <gtest/gtest.h>

#include "stream/win_structs.h"

namespace {

std::uint32_t At(const std::vector<std::uint8_t>& b, std::size_t offset) {
  return b[offset] | (b[offset + 1] << 8) | (b[offset + 2] << 16) |
         (static_cast<std::uint32_t>(b[offset + 3]) << 24);
}

// Each field of a structure set to a value of its own (offset + 0x100) shows
// where the codec puts it; the pointer offsets must stay 0.
template <class Struct>
void ExpectLayout(const Struct& s, std::size_t size, std::vector<std::size_t> pointers) {
  const std::vector<std::uint8_t> bytes = s.ToBytes();
  ASSERT_EQ(bytes.size(), size);
  for (std::size_t at = 0; at < size; at += 4) {
    const bool pointer = std::find(pointers.begin(), pointers.end(), at) != pointers.end();
    EXPECT_EQ(At(bytes, at), pointer ? 0u : (at == 0 ? size : 0x100u + at)) << "offset " << at;
  }
  Struct back;
  ASSERT_TRUE(Struct::FromBytes(bytes, back));
  EXPECT_EQ(back, s);
  // Other sizes are no such structure.
  std::vector<std::uint8_t> shorter(bytes.begin(), bytes.end() - 4);
  EXPECT_FALSE(Struct::FromBytes(shorter, back));
  std::vector<std::uint8_t> longer = bytes;
  longer.push_back(0);
  EXPECT_FALSE(Struct::FromBytes(longer, back));
}

TEST(AccessStructs, EveryFieldSitsAtItsThirtyTwoBitOffset) {
  AccessTimeout at;
  at.dwFlags = 0x104;
  at.iTimeOutMSec = 0x108;
  ExpectLayout(at, 12, {});

  FilterKeys fk;
  fk.dwFlags = 0x104;
  fk.iWaitMSec = 0x108;
  fk.iDelayMSec = 0x10C;
  fk.iRepeatMSec = 0x110;
  fk.iBounceMSec = 0x114;
  ExpectLayout(fk, 24, {});

  MouseKeys mk;
  mk.dwFlags = 0x104;
  mk.iMaxSpeed = 0x108;
  mk.iTimeToMaxSpeed = 0x10C;
  mk.iCtrlSpeed = 0x110;
  mk.dwReserved1 = 0x114;
  mk.dwReserved2 = 0x118;
  ExpectLayout(mk, 28, {});

  StickyKeys sk;
  sk.dwFlags = 0x104;
  ExpectLayout(sk, 8, {});
  ToggleKeys tk;
  tk.dwFlags = 0x104;
  ExpectLayout(tk, 8, {});

  SerialKeys ser;
  ser.dwFlags = 0x104;
  ser.iBaudRate = 0x110;
  ser.iPortState = 0x114;
  ser.iActive = 0x118;
  ExpectLayout(ser, 28, {SerialKeys::kActivePortOffset, SerialKeys::kPortOffset});

  HighContrast hc;
  hc.dwFlags = 0x104;
  ExpectLayout(hc, 12, {HighContrast::kSchemeOffset});

  SoundSentry ss;
  ss.dwFlags = 0x104;
  ss.iFSTextEffect = 0x108;
  ss.iFSTextEffectMSec = 0x10C;
  ss.iFSTextEffectColorBits = 0x110;
  ss.iFSGrafEffect = 0x114;
  ss.iFSGrafEffectMSec = 0x118;
  ss.iFSGrafEffectColor = 0x11C;
  ss.iWindowsEffect = 0x120;
  ss.iWindowsEffectMSec = 0x124;
  ss.iWindowsEffectOrdinal = 0x12C;
  ExpectLayout(ss, 48, {SoundSentry::kEffectDllOffset});
}

TEST(AccessStructs, PointerValuesFromAnotherMachineAreNotTakenIn) {
  std::vector<std::uint8_t> bytes(SoundSentry::kSize, 0);
  bytes[0] = 48;
  for (std::size_t i = 40; i < 44; ++i) bytes[i] = 0xCD;  // the source's address
  bytes[44] = 7;
  SoundSentry ss;
  ASSERT_TRUE(SoundSentry::FromBytes(bytes, ss));
  EXPECT_EQ(ss.iWindowsEffectOrdinal, 7u);
  const std::vector<std::uint8_t> again = ss.ToBytes();
  EXPECT_EQ(At(again, 40), 0u);
  EXPECT_EQ(At(again, 44), 7u);
}

}  // namespace
