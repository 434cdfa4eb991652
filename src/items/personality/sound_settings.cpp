#include "items/personality/sound_settings.h"

#include <string>
#include <vector>

#include "platform/machine.h"
#include "platform/registry.h"
#include "registry/reg_utils.h"
#include "stream/connection.h"
#include "undo/registry_store.h"

namespace {

constexpr const char* kAppEventsKey = "AppEvents";
constexpr const char* kSchemeNamesKey = "AppEvents\\Schemes\\Names";

}  // namespace

bool TSoundSettings::Write(TConnection& stream) {
  TRegistryStore store(stream, false);
  const bool result = store.WriteKey(qv::hkey::CurrentUser, kAppEventsKey, true);
  Describe(stream);
  return result;
}

bool TSoundSettings::Read(TConnection& stream) {
  TRegistryStore store(stream, true);
  // The record names its own key paths: only the sound events are written.
  store.Confine(qv::hkey::CurrentUser, kAppEventsKey, true);
  const bool result = store.ReadKey();
  Describe(stream);
  return result;
}

void TSoundSettings::Describe(TConnection& stream) {
  qv::IRegistry& registry = qv::CurrentMachine().Registry();
  qv::RegKey key = 0;
  if (registry.OpenKey(qv::hkey::CurrentUser, kSchemeNamesKey, qv::RegAccess::Full, key) !=
      qv::err::Success) {
    stream.AddComment("No sound schemes have been found on this system:");
    return;
  }
  std::vector<std::string> schemes;
  {
    qv::RegKeyCloser closer(registry, key);
    std::string name;
    for (std::uint32_t i = 0; registry.EnumKey(key, i, name) == qv::err::Success; ++i)
      schemes.push_back(name);
  }
  stream.AddComment("The following sound schemes have been found on this system:");
  stream.AddComment("");
  for (const std::string& scheme : schemes) {
    std::string displayName;
    try {
      displayName = UTLGetRegString(qv::hkey::CurrentUser,
                                    std::string(kSchemeNamesKey) + "\\" + scheme, "", "");
    } catch (const ERegistryException&) {
      displayName.clear();  // a default value that is not text names nothing
    }
    stream.AddComment(displayName);
  }
}
