// Windows structures as bytes: the 32-bit ANSI layout, little-endian, field
// by field, whatever the build's pointer size. Settings files carry these
// bytes, so a structure written on one machine reads the same on any other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/active_desktop.h"

class StructWriter {
 public:
  void U8(std::uint8_t v) { bytes_.push_back(v); }
  void U16(std::uint16_t v);
  void U32(std::uint32_t v);
  void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
  // A fixed char array of `width` bytes: the text cut to width - 1, then
  // zeros.
  void Chars(std::string_view text, std::size_t width);
  void Bytes(const std::uint8_t* data, std::size_t count);
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

class StructReader {
 public:
  StructReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  explicit StructReader(const std::vector<std::uint8_t>& bytes)
      : StructReader(bytes.data(), bytes.size()) {}

  std::uint8_t U8();
  std::uint16_t U16();
  std::uint32_t U32();
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  // A fixed char array: the text up to its first zero.
  std::string Chars(std::size_t width);
  void Bytes(std::uint8_t* out, std::size_t count);

  // False once a read went past the end (such reads give zeros).
  bool ok() const { return ok_; }
  std::size_t offset() const { return offset_; }

 private:
  bool Take(std::size_t count);
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t offset_ = 0;
  bool ok_ = true;
};

// ---------------------------------------------------------------------------
// The accessibility structures (SystemParametersInfo SPI_GET/SETxxx), 32-bit
// ANSI layout: every field is 32 bits wide. Pointer fields (lpsz...) hold an
// address of the machine that wrote them, which means nothing anywhere
// else: they are written as 0 and passed over when read; the texts they
// point at travel beside the structure.

// ACCESSTIMEOUT: 12 bytes.
struct AccessTimeout {
  static constexpr std::size_t kSize = 12;
  std::uint32_t cbSize = kSize;
  std::uint32_t dwFlags = 0;
  std::uint32_t iTimeOutMSec = 0;

  std::vector<std::uint8_t> ToBytes() const;
  // False when `bytes` is not exactly kSize long.
  static bool FromBytes(const std::vector<std::uint8_t>& bytes, AccessTimeout& out);
  bool operator==(const AccessTimeout&) const = default;
};

// FILTERKEYS: 24 bytes.
struct FilterKeys {
  static constexpr std::size_t kSize = 24;
  std::uint32_t cbSize = kSize;
  std::uint32_t dwFlags = 0;
  std::uint32_t iWaitMSec = 0, iDelayMSec = 0, iRepeatMSec = 0, iBounceMSec = 0;

  std::vector<std::uint8_t> ToBytes() const;
  static bool FromBytes(const std::vector<std::uint8_t>& bytes, FilterKeys& out);
  bool operator==(const FilterKeys&) const = default;
};

// MOUSEKEYS: 28 bytes.
struct MouseKeys {
  static constexpr std::size_t kSize = 28;
  std::uint32_t cbSize = kSize;
  std::uint32_t dwFlags = 0;
  std::uint32_t iMaxSpeed = 0, iTimeToMaxSpeed = 0, iCtrlSpeed = 0;
  std::uint32_t dwReserved1 = 0, dwReserved2 = 0;

  std::vector<std::uint8_t> ToBytes() const;
  static bool FromBytes(const std::vector<std::uint8_t>& bytes, MouseKeys& out);
  bool operator==(const MouseKeys&) const = default;
};

// STICKYKEYS: 8 bytes.
struct StickyKeys {
  static constexpr std::size_t kSize = 8;
  std::uint32_t cbSize = kSize;
  std::uint32_t dwFlags = 0;

  std::vector<std::uint8_t> ToBytes() const;
  static bool FromBytes(const std::vector<std::uint8_t>& bytes, StickyKeys& out);
  bool operator==(const StickyKeys&) const = default;
};

// TOGGLEKEYS: 8 bytes.
struct ToggleKeys {
  static constexpr std::size_t kSize = 8;
  std::uint32_t cbSize = kSize;
  std::uint32_t dwFlags = 0;

  std::vector<std::uint8_t> ToBytes() const;
  static bool FromBytes(const std::vector<std::uint8_t>& bytes, ToggleKeys& out);
  bool operator==(const ToggleKeys&) const = default;
};

// SERIALKEYSA: 28 bytes; lpszActivePort at 8 and lpszPort at 12 are
// pointers.
struct SerialKeys {
  static constexpr std::size_t kSize = 28;
  static constexpr std::size_t kActivePortOffset = 8;
  static constexpr std::size_t kPortOffset = 12;
  std::uint32_t cbSize = kSize;
  std::uint32_t dwFlags = 0;
  std::uint32_t iBaudRate = 0, iPortState = 0, iActive = 0;

