#include "ui/win32/forms.h"

#include "engine/program.h"
#include "ui/win32/config_editor_form.h"
#include "ui/win32/data_file_form.h"
#include "ui/win32/options_form.h"
#include "ui/win32/settings_view_form.h"

bool ShowConfigEditor(HWND owner, TConfigEditorModel& editor) {
  TConfigEditorForm form(editor);
  return form.ShowModal(owner) == IDOK;
}

bool ShowDataFiles(HWND owner, TDataFileModel& picker) {
  TDataFileForm form(picker);
  return form.ShowModal(owner) == IDOK;
}

void ShowSettingsView(HWND owner) {
  TSettingsViewForm form;
  form.ShowModal(owner);
}

bool ShowOptions(HWND owner) { return ShowOptions(owner, Options()); }

bool ShowOptions(HWND owner, TOptions& options) {
  TOptionsForm form(options);
  return form.ShowModal(owner) == IDOK;
}
