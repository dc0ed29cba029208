#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "gapi/GApiSettings.h"

struct GHttpRequest {
  std::string method = "GET";
  std::string url;
  std::string body;
  std::string contentType;           // with a body: "application/json", a form ...
  std::vector<std::string> headers;  // further lines, "If-Match: ..."
  bool authorized = true;            // carries the access token
  // False for a create: an answer lost on the way back may hide a record already made, so it
  // is tried again only when Google surely did not take it (a rate limit, no connection).
  bool repeatable = true;
};

struct GHttpResponse {
  long status = 0;  // 0: no answer (the reason in `error`)
  std::string body;
  std::string error;  // transport failure or "stopped"
  int retryAfterSec = -1;
  int attempts = 0;
  bool unsent = false;  // no connection was made: the server never saw the request

  // No answer, or a server error: a create may have been made all the same.
  bool Unknown() const { return (status == 0 && !unsent && error != "stopped") || status >= 500; }

  bool Ok() const { return status >= 200 && status < 300; }
};

// HTTP for the Google back end over libcurl: retries with a bounded exponential back-off on
// 429, 403 rate-limit answers, 5xx and broken connections (Retry-After honoured), one silent
// re-authorisation on 401, and a run of many requests with several in flight at a paced rate.
// Tokens and request bodies never reach the log.
class GHttpClient {
 public:
  explicit GHttpClient(const GApiSettings& settings);
  ~GHttpClient();
  GHttpClient(const GHttpClient&) = delete;
  GHttpClient& operator=(const GHttpClient&) = delete;

  void SetAccessToken(std::string token) { token_ = std::move(token); }
  // Gets a fresh access token after a 401 (SetAccessToken inside); false gives up.
  void SetReauthorize(std::function<bool()> reauthorize) { reauthorize_ = std::move(reauthorize); }
  // Polled while waiting; true ends the run, unanswered requests failing as stopped.
  void SetStop(std::function<bool()> stop) { stop_ = std::move(stop); }

  GHttpResponse Send(const GHttpRequest& request);
  // Answers in the order of the requests. At most `parallel` in flight, at most `perMinute`
  // started a minute (0: no pacing); `progress` is told each final answer.
  std::vector<GHttpResponse> SendAll(const std::vector<GHttpRequest>& requests, int parallel,
                                     int perMinute,
                                     const std::function<void(std::size_t done)>& progress = {});

  std::size_t RequestCount() const { return requests_; }
  std::size_t RetryCount() const { return retries_; }

  // Whether an answer is worth another try: rate limits, server errors, no answer; for a
  // request that is not repeatable, only what Google surely did not act on.
  static bool Retryable(const GHttpResponse& response, bool repeatable = true);
  // The wait before try `attempt` + 1 (attempt counts from 1).
  std::chrono::milliseconds Backoff(int attempt, int retryAfterSec) const;

 private:
  struct Transfer;
  void Prepare(Transfer& t, const GHttpRequest& request);

  const GApiSettings& settings_;
  std::string token_;
  std::function<bool()> reauthorize_;
  std::function<bool()> stop_;
  void* multi_ = nullptr;
  std::size_t requests_ = 0;
  std::size_t retries_ = 0;
  unsigned long tokenGeneration_ = 0;
};

// The message of a Google error answer ("error.message"), else the status line's gist.
std::string GApiErrorText(const GHttpResponse& response);
// The "error.status" ("FAILED_PRECONDITION") or first "error.errors[].reason" of an answer.
std::string GApiErrorReason(const GHttpResponse& response);
// Percent-encodes a text for a URL query or form value.
std::string GUrlEncode(std::string_view text);
