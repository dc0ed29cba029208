#include "gapi/GApiAuth.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/sha.h>
#include <poll.h>
#include <spawn.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <nlohmann/json.hpp>
#include <vector>

#include "misc/CxDebugUtil.h"
#include "platform/AsciiCase.h"
#include "platform/AtomicFile.h"

extern char** environ;

namespace {

using json = nlohmann::json;

// A browser's request line and headers fit easily; anything longer is not one.
constexpr std::size_t kMaxRequestBytes = 16384;
constexpr int kRequestReadMs = 5000;

struct Fd {
  int fd = -1;
  explicit Fd(int f) : fd(f) {}
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecode(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '+') {
      out += ' ';
    } else if (s[i] == '%' && i + 2 < s.size() + 0 && HexValue(s[i + 1]) >= 0 &&
               HexValue(s[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2]));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

// Two addresses of one Google account: case aside, googlemail.com is gmail.com, and Gmail
// ignores dots before the "@".
std::string AccountKey(std::string_view email) {
  std::string e = platform::FoldAscii(email);
  auto at = e.rfind('@');
  if (at == std::string::npos) return e;
  std::string local = e.substr(0, at), domain = e.substr(at + 1);
  if (domain == "googlemail.com") domain = "gmail.com";
  if (domain == "gmail.com") {
    std::string bare;
    for (char c : local)
      if (c != '.') bare += c;
    local = bare;
  }
  return local + "@" + domain;
}

bool LoopbackUrl(std::string_view url) {
  return platform::StartsWithNoCase(url, "http://127.0.0.1:") ||
         platform::StartsWithNoCase(url, "http://127.0.0.1/") ||
         platform::StartsWithNoCase(url, "http://localhost:") ||
         platform::StartsWithNoCase(url, "http://[::1]:");
}

void Answer(int fd, const char* status, const std::string& text) {
  std::string page =
      "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Quillmove</title>"
      "</head><body><p>" +
      text + "</p></body></html>";
  std::string reply = std::string("HTTP/1.1 ") + status +
                      "\r\nContent-Type: text/html; charset=utf-8\r\nConnection: close\r\n"
                      "Content-Length: " +
                      std::to_string(page.size()) + "\r\n\r\n" + page;
  std::size_t sent = 0;
  while (sent < reply.size()) {
    ssize_t n = ::send(fd, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) break;
    sent += static_cast<std::size_t>(n);
  }
}

// The request target of one HTTP request ("/?code=..."); empty when it is not a GET.
std::string ReadTarget(int fd) {
  std::string data;
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kRequestReadMs);
  while (data.find("\r\n") == std::string::npos && data.size() < kMaxRequestBytes) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    until - std::chrono::steady_clock::now())
                    .count();
    if (left <= 0) return {};
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left)) <= 0) return {};
    char buf[2048];
    ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n <= 0) return {};
    data.append(buf, static_cast<std::size_t>(n));
  }
  std::string_view line(data);
  line = line.substr(0, line.find("\r\n"));
  if (line.substr(0, 4) != "GET ") return {};
  line.remove_prefix(4);
  return std::string(line.substr(0, line.find(' ')));
}

// Starts the browser without waiting for it: "xdg-open" returns at once, a test's stand-in
// browser may take a moment; either way the answer comes through the listener.
pid_t OpenBrowser(const std::string& command, const std::string& url, std::string& error) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while (at < command.size()) {
    std::size_t end = command.find(' ', at);
    if (end == std::string::npos) end = command.size();
    if (end > at) words.push_back(command.substr(at, end - at));
    at = end + 1;
  }
  if (words.empty()) {
    error = "No program is set to open the web browser (key Browser of [Google] in GHelper.ini).";
    return -1;
  }
  words.push_back(url);
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    error = "The web browser could not be opened with \"" + words.front() +
            "\": " + std::strerror(rc) + ".";
    return -1;
  }
  return pid;
}

}  // namespace

std::string GApiAuth::Base64Url(const unsigned char* data, std::size_t size) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
  std::string out;
  std::size_t i = 0;
  for (; i + 2 < size; i += 3) {
    unsigned v = (unsigned{data[i]} << 16) | (unsigned{data[i + 1]} << 8) | data[i + 2];
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  if (size - i == 1) {
    unsigned v = unsigned{data[i]} << 16;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
  } else if (size - i == 2) {
    unsigned v = (unsigned{data[i]} << 16) | (unsigned{data[i + 1]} << 8);
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
  }
  return out;
}

std::string GApiAuth::CodeChallenge(std::string_view verifier) {
  unsigned char digest[SHA256_DIGEST_LENGTH];
  SHA256(reinterpret_cast<const unsigned char*>(verifier.data()), verifier.size(), digest);
  return Base64Url(digest, sizeof digest);
}

