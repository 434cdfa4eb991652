// Workgroup or Windows NT domain membership of the computer.
#pragma once

#include <cstdint>
#include <string>

#include "engine/settings.h"
#include "platform/network.h"

// "WorkGroup/Domain". On Windows NT the membership is read and changed
// through the security-policy and network-management functions, which are
// looked up at run time; on Windows 95/98 it is the VNETSUP "WorkGroup"
// value.
class TWorkGroupSettings : public TSettings {
 public:
  TWorkGroupSettings();
  ~TWorkGroupSettings() override;
  bool Read(TConnection& stream) override;
  bool Write(TConnection& stream) override;
  bool RequiresRegistryAccess() override;

  // Windows NT: whether every function the membership calls was found.
  bool LoadNetworkLibraries();
  // Windows NT: fills IsWorkgroup and MembershipName from the policy.
  bool QueryMembership();
  // Windows NT: makes the workstation a member of MembershipName.
  bool JoinMembership();

  void ReportLsaError(const std::string& operation, qv::NtStatus status);
  void ReportNetError(const std::string& operation, qv::WinError code);

  bool IsWorkgroup = true;
  std::string MembershipName = kNoWorkgroup;
  std::string ErrorText;
  bool LibrariesLoaded = false;

  static constexpr const char* kNoWorkgroup = "No Workgroup";

 private:
  void Describe(TConnection& stream);
  bool JoinWith(qv::INetwork& network, std::string& remoteName);

  std::string Reserved;
  bool nt_ = false;
};
