#include "service_client/http_get.h"

#include <curl/curl.h>

#include <cctype>
#include <exception>
#include <memory>
#include <mutex>
#include <new>

namespace vistrel {

namespace {

constexpr long kMaxRedirects = 10;
constexpr long kConnectTimeoutSeconds = 15;
constexpr long kLowSpeedBytesPerSecond = 1;
constexpr long kLowSpeedSeconds = 30;

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Transfer {
  CURL* curl = nullptr;
  const HttpGetHooks* hooks = nullptr;
  int64_t max_body = 0;
  std::string body;
  bool begun = false;
  int64_t total = 0;
  std::exception_ptr failure;
  bool too_large = false;
  bool out_of_memory = false;
};

std::string TooLarge(int64_t max_body) {
  return kAnswerTooLarge + std::to_string(max_body) + " bytes allowed";
}

int64_t AnnouncedLength(CURL* curl) {
  curl_off_t length = -1;
  if (curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) return 0;
  return length > 0 ? static_cast<int64_t>(length) : 0;
}

void Begin(Transfer& t) {
  if (t.begun) return;
  t.begun = true;
  t.total = AnnouncedLength(t.curl);
  if (t.hooks->begin) t.hooks->begin(t.total);
}

// The bodies of redirects and of HTTP errors never reach here (followed, resp. failed on).
// Returning anything short of the full size fails the transfer.
size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  const size_t n = size * count;
  try {
    Begin(t);
  } catch (...) {
    t.failure = std::current_exception();
    return 0;
  }
  if (static_cast<uint64_t>(n) > static_cast<uint64_t>(t.max_body) - t.body.size()) {
    t.too_large = true;
    return 0;
  }
  try {
    t.body.append(data, n);
  } catch (const std::bad_alloc&) {
    t.out_of_memory = true;
    return 0;
  }
  return n;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto& t = *static_cast<Transfer*>(user);
  if (!t.hooks->step) return 0;
  try {
    return t.hooks->step(static_cast<int64_t>(t.body.size()), t.total) ? 1 : 0;
  } catch (...) {
    t.failure = std::current_exception();
    return 1;
  }
}

bool IsHttps(std::string_view url) {
  constexpr std::string_view kScheme = "https://";
  if (url.size() < kScheme.size()) return false;
  for (std::size_t i = 0; i < kScheme.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(url[i])) != kScheme[i]) return false;
  }
  return true;
}

}  // namespace

std::string RedirectProtocols(std::string_view url) {
  return IsHttps(url) ? "https" : "http,https";
}

Result<std::string> HttpGet(const std::string& url, const std::string& user_agent,
                            const HttpGetHooks& hooks, const HttpGetLimits& limits) {
  InitCurlOnce();
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
  if (!curl) return Result<std::string>::Fail("Cannot create the HTTP client");
  Transfer t;
  t.curl = curl.get();
  t.hooks = &hooks;
  t.max_body = limits.max_body;
  char error_text[CURL_ERROR_SIZE] = {};

  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  const std::string redirect_protocols = RedirectProtocols(url);
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, redirect_protocols.c_str());
  curl_easy_setopt(c, CURLOPT_USERAGENT, user_agent.c_str());
  // A non-success status is a failure of the request, with the client's text for it.
  curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, kLowSpeedBytesPerSecond);
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, kLowSpeedSeconds);
  // An announced length beyond the limit fails before any of the body is taken.
  curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.max_body));
  if (limits.total_seconds > 0) curl_easy_setopt(c, CURLOPT_TIMEOUT, limits.total_seconds);
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error_text);
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &OnBody);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &t);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &OnProgress);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, &t);
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);

  const CURLcode code = curl_easy_perform(c);
  if (code == CURLE_OK && !t.failure) {
    try {
      Begin(t);
    } catch (...) {
      t.failure = std::current_exception();
    }
  }
  curl.reset();
  if (t.failure) std::rethrow_exception(t.failure);
  if (code != CURLE_OK) {
    if (t.too_large || code == CURLE_FILESIZE_EXCEEDED) {
      return Result<std::string>::Fail(TooLarge(limits.max_body));
    }
    if (t.out_of_memory) return Result<std::string>::Fail(kAnswerOutOfMemory);
    // The first URL's https is supported, so a refused protocol is a redirect's.
    if (code == CURLE_UNSUPPORTED_PROTOCOL && IsHttps(url)) {
      return Result<std::string>::Fail(kRedirectDowngrade);
    }
    return Result<std::string>::Fail(error_text[0] ? error_text : curl_easy_strerror(code));
  }
  return Result<std::string>::Ok(std::move(t.body));
}

}  // namespace vistrel
