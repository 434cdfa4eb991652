#include "stream/win_structs.h"

#include <algorithm>
#include <cstring>

void StructWriter::U16(std::uint16_t v) {
  bytes_.push_back(static_cast<std::uint8_t>(v));
  bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
}

void StructWriter::U32(std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void StructWriter::Chars(std::string_view text, std::size_t width) {
  if (width == 0) return;
  std::size_t n = std::min(text.size(), width - 1);
  bytes_.insert(bytes_.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n));
  bytes_.insert(bytes_.end(), width - n, 0);
}

void StructWriter::Bytes(const std::uint8_t* data, std::size_t count) {
  bytes_.insert(bytes_.end(), data, data + count);
}

bool StructReader::Take(std::size_t count) {
  if (!ok_ || size_ - offset_ < count) {
    ok_ = false;
    return false;
  }
  return true;
}

std::uint8_t StructReader::U8() {
  if (!Take(1)) return 0;
  return data_[offset_++];
}

std::uint16_t StructReader::U16() {
  if (!Take(2)) return 0;
  std::uint16_t v = static_cast<std::uint16_t>(data_[offset_] | (data_[offset_ + 1] << 8));
  offset_ += 2;
  return v;
}

std::uint32_t StructReader::U32() {
  if (!Take(4)) return 0;
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | data_[offset_ + static_cast<std::size_t>(i)];
  offset_ += 4;
  return v;
}

std::string StructReader::Chars(std::size_t width) {
  if (!Take(width)) return std::string();
  const char* p = reinterpret_cast<const char*>(data_ + offset_);
  std::string text(p, strnlen(p, width));
  offset_ += width;
  return text;
}

void StructReader::Bytes(std::uint8_t* out, std::size_t count) {
  if (!Take(count)) {
    std::memset(out, 0, count);
    return;
  }
  std::memcpy(out, data_ + offset_, count);
  offset_ += count;
}

// ---------------------------------------------------------------------------
// The accessibility structures: rows of 32-bit fields, a null pointer where
// a pointer field lies.

namespace {

// A field list in layout order; null marks a pointer field.
using FieldList = std::initializer_list<std::uint32_t*>;
using ConstFieldList = std::initializer_list<const std::uint32_t*>;

std::vector<std::uint8_t> EncodeFields(ConstFieldList fields) {
  StructWriter w;
  for (const std::uint32_t* f : fields) w.U32(f ? *f : 0u);
  return w.bytes();
}

bool DecodeFields(const std::vector<std::uint8_t>& bytes, std::size_t size, FieldList fields) {
  if (bytes.size() != size || fields.size() * 4 != size) return false;
  StructReader r(bytes);
  for (std::uint32_t* f : fields) {
    std::uint32_t v = r.U32();
    if (f) *f = v;
  }
  return r.ok();
}

}  // namespace

std::vector<std::uint8_t> AccessTimeout::ToBytes() const {
  return EncodeFields({&cbSize, &dwFlags, &iTimeOutMSec});
}
bool AccessTimeout::FromBytes(const std::vector<std::uint8_t>& bytes, AccessTimeout& out) {
  return DecodeFields(bytes, kSize, {&out.cbSize, &out.dwFlags, &out.iTimeOutMSec});
}

std::vector<std::uint8_t> FilterKeys::ToBytes() const {
  return EncodeFields(
      {&cbSize, &dwFlags, &iWaitMSec, &iDelayMSec, &iRepeatMSec, &iBounceMSec});
}
bool FilterKeys::FromBytes(const std::vector<std::uint8_t>& bytes, FilterKeys& out) {
  return DecodeFields(bytes, kSize,
                      {&out.cbSize, &out.dwFlags, &out.iWaitMSec, &out.iDelayMSec,
                       &out.iRepeatMSec, &out.iBounceMSec});
}

std::vector<std::uint8_t> MouseKeys::ToBytes() const {
  return EncodeFields({&cbSize, &dwFlags, &iMaxSpeed, &iTimeToMaxSpeed, &iCtrlSpeed,
                       &dwReserved1, &dwReserved2});
}
bool MouseKeys::FromBytes(const std::vector<std::uint8_t>& bytes, MouseKeys& out) {
  return DecodeFields(bytes, kSize,
                      {&out.cbSize, &out.dwFlags, &out.iMaxSpeed, &out.iTimeToMaxSpeed,
                       &out.iCtrlSpeed, &out.dwReserved1, &out.dwReserved2});
}

