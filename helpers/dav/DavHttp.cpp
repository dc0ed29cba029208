#include "DavHttp.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "misc/CxDebugUtil.h"

namespace {

// A reply larger than this is not an answer to us: the largest, a multiget, is far smaller.
constexpr std::size_t kMaxReplyBytes = 256u << 20;
constexpr long kConnectTimeoutSeconds = 30;
// A server that sends nothing for this long is given up on.
constexpr long kStallSeconds = 120;

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

CURL* Easy(void* p) {
  return static_cast<CURL*>(p);
}
CURLM* Multi(void* p) {
  return static_cast<CURLM*>(p);
}

std::string TrimBlanks(std::string s) {
  while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ')) s.pop_back();
  std::size_t start = s.find_first_not_of(" \t");
  return start == std::string::npos ? std::string() : s.substr(start);
}

bool HeaderIs(const std::string& line, const char* name) {
  std::size_t n = std::strlen(name);
  if (line.size() <= n || line[n] != ':') return false;
  for (std::size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(line[i])) != name[i]) return false;
  return true;
}

// Retry-After is seconds or an HTTP date.
std::chrono::milliseconds RetryAfter(const std::string& value) {
  if (value.empty()) return std::chrono::milliseconds(-1);
  if (std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    long long s = value.size() > 6 ? 1000000 : std::stoll(value);
    return std::chrono::milliseconds(s * 1000);
  }
  time_t when = curl_getdate(value.c_str(), nullptr);
  if (when < 0) return std::chrono::milliseconds(-1);
  long long s = static_cast<long long>(when - std::time(nullptr));
  return std::chrono::milliseconds(std::max(0LL, s) * 1000);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// curl names the login in the address it ended at; it must not travel on from there.
std::string WithoutUserInfo(std::string url) {
  std::size_t scheme = url.find("://");
  if (scheme == std::string::npos) return url;
  std::size_t end = url.find_first_of("/?#", scheme + 3);
  std::size_t at = url.rfind('@', end == std::string::npos ? url.size() : end);
  if (at != std::string::npos && at > scheme) url.erase(scheme + 3, at - scheme - 2);
  return url;
}

}  // namespace

struct DavHttp::Transfer {
  std::size_t index = 0;
  const DavRequest* request = nullptr;
  DavReply reply;
  std::string retryAfter;
  curl_slist* headers = nullptr;
  bool tooLarge = false;
  int attempts = 0;
  std::chrono::milliseconds waited{0};
  std::chrono::steady_clock::time_point notBefore{};
  char error[CURL_ERROR_SIZE] = {};

  ~Transfer() { curl_slist_free_all(headers); }

  static size_t OnBody(char* data, size_t size, size_t n, void* user) {
    auto* t = static_cast<Transfer*>(user);
    if (t->reply.body.size() + size * n > kMaxReplyBytes) {
      t->tooLarge = true;
      return 0;
    }
    t->reply.body.append(data, size * n);
    return size * n;
  }
  static size_t OnHeader(char* data, size_t size, size_t n, void* user) {
    auto* t = static_cast<Transfer*>(user);
    std::string line(data, size * n);
    // Each answer of a redirect chain starts with its status line: keep the last one's.
    if (line.rfind("HTTP/", 0) == 0) {
      t->reply.etag.clear();
      t->retryAfter.clear();
    } else if (HeaderIs(line, "etag")) {
      t->reply.etag = TrimBlanks(line.substr(5));
    } else if (HeaderIs(line, "retry-after")) {
      t->retryAfter = TrimBlanks(line.substr(12));
    }
    return size * n;
  }
};

DavWindow DavWindow::Fixed(std::size_t size) {
  DavWindow w;
  w.size_ = w.most_ = std::max<std::size_t>(1, size);
  return w;
}

DavWindow DavWindow::Found(std::size_t most) {
  DavWindow w;
  w.most_ = std::max<std::size_t>(1, most);
  w.settled_ = w.most_ == 1;
  return w;
}

void DavWindow::Answered(std::chrono::steady_clock::time_point at) {
  if (settled_) return;
  // The clock starts at the first answer, once the requests of the last size are through.
  if (answers_++ == 0) {
    since_ = at;
    return;
  }
  if (answers_ <= kSample * size_ + 1) return;
  const double seconds = std::chrono::duration<double>(at - since_).count();
  const double rate = static_cast<double>(answers_ - 1) / std::max(seconds, 1e-6);
  answers_ = 0;
  if (lastRate_ > 0 && rate < lastRate_ * 1.2) {
    size_ /= 2;
    settled_ = true;
  } else if (size_ * 2 > most_) {
    settled_ = true;
  } else {
    lastRate_ = rate;
    size_ *= 2;
  }
  if (settled_) QM_LOG_INFO("Requests in flight: %zu", size_);
}

