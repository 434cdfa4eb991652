#include "items/connectivity/identity_settings.h"

#include "engine/debug_log.h"
#include "engine/messages.h"
#include "items/item_support.h"
#include "platform/machine.h"
#include "platform/network.h"
#include "platform/system_info.h"
#include "registry/reg_utils.h"
#include "stream/connection.h"

bool TComputerNameSettings::Write(TConnection& stream) {
  // GetComputerName with room for 255 characters.
  ComputerName.clear();
  qv::CurrentMachine().System().ComputerName(ComputerName);
  if (ComputerName.size() > 255) ComputerName.resize(255);
  stream.WriteString(ComputerName, "ComputerName");
  Describe(stream);
  return true;
}

bool TComputerNameSettings::Read(TConnection& stream) {
  ComputerName = stream.ReadString("ComputerName");
  RestartRequired = true;
  qv::INetwork* network = qv::CurrentMachine().Network();
  qv::WinError e = network ? network->ChangeComputerName(ComputerName) : qv::err::NotSupported;
  if (e != qv::err::Success) {
    DebugLog("An error occured when setting the computer name");
    DebugLog(SystemErrorText(e));
  }
  Describe(stream);
  return true;
}

void TComputerNameSettings::Describe(TConnection& stream) {
  if (UTLHasRegistryAccess()) {
    stream.AddComment("Computer name : " + ComputerName);
    stream.AddComment("");
  } else {
    stream.AddComment("Computer name : ");
    ReportRegistryAccessRequired(stream);
  }
}

TComputerDescSettings::TComputerDescSettings() {
  if (items::RunningOnNT()) return;
  try {
    Description = UTLGetRegString(qv::hkey::LocalMachine, kNetworkSetupKey, "Comment", "");
  } catch (const ERegistryException&) {
    Description.clear();
  }
}

bool TComputerDescSettings::Write(TConnection& stream) {
  stream.WriteString(Description, "Comment");
  Describe(stream);
  return true;
}

bool TComputerDescSettings::Read(TConnection& stream) {
  Description = stream.ReadString("Comment");
  if (UTLHasRegistryAccess() && !items::RunningOnNT())
    items::SetRegStringForUndo(qv::hkey::LocalMachine, kNetworkSetupKey, "Comment", Description);
  Describe(stream);
  return true;
}

void TComputerDescSettings::Describe(TConnection& stream) {
  if (!UTLHasRegistryAccess()) {
    stream.AddComment("Computer Description : ");
    ReportRegistryAccessRequired(stream);
    return;
  }
  if (items::RunningOnNT()) {
    stream.AddComment("Computer Description is not supported on Windows NT");
  } else {
    stream.AddComment("Computer Description : " + Description);
    stream.AddComment("");
  }
}