std::vector<std::uint8_t> StickyKeys::ToBytes() const { return EncodeFields({&cbSize, &dwFlags}); }
bool StickyKeys::FromBytes(const std::vector<std::uint8_t>& bytes, StickyKeys& out) {
  return DecodeFields(bytes, kSize, {&out.cbSize, &out.dwFlags});
}

std::vector<std::uint8_t> ToggleKeys::ToBytes() const { return EncodeFields({&cbSize, &dwFlags}); }
bool ToggleKeys::FromBytes(const std::vector<std::uint8_t>& bytes, ToggleKeys& out) {
  return DecodeFields(bytes, kSize, {&out.cbSize, &out.dwFlags});
}

std::vector<std::uint8_t> SerialKeys::ToBytes() const {
  return EncodeFields({&cbSize, &dwFlags, nullptr, nullptr, &iBaudRate, &iPortState, &iActive});
}
bool SerialKeys::FromBytes(const std::vector<std::uint8_t>& bytes, SerialKeys& out) {
  return DecodeFields(bytes, kSize,
                      {&out.cbSize, &out.dwFlags, nullptr, nullptr, &out.iBaudRate,
                       &out.iPortState, &out.iActive});
}

std::vector<std::uint8_t> HighContrast::ToBytes() const {
  return EncodeFields({&cbSize, &dwFlags, nullptr});
}
bool HighContrast::FromBytes(const std::vector<std::uint8_t>& bytes, HighContrast& out) {
  return DecodeFields(bytes, kSize, {&out.cbSize, &out.dwFlags, nullptr});
}

std::vector<std::uint8_t> SoundSentry::ToBytes() const {
  return EncodeFields({&cbSize, &dwFlags, &iFSTextEffect, &iFSTextEffectMSec,
                       &iFSTextEffectColorBits, &iFSGrafEffect, &iFSGrafEffectMSec,
                       &iFSGrafEffectColor, &iWindowsEffect, &iWindowsEffectMSec, nullptr,
                       &iWindowsEffectOrdinal});
}
bool SoundSentry::FromBytes(const std::vector<std::uint8_t>& bytes, SoundSentry& out) {
  return DecodeFields(bytes, kSize,
                      {&out.cbSize, &out.dwFlags, &out.iFSTextEffect, &out.iFSTextEffectMSec,
                       &out.iFSTextEffectColorBits, &out.iFSGrafEffect, &out.iFSGrafEffectMSec,
                       &out.iFSGrafEffectColor, &out.iWindowsEffect, &out.iWindowsEffectMSec,
                       nullptr, &out.iWindowsEffectOrdinal});
}

// ---------------------------------------------------------------------------

void LogFont::Encode(StructWriter& w) const {
  for (std::int32_t v : {height, width, escapement, orientation, weight}) w.I32(v);
  for (std::uint8_t v : {italic, underline, strikeOut, charSet, outPrecision, clipPrecision,
                         quality, pitchAndFamily})
    w.U8(v);
  w.Chars(faceName, 32);
}

void LogFont::Decode(StructReader& r) {
  for (std::int32_t* v : {&height, &width, &escapement, &orientation, &weight}) *v = r.I32();
  for (std::uint8_t* v : {&italic, &underline, &strikeOut, &charSet, &outPrecision,
                          &clipPrecision, &quality, &pitchAndFamily})
    *v = r.U8();
  faceName = r.Chars(32);
}

std::vector<std::uint8_t> IconMetrics::ToBytes() const {
  StructWriter w;
  w.U32(cbSize);
  w.I32(horzSpacing);
  w.I32(vertSpacing);
  w.I32(titleWrap);
  font.Encode(w);
  return w.bytes();
}

bool IconMetrics::FromBytes(const std::vector<std::uint8_t>& bytes, IconMetrics& out) {
  if (bytes.size() != kSize) return false;
  StructReader r(bytes);
  out.cbSize = r.U32();
  out.horzSpacing = r.I32();
  out.vertSpacing = r.I32();
  out.titleWrap = r.I32();
  out.font.Decode(r);
  return r.ok();
}

