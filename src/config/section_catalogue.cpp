#include "config/section_catalogue.h"

namespace {

using G = TSectionGroup;
using A = TRegistryAccessNeed;

const TCatalogueEntry kCatalogue[kCatalogueSize] = {
    {"Start Menu", "TStartMenuSettings", G::Personality, 1, A::No, "Start menu contents", true},
    {"Task bar", "TTaskBarSettings", G::Personality, 2, A::No,
     "Task bar settings - docking edge, size, always-on-top, etc", true},
    {"Desktop Icons", "TDesktopIconSettings", G::Personality, 3, A::No,
     "Desktop contents: folders, shortcuts and icons and positions", true},
    {"Shell", "TShellSettings", G::Personality, 4, A::No,
     "View sort order, view type (Large Icon, small icon), show/hide status bar/toolbar", true},
    {"Active Desktop", "TActiveDesktopSettings", G::Personality, 5, A::No,
     "Active state and channels", true},
    {"Display", "TScreenSettings", G::Personality, 6, A::No,
     "Desktop width, height and color depth.", true},
    {"Icon metrics", "TIconMetricsSettings", G::Personality, 7, A::No,
     "Icon size, spacing, and title font", true},
    {"Window metrics", "TWindowMetricsSettings", G::Personality, 8, A::No,
     "Spacing and arrangement order of minimized windows, message dialog font, menu size, "
     "scroll bar sizes",
     true},
    {"Colors", "TColorSettings", G::Personality, 9, A::No, "Desktop color and window colors",
     true},
    {"Wallpaper", "TWallpaperSettings", G::Personality, 10, A::No, "Desktop Wallpaper", true},
    {"Pattern", "TPatternSettings", G::Personality, 11, A::No, "Desktop Pattern", true},
    {"Screen saver", "TScreenSaverSettings", G::Personality, 12, A::No,
     "Current screen saver settings", true},
    {"SendTo menu", "TSendToMenuSettings", G::Personality, 13, A::No, "SendTo menu contents",
     true},
    {"Accessibility", "TAccessibilitySettings", G::Personality, 14, A::No,
     "Accessibility settings - see ControlPanel / Accessibility Options", true},
    {"Sound", "TSoundSettings", G::Personality, 15, A::No,
     "Sound settings for application events - see ControlPanel / Sounds ", true},
    {"Power", "TPowerSettings", G::Personality, 16, A::No, "Power saver settings", true},
    {"Keyboard", "TKeyboardSettings", G::Personality, 17, A::No,
     "Caret blink speed, Keyboard repeat rate and delay", true},
    {"Mouse", "TMouseSettings", G::Personality, 18, A::No,
     "Left or Right handed mouse setting, Mouse speed, Mouse double click time", true},
    {"Printers", "TOSPrinterSettings", G::Personality, 19, A::No, "Printer drivers and settings",
     false},
    {"Computer Name", "TComputerNameSettings", G::Connectivity, 1, A::Yes, "Computer Name", true},
    {"WorkGroup/Domain", "TWorkGroupSettings", G::Connectivity, 2, A::Win9xOnly,
     "WorkGroup/Default login domain", true},
    {"Computer Description", "TComputerDescSettings", G::Connectivity, 3, A::Yes,
     "Computer Description", true},
    {"Mapped Drives", "TMappedDrivesSettings", G::Connectivity, 4, A::No, "Mapped Drives", true},
    {"Shared Folders and Drives", "TSharedSettings", G::Connectivity, 5, A::Yes,
     "Shared Folders and Drives", true},
    {"TCPIP Configuration", "TIPSettings", G::Connectivity, 6, A::Yes,
     "TCPIP Configuration - IP address, netmask", true},
    {"DNS Configuration", "TDNSSettings", G::Connectivity, 7, A::Yes,
     "DNS Configuration - Domain Name Server search order, Domain suffix search order, Host & "
     "Domain",
     true},
    {"WINS Configuration", "TWINSSettings", G::Connectivity, 8, A::Yes,
     "Windows Internet Naming Service configuration", true},
    {"RAS Networking connections", "TRASSettings", G::Connectivity, 9, A::No,
     "Remote Access Services configuration & phone book entries for Dial-up networking", true},
};

const char* const kConfigPersonality[kConfigPersonalityCount] = {
    "Start Menu",  "Desktop Icons", "Shell",     "Active Desktop", "Display",
    "Icon metrics", "Window metrics", "Colors",  "Wallpaper",      "Pattern",
    "Screen saver", "SendTo menu",  "Power",     "Accessibility",  "Sound",
    "Keyboard",    "Mouse",         "Printers",  "Task bar",
};

}  // namespace

const TCatalogueEntry* Catalogue() { return kCatalogue; }

const TCatalogueEntry* FindCatalogueEntry(const std::string& sectionName) {
  for (const TCatalogueEntry& e : kCatalogue)
    if (sectionName == e.name) return &e;
  return nullptr;
}

const char* const* ConfigPersonalityOrder() { return kConfigPersonality; }
