// The Active Desktop port on the real system. Wine makes the COM object but
// answers E_NOTIMPL for every method: these tests pin the object's life
// cycle, the structures against the system's, the text conversion, and that
// the item describes such a desktop without failing.
#include <windows.h>
#include <wininet.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstddef>

#include "engine/debug_log.h"
#include "engine/program.h"
#include "items/personality/active_desktop_settings.h"
#include "platform/machine.h"
#include "platform/win32/win32_active_desktop.h"
#include "stream/connection.h"
#include "stream/win_structs.h"

namespace qv::test {
namespace {

static_assert(sizeof(IE4COMPONENT) == adstruct::kComponentSize);
static_assert(offsetof(IE4COMPONENT, cpPos) == adstruct::kPositionAt);
static_assert(offsetof(IE4COMPONENT, wszFriendlyName) == adstruct::kFriendlyNameAt);
static_assert(offsetof(IE4COMPONENT, wszSource) == adstruct::kSourceAt);
static_assert(offsetof(IE4COMPONENT, wszSubscribedURL) == adstruct::kSubscribedUrlAt);
static_assert(sizeof(COMPONENTSOPT) == adstruct::kComponentsOptionsSize);
static_assert(sizeof(WALLPAPEROPT) == adstruct::kWallpaperOptionsSize);
static_assert(sizeof(COMPPOS) == adstruct::kPositionSize);

constexpr HResult kNotImplemented = 0x80004001u;

TEST(Win32ActiveDesktop, OpensInProcessAndAnswersEveryCall) {
  Win32ActiveDesktop desktop;
  ComponentsOptions options;
  EXPECT_EQ(desktop.GetOptions(options), hr::Fail);  // not open yet
  ASSERT_EQ(desktop.Open(), hr::Ok);
  EXPECT_EQ(desktop.Open(), hr::Ok);  // open already
  std::u16string text;
  WallpaperOptions wallpaper;
  int count = -1;
  DesktopComponent component;
  const HResult answers[] = {
      desktop.GetOptions(options),     desktop.SetOptions(options),
      desktop.GetWallpaper(text),      desktop.SetWallpaper(u"C:\\x.bmp"),
      desktop.GetWallpaperOptions(wallpaper), desktop.SetWallpaperOptions(wallpaper),
      desktop.GetPattern(text),        desktop.SetPattern(u"(None)"),
      desktop.ItemCount(count),        desktop.GetItem(0, component),
      desktop.AddItem(component),      desktop.ModifyItem(component, 0xF),
      desktop.RemoveItem(component),   desktop.ApplyChanges(7)};
  for (HResult h : answers) {
    // Windows answers S_OK or a failure of its own; Wine E_NOTIMPL.
    EXPECT_TRUE(h == hr::Ok || h == kNotImplemented || !hr::Succeeded(h)) << std::hex << h;
  }
  EXPECT_EQ(answers[0], kNotImplemented);
  EXPECT_EQ(count, -1);  // a failing call leaves the answer alone
  desktop.Close();
  desktop.Close();  // closing twice does nothing
  EXPECT_EQ(desktop.ItemCount(count), hr::Fail);
}

TEST(Win32ActiveDesktop, WideTextBecomesTheAnsiCodePage) {
  Win32ActiveDesktop desktop;
  EXPECT_EQ(desktop.ToAnsi(u"C:\\Caf\u00E9\\x.htm"), "C:\\Caf\xE9\\x.htm");
  EXPECT_EQ(desktop.ToAnsi(u""), "");
}

TEST(Win32ActiveDesktop, TheItemDescribesWhatTheSystemGives) {
  ProgramObjects program("");
  DebugLogRecorder log;
  TCommentConnection comments;
  {
    TActiveDesktopSettings item;
    EXPECT_TRUE(item.Write(comments));
  }
  const std::vector<std::string>& lines = *comments.GetComments();
  ASSERT_FALSE(lines.empty());
  // Wine: installed, every value at its default, no components.
  EXPECT_EQ(lines.front(), "ActiveDesktop is disabled");
  EXPECT_EQ(lines.back(), "0 Active Desktop components found.");
  const std::vector<std::string> logged = log.Lines();
  EXPECT_NE(std::find(logged.begin(), logged.end(), "Active desktop is installed"), logged.end());
}

}  // namespace
}  // namespace qv::test