std::vector<std::uint8_t> NonClientMetrics::ToBytes() const {
  StructWriter w;
  w.U32(cbSize);
  for (std::int32_t v : {borderWidth, scrollWidth, scrollHeight, captionWidth, captionHeight})
    w.I32(v);
  captionFont.Encode(w);
  w.I32(smCaptionWidth);
  w.I32(smCaptionHeight);
  smCaptionFont.Encode(w);
  w.I32(menuWidth);
  w.I32(menuHeight);
  menuFont.Encode(w);
  statusFont.Encode(w);
  messageFont.Encode(w);
  return w.bytes();
}

bool NonClientMetrics::FromBytes(const std::vector<std::uint8_t>& bytes, NonClientMetrics& out) {
  if (bytes.size() != kSize) return false;
  StructReader r(bytes);
  out.cbSize = r.U32();
  for (std::int32_t* v : {&out.borderWidth, &out.scrollWidth, &out.scrollHeight,
                          &out.captionWidth, &out.captionHeight})
    *v = r.I32();
  out.captionFont.Decode(r);
  out.smCaptionWidth = r.I32();
  out.smCaptionHeight = r.I32();
  out.smCaptionFont.Decode(r);
  out.menuWidth = r.I32();
  out.menuHeight = r.I32();
  out.menuFont.Decode(r);
  out.statusFont.Decode(r);
  out.messageFont.Decode(r);
  return r.ok();
}

std::vector<std::uint8_t> MinimizedMetrics::ToBytes() const {
  StructWriter w;
  w.U32(cbSize);
  for (std::int32_t v : {width, horzGap, vertGap, arrange}) w.I32(v);
  return w.bytes();
}

bool MinimizedMetrics::FromBytes(const std::vector<std::uint8_t>& bytes, MinimizedMetrics& out) {
  if (bytes.size() != kSize) return false;
  StructReader r(bytes);
  out.cbSize = r.U32();
  for (std::int32_t* v : {&out.width, &out.horzGap, &out.vertGap, &out.arrange}) *v = r.I32();
  return r.ok();
}

std::vector<std::uint8_t> AnimationInfo::ToBytes() const {
  StructWriter w;
  w.U32(cbSize);
  w.I32(minAnimate);
  return w.bytes();
}

bool AnimationInfo::FromBytes(const std::vector<std::uint8_t>& bytes, AnimationInfo& out) {
  if (bytes.size() != kSize) return false;
  StructReader r(bytes);
  out.cbSize = r.U32();
  out.minAnimate = r.I32();
  return r.ok();
}
// ---- The "QRV Listview" shared block ----

void ListViewItem::Encode(StructWriter& w) const {
  w.U32(mask);
  w.I32(item);
  w.I32(subItem);
  w.U32(state);
  w.U32(stateMask);
  w.U32(text);
  w.I32(textMax);
  w.I32(image);
  w.U32(lParam);
  w.I32(indent);
}

void ListViewItem::Decode(StructReader& r) {
  mask = r.U32();
  item = r.I32();
  subItem = r.I32();
  state = r.U32();
  stateMask = r.U32();
  text = r.U32();
  textMax = r.I32();
  image = r.I32();
  lParam = r.U32();
  indent = r.I32();
}

void ListViewFindInfo::Encode(StructWriter& w) const {
  w.U32(flags);
  w.U32(text);
  w.U32(lParam);
  w.I32(x);
  w.I32(y);
  w.U32(direction);
}

void ListViewFindInfo::Decode(StructReader& r) {
  flags = r.U32();
  text = r.U32();
  lParam = r.U32();
  x = r.I32();
  y = r.I32();
  direction = r.U32();
}

std::vector<std::uint8_t> ListViewSaveBlock(std::uint32_t base, std::int32_t index) {
  StructWriter w;
  w.Chars("", listview_block::kLabelSize);
  ListViewItem item;
  item.mask = 0x0001;  // LVIF_TEXT
  item.item = index;
  item.text = base;
  item.textMax = static_cast<std::int32_t>(listview_block::kLabelSize);
  item.Encode(w);
  w.I32(0);
  w.I32(0);
  return w.bytes();
}

