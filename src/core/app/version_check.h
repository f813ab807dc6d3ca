// Asking the maker's web service whether a newer version of the program exists: the request, the
// reading of its answer, and the update link the windows show.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "core/app/seams.h"

namespace konfex {

// The request gets a limit of its own so that a silent server cannot hold a check forever.
inline constexpr std::chrono::milliseconds kVersionRequestLimit{10000};
// The update timer: the first check a minute after it is enabled, then every two hours.
inline constexpr std::chrono::milliseconds kFirstUpdateCheck{60000};
inline constexpr std::chrono::milliseconds kUpdateCheckInterval{7200000};

// GET <maker>/home/download/GetversionSW.asp?nomesw=QS40213 with the two headers the service expects.
HttpRequest versionRequest(const std::string& makerBaseUrl, std::chrono::milliseconds limit = kVersionRequestLimit);

// The maker's download page, target of every update link.
std::string downloadPageUrl(const std::string& makerBaseUrl);

// One HTML anchor to `url` whose content is `text`, both escaped for a rich-text label.
std::string updateLinkHtml(const std::string& url, std::string_view text);

// The version number of a version text such as "VER. 1.002" (1002); -1 when it holds no valid version.
int convVersion(std::string_view verStr);

// The decision on the service's answer: true exactly when it names a version newer than this program's.
// A failed request counts as an empty answer.
bool isNewerVersion(const HttpAnswer& answer);
bool isNewerVersion(std::string_view body);

}  // namespace konfex
