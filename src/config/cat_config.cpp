#include "config/cat_config.h"

#include <cctype>
#include <exception>

#include "config/options.h"
#include "config/section_catalogue.h"
#include "config/token_stream.h"
#include "engine/debug_log.h"
#include "engine/messages.h"
#include "platform/machine.h"
#include "stream/connection.h"

namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// A file exists when the name exists and is not a folder.
bool FileExists(const std::string& fileName) {
  std::uint32_t attributes = qv::fattr::Invalid;
  return qv::CurrentMachine().Files().Attributes(fileName, attributes) == qv::err::Success &&
         (attributes & qv::fattr::Directory) == 0;
}

void ReportError(const std::string& message) {
  if (!IsQuietMode()) ShowErrorBox(message);
}

}  // namespace

// ---- TBooleanList ----

bool TBooleanList::Get(int index) const {
  return index >= 0 && index < GetCount() && items_[static_cast<std::size_t>(index)];
}

void TBooleanList::Set(int index, bool value) {
  if (index >= 0 && index < GetCount()) items_[static_cast<std::size_t>(index)] = value;
}

void TBooleanList::SetAll(bool value) { items_.assign(items_.size(), value); }

// ---- TSectionNames ----

void TSectionNames::Clear() {
  names_.clear();
  descriptions_.clear();
  selected_.Clear();
}

void TSectionNames::Add(const std::string& name, const std::string& description) {
  names_.push_back(name);
  descriptions_.push_back(description);
  selected_.Add(true);
}

int TSectionNames::IndexOf(const std::string& name) const {
  for (std::size_t i = 0; i < names_.size(); ++i)
    if (SameName(names_[i], name)) return static_cast<int>(i);
  return -1;
}

void TSectionNames::SetSelected(const std::string& name, bool selected) {
  selected_.Set(IndexOf(name), selected);
}

bool TSectionNames::IsSelected(const std::string& name) const {
  return selected_.Get(IndexOf(name));
}

bool TSectionNames::GetItem(int index, std::string& name, bool& selected) const {
  if (index < 0 || index >= GetCount()) return false;
  name = names_[static_cast<std::size_t>(index)];
  selected = selected_.Get(index);
  return true;
}

std::string TSectionNames::GetDescription(int index) const {
  if (index < 0 || index >= GetCount()) return std::string();
  return descriptions_[static_cast<std::size_t>(index)];
}

void TSectionNames::SetAll(bool selected) { selected_.SetAll(selected); }

void TSectionNames::WriteNames(TConnection& connection) const {
  for (int i = 0; i < GetCount(); ++i)
    if (selected_.Get(i))
      connection.WriteString(names_[static_cast<std::size_t>(i)],
                             "ItemsHeader" + std::to_string(i));
  connection.WriteString("END", "END");
}

void TSectionNames::ReadNames(TConnection& connection) {
  Clear();
  for (;;) {
    std::string name = connection.ReadString();
    if (name == "END") break;
    Add(name, "No Comment");
  }
  SetAll(true);
}

// ---- TCatConfig ----

TCatConfig::TCatConfig() {
  const char* const* order = ConfigPersonalityOrder();
  for (std::size_t i = 0; i < kConfigPersonalityCount; ++i) {
    const TCatalogueEntry* entry = FindCatalogueEntry(order[i]);
    PersonalityItems.Add(entry->name, entry->description);
    PersonalityItems.SetSelected(entry->name, entry->selectedByDefault);
  }
  const TCatalogueEntry* catalogue = Catalogue();
  for (std::size_t i = 0; i < kCatalogueSize; ++i) {
    const TCatalogueEntry& entry = catalogue[i];
    if (entry.group != TSectionGroup::Connectivity) continue;
    ConnectivityItems.Add(entry.name, entry.description);
    ConnectivityItems.SetSelected(entry.name, entry.selectedByDefault);
  }
}

void TCatConfig::Save(const std::string& fileName) {
  try {
    TTokenStream file(fileName, TTokenStream::Mode::Create);
    auto writeSelected = [&](const TSectionNames& items) {
      std::string name;
      bool selected = false;
      for (int i = 0; items.GetItem(i, name, selected); ++i)
        if (selected) file.WriteLine("  " + name);
    };
    file.WriteLine("Personality");
    writeSelected(PersonalityItems);
    file.WriteLine("EndPersonality");
    file.WriteLine("Connectivity");
    writeSelected(ConnectivityItems);
    file.WriteLine("EndConnectivity");
    file.WriteLine("Files");
    for (const std::string& name : FileList) file.WriteLine("\"" + name + "\"");
    file.WriteLine("EndFiles");
  } catch (const std::exception& e) {
    DebugLog("Error : TCatConfig::Save");
    ReportError(e.what());
  }
}

bool TCatConfig::Load(const std::string& fileName) {
  if (!FileExists(fileName)) return false;
  try {
    TTokenStream file(fileName, TTokenStream::Mode::Read);
    FileList.clear();

    auto readFiles = [&] {
      while (!file.AtEnd()) {
        std::vector<std::string> tokens = TTokenStream::Tokenize(file.ReadLine());
        if (tokens.empty() || Upper(tokens[0]) == "ENDFILES") return;
        FileList.push_back(tokens[0]);  // later tokens on the line do not count
      }
    };
    // Item names are whole lines. The connectivity section also ends on the
    // file's last line, which is then not applied.
    auto readItems = [&](TSectionNames& items, const char* endMarker, bool lastLineEnds) {
      items.SetAll(false);
      while (!file.AtEnd()) {
        std::string line = file.ReadLine();
        if (lastLineEnds && file.AtEnd()) return;
        if (Upper(line) == endMarker) return;
        items.SetSelected(line, true);
      }
    };

    for (;;) {
      std::vector<std::string> tokens = TTokenStream::Tokenize(file.ReadLine());
      if (tokens.empty()) break;  // an empty line or the end: the rest is ignored
      std::string keyword = Upper(tokens[0]);
      if (keyword == "FILES")
        readFiles();
      else if (keyword == "PERSONALITY")
        readItems(PersonalityItems, "ENDPERSONALITY", false);
      else if (keyword == "CONNECTIVITY")
        readItems(ConnectivityItems, "ENDCONNECTIVITY", true);
    }
    return true;
  } catch (const std::exception& e) {
    ReportError(e.what());
    return false;
  }
}

void TCatConfig::WriteItemLists(TConnection& connection) const {
  ConnectivityItems.WriteNames(connection);
  PersonalityItems.WriteNames(connection);
}

void TCatConfig::ReadItemLists(TConnection& connection) {
  ConnectivityItems.ReadNames(connection);
  PersonalityItems.ReadNames(connection);
}
