// The configuration editor's logic: the two item check lists, the data-file
// list, the configuration-file box with its recent files, and the rules of
// Open, Save as, Defaults and OK. TConfigEditorForm wires its controls
// (`cbConfigFile`, `cklbPersonalityItems`, `cklbConnectivityItems`,
// `txtItemDescription`, `txtCurrFolder`, the buttons) to this model.
//
// The editor works on copies: the program's current configuration changes
// only when the main window takes the result after OK.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "config/cat_config.h"
#include "config/mru_list.h"
#include "ui/logic/file_dialogs.h"

class TDataFileModel;

enum class TConfigGroup { Personality, Connectivity };

// One line of a check list as shown.
struct TCheckLine {
  std::string name;
  bool checked = false;
};

// Where the editor's recent configuration files live under HKEY_CURRENT_USER.
inline constexpr const char* kConfigListKey = "\\Software\\ZTR\\Qorvel\\CFGList";
inline constexpr const char* kConfigListItems = "CFG Items";
inline constexpr int kConfigListMaximum = 8;

// Adds ".cfg" to a name whose upper-case form does not contain ".CFG"; an
// empty name stays empty.
std::string WithConfigExtension(const std::string& name);

class TConfigEditorModel {
 public:
  // Where the focus goes when OK keeps the editor open.
  enum class TAcceptResult {
    Accepted,      // Filename is set; close with OK
    EmptyName,     // "Enter a valid file name"; focus the combo box
    NotReplaced,   // the replace question was not answered Yes; focus the combo box
    CannotCreate,  // "Cannot create <name>"; stay open
  };

  // Loads the recent configuration files and notes the current folder.
  TConfigEditorModel();
  // Stores the recent configuration files.
  ~TConfigEditorModel();
  TConfigEditorModel(const TConfigEditorModel&) = delete;
  TConfigEditorModel& operator=(const TConfigEditorModel&) = delete;

  // Filling, as the main window does before showing the editor. Each list
  // fill selects its first line.
  void SetFileList(const std::vector<std::string>& files);
  void SetPersonality(const TSectionNames& items);
  void SetConnectivity(const TSectionNames& items);
  // Sets Filename and the combo box's text.
  void SetFilename(const std::string& name);

  // Reading back after OK. The target lists keep their items: every flag is
  // cleared, then each item the editor knows takes the editor's flag; names
  // the target does not know are ignored.
  std::vector<std::string> GetFileList() const { return files_; }
  void GetPersonality(TSectionNames& target) const;
  void GetConnectivity(TSectionNames& target) const;
  // The name OK accepted; "" until then unless set.
  const std::string& Filename() const { return filename_; }

  // The editor's own item lists (in configuration order).
  const TSectionNames& Personality() const { return personality_; }
  const TSectionNames& Connectivity() const { return connectivity_; }

  // The check lists as shown: sorted by name without regard to case.
  std::vector<TCheckLine> Lines(TConfigGroup group) const;
  // The selected line of a list, -1 for none.
  int SelectedLine(TConfigGroup group) const;
  // Selects a line: clears the other list's selection and shows the item's
  // description.
  void SelectLine(TConfigGroup group, int line);
  // Ticks or clears a line's box.
  void CheckLine(TConfigGroup group, int line, bool checked);
  // `txtItemDescription`.
  const std::string& ItemDescription() const { return description_; }
  // "&Select all" and "Select &none": every box of both lists.
  void SelectAll();
  void SelectNone();

  // `cbConfigFile`: its text and its drop-down (most recent first).
  const std::string& ConfigFileText() const { return comboText_; }
  void SetConfigFileText(const std::string& text) { comboText_ = text; }
  const std::vector<std::string>& RecentFiles() const { return recent_.Entries(); }
  // `txtCurrFolder`.
  const std::string& CurrentFolder() const { return currentFolder_; }

  // Open: the chosen file goes into the combo box and its configuration
  // into the editor (lists and data files). False when it could not be read.
  bool OpenFile(const std::string& name);
  // Save as: the chosen name goes into the combo box and its folder into
  // `txtCurrFolder`; nothing is written.
  void SaveFileAs(const std::string& name);
  // Leaving the combo box: adds ".cfg" when missing and loads the file when
  // it exists. True when a file was loaded.
  bool LeaveConfigFile();
  // A name chosen from the drop-down: always loaded.
  bool ChooseRecentFile(const std::string& name);
  // "&Defaults": the default selection in both lists and no data files; the
  // combo box and Filename stay.
  void Defaults();

  // "OK" (`btOK`).
  TAcceptResult Accept();

  // "Data &files...": hands the data files to a fresh picker, lets
  // `showModal` show it, and takes its list back when that returns true
  // (OK). The caller then moves the focus to `btOK`.
  bool EditDataFiles(const std::function<bool(TDataFileModel& picker)>& showModal);

 private:
  TSectionNames& List(TConfigGroup group);
  const TSectionNames& List(TConfigGroup group) const;
  const std::vector<int>& Order(TConfigGroup group) const;
  void Fill(TConfigGroup group, const TSectionNames& source);
  bool LoadConfiguration(const std::string& name);

  TSectionNames personality_;
  TSectionNames connectivity_;
  std::vector<int> personalityOrder_;  // list positions in display order
  std::vector<int> connectivityOrder_;
  int personalitySelected_ = -1;
  int connectivitySelected_ = -1;
  std::string description_;
  std::vector<std::string> files_;
  std::string filename_;
  std::string comboText_;
  std::string currentFolder_;
  TMRUFileList recent_;
};
