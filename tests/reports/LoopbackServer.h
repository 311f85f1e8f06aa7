#pragma once
// A small HTTP server on 127.0.0.1, at a port the system picks, serving on a thread of its own.
// Every request gets the same reply: a status and a body after a delay, or, when silent, nothing
// at all while the connection is held open. Every wait is bounded: the server stops when it is
// destroyed, and by itself after a minute.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace reports_test {

struct ServerReply
{
  int status = 200;
  std::string body;
  std::chrono::milliseconds delay{0};
  bool silent = false;  // accept and read the request, never answer
};

// A socket bound to a loopback port; with listening false, connections to it are refused.
inline int BoundLoopbackSocket(bool listening, int& port)
{
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || (listening && listen(fd, 8) != 0) ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
  {
    port = 0;
    return fd;
  }
  port = ntohs(address.sin_port);
  return fd;
}

class LoopbackServer
{
public:
  explicit LoopbackServer(ServerReply reply) : mReply(std::move(reply))
  {
    mListener = BoundLoopbackSocket(true, mPort);
    if (mPort)
      mThread = std::thread([this] { Serve(); });
  }
  ~LoopbackServer()
  {
    mStop = true;
    if (mThread.joinable())
      mThread.join();
    if (mListener >= 0)
      close(mListener);
  }
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  bool Running() const { return mPort != 0; }
  std::string Address() const { return "http://127.0.0.1:" + std::to_string(mPort); }
  // The request lines received ("GET /path?query HTTP/1.1").
  std::vector<std::string> Requests() const
  {
    std::lock_guard<std::mutex> lock(mMutex);
    return mRequests;
  }

private:
  using Clock = std::chrono::steady_clock;
  static constexpr int kPollMs = 20;

  bool Stopping() const { return mStop || Clock::now() > mDeadline; }

  // Waits for fd to become readable, a slice at a time, until it is or the server stops.
  bool WaitReadable(int fd) const
  {
    pollfd entry{fd, POLLIN, 0};
    while (!Stopping())
      if (poll(&entry, 1, kPollMs) > 0)
        return true;
    return false;
  }

  void Serve()
  {
    while (WaitReadable(mListener))
    {
      const int client = accept4(mListener, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0)
        continue;
      Answer(client);
      close(client);
    }
  }

  void Answer(int client)
  {
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384 && WaitReadable(client))
    {
      const ssize_t n = recv(client, buffer, sizeof(buffer), 0);
      if (n <= 0)
        return;
      request.append(buffer, static_cast<size_t>(n));
    }
    {
      std::lock_guard<std::mutex> lock(mMutex);
      mRequests.push_back(request.substr(0, request.find("\r\n")));
    }
    const Clock::time_point answerAt = Clock::now() + mReply.delay;
    while (!Stopping() && (mReply.silent || Clock::now() < answerAt))
      std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    if (Stopping())
      return;
    const std::string head = "HTTP/1.1 " + std::to_string(mReply.status) + " Reply\r\nContent-Type: text/plain\r\n" +
                             "Content-Length: " + std::to_string(mReply.body.size()) + "\r\nConnection: close\r\n\r\n";
    const std::string message = head + mReply.body;
    for (size_t sent = 0; sent < message.size();)
    {
      const ssize_t n = send(client, message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
      if (n <= 0)
        return;
      sent += static_cast<size_t>(n);
    }
  }

  ServerReply mReply;
  int mListener = -1;
  int mPort = 0;
  std::atomic<bool> mStop{false};
  const Clock::time_point mDeadline = Clock::now() + std::chrono::minutes(1);
  mutable std::mutex mMutex;
  std::vector<std::string> mRequests;
  std::thread mThread;
};

}  // namespace reports_test