  std::vector<std::uint8_t> ToBytes() const;
  static bool FromBytes(const std::vector<std::uint8_t>& bytes, SerialKeys& out);
  bool operator==(const SerialKeys&) const = default;
};

// HIGHCONTRASTA: 12 bytes; lpszDefaultScheme at 8 is a pointer.
struct HighContrast {
  static constexpr std::size_t kSize = 12;
  static constexpr std::size_t kSchemeOffset = 8;
  std::uint32_t cbSize = kSize;
  std::uint32_t dwFlags = 0;

  std::vector<std::uint8_t> ToBytes() const;
  static bool FromBytes(const std::vector<std::uint8_t>& bytes, HighContrast& out);
  bool operator==(const HighContrast&) const = default;
};

// SOUNDSENTRYA: 48 bytes; lpszWindowsEffectDLL at 40 is a pointer.
struct SoundSentry {
  static constexpr std::size_t kSize = 48;
  static constexpr std::size_t kEffectDllOffset = 40;
  std::uint32_t cbSize = kSize;
  std::uint32_t dwFlags = 0;
  std::uint32_t iFSTextEffect = 0, iFSTextEffectMSec = 0, iFSTextEffectColorBits = 0;
  std::uint32_t iFSGrafEffect = 0, iFSGrafEffectMSec = 0, iFSGrafEffectColor = 0;
  std::uint32_t iWindowsEffect = 0, iWindowsEffectMSec = 0;
  std::uint32_t iWindowsEffectOrdinal = 0;

  std::vector<std::uint8_t> ToBytes() const;
  static bool FromBytes(const std::vector<std::uint8_t>& bytes, SoundSentry& out);
  bool operator==(const SoundSentry&) const = default;
};

// ---------------------------------------------------------------------------

// LOGFONTA: 60 bytes.
struct LogFont {
  static constexpr std::size_t kSize = 60;
  std::int32_t height = 0, width = 0, escapement = 0, orientation = 0, weight = 0;
  std::uint8_t italic = 0, underline = 0, strikeOut = 0, charSet = 0;
  std::uint8_t outPrecision = 0, clipPrecision = 0, quality = 0, pitchAndFamily = 0;
  std::string faceName;  // at most 31 characters

  void Encode(StructWriter& w) const;
  void Decode(StructReader& r);
  bool operator==(const LogFont&) const = default;
};

// ICONMETRICSA: 76 bytes.
struct IconMetrics {
  static constexpr std::size_t kSize = 76;
  std::uint32_t cbSize = kSize;
  std::int32_t horzSpacing = 0, vertSpacing = 0, titleWrap = 0;
  LogFont font;

  std::vector<std::uint8_t> ToBytes() const;
  // False when `bytes` is not exactly kSize long.
  static bool FromBytes(const std::vector<std::uint8_t>& bytes, IconMetrics& out);
  bool operator==(const IconMetrics&) const = default;
};

// NONCLIENTMETRICSA (without the Vista padded-border field): 340 bytes.
struct NonClientMetrics {
  static constexpr std::size_t kSize = 340;
  std::uint32_t cbSize = kSize;
  std::int32_t borderWidth = 0, scrollWidth = 0, scrollHeight = 0;
  std::int32_t captionWidth = 0, captionHeight = 0;
  LogFont captionFont;
  std::int32_t smCaptionWidth = 0, smCaptionHeight = 0;
  LogFont smCaptionFont;
  std::int32_t menuWidth = 0, menuHeight = 0;
  LogFont menuFont, statusFont, messageFont;

  std::vector<std::uint8_t> ToBytes() const;
  static bool FromBytes(const std::vector<std::uint8_t>& bytes, NonClientMetrics& out);
  bool operator==(const NonClientMetrics&) const = default;
};

// MINIMIZEDMETRICS: 20 bytes.
struct MinimizedMetrics {
  static constexpr std::size_t kSize = 20;
  std::uint32_t cbSize = kSize;
  std::int32_t width = 0, horzGap = 0, vertGap = 0, arrange = 0;

  std::vector<std::uint8_t> ToBytes() const;
  static bool FromBytes(const std::vector<std::uint8_t>& bytes, MinimizedMetrics& out);
  bool operator==(const MinimizedMetrics&) const = default;
};

// ANIMATIONINFO: 8 bytes.
struct AnimationInfo {
  static constexpr std::size_t kSize = 8;
  std::uint32_t cbSize = kSize;
  std::int32_t minAnimate = 0;

