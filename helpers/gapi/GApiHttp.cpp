#include "gapi/GApiHttp.h"

#include <curl/curl.h>
#include <sys/random.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <nlohmann/json.hpp>
#include <thread>

#include "misc/CxDebugUtil.h"
#include "platform/AsciiCase.h"

namespace {

// A Google answer comes within seconds; a request that hangs longer is tried again.
constexpr long kRequestTimeoutSec = 120;
constexpr long kConnectTimeoutSec = 20;
// List pages of thousands of records are a few megabytes; far beyond is no answer of ours.
constexpr std::size_t kMaxBodyBytes = 256u << 20;

struct CurlGlobal {
  CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
  ~CurlGlobal() { curl_global_cleanup(); }
};

void EnsureCurl() {
  static CurlGlobal global;
}

unsigned Jitter(unsigned range) {
  unsigned v = 0;
  if (range == 0 || ::getrandom(&v, sizeof v, 0) != static_cast<ssize_t>(sizeof v)) return 0;
  return v % range;
}

std::string PathOf(const std::string& url) {
  // The log names the request without its query, which may carry page tokens.
  auto q = url.find('?');
  return q == std::string::npos ? url : url.substr(0, q);
}

}  // namespace

struct GHttpClient::Transfer {
  CURL* easy = nullptr;
  curl_slist* headers = nullptr;
  std::size_t index = 0;
  int attempt = 0;
  unsigned long generation = 0;
  GHttpResponse response;
  char error[CURL_ERROR_SIZE] = {};

  ~Transfer() {
    if (easy) curl_easy_cleanup(easy);
    if (headers) curl_slist_free_all(headers);
  }

  static std::size_t OnBody(char* data, std::size_t size, std::size_t n, void* user) {
    auto* t = static_cast<Transfer*>(user);
    if (t->response.body.size() + size * n > kMaxBodyBytes) return 0;
    t->response.body.append(data, size * n);
    return size * n;
  }
  static std::size_t OnHeader(char* data, std::size_t size, std::size_t n, void* user) {
    auto* t = static_cast<Transfer*>(user);
    std::string_view line(data, size * n);
    constexpr std::string_view kRetry = "retry-after:";
    if (platform::StartsWithNoCase(line, kRetry)) {
      std::string_view v = line.substr(kRetry.size());
      int secs = 0;
      bool digits = false;
      for (char c : v) {
        if (c >= '0' && c <= '9') {
          digits = true;
          secs = secs > 100000 ? secs : secs * 10 + (c - '0');
        } else if (c != ' ' && c != '\r' && c != '\n') {
          digits = false;  // an HTTP date: the exponential back-off decides
          break;
        }
      }
      if (digits) t->response.retryAfterSec = secs;
    }
    return size * n;
  }
};

GHttpClient::GHttpClient(const GApiSettings& settings) : settings_(settings) {
  EnsureCurl();
  multi_ = curl_multi_init();
}

GHttpClient::~GHttpClient() {
  if (multi_) curl_multi_cleanup(static_cast<CURLM*>(multi_));
}

void GHttpClient::Prepare(Transfer& t, const GHttpRequest& r) {
  if (t.easy)
    curl_easy_reset(t.easy);
  else
    t.easy = curl_easy_init();
  if (t.headers) curl_slist_free_all(t.headers);
  t.headers = nullptr;
  t.response = GHttpResponse();
  t.error[0] = 0;
  CURL* e = t.easy;
  curl_easy_setopt(e, CURLOPT_URL, r.url.c_str());
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_TIMEOUT, kRequestTimeoutSec);
  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSec);
  curl_easy_setopt(e, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(e, CURLOPT_ERRORBUFFER, t.error);
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, &t);
  curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
  curl_easy_setopt(e, CURLOPT_HEADERDATA, &t);
  curl_easy_setopt(e, CURLOPT_USERAGENT, "Quillmove-GHelper/1.0");
  if (r.method == "POST") {
    curl_easy_setopt(e, CURLOPT_POST, 1L);
  } else if (r.method != "GET") {
    curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, r.method.c_str());
  }
  if (r.method != "GET") {
    curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(r.body.size()));
    curl_easy_setopt(e, CURLOPT_COPYPOSTFIELDS, r.body.c_str());
  }
  // No "100-continue" round trip before each body.
  t.headers = curl_slist_append(t.headers, "Expect:");
  t.headers = curl_slist_append(t.headers, "Accept: application/json");
  if (!r.contentType.empty())
    t.headers = curl_slist_append(t.headers, ("Content-Type: " + r.contentType).c_str());
  if (r.authorized && !token_.empty())
    t.headers = curl_slist_append(t.headers, ("Authorization: Bearer " + token_).c_str());
  for (const std::string& h : r.headers) t.headers = curl_slist_append(t.headers, h.c_str());
  curl_easy_setopt(e, CURLOPT_HTTPHEADER, t.headers);
  t.generation = tokenGeneration_;
}

