// The text of an INI file, read and edited as the profile calls do: section
// and key names without regard to case, blanks around names and values
// dropped, a value's enclosing quotes removed on reading, the first of
// several equal sections or keys counting. Edits keep every other line
// (comments included) as it was.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::mem {

class IniText {
 public:
  IniText() = default;
  explicit IniText(std::string_view text);

  // The value of a key, or nothing when the section or key is missing.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  // Replaces the key's value, or adds the key at the end of its section,
  // or adds the section at the end of the text.
  void Set(std::string_view section, std::string_view key, std::string_view value);
  void DeleteKey(std::string_view section, std::string_view key);
  void DeleteSection(std::string_view section);

  // Section names as spelled, in text order (each name once).
  std::vector<std::string> Sections() const;
  // Key names of the first section of that name, in text order.
  std::vector<std::string> Keys(std::string_view section) const;

  // The whole text, lines ended with CR LF.
  std::string Text() const;

 private:
  struct Line {
    std::string raw;
    enum Kind { Other, Section, Key } kind = Other;
    std::string name;   // the section's or key's name, trimmed
    std::string value;  // a key's value, trimmed
  };
  static Line Classify(std::string raw);
  // Index of the first section header of that name, or npos.
  std::size_t FindSection(std::string_view section) const;
  // One past the section's last line.
  std::size_t SectionEnd(std::size_t header) const;

  std::vector<Line> lines_;
};

}  // namespace qv::mem
