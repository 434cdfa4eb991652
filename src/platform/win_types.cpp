#include "platform/registry.h"
#include "platform/system_info.h"
#include "platform/win_types.h"

namespace qv {

const char* OSKindName(OSKind kind) {
  switch (kind) {
    case okWin95: return "Windows 95";
    case okWin98: return "Windows 98";
    case okWinNT: return "Windows NT";
    default: return "unknown";
  }
}

const char* RootKeyName(RegKey root) {
  switch (root) {
    case hkey::ClassesRoot: return "HKEY_CLASSES_ROOT";
    case hkey::CurrentUser: return "HKEY_CURRENT_USER";
    case hkey::LocalMachine: return "HKEY_LOCAL_MACHINE";
    case hkey::Users: return "HKEY_USERS";
    case hkey::CurrentConfig: return "HKEY_CURRENT_CONFIG";
    case hkey::DynData: return "HKEY_DYN_DATA";
    default: return "";
  }
}

OSKind KindOfVersion(const OsVersion& v) {
  switch (v.platform) {
    case platformid::Windows: return v.minor == 0 ? okWin95 : okWin98;
    case platformid::NT: return okWinNT;
    default: return okUnknown;
  }
}

OSKind RunningKind(ISystemInfo& system) {
  OsVersion v;
  if (system.Version(v) != err::Success) return okUnknown;
  return KindOfVersion(v);
}

}  // namespace qv
