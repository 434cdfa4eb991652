#include "ui/win32/app_ui.h"

#include <memory>

#include "app/app_windows.h"
#include "engine/run_report.h"
#include "engine/program.h"
#include "engine/status.h"
#include "ui/win32/small_dialogs.h"
#include "ui/win32/status_form.h"
#include "ui/win32/ui_support.h"

namespace {

// A status window made current for as long as it lives.
class StatusWindowInUse {
 public:
  explicit StatusWindowInUse(HWND owner) : form_(owner), scope_(form_) {}

 private:
  TStatusForm form_;
  StatusScope scope_;
};

}  // namespace

void InstallWin32Windows() {
  qv::ui::EnsureCommonControls();
  TAppWindows& windows = AppWindows();
  windows.ShowAbout = [] {
    TAboutForm form;
    form.ShowModal(qv::ui::ModalOwner());
  };
  windows.ShowCommandLineHelp = [] {
    TCmdLineForm form;
    form.ShowModal(qv::ui::ModalOwner());
  };
  windows.ShowReport = [] {
    TReportDialog dialog;
    dialog.SetLines(RunReport().Lines());
    dialog.ShowModal(qv::ui::ModalOwner());
  };
  windows.OpenStatusWindow = []() -> std::shared_ptr<void> {
    return std::make_shared<StatusWindowInUse>(qv::ui::MainWindow());
  };
}
