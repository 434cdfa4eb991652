#include "platform/network.h"

namespace qv {

const char* NetFunctionName(NetFunction function) {
  switch (function) {
    case NetFunction::LsaNtStatusToWinError: return "LsaNtStatusToWinError";
    case NetFunction::LsaOpenPolicy: return "LsaOpenPolicy";
    case NetFunction::LsaSetInformationPolicy: return "LsaSetInformationPolicy";
    case NetFunction::LsaSetTrustedDomainInformation: return "LsaSetTrustedDomainInformation";
    case NetFunction::LsaStorePrivateData: return "LsaStorePrivateData";
    case NetFunction::LsaClose: return "LsaClose";
    case NetFunction::LsaQueryInformationPolicy: return "LsaQueryInformationPolicy";
    case NetFunction::LsaFreeMemory: return "LsaFreeMemory";
    case NetFunction::NetApiBufferFree: return "NetApiBufferFree";
    case NetFunction::NetGetDCName: return "NetGetDCName";
    case NetFunction::NetServerGetInfo: return "NetServerGetInfo";
    case NetFunction::NetUseAdd: return "NetUseAdd";
    case NetFunction::NetUseDel: return "NetUseDel";
    case NetFunction::NetUserGetInfo: return "NetUserGetInfo";
    case NetFunction::NetUserModalsGet: return "NetUserModalsGet";
    case NetFunction::NetWkstaGetInfo: return "NetWkstaGetInfo";
  }
  return "";
}

NetLibrary LibraryOf(NetFunction function) {
  return function <= NetFunction::LsaFreeMemory ? NetLibrary::Advapi32 : NetLibrary::Netapi32;
}

}  // namespace qv
