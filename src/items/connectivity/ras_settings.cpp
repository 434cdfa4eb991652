#include "items/connectivity/ras_settings.h"

#include <algorithm>

#include "engine/debug_log.h"
#include "engine/messages.h"
#include "platform/dialup.h"
#include "platform/machine.h"
#include "stream/connection.h"
#include "stream/win_structs_ras.h"

namespace {

// The largest entry a system may ask room for (structure and alternate
// numbers); a bigger answer is not believed.
constexpr std::uint32_t kMaxEntryBuffer = 1u << 20;

constexpr struct {
  qv::RasFunction function;
  const char* missing;
} kFunctions[] = {
    {qv::RasFunction::GetEntryProperties, "m_fnRasGetEntryProperties is NULL"},
    {qv::RasFunction::SetEntryProperties, "m_fnRasSetEntryProperties is NULL"},
    {qv::RasFunction::EnumEntries, "m_fnRasEnumEntries is NULL"},
    {qv::RasFunction::GetErrorString, "m_fnRasGetErrorString is NULL"},
    {qv::RasFunction::EnumDevices, "m_fnRasEnumDevices is NULL"},
};

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

TRASSettings::TRASSettings() {
  ras_ = qv::CurrentMachine().DialUp();
  DebugLog("Loading Library RASAPI32.DLL...");
  module_ = ras_ ? ras_->LibraryHandle() : 0;
  DebugLog("... Loaded Library RASAPI32.DLL " + std::to_string(module_));
  if (module_) {
    RasInstalled = true;
    for (const auto& f : kFunctions) {
      if (!ras_->Has(f.function)) {
        DebugLog(f.missing);
        RasInstalled = false;
      }
    }
    if (RasInstalled) DevicesPresent = EnumerateDevices();
  }
  DebugLog(RasInstalled ? "RAS is installed" : "RAS is not installed");
}

bool TRASSettings::EnumerateDevices() {
  std::vector<qv::RasDevice> devices;
  const qv::WinError e = ras_->EnumDevices(devices);
  if (e != qv::err::Success) LogRasError("RasEnumDevices", e);
  DeviceNames.clear();
  DeviceTypes.clear();
  DebugLog(std::to_string(devices.size()) + " devices found.");
  for (const qv::RasDevice& d : devices) {
    DeviceNames.push_back(d.name);
    DeviceTypes.push_back(d.type);
    DebugLog(d.type + " " + d.name);
  }
  return !devices.empty();
}

bool TRASSettings::EnumerateEntries() {
  Entries.clear();
  if (!RasInstalled) return true;
  try {
    std::vector<std::string> names;
    std::uint32_t bytes = 0, count = 0;
    qv::WinError e = ras_->EnumEntries(1, names, bytes, count);
    LogRasError("0. ", e);
    if (e != qv::err::Success && e != qv::err::BufferTooSmall) {
      DebugLog("dwTotalSize = " + std::to_string(bytes));
      DebugLog("dwPhoneBookEntries = " + std::to_string(count));
      ErrorText = RasErrorText(e);
      return false;
    }
    DebugLog(std::to_string(count) + " Entries found.");
    names.clear();
    e = ras_->EnumEntries(count, names, bytes, count);
    DebugLog(std::to_string(count) + " Entries retrieved.");
    LogRasError("1. ", e);
    if (e == qv::err::Success) Entries = std::move(names);
    return true;
  } catch (const std::exception&) {
    Entries.clear();
    return false;
  }
}

bool TRASSettings::GetEntry(const std::string& name, std::vector<std::uint8_t>& entry) {
  entry.assign(RasEntryFields::kSize, 0);
  SetEntrySizeField(entry, RasEntryFields::kSize);
  std::vector<std::uint8_t> buffer = entry;
  std::uint32_t size = RasEntryFields::kSize;
  qv::WinError e = ras_->GetEntryProperties(name, buffer, size);
  LogRasError("GetEntry1 ", e);
  if (e == qv::err::BufferTooSmall) {
    DebugLog("Corrected dwsize = " + std::to_string(size));
    if (size < RasEntryFields::kSize || size > kMaxEntryBuffer) return false;
    buffer.assign(size, 0);
    std::copy(entry.begin(), entry.end(), buffer.begin());
    SetEntrySizeField(buffer, size);
    std::uint32_t again = size;
    e = ras_->GetEntryProperties(name, buffer, again);
    LogRasError("GetEntry2 ", e);
  }
  std::copy(buffer.begin(), buffer.begin() + RasEntryFields::kSize, entry.begin());
  return e == qv::err::Success;
}

bool TRASSettings::SetEntry(const std::string& name, std::vector<std::uint8_t>& entry) {
  entry.resize(RasEntryFields::kSize, 0);
  SetEntrySizeField(entry, RasEntryFields::kSize);
  DebugLog("RasEntry structure size is " + std::to_string(RasEntryFields::kSize));
  qv::WinError e = ras_->SetEntryProperties(name, entry);
  LogRasError("SetEntry1 ", e);
  if (e == qv::err::BufferTooSmall) {
    // The system names the structure size it expects when asked for its
    // default entry without room for it.
    std::vector<std::uint8_t> none;
    std::uint32_t size = 0;
    ras_->GetEntryProperties("", none, size);
    DebugLog("Corrected dwsize = " + std::to_string(size));
    if (size >= RasEntryFields::kSize && size <= kMaxEntryBuffer) {
      std::vector<std::uint8_t> buffer(size, 0);
      std::copy(entry.begin(), entry.end(), buffer.begin());
      SetEntrySizeField(buffer, size);
      e = ras_->SetEntryProperties(name, buffer);
      LogRasError("SetEntry2 ", e);
    }
  }
  lastSetError_ = e;
  if (e != qv::err::Success) {
    DebugLog("TRASSettings::SetEntry Failed. Entry name is " + name);
    return false;
  }
  DebugLog("TRASSettings::SetEntry : Successful");
  return true;
}

std::string TRASSettings::RasErrorText(qv::WinError code) {
  std::string text = ras_ ? ras_->ErrorString(code) : std::string();
  if (text.empty()) text = SystemErrorText(code);
  return text;
}

void TRASSettings::LogRasError(const std::string& prefix, qv::WinError code) {
  if (code == 0) return;
  DebugLog("RAS : " + prefix + " " + std::to_string(code) + " " + RasErrorText(code));
  DebugLog("");
}

bool TRASSettings::Write(TConnection& stream) {
  if (!EnumerateEntries()) {
    stream.AddComment(
        "An error occured retrieving RAS Phone book entries. Ensure Dial-up networking is "
        "correctly installed.");
    stream.AddComment(ErrorText);
  }
  std::vector<std::vector<std::uint8_t>> blocks(Entries.size());
  std::vector<bool> readable(Entries.size(), false);
  std::int32_t count = 0;
  for (std::size_t i = 0; i < Entries.size(); ++i) {
    readable[i] = GetEntry(Entries[i], blocks[i]);
    if (readable[i]) ++count;
  }
  stream.WriteInteger(count, "Count");
  for (std::size_t i = 0; i < Entries.size(); ++i) {
    if (readable[i]) {
      stream.WriteString(Entries[i], "EntryName");
      stream.WriteBuffer(blocks[i].data(), RasEntryFields::kSize);
    } else {
      stream.AddComment("The Dial-up Network entry " + Quoted(Entries[i]) + " is invalid.");
    }
  }
  Describe(stream);
  // An unreadable entry is reported and left out; the stream stays whole,
  // so the section succeeds.
  return true;
}

void TRASSettings::ReportEntryFailure(TConnection& stream, const std::string& name,
                                      const std::vector<std::uint8_t>& entry) {
  const RasEntryFields f = RasEntryFields::Decode(entry);
  stream.AddComment("WARNING : The following RAS entry could not be created for the following reason :");
  stream.AddComment(RasErrorText(lastSetError_));
  stream.AddComment("");
  stream.AddComment("Connection configuration : ");
  stream.AddComment("Name : " + name);
  stream.AddComment("CountryID : " + std::to_string(f.countryId));
  stream.AddComment("CountryCode : " + std::to_string(f.countryCode));
  stream.AddComment("AreaCode : " + f.areaCode);
  stream.AddComment("PhoneNumber : " + f.phoneNumber);
  stream.AddComment("Script : " + f.script);
  stream.AddComment("AutoDial DLL : " + f.autodialDll);
  stream.AddComment("AutoDial Func : " + f.autodialFunc);
  stream.AddComment("DeviceType : " + f.deviceType);
  stream.AddComment("DeviceName : " + f.deviceName);
  stream.AddComment("IPAddress : " + DottedAddress(f.ipAddress));
  stream.AddComment("IP DNS : " + DottedAddress(f.dns));
  stream.AddComment("IP DNS Alternate : " + DottedAddress(f.dnsAlt));
  stream.AddComment("IP WINS : " + DottedAddress(f.wins));
  stream.AddComment("IP WINS Alternate : " + DottedAddress(f.winsAlt));
  stream.AddComment("");
}

bool TRASSettings::Read(TConnection& stream) {
  const std::int32_t count = stream.ReadInteger("Count");
  if (count < 0) throw EConnectionReadError("Invalid entry count " + std::to_string(count));
  // Every entry is a name (at least its length) and the whole structure.
  stream.RequireAvailable(static_cast<std::uint64_t>(count) * (4u + RasEntryFields::kSize));
  if (!DevicesPresent)
    stream.AddComment(
        "There are no Dial-up devices installed. Dial-up Networking entries cannot be created.");
  for (std::int32_t i = 0; i < count; ++i) {
    const std::string name = stream.ReadString("EntryName");
    std::vector<std::uint8_t> entry(RasEntryFields::kSize, 0);
    stream.ReadBuffer(entry.data(), RasEntryFields::kSize);
    if (!RasInstalled || !DevicesPresent) continue;
    RasEntryFields f = RasEntryFields::Decode(entry);
    if (std::find(DeviceNames.begin(), DeviceNames.end(), f.deviceName) == DeviceNames.end()) {
      stream.AddComment("WARNING : RAS Settings :");
      stream.AddComment("The device " + Quoted(f.deviceName) + " does not exist.");
      stream.AddComment("The Dial-up Networking connection " + Quoted(name) +
                        " will be installed with a default device type of " +
                        Quoted(DeviceNames.front()));
      f.deviceName = DeviceNames.front();
      f.deviceType = DeviceTypes.front();
      f.EncodeInto(entry);
      stream.AddComment("");
    }
    if (!SetEntry(name, entry)) ReportEntryFailure(stream, name, entry);
  }
  if (!EnumerateEntries()) {
    stream.AddComment(
        "An error occured retrieving RAS Phone book entries. Ensure Dial-up networking is "
        "correctly installed.");
    stream.AddComment(ErrorText);
  }
  Describe(stream);
  return true;
}

void TRASSettings::Describe(TConnection& stream) {
  if (!RasInstalled) {
    stream.AddComment("Remote Access Services are not installed on this system.");
    stream.AddComment("");
    return;
  }
  stream.AddComment(std::to_string(Entries.size()) + " RAS Phone Book Entries found.");
  stream.AddComment("");
  for (const std::string& name : Entries) {
    DebugLog("Entry " + name);
    std::vector<std::uint8_t> entry;
    if (!GetEntry(name, entry)) continue;
    const RasEntryFields f = RasEntryFields::Decode(entry);
    stream.AddComment("Name : " + name);
    stream.AddComment("AreaCode : " + f.areaCode);
    stream.AddComment("PhoneNumber : " + f.phoneNumber);
    stream.AddComment("DeviceType : " + f.deviceType);
    stream.AddComment("DeviceName : " + f.deviceName);
    stream.AddComment("");
    DebugLog("Name : " + name);
    DebugLog("Size : " + std::to_string(f.size));
    DebugLog("Options : " + std::to_string(f.options));
    DebugLog("CountryID : " + std::to_string(f.countryId));
    DebugLog("CountryCode : " + std::to_string(f.countryCode));
    DebugLog("AreaCode : " + f.areaCode);
    DebugLog("PhoneNumber : " + f.phoneNumber);
    DebugLog("Script : " + f.script);
    DebugLog("AutoDial DLL : " + f.autodialDll);
    DebugLog("AutoDial Func : " + f.autodialFunc);
    DebugLog("DeviceType : " + f.deviceType);
    DebugLog("DeviceName : " + f.deviceName);
    DebugLog("IPAddress : " + DottedAddress(f.ipAddress));
    DebugLog("IP DNS : " + DottedAddress(f.dns));
    DebugLog("IP DNS Alt : " + DottedAddress(f.dnsAlt));
    DebugLog("IP WINS : " + DottedAddress(f.wins));
    DebugLog("IP WINS Alt : " + DottedAddress(f.winsAlt));
    DebugLog("");
  }
  stream.AddComment("");
}