  std::vector<std::uint8_t> ToBytes() const;
  static bool FromBytes(const std::vector<std::uint8_t>& bytes, AnimationInfo& out);
  bool operator==(const AnimationInfo&) const = default;
};
// ---- The "QRV Listview" shared block ----
// The desktop list view lives in the shell's process; on Windows 95/98 a
// named shared block, mapped at the same address in every process, carries
// a label buffer and the list-view structure (with pointers into the block)
// to it. These are the 32-bit ANSI layouts of LVITEMA and LVFINDINFOA and
// of the two blocks.
namespace listview_block {
inline constexpr std::size_t kLabelSize = 260;
inline constexpr std::size_t kItemOffset = 260;   // LVITEMA when saving
inline constexpr std::size_t kPointOffset = 300;  // POINT when saving
inline constexpr std::size_t kSaveSize = 308;
inline constexpr std::size_t kFindOffset = 260;   // LVFINDINFOA when loading
inline constexpr std::size_t kLoadSize = 284;
}  // namespace listview_block

// LVITEMA up to iIndent: 40 bytes.
struct ListViewItem {
  static constexpr std::size_t kSize = 40;
  std::uint32_t mask = 0;
  std::int32_t item = 0, subItem = 0;
  std::uint32_t state = 0, stateMask = 0;
  std::uint32_t text = 0;  // address of the label buffer
  std::int32_t textMax = 0, image = 0;
  std::uint32_t lParam = 0;
  std::int32_t indent = 0;

  void Encode(StructWriter& w) const;
  void Decode(StructReader& r);
  bool operator==(const ListViewItem&) const = default;
};

// LVFINDINFOA: 24 bytes.
struct ListViewFindInfo {
  static constexpr std::size_t kSize = 24;
  std::uint32_t flags = 0;
  std::uint32_t text = 0;  // address of the label to find
  std::uint32_t lParam = 0;
  std::int32_t x = 0, y = 0;
  std::uint32_t direction = 0;

  void Encode(StructWriter& w) const;
  void Decode(StructReader& r);
  bool operator==(const ListViewFindInfo&) const = default;
};

// The block for reading item `index` when the block is mapped at `base`:
// an empty label buffer, the LVITEMA asking for the label (LVIF_TEXT) and
// an empty POINT; 308 bytes.
std::vector<std::uint8_t> ListViewSaveBlock(std::uint32_t base, std::int32_t index);
// The block for finding `label` (cut to 259 characters) when the block is
// mapped at `base`: the label and the LVFINDINFOA (LVFI_STRING); 284 bytes.
std::vector<std::uint8_t> ListViewLoadBlock(std::uint32_t base, std::string_view label);
// --- The Active Desktop's structures ---------------------------------------
// As the shell's IActiveDesktop fills them and settings files carry them:
// COMPONENTSOPT, WALLPAPEROPT, the first Active Desktop's COMPONENT (with
// its COMPPOS), and path buffers of 260 UTF-16 characters. A decoded text
// stops at its first zero or at the end of its field, whichever comes first,
// so an unterminated field never runs past its end.
namespace adstruct {

inline constexpr std::size_t kComponentsOptionsSize = 12;
inline constexpr std::size_t kWallpaperOptionsSize = 8;
inline constexpr std::size_t kPositionSize = 44;
inline constexpr std::size_t kComponentSize = 8924;
inline constexpr std::size_t kPathChars = 260;          // MAX_PATH
inline constexpr std::size_t kPathSize = 2 * kPathChars;  // 520 bytes
inline constexpr std::size_t kUrlChars = 2084;          // INTERNET_MAX_URL_LENGTH
// Field offsets in a COMPONENT.
inline constexpr std::size_t kPositionAt = 24;
inline constexpr std::size_t kFriendlyNameAt = 68;
inline constexpr std::size_t kSourceAt = kFriendlyNameAt + kPathSize;   // 588
inline constexpr std::size_t kSubscribedUrlAt = kSourceAt + 2 * kUrlChars;  // 4756

std::vector<std::uint8_t> EncodeOptions(const qv::ComponentsOptions& options);
qv::ComponentsOptions DecodeOptions(const std::uint8_t* data);  // kComponentsOptionsSize bytes
std::vector<std::uint8_t> EncodeWallpaperOptions(const qv::WallpaperOptions& options);
qv::WallpaperOptions DecodeWallpaperOptions(const std::uint8_t* data);  // 8 bytes
// A path of at most 259 characters (longer ones are cut) and its zeros.
std::vector<std::uint8_t> EncodePath(std::u16string_view path);
std::u16string DecodePath(const std::uint8_t* data);  // kPathSize bytes
std::vector<std::uint8_t> EncodeComponent(const qv::DesktopComponent& component);
qv::DesktopComponent DecodeComponent(const std::uint8_t* data);  // kComponentSize bytes

}  // namespace adstruct
