#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "TestUtil.h"

// A Radicale server of its own for a test: on 127.0.0.1 at a free port, with a temporary
// htpasswd (plain: "ann" with "secret", "bob" with "other", "user1" ... "user20" with "secret")
// and temporary
// storage; stopped and removed with the object. Start() says why not when it cannot run.
class RadicaleServer {
 public:
  ~RadicaleServer() { Stop(); }

  bool Absent() const { return Find("radicale").empty(); }

  // With `tls`, over https with a certificate of its own for 127.0.0.1 (CertFile()).
  bool Start(std::string& why, bool tls = false) {
    std::string program = Find("radicale");
    if (program.empty()) {
      why =
          "radicale is not installed (Debian package radicale); the CardDAV/CalDAV tests are "
          "skipped";
      return false;
    }
    std::string tlsLines;
    if (tls) {
      if (Find("openssl").empty()) {
        why = "openssl is not installed (Debian package openssl); the https tests are skipped";
        return false;
      }
      const std::string make =
          "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1"
          " -addext subjectAltName=IP:127.0.0.1 -keyout '" +
          dir_.file("key.pem") + "' -out '" + CertFile() + "' 2>/dev/null";
      if (std::system(make.c_str()) != 0) {
        why = "openssl could not make a certificate";
        return false;
      }
      tlsLines =
          "ssl = True\ncertificate = " + CertFile() + "\nkey = " + dir_.file("key.pem") + "\n";
      tls_ = true;
    }
    port_ = FreePort();
    std::string users = "ann:secret\nbob:other\n";
    for (int i = 1; i <= 20; ++i) users += "user" + std::to_string(i) + ":secret\n";
    WriteFile(dir_.file("users"), users);
    WriteFile(dir_.file("config"),
              "[server]\nhosts = 127.0.0.1:" + std::to_string(port_) + "\n" + tlsLines +
                  "[auth]\ntype = htpasswd\nhtpasswd_filename = " + dir_.file("users") +
                  "\nhtpasswd_encryption = plain\n[storage]\nfilesystem_folder = " +
                  dir_.file("collections") +
                  "\n[rights]\ntype = owner_only\n"
                  "[logging]\nlevel = warning\nmask_passwords = True\n");
    std::string config = dir_.file("config"), log = dir_.file("log");
    pid_ = fork();
    if (pid_ == 0) {
      // The server goes with the test process, however that ends.
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (fd >= 0) {
        dup2(fd, 1);
        dup2(fd, 2);
      }
      execl(program.c_str(), program.c_str(), "--config", config.c_str(), nullptr);
      _exit(127);
    }
    if (pid_ < 0) {
      pid_ = 0;
      why = "radicale could not be started";
      return false;
    }
    // Until it answers, or gives up.
    for (int i = 0; i < 200; ++i) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = 0;
        why = "radicale ended at start: " + ReadFile(dir_.file("log"));
        return false;
      }
      if (Answers()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    why = "radicale does not answer: " + ReadFile(dir_.file("log"));
    return false;
  }

  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = 0;
  }

  std::string Url() const {
    return (tls_ ? "https" : "http") + std::string("://127.0.0.1:") + std::to_string(port_) + "/";
  }
  std::string CertFile() const { return dir_.file("cert.pem"); }
  // Where the server keeps a user's collections on disk.
  std::string UserFolder(const std::string& user) const {
    return dir_.file("collections/collection-root/" + user) + "/";
  }
  std::string Log() const { return ReadFile(dir_.file("log")); }

 private:
  static std::string Find(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
      std::size_t end = dirs.find(':', start);
      if (end == std::string::npos) end = dirs.size();
      std::string candidate = dirs.substr(start, end - start) + "/" + name;
      if (access(candidate.c_str(), X_OK) == 0) return candidate;
      start = end + 1;
    }
    return {};
  }

  static int FreePort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    socklen_t len = sizeof a;
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    int port = ntohs(a.sin_port);
    close(fd);
    return port;
  }

  bool Answers() const {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<std::uint16_t>(port_));
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(fd);
    return ok;
  }

  TempDir dir_;
  pid_t pid_ = 0;
  int port_ = 0;
  bool tls_ = false;
};