DavHttp::DavHttp(DavConnection connection) : c_(std::move(connection)) {
  GlobalInit();
  multi_ = curl_multi_init();
}

DavHttp::~DavHttp() {
  for (void* e : easy_) curl_easy_cleanup(Easy(e));
  curl_multi_cleanup(Multi(multi_));
}

DavReply DavHttp::Send(const DavRequest& request) {
  DavReply out;
  SendAll({request}, 1, [&](std::size_t, DavReply& r) { out = std::move(r); });
  return out;
}

std::size_t DavHttp::SendAll(const std::vector<DavRequest>& requests, DavWindow& window,
                             const std::function<void(std::size_t, DavReply&)>& done,
                             const std::function<bool()>& stop) {
  window.Begin();
  // Handles for the most the window may grow to; the window says how many are in use.
  std::size_t parallel = std::max<std::size_t>(1, std::min(window.Most(), requests.size()));
  while (easy_.size() < parallel) easy_.push_back(curl_easy_init());
  curl_multi_setopt(Multi(multi_), CURLMOPT_MAX_HOST_CONNECTIONS, static_cast<long>(parallel));

  std::vector<CURL*> idle;
  for (std::size_t i = 0; i < parallel; ++i) idle.push_back(Easy(easy_[i]));
  std::deque<std::unique_ptr<Transfer>> waiting;  // retries, earliest first
  std::vector<std::pair<CURL*, std::unique_ptr<Transfer>>> active;
  std::size_t next = 0, sent = 0;
  bool stopped = false;

  auto start = [&](std::unique_ptr<Transfer> t) {
    CURL* h = idle.back();
    idle.pop_back();
    const DavRequest& r = *t->request;
    curl_easy_reset(h);
    t->reply = DavReply{};
    t->retryAfter.clear();
    t->tooLarge = false;
    t->error[0] = '\0';
    curl_slist_free_all(t->headers);
    t->headers = nullptr;
    // No pause for a "100 Continue" that HTTP/1.0 servers never send.
    t->headers = curl_slist_append(t->headers, "Expect:");
    if (!r.contentType.empty())
      t->headers = curl_slist_append(t->headers, ("Content-Type: " + r.contentType).c_str());
    for (const std::string& hd : r.headers) t->headers = curl_slist_append(t->headers, hd.c_str());
    curl_easy_setopt(h, CURLOPT_URL, r.url.c_str());
    if (r.method == "GET") {
      curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    } else {
      curl_easy_setopt(h, CURLOPT_POSTFIELDS, r.body.data());
      curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(r.body.size()));
      curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, r.method.c_str());
      // A redirected request is sent again as it was, never turned into a GET.
      curl_easy_setopt(h, CURLOPT_POSTREDIR, static_cast<long>(CURL_REDIR_POST_ALL));
    }
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, t->headers);
    curl_easy_setopt(h, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
    curl_easy_setopt(h, CURLOPT_USERNAME, c_.user.c_str());
    curl_easy_setopt(h, CURLOPT_PASSWORD, c_.password.c_str());
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, c_.plainHttp ? "http,https" : "https");
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!c_.caFile.empty()) curl_easy_setopt(h, CURLOPT_CAINFO, c_.caFile.c_str());
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(h, CURLOPT_USERAGENT, "Quillmove-helper/1");
    curl_easy_setopt(h, CURLOPT_PIPEWAIT, 1L);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, t->error);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, t.get());
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, t.get());
    ++t->attempts;
    curl_multi_add_handle(Multi(multi_), h);
    active.emplace_back(h, std::move(t));
  };

  while (true) {
    if (!stopped && stop && stop()) stopped = true;
    auto now = std::chrono::steady_clock::now();
    while (!idle.empty() && active.size() < window.Size()) {
      if (!waiting.empty() && waiting.front()->notBefore <= now) {
        start(std::move(waiting.front()));
        waiting.pop_front();
      } else if (!stopped && next < requests.size()) {
        auto t = std::make_unique<Transfer>();
        t->index = next;
        t->request = &requests[next++];
        ++sent;
        start(std::move(t));
      } else {
        break;
      }
    }
    if (active.empty() && waiting.empty() && (stopped || next >= requests.size())) break;

    int running = 0;
    curl_multi_perform(Multi(multi_), &running);
    int queued = 0;
    while (CURLMsg* msg = curl_multi_info_read(Multi(multi_), &queued)) {
      if (msg->msg != CURLMSG_DONE) continue;
      CURL* h = msg->easy_handle;
      CURLcode result = msg->data.result;
      auto it = std::find_if(active.begin(), active.end(), [&](auto& a) { return a.first == h; });
      if (it == active.end()) continue;
      std::unique_ptr<Transfer> t = std::move(it->second);
      active.erase(it);
      curl_multi_remove_handle(Multi(multi_), h);
      long status = 0;
      curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
      char* url = nullptr;
      curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &url);
      idle.push_back(h);
      t->reply.url = WithoutUserInfo(url ? url : t->request->url);
      if (result != CURLE_OK) {
        t->reply.status = 0;
        t->reply.untrusted = result == CURLE_PEER_FAILED_VERIFICATION;
        t->reply.error = t->tooLarge   ? std::string("the server's answer is too large")
                         : t->error[0] ? std::string(t->error)
                                       : std::string(curl_easy_strerror(result));
      } else {
        t->reply.status = status;
      }
      if ((status == 429 || status == 503) && result == CURLE_OK && t->attempts <= kMaxRetries) {
        // A busy server: wait as it asks, or a growing pause, within bounds.
        std::chrono::milliseconds pause = RetryAfter(t->retryAfter);
        if (pause.count() < 0) pause = std::chrono::milliseconds(1000 << (t->attempts - 1));
        pause = std::min<std::chrono::milliseconds>(pause, std::chrono::seconds(60));
        if (t->waited + pause <= kMaxWait) {
          t->waited += pause;
          auto scaled = std::chrono::milliseconds(
              static_cast<long long>(static_cast<double>(pause.count()) * pauseScale_));
          QM_LOG_INFO("%s %s: %ld, trying again in %lld ms", t->request->method.c_str(),
                      t->request->url.c_str(), status, static_cast<long long>(scaled.count()));
          t->notBefore = std::chrono::steady_clock::now() + scaled;
          auto at = std::find_if(waiting.begin(), waiting.end(),
                                 [&](auto& w) { return w->notBefore > t->notBefore; });
          waiting.insert(at, std::move(t));
          continue;
        }
      }
      window.Answered(std::chrono::steady_clock::now());
      done(t->index, t->reply);
    }
    if (running > 0 || !active.empty()) {
      int timeout = 100;
      if (!waiting.empty()) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            waiting.front()->notBefore - std::chrono::steady_clock::now());
        timeout = static_cast<int>(std::clamp<long long>(left.count(), 0, 100));
      }
      curl_multi_poll(Multi(multi_), nullptr, 0, timeout, nullptr);
    } else if (!waiting.empty()) {
      auto left = waiting.front()->notBefore - std::chrono::steady_clock::now();
      std::this_thread::sleep_for(
          std::min<std::chrono::steady_clock::duration>(left, std::chrono::milliseconds(100)));
    }
  }
  return sent;
}

