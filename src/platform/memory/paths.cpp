#include "platform/memory/paths.h"

#include <cstring>

namespace qv::mem {

std::string FoldCase(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && FoldCase(a) == FoldCase(b);
}

FsPath FsPath::Parent() const {
  FsPath p = *this;
  if (!p.parts.empty()) p.parts.pop_back();
  return p;
}

std::string FsPath::ToString() const {
  std::string s;
  s += drive;
  s += ":\\";
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) s += '\\';
    s += parts[i];
  }
  return s;
}

namespace {

bool IsSep(char c) { return c == '\\' || c == '/'; }

bool ValidName(std::string_view name, bool allowWildcards) {
  for (unsigned char c : name) {
    if (c < 32) return false;
    if (std::strchr("<>:\"|", c)) return false;
    if ((c == '*' || c == '?') && !allowWildcards) return false;
  }
  return true;
}

}  // namespace

WinError ResolvePath(std::string_view path, const FsPath& current, bool wildcardLeaf,
                     FsPath& result) {
  if (path.empty()) return err::PathNotFound;
  if (path.size() >= 2 && IsSep(path[0]) && IsSep(path[1])) return err::PathNotFound;

  FsPath out;
  std::string_view rest = path;
  if (rest.size() >= 2 && rest[1] == ':') {
    char d = rest[0];
    if (d >= 'a' && d <= 'z') d = static_cast<char>(d - 'a' + 'A');
    if (d < 'A' || d > 'Z') return err::InvalidName;
    out.drive = d;
    rest.remove_prefix(2);
    if (rest.empty() || !IsSep(rest[0])) {
      // "C:name" is relative to the current folder when it is on that drive.
      if (d == current.drive) out.parts = current.parts;
    }
  } else if (IsSep(rest[0])) {
    out.drive = current.drive;
  } else {
    out = current;
  }

  // Collect the names first to know which one is the last.
  std::vector<std::string_view> names;
  size_t i = 0;
  while (i < rest.size()) {
    while (i < rest.size() && IsSep(rest[i])) ++i;
    size_t start = i;
    while (i < rest.size() && !IsSep(rest[i])) ++i;
    if (i > start) names.push_back(rest.substr(start, i - start));
  }
  for (size_t n = 0; n < names.size(); ++n) {
    std::string_view name = names[n];
    if (name == ".") continue;
    if (name == "..") {
      if (!out.parts.empty()) out.parts.pop_back();
      continue;
    }
    // Windows drops trailing dots and blanks from a name.
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
    if (name.empty()) return err::InvalidName;
    if (!ValidName(name, wildcardLeaf && n + 1 == names.size())) return err::InvalidName;
    out.parts.emplace_back(name);
  }
  result = std::move(out);
  return err::Success;
}

bool HasTrailingSeparator(std::string_view path) {
  if (path.empty() || !IsSep(path.back())) return false;
  // "C:\" and "\" are roots, not names with a separator after them.
  std::string_view body = path.substr(0, path.size() - 1);
  if (body.empty()) return false;
  if (body.size() == 2 && body[1] == ':') return false;
  return true;
}

namespace {

bool Match(const char* p, const char* n) {
  // Iterative glob with one backtrack point.
  const char* star = nullptr;
  const char* mark = nullptr;
  while (*n) {
    char pc = *p, nc = *n;
    if (pc >= 'a' && pc <= 'z') pc = static_cast<char>(pc - 'a' + 'A');
    if (nc >= 'a' && nc <= 'z') nc = static_cast<char>(nc - 'a' + 'A');
    if (pc == '*') {
      star = p++;
      mark = n;
    } else if (pc == '?' || (pc != 0 && pc == nc)) {
      ++p;
      ++n;
    } else if (star) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (*p == '*') ++p;
  return *p == 0;
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  std::string p(pattern), n(name);
  if (Match(p.c_str(), n.c_str())) return true;
  if (n.find('.') == std::string::npos) return Match(p.c_str(), (n + ".").c_str());
  return false;
}

WinError SplitKeyPath(std::string_view subKey, std::vector<std::string>& names) {
  names.clear();
  if (!subKey.empty() && subKey[0] == '\\') return err::BadPathname;
  size_t i = 0;
  while (i < subKey.size()) {
    size_t end = subKey.find('\\', i);
    if (end == std::string_view::npos) end = subKey.size();
    if (end == i) {
      // An empty name between two separators; a single trailing one is fine.
      if (end + 1 >= subKey.size()) break;
      return err::BadPathname;
    }
    names.emplace_back(subKey.substr(i, end - i));
    i = end + 1;
  }
  return err::Success;
}

}  // namespace qv::mem
