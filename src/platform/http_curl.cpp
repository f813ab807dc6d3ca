#include "platform/http_curl.h"

#include <curl/curl.h>

#include <algorithm>

namespace konfex {

namespace {

class CurlTransfer final : public HttpTransfer {
 public:
  CurlTransfer() = default;
  CurlTransfer(const CurlTransfer&) = delete;
  CurlTransfer& operator=(const CurlTransfer&) = delete;

  ~CurlTransfer() override {
    if (added_) curl_multi_remove_handle(multi_, easy_);
    if (easy_ != nullptr) curl_easy_cleanup(easy_);
    if (multi_ != nullptr) curl_multi_cleanup(multi_);
    curl_slist_free_all(headers_);
  }

  bool start(const HttpRequest& request) {
    multi_ = curl_multi_init();
    easy_ = curl_easy_init();
    if (multi_ == nullptr || easy_ == nullptr) return false;
    for (const auto& [name, value] : request.headers) {
      const std::string line = name + ": " + value;
      curl_slist* more = curl_slist_append(headers_, line.c_str());
      if (more == nullptr) return false;
      headers_ = more;
    }
    const long limit = static_cast<long>(std::max<std::chrono::milliseconds::rep>(1, request.timeLimit.count()));
    // Our headers replace libcurl's own Accept; libcurl adds only Host, which addressing needs. There is
    // no cookie engine, no compression offer and no redirect following unless asked for, and none is.
    const bool ok =
        curl_easy_setopt(easy_, CURLOPT_URL, request.url.c_str()) == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_HTTPGET, 1L) == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0)) == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headers_) == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_TIMEOUT_MS, limit) == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &CurlTransfer::received) == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this) == CURLE_OK;
    if (!ok) return false;
    if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) return false;
    added_ = true;
    return true;
  }

  bool poll() override {
    if (done_) return true;
    int running = 0;
    if (curl_multi_perform(multi_, &running) != CURLM_OK) return finish(CURLE_FAILED_INIT);
    if (running > 0) return false;
    CURLcode result = CURLE_FAILED_INIT;
    int left = 0;
    while (const CURLMsg* message = curl_multi_info_read(multi_, &left))
      if (message->msg == CURLMSG_DONE) result = message->data.result;
    return finish(result);
  }

  HttpAnswer answer() const override { return answer_; }

 private:
  static size_t received(char* data, size_t size, size_t count, void* self) {
    auto* transfer = static_cast<CurlTransfer*>(self);
    const size_t n = size * count;
    if (transfer->body_.size() + n > CurlHttpClient::kMaxBody) return 0;  // aborts with a write error
    transfer->body_.append(data, n);
    return n;
  }

  bool finish(CURLcode result) {
    done_ = true;
    long status = 0;
    if (result == CURLE_OK && curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK) {
      answer_.status = static_cast<int>(status);
      answer_.body = std::move(body_);
    }
    return true;
  }

  CURLM* multi_ = nullptr;
  CURL* easy_ = nullptr;
  curl_slist* headers_ = nullptr;
  bool added_ = false;
  bool done_ = false;
  std::string body_;
  HttpAnswer answer_;
};

}  // namespace

CurlHttpClient::CurlHttpClient() : initialised_(curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK) {}

CurlHttpClient::~CurlHttpClient() {
  if (initialised_) curl_global_cleanup();
}

std::unique_ptr<HttpTransfer> CurlHttpClient::get(const HttpRequest& request) {
  if (!initialised_) return nullptr;
  auto transfer = std::make_unique<CurlTransfer>();
  if (!transfer->start(request)) return nullptr;
  return transfer;
}

}  // namespace konfex
