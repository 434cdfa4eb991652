#include "ui/logic/config_editor_model.h"

#include <algorithm>
#include <cctype>

#include "engine/debug_log.h"
#include "engine/file_utils.h"
#include "platform/files.h"
#include "platform/machine.h"
#include "ui/logic/data_file_model.h"
#include "ui/logic/dialog_boxes.h"

namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The order of a sorted list box: names without regard to case, equal
// names in the order they were added.
std::vector<int> DisplayOrder(const TSectionNames& items) {
  std::vector<std::string> keys;
  std::string name;
  bool selected = false;
  for (int i = 0; items.GetItem(i, name, selected); ++i) keys.push_back(Upper(name));
  std::vector<int> order(keys.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return keys[static_cast<std::size_t>(a)] <
                                              keys[static_cast<std::size_t>(b)]; });
  return order;
}

void CopyFlags(const TSectionNames& from, TSectionNames& target) {
  target.SetAll(false);
  std::string name;
  bool selected = false;
  for (int i = 0; from.GetItem(i, name, selected); ++i) target.SetSelected(name, selected);
}

}  // namespace

std::string WithConfigExtension(const std::string& name) {
  if (name.empty() || Upper(name).find(".CFG") != std::string::npos) return name;
  return name + ".cfg";
}

TConfigEditorModel::TConfigEditorModel() {
  recent_.SetMaximum(kConfigListMaximum);
  recent_.SetAutoSaveName(kConfigListKey);
  recent_.SetAutoSaveKey(kConfigListItems);
  recent_.LoadFromRegistry();
  if (qv::CurrentMachine().Files().CurrentFolder(currentFolder_) != qv::err::Success)
    currentFolder_.clear();
}

TConfigEditorModel::~TConfigEditorModel() = default;  // the recent list stores itself

TSectionNames& TConfigEditorModel::List(TConfigGroup group) {
  return group == TConfigGroup::Personality ? personality_ : connectivity_;
}

const TSectionNames& TConfigEditorModel::List(TConfigGroup group) const {
  return group == TConfigGroup::Personality ? personality_ : connectivity_;
}

const std::vector<int>& TConfigEditorModel::Order(TConfigGroup group) const {
  return group == TConfigGroup::Personality ? personalityOrder_ : connectivityOrder_;
}

void TConfigEditorModel::Fill(TConfigGroup group, const TSectionNames& source) {
  TSectionNames& list = List(group);
  list = source;  // names, descriptions and flags, in order
  (group == TConfigGroup::Personality ? personalityOrder_ : connectivityOrder_) =
      DisplayOrder(list);
  (group == TConfigGroup::Personality ? personalitySelected_ : connectivitySelected_) = -1;
  if (list.GetCount() > 0) SelectLine(group, 0);
}

void TConfigEditorModel::SetFileList(const std::vector<std::string>& files) { files_ = files; }

void TConfigEditorModel::SetPersonality(const TSectionNames& items) {
  Fill(TConfigGroup::Personality, items);
}

void TConfigEditorModel::SetConnectivity(const TSectionNames& items) {
  Fill(TConfigGroup::Connectivity, items);
}

void TConfigEditorModel::SetFilename(const std::string& name) {
  filename_ = name;
  comboText_ = name;
}

void TConfigEditorModel::GetPersonality(TSectionNames& target) const {
  CopyFlags(personality_, target);
}

void TConfigEditorModel::GetConnectivity(TSectionNames& target) const {
  CopyFlags(connectivity_, target);
}

std::vector<TCheckLine> TConfigEditorModel::Lines(TConfigGroup group) const {
  std::vector<TCheckLine> lines;
  const TSectionNames& list = List(group);
  for (int position : Order(group)) {
    TCheckLine line;
    list.GetItem(position, line.name, line.checked);
    lines.push_back(std::move(line));
  }
  return lines;
}

int TConfigEditorModel::SelectedLine(TConfigGroup group) const {
  return group == TConfigGroup::Personality ? personalitySelected_ : connectivitySelected_;
}

