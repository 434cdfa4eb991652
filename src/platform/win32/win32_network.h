// The network port on the real API: kernel32 for the computer name, mpr for
// the drive connections, and ADVAPI32.DLL / NETAPI32.DLL loaded at run time
// for the Lsa* and Net* functions.
#pragma once

#include <windows.h>

#include <atomic>
#include <map>
#include <mutex>

#include "platform/network.h"

namespace qv {

class Win32Network : public INetwork {
 public:
  // Loads both libraries and looks up every export; what is missing stays
  // missing for the adapter's life.
  Win32Network();
  // Closes the policies still open and frees the libraries.
  ~Win32Network() override;
  Win32Network(const Win32Network&) = delete;
  Win32Network& operator=(const Win32Network&) = delete;

  // The window that owns what the system shows while connecting a drive
  // (the program's main window); none until it is set.
  void SetOwnerWindow(HWND window);

  WinError ChangeComputerName(std::string_view name) override;
  WinError DriveConnection(std::string_view localName, std::string& remoteName) override;
  WinError AddDriveConnection(std::string_view localName, std::string_view remoteName,
                              std::string_view userName, std::uint32_t flags) override;
  WinError CancelDriveConnection(std::string_view localName, std::uint32_t flags,
                                 bool force) override;
  std::string NetErrorMessage(WinError code) override;
  bool HasLibrary(NetLibrary library) override;
  bool Has(NetFunction function) override;
  WinError LsaStatusToWinError(NtStatus status) override;
  NtStatus OpenPolicy(std::string_view systemName, std::uint32_t access,
                      LsaPolicy& handle) override;
  NtStatus ClosePolicy(LsaPolicy policy) override;
  NtStatus QueryPrimaryDomain(LsaPolicy policy, PrimaryDomainInfo& info) override;
  NtStatus SetPrimaryDomain(LsaPolicy policy, const PrimaryDomainInfo& info) override;
  NtStatus SetTrustedDomainName(LsaPolicy policy, const std::vector<std::uint8_t>& domainSid,
                                std::string_view name) override;
  WinError WorkstationInfo100(WorkstationInfo& info) override;
  WinError ServerType(std::string_view server, std::uint32_t& type) override;
  WinError AccountDomain(std::string_view server, std::string& name,
                         std::vector<std::uint8_t>& sid) override;
  WinError DomainControllerName(std::string_view server, std::string_view domain,
                                std::string& controller) override;
  WinError AddUse(std::string_view localName, std::string_view remoteName,
                  std::uint32_t type) override;
  WinError DeleteUse(std::string_view name, std::uint32_t force) override;
  WinError UserFlags(std::string_view server, std::string_view userName,
                     std::uint32_t& flags) override;

 private:
  // The export's address as a pointer of type `Fn`; null when missing.
  template <typename Fn>
  Fn Proc(NetFunction function) const {
    return reinterpret_cast<Fn>(procs_[static_cast<int>(function)]);
  }
  // The system handle of a policy number; false when it is not open.
  bool Policy(LsaPolicy policy, void*& handle);
  // Frees a buffer of the Net* functions.
  void FreeNetBuffer(void* buffer);

  HMODULE advapi32_ = nullptr;
  HMODULE netapi32_ = nullptr;
  void* procs_[16] = {};
  std::atomic<HWND> owner_{nullptr};

  std::mutex mutex_;  // guards the policy table
  std::map<LsaPolicy, void*> policies_;
  LsaPolicy nextPolicy_ = 1;
};

}  // namespace qv