std::vector<std::uint8_t> ListViewLoadBlock(std::uint32_t base, std::string_view label) {
  StructWriter w;
  w.Chars(label, listview_block::kLabelSize);
  ListViewFindInfo find;
  find.flags = 0x0002;  // LVFI_STRING
  find.text = base;
  find.Encode(w);
  return w.bytes();
}
namespace adstruct {

namespace {

void Wide(StructWriter& w, std::u16string_view text, std::size_t chars) {
  const std::size_t n = std::min(text.size(), chars - 1);
  for (std::size_t i = 0; i < n; ++i) w.U16(text[i]);
  for (std::size_t i = n; i < chars; ++i) w.U16(0);
}

std::u16string Wide(StructReader& r, std::size_t chars) {
  std::u16string text;
  bool ended = false;
  for (std::size_t i = 0; i < chars; ++i) {
    const char16_t c = r.U16();
    if (c == 0) ended = true;
    if (!ended) text.push_back(c);
  }
  return text;
}

void Bool(StructWriter& w, bool b) { w.U32(b ? 1 : 0); }

}  // namespace

std::vector<std::uint8_t> EncodeOptions(const qv::ComponentsOptions& o) {
  StructWriter w;
  w.U32(o.size);
  Bool(w, o.enableComponents);
  Bool(w, o.activeDesktop);
  return w.bytes();
}

qv::ComponentsOptions DecodeOptions(const std::uint8_t* data) {
  StructReader r(data, kComponentsOptionsSize);
  qv::ComponentsOptions o;
  o.size = r.U32();
  o.enableComponents = r.U32() != 0;
  o.activeDesktop = r.U32() != 0;
  return o;
}

std::vector<std::uint8_t> EncodeWallpaperOptions(const qv::WallpaperOptions& o) {
  StructWriter w;
  w.U32(o.size);
  w.U32(o.style);
  return w.bytes();
}

qv::WallpaperOptions DecodeWallpaperOptions(const std::uint8_t* data) {
  StructReader r(data, kWallpaperOptionsSize);
  qv::WallpaperOptions o;
  o.size = r.U32();
  o.style = r.U32();
  return o;
}

std::vector<std::uint8_t> EncodePath(std::u16string_view path) {
  StructWriter w;
  Wide(w, path, kPathChars);
  return w.bytes();
}

std::u16string DecodePath(const std::uint8_t* data) {
  StructReader r(data, kPathSize);
  return Wide(r, kPathChars);
}

std::vector<std::uint8_t> EncodeComponent(const qv::DesktopComponent& c) {
  StructWriter w;
  w.U32(c.size);
  w.U32(c.id);
  w.I32(c.type);
  Bool(w, c.checked);
  Bool(w, c.dirty);
  Bool(w, c.noScroll);
  const qv::ComponentPosition& p = c.position;
  w.U32(p.size);
  w.I32(p.left);
  w.I32(p.top);
  w.U32(p.width);
  w.U32(p.height);
  w.I32(p.zIndex);
  Bool(w, p.canResize);
  Bool(w, p.canResizeX);
  Bool(w, p.canResizeY);
  w.I32(p.preferredLeftPercent);
  w.I32(p.preferredTopPercent);
  Wide(w, c.friendlyName, kPathChars);
  Wide(w, c.source, kUrlChars);
  Wide(w, c.subscribedUrl, kUrlChars);
  return w.bytes();
}

qv::DesktopComponent DecodeComponent(const std::uint8_t* data) {
  StructReader r(data, kComponentSize);
  qv::DesktopComponent c;
  c.size = r.U32();
  c.id = r.U32();
  c.type = r.I32();
  c.checked = r.U32() != 0;
  c.dirty = r.U32() != 0;
  c.noScroll = r.U32() != 0;
  qv::ComponentPosition& p = c.position;
  p.size = r.U32();
  p.left = r.I32();
  p.top = r.I32();
  p.width = r.U32();
  p.height = r.U32();
  p.zIndex = r.I32();
  p.canResize = r.U32() != 0;
  p.canResizeX = r.U32() != 0;
  p.canResizeY = r.U32() != 0;
  p.preferredLeftPercent = r.I32();
  p.preferredTopPercent = r.I32();
  c.friendlyName = Wide(r, kPathChars);
  c.source = Wide(r, kUrlChars);
  c.subscribedUrl = Wide(r, kUrlChars);
  return c;
}

}  // namespace adstruct
