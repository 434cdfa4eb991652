#include "stream/win_structs.h"

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