std::string GApiAuth::RandomToken(std::size_t bytes) {
  std::vector<unsigned char> buf(bytes);
  std::size_t got = 0;
  while (got < bytes) {
    ssize_t n = ::getrandom(buf.data() + got, bytes - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return {};
    got += static_cast<std::size_t>(n);
  }
  return Base64Url(buf.data(), buf.size());
}

std::map<std::string, std::string> GApiAuth::QueryOf(std::string_view target) {
  std::map<std::string, std::string> out;
  auto q = target.find('?');
  if (q == std::string_view::npos) return out;
  std::string_view rest = target.substr(q + 1);
  rest = rest.substr(0, rest.find('#'));
  while (!rest.empty()) {
    std::string_view pair = rest.substr(0, rest.find('&'));
    rest.remove_prefix(pair.size() == rest.size() ? pair.size() : pair.size() + 1);
    auto eq = pair.find('=');
    std::string key = PercentDecode(pair.substr(0, eq));
    std::string value =
        eq == std::string_view::npos ? std::string() : PercentDecode(pair.substr(eq + 1));
    out.emplace(std::move(key), std::move(value));  // the first of a repeated key wins
  }
  return out;
}

std::string GApiAuth::TokenFilePath(const std::string& email) const {
  return settings_.tokenFolder + platform::FoldAscii(email) + ".token";
}

std::string GApiAuth::SettingsProblem() const {
  // Codes, secrets and tokens travel only encrypted, or not beyond this machine.
  for (const std::string* url : {&settings_.authUrl, &settings_.tokenUrl, &settings_.userInfoUrl,
                                 &settings_.peopleUrl, &settings_.calendarUrl}) {
    if (platform::StartsWithNoCase(*url, "https://") || LoopbackUrl(*url)) continue;
    return "The Google address " + *url + " is neither https nor on this machine.";
  }
  if (settings_.clientId.empty())
    return "No OAuth client is set for Google: key ClientId of [Google] in GHelper.ini.";
  if (settings_.tokenFolder.empty())
    return "There is no folder to keep the Google authorisation in.";
  return {};
}

bool GApiAuth::LoadRefreshToken(const std::string& email) {
  std::string text;
  if (!platform::ReadWholeFile(TokenFilePath(email), text)) return false;
  auto j = json::parse(text, nullptr, false);
  if (!j.is_object() || !j.contains("refresh_token") || !j["refresh_token"].is_string())
    return false;
  refreshToken_ = j["refresh_token"].get<std::string>();
  return !refreshToken_.empty();
}

bool GApiAuth::SaveRefreshToken(const std::string& email, std::string& error) const {
  if (::mkdir(settings_.tokenFolder.c_str(), 0700) != 0 && errno != EEXIST) {
    error = "The folder " + settings_.tokenFolder + " could not be made: " + std::strerror(errno);
    return false;
  }
  json j = {{"email", email}, {"refresh_token", refreshToken_}};
  std::string why;
  if (!platform::WriteFileAtomically(TokenFilePath(email), j.dump(), 0600, &why)) {
    error = "The Google authorisation could not be kept in " + TokenFilePath(email) + ": " + why;
    return false;
  }
  return true;
}

GApiAuth::RefreshResult GApiAuth::RefreshWith(const std::string& refreshToken, std::string& error) {
  GHttpRequest r;
  r.method = "POST";
  r.url = settings_.tokenUrl;
  r.authorized = false;
  r.contentType = "application/x-www-form-urlencoded";
  r.body = "grant_type=refresh_token&refresh_token=" + GUrlEncode(refreshToken) +
           "&client_id=" + GUrlEncode(settings_.clientId);
  if (!settings_.clientSecret.empty())
    r.body += "&client_secret=" + GUrlEncode(settings_.clientSecret);
  GHttpResponse a = http_.Send(r);
  auto j = json::parse(a.body, nullptr, false);
  if (a.Ok() && j.is_object() && j.contains("access_token") && j["access_token"].is_string()) {
    http_.SetAccessToken(j["access_token"].get<std::string>());
    return RefreshResult::kOk;
  }
  // A revoked or expired grant needs the user again; anything else is a failure to report.
  if (a.status == 400 || a.status == 401) {
    QM_LOG_INFO("The kept Google authorisation was refused (%s).", GApiErrorText(a).c_str());
    return RefreshResult::kRejected;
  }
  error = "Google's token service did not answer: " + GApiErrorText(a);
  return RefreshResult::kFailed;
}

bool GApiAuth::Refresh(std::string& error) {
  return !refreshToken_.empty() && RefreshWith(refreshToken_, error) == RefreshResult::kOk;
}

bool GApiAuth::Authorize(const std::string& email, std::string& error) {
  error = SettingsProblem();
  if (!error.empty()) return false;
  if (LoadRefreshToken(email)) {
    RefreshResult r = RefreshWith(refreshToken_, error);
    if (r == RefreshResult::kOk) return true;
    if (r == RefreshResult::kFailed) return false;
    refreshToken_.clear();
  }
  return Consent(email, error);
}

bool GApiAuth::Consent(const std::string& email, std::string& error) {
  Fd listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  socklen_t len = sizeof addr;
  if (listener.fd < 0 ||
      ::bind(listener.fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(listener.fd, 8) != 0 ||
      ::getsockname(listener.fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    error = std::string("The helper could not listen for the browser's answer: ") +
            std::strerror(errno) + ".";
    return false;
  }
  const std::string redirect = "http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port)) + "/";
  const std::string verifier = RandomToken(48);  // 64 characters, within RFC 7636's 43..128
  const std::string state = RandomToken(24);
  if (verifier.empty() || state.empty()) {
    error = "No random numbers for the Google sign-in.";
    return false;
  }
  const char* sep = settings_.authUrl.find('?') == std::string::npos ? "?" : "&";
  std::string url =
      settings_.authUrl + sep + "response_type=code&client_id=" + GUrlEncode(settings_.clientId) +
      "&redirect_uri=" + GUrlEncode(redirect) + "&scope=" + GUrlEncode(kScopes) +
      "&code_challenge=" + CodeChallenge(verifier) + "&code_challenge_method=S256&state=" + state +
      "&login_hint=" + GUrlEncode(email) + "&access_type=offline&prompt=consent";
  if (status_) status_(kWaitingText);
  pid_t browser = OpenBrowser(settings_.browser, url, error);
  if (browser < 0) return false;

  std::string code;
  const auto until =
      std::chrono::steady_clock::now() + std::chrono::seconds(settings_.consentTimeoutSec);
  while (code.empty()) {
    if (stop_ && stop_()) {
      error = "The helper program was stopped before it finished.";
      return false;
    }
    if (std::chrono::steady_clock::now() >= until) {
      error = "No permission came from the web browser within " +
              std::to_string(settings_.consentTimeoutSec / 60) +
              " minutes; please try again and allow access in the browser.";
      return false;
    }
    if (browser > 0 && ::waitpid(browser, nullptr, WNOHANG) == browser) browser = 0;
    pollfd p{listener.fd, POLLIN, 0};
    if (::poll(&p, 1, 200) <= 0) continue;
    Fd client(::accept4(listener.fd, nullptr, nullptr, SOCK_CLOEXEC));
    if (client.fd < 0) continue;
    std::map<std::string, std::string> q = QueryOf(ReadTarget(client.fd));
    // Only an answer to this very request counts; others (a favicon, a stale tab) are turned away.
    auto st = q.find("state");
    if (st == q.end() || st->second != state) {
      Answer(client.fd, "400 Bad Request", "This page does not belong to the running sign-in.");
      continue;
    }
    if (auto e = q.find("error"); e != q.end()) {
      Answer(client.fd, "200 OK", "Quillmove was not given access. You may close this window.");
      error = e->second == "access_denied"
                  ? "Access to the Google account was refused in the web browser."
                  : "Google refused the sign-in: " + e->second + ".";
      return false;
    }
    auto c = q.find("code");
    if (c == q.end() || c->second.empty()) {
      Answer(client.fd, "400 Bad Request", "The answer holds no authorisation.");
      continue;
    }
    code = c->second;
    Answer(client.fd, "200 OK",
           "Quillmove has your permission. You may close this window and return to Quillmove.");
  }
  if (browser > 0) ::waitpid(browser, nullptr, WNOHANG);

  GHttpRequest r;
  r.method = "POST";
  r.url = settings_.tokenUrl;
  r.authorized = false;
  r.contentType = "application/x-www-form-urlencoded";
  r.body = "grant_type=authorization_code&code=" + GUrlEncode(code) +
           "&client_id=" + GUrlEncode(settings_.clientId) +
           "&redirect_uri=" + GUrlEncode(redirect) + "&code_verifier=" + verifier;
  if (!settings_.clientSecret.empty())
    r.body += "&client_secret=" + GUrlEncode(settings_.clientSecret);
  GHttpResponse a = http_.Send(r);
  auto j = json::parse(a.body, nullptr, false);
  if (!a.Ok() || !j.is_object() || !j.contains("access_token") || !j["access_token"].is_string()) {
    error = "Google did not accept the sign-in: " + GApiErrorText(a);
    return false;
  }
  http_.SetAccessToken(j["access_token"].get<std::string>());
  std::string refresh = j.contains("refresh_token") && j["refresh_token"].is_string()
                            ? j["refresh_token"].get<std::string>()
                            : "";

  GHttpRequest who;
  who.url = settings_.userInfoUrl;
  GHttpResponse w = http_.Send(who);
  auto u = json::parse(w.body, nullptr, false);
  std::string granted = w.Ok() && u.is_object() && u.contains("email") && u["email"].is_string()
                            ? u["email"].get<std::string>()
                            : "";
  if (granted.empty()) {
    error = "Google did not tell which account gave permission: " + GApiErrorText(w);
    return false;
  }
  if (AccountKey(granted) != AccountKey(email)) {
    http_.SetAccessToken({});
    error = "Permission was given for " + granted + ", not for " + email +
            ". Sign in to Google as " + email + " in the web browser and try again.";
    return false;
  }
  if (refresh.empty()) {
    // Without one the next run asks again; this run goes on.
    QM_LOG_INFO("Google gave no refresh token; the next run asks for permission again.");
    return true;
  }
  refreshToken_ = refresh;
  return SaveRefreshToken(email, error);
}
