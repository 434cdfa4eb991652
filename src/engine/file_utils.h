// Small file-system questions and helpers over the current machine's files.
#pragma once

#include <string>
#include <vector>

// A file exists when the name exists and is not a folder.
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// The folder part of a path: up to its last backslash, keeping a root such as
// "C:\"; "" when the path has no backslash.
std::string FolderOf(const std::string& path);
// Creates a folder with every missing parent; true when it exists afterwards.
bool ForceFolders(const std::string& path);

// Writes `lines` as a text file (each line ended by CR LF), replacing the
// file. On failure `error` says why ("Cannot write <file>. <system text>").
bool WriteTextLines(const std::string& fileName, const std::vector<std::string>& lines,
                    std::string& error);
