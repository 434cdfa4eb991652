// Windows path and name rules for the in-memory machine.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace qv::mem {

// Upper-cases ASCII letters: Windows compares file and key names this way
// for the characters the program uses.
std::string FoldCase(std::string_view s);
bool EqualNoCase(std::string_view a, std::string_view b);

// An absolute file-system path: a drive letter (upper case) and the names
// below its root, spelled as given.
struct FsPath {
  char drive = 'C';
  std::vector<std::string> parts;

  bool IsRoot() const { return parts.empty(); }
  FsPath Parent() const;
  std::string Leaf() const { return parts.empty() ? std::string() : parts.back(); }
  // "C:\" for a root, "C:\A\B" otherwise.
  std::string ToString() const;
};

// Resolves `path` against `current` (an absolute path): '/' counts as '\',
// "." and ".." are applied, repeated separators collapse, a drive-relative
// "\x" starts at the current drive's root. Fails with err::InvalidName for
// names holding characters Windows refuses (allowing '*' and '?' in the
// last name when `wildcardLeaf` is set), err::PathNotFound for an empty
// path or a network path.
WinError ResolvePath(std::string_view path, const FsPath& current, bool wildcardLeaf,
                     FsPath& result);

// True when `path` ends with a separator (after a name, not the root).
bool HasTrailingSeparator(std::string_view path);

// DOS wildcard match, without regard to case: '*' any run, '?' one
// character; a name without a dot also matches as if it ended with '.'
// (so "*.*" matches "README" and "*." matches names without extension).
bool WildcardMatch(std::string_view pattern, std::string_view name);

// Splits a registry sub-key path into its names. A leading backslash is
// refused with err::BadPathname, as the real registry does; a trailing one is
// ignored. Empty input gives no names.
WinError SplitKeyPath(std::string_view subKey, std::vector<std::string>& names);

}  // namespace qv::mem