bool GHttpClient::Retryable(const GHttpResponse& r, bool repeatable) {
  if (!repeatable && r.Unknown()) return false;
  if (r.status == 0) return r.error != "stopped";
  if (r.status == 429 || r.status == 500 || r.status == 502 || r.status == 503 || r.status == 504)
    return true;
  if (r.status != 403) return false;
  std::string reason = GApiErrorReason(r);
  return reason == "rateLimitExceeded" || reason == "userRateLimitExceeded" ||
         reason == "RATE_LIMIT_EXCEEDED";
}

std::chrono::milliseconds GHttpClient::Backoff(int attempt, int retryAfterSec) const {
  const long long cap = static_cast<long long>(settings_.maxRetryWaitSec) * 1000;
  long long ms;
  if (retryAfterSec >= 0) {
    ms = static_cast<long long>(retryAfterSec) * 1000;
  } else {
    int shift = std::min(attempt - 1, 16);
    ms = static_cast<long long>(settings_.retryBaseMs) << (shift < 0 ? 0 : shift);
    ms += Jitter(static_cast<unsigned>(settings_.retryBaseMs / 2 + 1));
  }
  return std::chrono::milliseconds(std::min(ms, cap));
}

GHttpResponse GHttpClient::Send(const GHttpRequest& request) {
  std::vector<GHttpRequest> one{request};
  return std::move(SendAll(one, 1, 0).front());
}

