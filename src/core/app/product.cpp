#include "core/app/product.h"

#ifndef KONFEX_MAKER_URL
#error "KONFEX_MAKER_URL must be defined by the build"
#endif

namespace konfex {

std::string makerBaseUrl(const char* environmentValue) {
  std::string url = (environmentValue != nullptr && *environmentValue != '\0') ? environmentValue : KONFEX_MAKER_URL;
  while (!url.empty() && url.back() == '/') url.pop_back();
  return url;
}

std::string makerDisplayAddress(const std::string& baseUrl) {
  const size_t scheme = baseUrl.find("://");
  return scheme == std::string::npos ? baseUrl : baseUrl.substr(scheme + 3);
}

std::string makerPageUrl(const std::string& baseUrl) {
  return baseUrl + "/HOME/default.asp?frompg=" + std::string(kSoftwareCode);
}

}  // namespace konfex
