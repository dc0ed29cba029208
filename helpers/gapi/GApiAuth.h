#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "gapi/GApiHttp.h"
#include "gapi/GApiSettings.h"

// OAuth 2.0 for installed applications: the consent page in the user's browser, the answer on
// a loopback listener (127.0.0.1, a free port), PKCE (S256) and a state check. The refresh token
// is kept owner-only per e-mail address, so that later runs get their access silently.
class GApiAuth {
 public:
  static constexpr const char* kWaitingText = "Waiting for your permission in the web browser ...";
  static constexpr const char* kScopes =
      "openid email https://www.googleapis.com/auth/contacts "
      "https://www.googleapis.com/auth/calendar";

  GApiAuth(const GApiSettings& settings, GHttpClient& http) : settings_(settings), http_(http) {}

  void SetStatus(std::function<void(const std::string&)> status) { status_ = std::move(status); }
  void SetStop(std::function<bool()> stop) { stop_ = std::move(stop); }

  // Gives the HTTP client an access token for `email`: from the kept refresh token, else through
  // the consent page, whose account must be `email`. False with a text for the user.
  bool Authorize(const std::string& email, std::string& error);
  // A new access token from the refresh token (after a 401).
  bool Refresh(std::string& error);

  std::string TokenFilePath(const std::string& email) const;
  // Why these settings cannot sign in (no client id, an endpoint in clear text); "" when they can.
  std::string SettingsProblem() const;

  // RFC 7636 pieces.
  static std::string Base64Url(const unsigned char* data, std::size_t size);
  static std::string CodeChallenge(std::string_view verifier);
  static std::string RandomToken(std::size_t bytes);  // base64url of random bytes; "" on failure
  // The decoded query of a request target ("/?code=a%20b&state=x").
  static std::map<std::string, std::string> QueryOf(std::string_view target);

 private:
  enum class RefreshResult { kOk, kRejected, kFailed };
  RefreshResult RefreshWith(const std::string& refreshToken, std::string& error);
  bool Consent(const std::string& email, std::string& error);
  bool LoadRefreshToken(const std::string& email);
  bool SaveRefreshToken(const std::string& email, std::string& error) const;

  const GApiSettings& settings_;
  GHttpClient& http_;
  std::function<void(const std::string&)> status_;
  std::function<bool()> stop_;
  std::string refreshToken_;
};
