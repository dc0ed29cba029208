#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

struct DavRequest {
  std::string method;  // PROPFIND, REPORT, PUT, MKCOL, MKCALENDAR, GET
  std::string url;     // absolute
  std::string body;
  std::string contentType;
  std::vector<std::string> headers;  // "Depth: 1", "If-Match: \"x\"" ...
};

struct DavReply {
  long status = 0;  // 0: no answer (error says why)
  std::string body;
  std::string etag;        // the ETag header of the final answer
  std::string url;         // where the request ended after redirects
  std::string error;       // transport failure, for the person
  bool untrusted = false;  // the server's certificate did not pass the check
};

// How to reach the server. The password goes out in every request (HTTP Basic), so plain
// http is for a server on this machine only (checked where the settings are read).
struct DavConnection {
  std::string user;
  std::string password;
  std::string caFile;      // certificates to trust besides the system's; empty for none
  bool plainHttp = false;  // the server is http on this machine: redirects may stay http
};

// How many requests go out at once: a fixed number, or one found while sending. Found, it
// starts at one and doubles for as long as doubling raises the rate of answers by a fifth: a
// server that takes one write at a time (Radicale) only queues the others and slows down
// under them, while one with many workers, or one far away, gains from every step.
class DavWindow {
 public:
  static DavWindow Fixed(std::size_t size);
  static DavWindow Found(std::size_t most);

  std::size_t Size() const { return size_; }
  std::size_t Most() const { return most_; }
  // A sample is taken within one run of requests; a new run starts a new one.
  void Begin() { answers_ = 0; }
  void Answered(std::chrono::steady_clock::time_point at);

  // Answers in one sample, per request in flight.
  static constexpr std::size_t kSample = 8;

 private:
  std::size_t size_ = 1;
  std::size_t most_ = 1;
  bool settled_ = true;
  std::size_t answers_ = 0;
  std::chrono::steady_clock::time_point since_{};
  double lastRate_ = 0;
};

// The client's HTTP: libcurl with one multi handle whose connection cache every request shares
// (keep-alive, HTTP/2 multiplexing where the server offers it), certificate checks always on,
// no "Expect: 100-continue" pause, redirects followed, 429 and 503 retried after Retry-After
// or a growing pause.
class DavHttp {
 public:
  explicit DavHttp(DavConnection connection);
  ~DavHttp();
  DavHttp(const DavHttp&) = delete;
  DavHttp& operator=(const DavHttp&) = delete;

  DavReply Send(const DavRequest& request);
  // Sends every request, at most `window.Size()` at a time; `done(i, reply)` runs in this
  // thread as each one ends. Once `stop()` is true no further request starts; those not sent
  // get no `done` call. Returns the number of requests sent.
  std::size_t SendAll(const std::vector<DavRequest>& requests, DavWindow& window,
                      const std::function<void(std::size_t, DavReply&)>& done,
                      const std::function<bool()>& stop = {});
  std::size_t SendAll(const std::vector<DavRequest>& requests, std::size_t parallel,
                      const std::function<void(std::size_t, DavReply&)>& done,
                      const std::function<bool()>& stop = {}) {
    DavWindow fixed = DavWindow::Fixed(parallel);
    return SendAll(requests, fixed, done, stop);
  }

  // Retry bounds: a busy server gets this many more tries, none after waiting longer than
  // kMaxWait in all for one request.
  static constexpr int kMaxRetries = 5;
  static constexpr std::chrono::seconds kMaxWait{120};
  // Test hook: shortens every pause (a test server asks for seconds).
  void SetPauseScale(double scale) { pauseScale_ = scale; }

 private:
  struct Transfer;

  DavConnection c_;
  void* multi_ = nullptr;
  std::vector<void*> easy_;
  double pauseScale_ = 1.0;
};

// Resolves a reference (an href, a Location) against an absolute http(s) address.
std::string ResolveUrl(const std::string& base, const std::string& ref);
// The path of an address, percent-decoded, for comparing hrefs however each side encodes them.
std::string DecodedPath(const std::string& url);
// Percent-encodes what may not stand in a path segment.
std::string EncodePathSegment(const std::string& text);
