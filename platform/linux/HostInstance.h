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
#include <thread>
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

// Serves the socket of a primary claim on a thread of its own, so a sender is answered at once
// even while the main thread is busy (a long move): `deliver` runs with the URLs on the
// server's thread, in arrival order, and then the sender hears "OK". Each connection has its own
// deadline; out of descriptors, it pauses accepting for a moment (logged once).
class UrlServer {
  public:
    using Deliver = std::function<void(std::vector<std::string>)>;
    UrlServer(HostClaim claim, const Log& log, Deliver deliver,
              double clientTimeout = kClientTimeout);
    ~UrlServer();
    UrlServer(const UrlServer&) = delete;
    UrlServer& operator=(const UrlServer&) = delete;

    static constexpr std::size_t kMaxMessage = 64 * 1024;
    static constexpr double kClientTimeout = 5;

    // The URLs of a well-formed message, or nothing.
    static std::optional<std::vector<std::string>> parseMessage(std::string_view message);
    static std::string makeMessage(const std::vector<std::string>& urls);

    static constexpr double kAcceptPause = 0.25;

  private:
    struct Client {
        std::string buffer;
        std::uint64_t serial = 0; // tells this connection from a later one on the same fd
    };
    void accept();
    void readFrom(int fd);
    void finish(int fd, bool accepted);

    LinuxRunLoop loop_; // the server thread's own
    HostClaim claim_;
    Log log_;
    Deliver deliver_;
    double clientTimeout_;
    std::map<int, Client> clients_;
    std::uint64_t nextSerial_ = 0;
    bool acceptPaused_ = false;
    std::thread thread_;
};

} // namespace orv::lnx
