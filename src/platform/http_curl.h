// The HTTP client of the version check, on libcurl: one plain GET as HTTP/1.0, driven through libcurl's
// multi interface so that a caller on the user-interface thread only ever polls and never waits.
#pragma once

#include "core/app/seams.h"

namespace konfex {

class CurlHttpClient final : public HttpClient {
 public:
  // Answers longer than this are not kept: the exchange fails instead of filling memory.
  static constexpr size_t kMaxBody = 1 << 20;

  CurlHttpClient();
  ~CurlHttpClient() override;
  CurlHttpClient(const CurlHttpClient&) = delete;
  CurlHttpClient& operator=(const CurlHttpClient&) = delete;

  std::unique_ptr<HttpTransfer> get(const HttpRequest& request) override;

 private:
  bool initialised_;
};

}  // namespace konfex
