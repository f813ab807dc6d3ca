// The product's identity and the maker's web addresses.
#pragma once

#include <string>
#include <string_view>

namespace konfex {

inline constexpr std::string_view kSoftwareCode = "QS40213";
inline constexpr std::string_view kDeviceCode = "QD40213";
inline constexpr std::string_view kManualCode = "QM40213";
inline constexpr std::string_view kProgramVersion = "1.000";
inline constexpr std::string_view kDescription = "EtherNet/IP Master / CAN - Converter";
inline constexpr std::string_view kWindowTitle = "Veltrona - Configurator QS40213 - EtherNet/IP Master / CAN ";

// The maker's web server, e.g. "http://www.veltrona.example" (no trailing slash): the build's default,
// replaced at run time by a non-empty environment value (KONFEX_MAKER_URL).
std::string makerBaseUrl(const char* environmentValue);
// The address as the maker label shows it: the base without its scheme.
std::string makerDisplayAddress(const std::string& baseUrl);
std::string makerPageUrl(const std::string& baseUrl);

}  // namespace konfex