std::string ResolveUrl(const std::string& base, const std::string& ref) {
  if (ref.find("://") != std::string::npos) return ref;
  std::size_t scheme = base.find("://");
  std::size_t pathAt = scheme == std::string::npos ? 0 : base.find('/', scheme + 3);
  std::string origin = pathAt == std::string::npos ? base : base.substr(0, pathAt);
  if (!ref.empty() && ref[0] == '/') return origin + ref;
  std::string path = pathAt == std::string::npos ? "/" : base.substr(pathAt);
  path = path.substr(0, path.find_first_of("?#"));
  return origin + path.substr(0, path.rfind('/') + 1) + ref;
}

std::string DecodedPath(const std::string& url) {
  std::size_t scheme = url.find("://");
  std::size_t pathAt = scheme == std::string::npos ? 0 : url.find('/', scheme + 3);
  if (pathAt == std::string::npos) return "/";
  std::string path = url.substr(pathAt);
  path = path.substr(0, path.find_first_of("?#"));
  std::string out;
  for (std::size_t i = 0; i < path.size(); ++i) {
    int hi = 0, lo = 0;
    if (path[i] == '%' && i + 2 < path.size() && (hi = HexValue(path[i + 1])) >= 0 &&
        (lo = HexValue(path[i + 2])) >= 0) {
      out += static_cast<char>(hi * 16 + lo);
      i += 2;
    } else {
      out += path[i];
    }
  }
  return out;
}

std::string EncodePathSegment(const std::string& text) {
  std::string out;
  char hex[4];
  for (char c : text) {
    auto u = static_cast<unsigned char>(c);
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
        (c != '\0' && std::strchr("-._~@", c))) {
      out += c;
    } else {
      std::snprintf(hex, sizeof hex, "%%%02X", u);
      out += hex;
    }
  }
  return out;
}