std::vector<GHttpResponse> GHttpClient::SendAll(const std::vector<GHttpRequest>& requests,
                                                int parallel, int perMinute,
                                                const std::function<void(std::size_t)>& progress) {
  using Clock = std::chrono::steady_clock;
  auto* multi = static_cast<CURLM*>(multi_);
  std::vector<GHttpResponse> answers(requests.size());
  struct Waiting {
    std::size_t index;
    int attempt;
    Clock::time_point notBefore;
  };
  std::deque<Waiting> fresh;
  for (std::size_t i = 0; i < requests.size(); ++i) fresh.push_back({i, 0, {}});
  std::vector<Waiting> retries;
  std::vector<std::unique_ptr<Transfer>> idle;
  std::vector<std::unique_ptr<Transfer>> active;
  const auto spacing = perMinute > 0 ? std::chrono::microseconds(60000000 / perMinute)
                                     : std::chrono::microseconds(0);
  Clock::time_point nextStart{};
  Clock::time_point pausedUntil{};  // a rate limit pauses every request, not just its own
  std::size_t done = 0;
  bool stopped = false;
  if (parallel < 1) parallel = 1;

  auto finish = [&](std::size_t index, GHttpResponse&& r) {
    answers[index] = std::move(r);
    ++done;
    if (progress) progress(done);
  };

  while (done < requests.size()) {
    if (!stopped && stop_ && stop_()) stopped = true;
    const Clock::time_point now = Clock::now();
    if (stopped) {
      for (auto& t : active) {
        curl_multi_remove_handle(multi, t->easy);
        GHttpResponse r;
        r.error = "stopped";
        finish(t->index, std::move(r));
      }
      active.clear();
      for (const Waiting& w : fresh) finish(w.index, GHttpResponse{0, {}, "stopped", -1, 0});
      for (const Waiting& w : retries) finish(w.index, GHttpResponse{0, {}, "stopped", -1, 0});
      fresh.clear();
      retries.clear();
      break;
    }
    // Start what may start: retries whose wait is over first, then new requests.
    while (static_cast<int>(active.size()) < parallel && now >= pausedUntil && now >= nextStart) {
      Waiting w{};
      auto ready = std::find_if(retries.begin(), retries.end(),
                                [&](const Waiting& x) { return x.notBefore <= now; });
      if (ready != retries.end()) {
        w = *ready;
        retries.erase(ready);
      } else if (!fresh.empty()) {
        w = fresh.front();
        fresh.pop_front();
      } else {
        break;
      }
      std::unique_ptr<Transfer> t;
      if (!idle.empty()) {
        t = std::move(idle.back());
        idle.pop_back();
      } else {
        t = std::make_unique<Transfer>();
      }
      Prepare(*t, requests[w.index]);
      t->index = w.index;
      t->attempt = w.attempt + 1;
      curl_multi_add_handle(multi, t->easy);
      ++requests_;
      active.push_back(std::move(t));
      nextStart = now + spacing;
    }

    int running = 0;
    curl_multi_perform(multi, &running);
    int left = 0;
    while (CURLMsg* msg = curl_multi_info_read(multi, &left)) {
      if (msg->msg != CURLMSG_DONE) continue;
      auto it = std::find_if(active.begin(), active.end(),
                             [&](const auto& t) { return t->easy == msg->easy_handle; });
      if (it == active.end()) continue;
      std::unique_ptr<Transfer> t = std::move(*it);
      active.erase(it);
      curl_multi_remove_handle(multi, t->easy);
      GHttpResponse& r = t->response;
      r.attempts = t->attempt;
      if (msg->data.result == CURLE_OK) {
        curl_easy_getinfo(t->easy, CURLINFO_RESPONSE_CODE, &r.status);
      } else {
        r.status = 0;
        r.error = t->error[0] ? t->error : curl_easy_strerror(msg->data.result);
        const CURLcode code = msg->data.result;
        r.unsent = code == CURLE_COULDNT_RESOLVE_HOST || code == CURLE_COULDNT_RESOLVE_PROXY ||
                   code == CURLE_COULDNT_CONNECT;
      }
      const GHttpRequest& req = requests[t->index];
      QM_LOG_INFO("%s %s: %ld (try %d)", req.method.c_str(), PathOf(req.url).c_str(), r.status,
                  r.attempts);
      if (r.status == 401 && req.authorized && reauthorize_ && t->attempt < settings_.maxAttempts) {
        // Several answers may report the same expired token: one new token serves them all.
        bool fresh401 = t->generation == tokenGeneration_;
        if (!fresh401 || reauthorize_()) {
          if (fresh401) ++tokenGeneration_;
          ++retries_;
          retries.push_back({t->index, t->attempt, Clock::now()});
          idle.push_back(std::move(t));
          continue;
        }
      }
      if (Retryable(r, req.repeatable) && t->attempt < settings_.maxAttempts) {
        auto wait = Backoff(t->attempt, r.retryAfterSec);
        Clock::time_point at = Clock::now() + wait;
        if (r.status == 429 || r.status == 403) pausedUntil = std::max(pausedUntil, at);
        ++retries_;
        retries.push_back({t->index, t->attempt, at});
        idle.push_back(std::move(t));
        continue;
      }
      finish(t->index, std::move(r));
      idle.push_back(std::move(t));
    }
    if (done == requests.size()) break;
    // Sleep until something answers or a wait ends, but look at "Stop" now and then.
    int waitMs = 100;
    if (active.empty()) {
      Clock::time_point next = Clock::now() + std::chrono::milliseconds(100);
      for (const Waiting& w : retries) next = std::min(next, w.notBefore);
      if (!fresh.empty()) next = std::min(next, std::max(nextStart, pausedUntil));
      next = std::max(next, pausedUntil);
      auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count();
      waitMs = static_cast<int>(std::clamp<long long>(ms, 0, 100));
      if (waitMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
      continue;
    }
    curl_multi_poll(multi, nullptr, 0, waitMs, nullptr);
  }
  return answers;
}

std::string GApiErrorReason(const GHttpResponse& r) {
  auto j = nlohmann::json::parse(r.body, nullptr, false);
  if (!j.is_object() || !j.contains("error") || !j["error"].is_object()) return {};
  const auto& e = j["error"];
  if (e.contains("errors") && e["errors"].is_array())
    for (const auto& x : e["errors"])
      if (x.is_object() && x.contains("reason") && x["reason"].is_string())
        return x["reason"].get<std::string>();
  if (e.contains("status") && e["status"].is_string()) return e["status"].get<std::string>();
  return {};
}

std::string GApiErrorText(const GHttpResponse& r) {
  if (r.status == 0) return r.error.empty() ? std::string("no answer") : r.error;
  auto j = nlohmann::json::parse(r.body, nullptr, false);
  std::string message;
  if (j.is_object() && j.contains("error")) {
    const auto& e = j["error"];
    if (e.is_object() && e.contains("message") && e["message"].is_string())
      message = e["message"].get<std::string>();
    else if (e.is_string())
      message = e.get<std::string>();  // the token endpoint's form: "invalid_grant"
  }
  std::string out = "HTTP " + std::to_string(r.status);
  if (!message.empty()) out += ": " + message;
  return out;
}

std::string GUrlEncode(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : text) {
    auto u = static_cast<unsigned char>(c);
    if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || c == '-' ||
        c == '_' || c == '.' || c == '~') {
      out += c;
    } else {
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 15];
    }
  }
  return out;
}
