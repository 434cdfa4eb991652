// Writes the fuzzers' seed corpus: settings files saved on a machine of each
// Windows kind, one per settings item the item factory builds (every item
// registered there, found through the catalogue) and one with all of them,
// each with a data file; and a few configuration files.
//
//   qorvel_fuzz_corpus <folder>   writes <folder>/load/*.qrv, <folder>/config/*.cfg
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "app/batch.h"
#include "config/cat_config.h"
#include "config/options.h"
#include "config/section_catalogue.h"
#include "engine/file_utils.h"
#include "engine/program.h"
#include "engine/settings.h"
#include "platform/memory/memory_machine.h"
#include "platform/system_parameters.h"

namespace {

using namespace qv;

const char* KindName(OSKind kind) {
  return kind == okWin95 ? "95" : kind == okWin98 ? "98" : "nt";
}

std::string Slug(const std::string& name) {
  std::string slug;
  for (char c : name)
    slug += std::isalnum(static_cast<unsigned char>(c))
                ? static_cast<char>(std::tolower(static_cast<unsigned char>(c)))
                : '-';
  return slug;
}

void Put(const std::string& path, const std::string& bytes) {
  ForceFolders(FolderOf(path));
  IFiles& files = CurrentMachine().Files();
  FileHandle h = 0;
  if (files.Open(path, FileAccess::Write, Disposition::CreateAlways, 0, h) != err::Success) return;
  std::uint32_t done = 0;
  files.Write(h, bytes.data(), static_cast<std::uint32_t>(bytes.size()), done);
  files.Close(h);
}

std::string Get(const std::string& path) {
  IFiles& files = CurrentMachine().Files();
  FileHandle h = 0;
  if (files.Open(path, FileAccess::Read, Disposition::OpenExisting, 0, h) != err::Success)
    return std::string();
  std::string bytes;
  char buffer[4096];
  std::uint32_t done = 0;
  while (files.Read(h, buffer, sizeof buffer, done) == err::Success && done) bytes.append(buffer, done);
  files.Close(h);
  return bytes;
}

bool Export(const std::string& bytes, const std::filesystem::path& to) {
  std::ofstream out(to, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// The section names the item factory builds an item for.
std::vector<const TCatalogueEntry*> RegisteredItems() {
  std::vector<const TCatalogueEntry*> items;
  for (std::size_t i = 0; i < kCatalogueSize; ++i)
    if (CreateSettingsItem(Catalogue()[i].name)) items.push_back(&Catalogue()[i]);
  return items;
}

// A machine with a little to say beyond its defaults: a wallpaper bitmap
// and a data file.
void Prepare(MemoryMachine& m) {
  Put("C:\\Pictures\\Seed.bmp", "BM seed picture");
  std::string bitmap = "C:\\Pictures\\Seed.bmp";
  if (ISystemParameters* spi = m.SystemParameters())
    spi->ParameterText(spi::SetDeskWallpaper, 0, &bitmap, spif::UpdateIniFile);
  Put("C:\\Data\\notes.txt", "seed notes");
}

bool SaveSeed(const std::vector<const TCatalogueEntry*>& selected, const std::filesystem::path& to) {
  TCatConfig& config = CurrentConfig();
  config.PersonalityItems.SetAll(false);
  config.ConnectivityItems.SetAll(false);
  for (const TCatalogueEntry* entry : selected) {
    TSectionNames& list = entry->group == TSectionGroup::Personality ? config.PersonalityItems
                                                                     : config.ConnectivityItems;
    list.SetSelected(entry->name, true);
  }
  config.FileList = {"C:\\Data\\notes.txt"};
  const std::string file = "C:\\Seeds\\seed.qrv";
  ForceFolders("C:\\Seeds");
  if (BatchSave(file) != SETTINGS_OK) {
    std::cerr << "save failed for " << to << "\n";
    return false;
  }
  return Export(Get(file), to);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: qorvel_fuzz_corpus <folder>\n";
    return 2;
  }
  const std::filesystem::path root = argv[1];
  std::filesystem::create_directories(root / "load");
  std::filesystem::create_directories(root / "config");
  bool ok = true;
  int written = 0;

  for (OSKind kind : {okWin95, okWin98, okWinNT}) {
    MemoryMachine machine(kind);
    MachineScope on(machine);
    ProgramObjects program("");
    Options().QuietMode = true;
    Prepare(machine);
    const std::vector<const TCatalogueEntry*> items = RegisteredItems();
    for (const TCatalogueEntry* entry : items) {
      ok &= SaveSeed({entry}, root / "load" / (std::string(KindName(kind)) + "-" + Slug(entry->name) + ".qrv"));
      ++written;
    }
    ok &= SaveSeed(items, root / "load" / (std::string(KindName(kind)) + "-all.qrv"));
    ++written;
  }

  // Configuration files: the default one, one with a selection and data
  // files (a quoted name with a space), and one without sections.
  {
    MemoryMachine machine(okWinNT);
    MachineScope on(machine);
    ProgramObjects program("");
    Options().QuietMode = true;
    ForceFolders("C:\\Seeds");
    TCatConfig defaults;
    defaults.Save("C:\\Seeds\\default.cfg");
    ok &= Export(Get("C:\\Seeds\\default.cfg"), root / "config" / "default.cfg");
    TCatConfig chosen;
    chosen.PersonalityItems.SetAll(false);
    chosen.PersonalityItems.SetSelected("Wallpaper", true);
    chosen.ConnectivityItems.SetSelected("Computer Name", false);
    chosen.FileList = {"C:\\My Documents\\*.doc", "C:\\Data"};
    chosen.Save("C:\\Seeds\\chosen.cfg");
    ok &= Export(Get("C:\\Seeds\\chosen.cfg"), root / "config" / "chosen.cfg");
    ok &= Export("Files\r\n\"C:\\a b.txt\" extra\r\nEndFiles\r\n", root / "config" / "files-only.cfg");
    written += 3;
  }
  std::cout << written << " seeds in " << root.string() << "\n";
  return ok ? 0 : 1;
}