void TConfigEditorModel::SelectLine(TConfigGroup group, int line) {
  const std::vector<int>& order = Order(group);
  if (line < 0 || line >= static_cast<int>(order.size())) return;
  personalitySelected_ = group == TConfigGroup::Personality ? line : -1;
  connectivitySelected_ = group == TConfigGroup::Connectivity ? line : -1;
  description_ = List(group).GetDescription(order[static_cast<std::size_t>(line)]);
}

void TConfigEditorModel::CheckLine(TConfigGroup group, int line, bool checked) {
  const std::vector<int>& order = Order(group);
  if (line < 0 || line >= static_cast<int>(order.size())) return;
  TSectionNames& list = List(group);
  std::string name;
  bool selected = false;
  if (list.GetItem(order[static_cast<std::size_t>(line)], name, selected))
    list.SetSelected(name, checked);
}

void TConfigEditorModel::SelectAll() {
  personality_.SetAll(true);
  connectivity_.SetAll(true);
}

void TConfigEditorModel::SelectNone() {
  personality_.SetAll(false);
  connectivity_.SetAll(false);
}

// A configuration file is read into a working copy of the editor's state,
// never into the program's current configuration: Cancel must leave that
// untouched. Sections the file lacks keep the editor's selection.
bool TConfigEditorModel::LoadConfiguration(const std::string& name) {
  TCatConfig loaded;
  loaded.PersonalityItems = personality_;
  loaded.ConnectivityItems = connectivity_;
  loaded.FileList = files_;
  if (!loaded.Load(name)) return false;
  files_ = loaded.FileList;
  Fill(TConfigGroup::Personality, loaded.PersonalityItems);
  Fill(TConfigGroup::Connectivity, loaded.ConnectivityItems);
  return true;
}

bool TConfigEditorModel::OpenFile(const std::string& name) {
  comboText_ = name;
  return LoadConfiguration(name);
}

void TConfigEditorModel::SaveFileAs(const std::string& name) {
  comboText_ = name;
  currentFolder_ = FolderOf(name);
}

bool TConfigEditorModel::LeaveConfigFile() {
  if (comboText_.empty()) return false;
  comboText_ = WithConfigExtension(comboText_);
  return FileExists(comboText_) && LoadConfiguration(comboText_);
}

bool TConfigEditorModel::ChooseRecentFile(const std::string& name) {
  comboText_ = name;
  return LoadConfiguration(name);
}

void TConfigEditorModel::Defaults() {
  TCatConfig defaults;
  Fill(TConfigGroup::Personality, defaults.PersonalityItems);
  Fill(TConfigGroup::Connectivity, defaults.ConnectivityItems);
  files_.clear();
}

TConfigEditorModel::TAcceptResult TConfigEditorModel::Accept() {
  if (comboText_.empty()) {
    ShowNotice("Enter a valid file name");
    return TAcceptResult::EmptyName;
  }
  comboText_ = WithConfigExtension(comboText_);
  const std::string name = comboText_;

  if (Upper(name) != Upper(filename_) && FileExists(name) &&
      !ConfirmYesNo(name + "\nThis file already exists\n\n" + "Replace existing file ?"))
    return TAcceptResult::NotReplaced;

  // Prove that the file can be written. An existing file is opened, not
  // emptied: it is written only when the configuration is saved, and a save
  // that fails before then must not have lost it.
  qv::IFiles& files = qv::CurrentMachine().Files();
  qv::FileHandle handle = 0;
  if (files.Open(name, qv::FileAccess::Write, qv::Disposition::OpenAlways, 0, handle) !=
      qv::err::Success) {
    ShowErrorNotice("Cannot create " + name);
    return TAcceptResult::CannotCreate;
  }
  files.Close(handle);

  filename_ = name;
  recent_.Add(name);
  return TAcceptResult::Accepted;
}

bool TConfigEditorModel::EditDataFiles(
    const std::function<bool(TDataFileModel& picker)>& showModal) {
  DebugLog("Creating DataFileForm");
  TDataFileModel picker;
  DebugLog("DataFileForm Created.");
  DebugLog("SetFileList : ");
  picker.SetFileList(files_);
  DebugLog("SetFileList : returned.");
  DebugLog("Showing form...");
  if (!showModal(picker)) return false;
  files_ = picker.GetFileList();
  return true;
}
