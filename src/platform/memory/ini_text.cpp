#include "platform/memory/ini_text.h"

#include "platform/memory/paths.h"

namespace qv::mem {

namespace {

std::string Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return std::string(s.substr(b, e - b));
}

std::string Unquote(const std::string& v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

}  // namespace

IniText::Line IniText::Classify(std::string raw) {
  Line line;
  std::string t = Trim(raw);
  line.raw = std::move(raw);
  if (t.empty() || t[0] == ';') return line;
  if (t[0] == '[') {
    std::size_t close = t.find(']');
    line.kind = Line::Section;
    line.name = Trim(std::string_view(t).substr(1, close == std::string::npos ? std::string::npos
                                                                               : close - 1));
    return line;
  }
  line.kind = Line::Key;
  std::size_t eq = t.find('=');
  line.name = Trim(std::string_view(t).substr(0, eq));
  if (eq != std::string::npos) line.value = Trim(std::string_view(t).substr(eq + 1));
  return line;
}

IniText::IniText(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t end = text.find('\n', i);
    if (end == std::string_view::npos) end = text.size();
    std::string raw(text.substr(i, end - i));
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    lines_.push_back(Classify(std::move(raw)));
    i = end + 1;
  }
}

std::size_t IniText::FindSection(std::string_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].kind == Line::Section && EqualNoCase(lines_[i].name, Trim(section))) return i;
  return std::string::npos;
}

std::size_t IniText::SectionEnd(std::size_t header) const {
  std::size_t i = header + 1;
  while (i < lines_.size() && lines_[i].kind != Line::Section) ++i;
  return i;
}

std::optional<std::string> IniText::Get(std::string_view section, std::string_view key) const {
  std::size_t s = FindSection(section);
  if (s == std::string::npos) return std::nullopt;
  for (std::size_t i = s + 1, end = SectionEnd(s); i < end; ++i)
    if (lines_[i].kind == Line::Key && EqualNoCase(lines_[i].name, Trim(key)))
      return Unquote(lines_[i].value);
  return std::nullopt;
}

void IniText::Set(std::string_view section, std::string_view key, std::string_view value) {
  const std::string k = Trim(key);
  std::size_t s = FindSection(section);
  if (s == std::string::npos) {
    if (!lines_.empty() && !Trim(lines_.back().raw).empty()) lines_.push_back(Classify(""));
    lines_.push_back(Classify("[" + Trim(section) + "]"));
    lines_.push_back(Classify(k + "=" + std::string(value)));
    return;
  }
  std::size_t end = SectionEnd(s), lastKey = s;
  for (std::size_t i = s + 1; i < end; ++i) {
    if (lines_[i].kind != Line::Key) continue;
    if (EqualNoCase(lines_[i].name, k)) {
      lines_[i] = Classify(lines_[i].name + "=" + std::string(value));
      return;
    }
    lastKey = i;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(lastKey + 1),
                Classify(k + "=" + std::string(value)));
}

void IniText::DeleteKey(std::string_view section, std::string_view key) {
  std::size_t s = FindSection(section);
  if (s == std::string::npos) return;
  for (std::size_t i = s + 1, end = SectionEnd(s); i < end; ++i)
    if (lines_[i].kind == Line::Key && EqualNoCase(lines_[i].name, Trim(key))) {
      lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
}

void IniText::DeleteSection(std::string_view section) {
  std::size_t s = FindSection(section);
  if (s == std::string::npos) return;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(s),
               lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(s)));
}

std::vector<std::string> IniText::Sections() const {
  std::vector<std::string> names;
  for (const Line& l : lines_) {
    if (l.kind != Line::Section) continue;
    bool seen = false;
    for (const std::string& n : names) seen = seen || EqualNoCase(n, l.name);
    if (!seen) names.push_back(l.name);
  }
  return names;
}

std::vector<std::string> IniText::Keys(std::string_view section) const {
  std::vector<std::string> names;
  std::size_t s = FindSection(section);
  if (s == std::string::npos) return names;
  for (std::size_t i = s + 1, end = SectionEnd(s); i < end; ++i)
    if (lines_[i].kind == Line::Key) names.push_back(lines_[i].name);
  return names;
}

std::string IniText::Text() const {
  std::string out;
  for (const Line& l : lines_) out += l.raw + "\r\n";
  return out;
}

}  // namespace qv::mem
