#include "core/app/version_check.h"

#include "core/app/product.h"
#include "core/io/text.h"

namespace konfex {

namespace {

std::string htmlEscaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// The characters of a UTF-8 text, each as its own piece (a stray byte counts as one character).
std::vector<std::string_view> characters(std::string_view text) {
  std::vector<std::string_view> out;
  size_t i = 0;
  while (i < text.size()) {
    size_t n = 1;
    while (i + n < text.size() && (static_cast<unsigned char>(text[i + n]) & 0xC0u) == 0x80u) ++n;
    out.push_back(text.substr(i, n));
    i += n;
  }
  return out;
}

// A decimal integer with an optional sign and nothing else; -1 when it is none.
int decimal(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return -1;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');  // at most four digits: no overflow
  }
  return negative ? -value : value;
}

}  // namespace

HttpRequest versionRequest(const std::string& makerBaseUrl, std::chrono::milliseconds limit) {
  HttpRequest request;
  request.url = makerBaseUrl + "/home/download/GetversionSW.asp?nomesw=" + std::string(kSoftwareCode);
  request.headers = {{"Accept", "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"},
                     {"User-Agent", "Mozilla/3.0 (compatible; Indy Library)"}};
  request.timeLimit = limit;
  return request;
}

std::string downloadPageUrl(const std::string& makerBaseUrl) {
  return makerBaseUrl + "/Home/download/download.asp#" + std::string(kDeviceCode);
}

std::string updateLinkHtml(const std::string& url, std::string_view text) {
  return "<a href=\"" + htmlEscaped(url) + "\">" + htmlEscaped(text) + "</a>";
}

int convVersion(std::string_view verStr) {
  const size_t blank = verStr.find(' ');
  const std::string_view v = trim(blank == std::string_view::npos ? verStr : verStr.substr(blank + 1));
  const std::vector<std::string_view> chars = characters(v);
  if (chars.size() < 5) return -1;
  // The second character, normally the point, is skipped; what follows the fifth is ignored.
  std::string digits;
  for (const size_t i : {0u, 2u, 3u, 4u}) digits += chars[i];
  return decimal(digits);
}

bool isNewerVersion(std::string_view body) {
  // The service's answer may carry a byte-order mark or Windows-1252 bytes like any text we read.
  const std::string decoded = decodeTextFile(body);
  const std::string_view answer = trim(decoded);
  const std::string upper = toUpperAscii(answer);
  if (upper.empty() || upper == "VER. 0.000") return false;
  const int ours = convVersion(kProgramVersion);
  const int theirs = convVersion(answer);
  return ours != -1 && theirs != -1 && theirs > ours;
}

bool isNewerVersion(const HttpAnswer& answer) {
  return answer.ok() && isNewerVersion(answer.body);
}

}  // namespace konfex
