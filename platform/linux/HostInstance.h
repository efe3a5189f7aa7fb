#pragma once
// One host per user, as the system keeps one instance of an application: the first orvane-host
// holds a lock in the runtime folder and listens on a Unix socket there; a later one hands its
// URLs over that socket and exits. The running host gets them through application:openURLs:
// on its main thread, in arrival order.
//
// A message is "ORVANE-OPEN 1\n", then one orvaneplus: URL per line; the host answers "OK\n"
// or "REFUSED\n". Only the same user may connect; a message that is too long, too slow or not
// of this shape is refused with a log line and changes nothing.

#include "platform/Expected.h"
#include "platform/Log.h"
#include "platform/linux/LinuxRunLoop.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orv::lnx {

struct HostClaim {
    bool primary = false; // this process is the host; otherwise its URLs were handed over
    int listenFd = -1;
    int lockFd = -1; // held for the life of the host; it holds the host's process id
};

// Becomes this user's host, or hands `urls` to the running one. A host that is starting is
// waited for, up to `waitSeconds`.
Expected<HostClaim> claimHost(const std::vector<std::string>& urls, double waitSeconds = 10);

// Serves the socket of a primary claim on the run loop.
class UrlServer {
  public:
    using Deliver = std::function<void(std::vector<std::string>)>;
    UrlServer(LinuxRunLoop& runLoop, HostClaim claim, const Log& log, Deliver deliver);
    ~UrlServer();
    UrlServer(const UrlServer&) = delete;
    UrlServer& operator=(const UrlServer&) = delete;

    static constexpr std::size_t kMaxMessage = 64 * 1024;
    static constexpr double kClientTimeout = 5;

    // The URLs of a well-formed message, or nothing.
    static std::optional<std::vector<std::string>> parseMessage(std::string_view message);
    static std::string makeMessage(const std::vector<std::string>& urls);

  private:
    void accept();
    void readFrom(int fd);
    void finish(int fd, bool accepted);

    LinuxRunLoop& runLoop_;
    HostClaim claim_;
    Log log_;
    Deliver deliver_;
    std::map<int, std::string> clients_;
};

} // namespace orv::lnx
