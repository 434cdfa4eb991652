// The plain-copy floor for the data-file benchmark (scripts/bench): what a
// minimal Win32 program pays to read every file of a tree once into one
// output file, and to write them back from it, through the same calls and
// block size as the settings runs. Not part of the product.
//
//   copy_floor save <folder> <output> [block]
//   copy_floor load <input> <folder> [block]
//
// The output holds, per file, its path below the folder (4-byte length and
// the characters), its size (8 bytes) and its bytes.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

DWORD block = 65536;
std::vector<char> buffer;

bool WriteAll(HANDLE h, const void* data, DWORD count) {
  DWORD done = 0;
  return WriteFile(h, data, count, &done, nullptr) && done == count;
}

bool ReadAll(HANDLE h, void* data, DWORD count) {
  DWORD done = 0;
  return ReadFile(h, data, count, &done, nullptr) && done == count;
}

bool SaveFile(const std::string& path, const std::string& relative, HANDLE out) {
  HANDLE in = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
  if (in == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  GetFileSizeEx(in, &size);
  DWORD length = static_cast<DWORD>(relative.size());
  bool ok = WriteAll(out, &length, 4) && WriteAll(out, relative.data(), length) &&
            WriteAll(out, &size.QuadPart, 8);
  for (;;) {
    DWORD done = 0;
    if (!ok || !ReadFile(in, buffer.data(), block, &done, nullptr) || done == 0) break;
    ok = WriteAll(out, buffer.data(), done);
  }
  CloseHandle(in);
  return ok;
}

bool SaveTree(const std::string& folder, const std::string& relative, HANDLE out) {
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return true;
  std::vector<std::string> subfolders;
  bool ok = true;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      subfolders.push_back(name);
    else
      ok = SaveFile(folder + "\\" + name, relative + name, out) && ok;
  } while (FindNextFileA(find, &found));
  FindClose(find);
  for (const std::string& sub : subfolders)
    ok = SaveTree(folder + "\\" + sub, relative + sub + "\\", out) && ok;
  return ok;
}

bool Load(HANDLE in, const std::string& folder) {
  CreateDirectoryA(folder.c_str(), nullptr);
  for (;;) {
    DWORD length = 0, done = 0;
    if (!ReadFile(in, &length, 4, &done, nullptr)) return false;
    if (done == 0) return true;
    std::string relative(length, '\0');
    LONGLONG size = 0;
    if (done != 4 || !ReadAll(in, relative.data(), length) || !ReadAll(in, &size, 8)) return false;
    std::string path = folder + "\\" + relative;
    for (std::size_t i = folder.size() + 1; i < path.size(); ++i)
      if (path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
    HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    while (ok && size > 0) {
      DWORD n = size < block ? static_cast<DWORD>(size) : block;
      ok = ReadAll(in, buffer.data(), n) && WriteAll(out, buffer.data(), n);
      size -= n;
    }
    CloseHandle(out);
    if (!ok) return false;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: copy_floor save|load <from> <to> [block]\n");
    return 2;
  }
  if (argc > 4) block = static_cast<DWORD>(std::strtoul(argv[4], nullptr, 10));
  if (block == 0) return 2;
  buffer.resize(block);
  const std::string mode = argv[1];
  bool ok;
  if (mode == "save") {
    HANDLE out = CreateFileA(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return 1;
    ok = SaveTree(argv[2], "", out);
    CloseHandle(out);
  } else {
    HANDLE in = CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (in == INVALID_HANDLE_VALUE) return 1;
    ok = Load(in, argv[3]);
    CloseHandle(in);
  }
  return ok ? 0 : 1;
}
