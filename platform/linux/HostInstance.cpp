#include "platform/linux/HostInstance.h"

#include "platform/Text.h"
#include "platform/Url.h"
#include "platform/linux/Environment.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace orv::lnx {

namespace {

constexpr std::string_view kHeader = "ORVANE-OPEN 1\n";
constexpr std::string_view kAccepted = "OK\n";
constexpr std::string_view kRefused = "REFUSED\n";
constexpr std::size_t kMaxURLs = 256;

std::optional<sockaddr_un> socketAddress(const Path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.str().size() >= sizeof address.sun_path) {
        return std::nullopt;
    }
    path.str().copy(address.sun_path, path.str().size());
    return address;
}

// Writes all of `data` to a socket; a host that hangs up is an error, never a SIGPIPE.
bool sendAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Sends the URLs to the running host and waits for its answer.
Status handOver(int fd, const std::vector<std::string>& urls, const Path& socketPath) {
    const std::string message = UrlServer::makeMessage(urls);
    if (!sendAll(fd, message) || shutdown(fd, SHUT_WR) != 0) {
        return posixError(errno, "Couldn’t hand the URLs to the running host at", socketPath);
    }
    std::string answer;
    char buffer[64];
    pollfd p{fd, POLLIN, 0};
    while (answer.size() < 16 && poll(&p, 1, 10000) > 0) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        answer.append(buffer, static_cast<std::size_t>(n));
    }
    if (answer != kAccepted) {
        return Error{EPROTO, "The running host did not take the URLs (" +
                                 (answer.empty() ? std::string("no answer")
                                                 : answer.substr(0, answer.find('\n'))) +
                                 ")."};
    }
    return ok();
}

} // namespace

std::string UrlServer::makeMessage(const std::vector<std::string>& urls) {
    std::string message(kHeader);
    for (const auto& url : urls) {
        message += url + "\n";
    }
    return message;
}

std::optional<std::vector<std::string>> UrlServer::parseMessage(std::string_view message) {
    if (message.size() > kMaxMessage || message.substr(0, kHeader.size()) != kHeader ||
        !isValidUTF8(message) || (message.size() > kHeader.size() && message.back() != '\n')) {
        return std::nullopt;
    }
    std::vector<std::string> urls;
    std::string_view rest = message.substr(kHeader.size());
    while (!rest.empty()) {
        const auto lf = rest.find('\n');
        const auto line = rest.substr(0, lf);
        rest.remove_prefix(lf + 1);
        const auto url = Url::parse(line);
        if (!url || asciiLowercased(url->scheme) != "orvaneplus" || urls.size() == kMaxURLs) {
            return std::nullopt;
        }
        urls.emplace_back(line);
    }
    return urls;
}

Expected<HostClaim> claimHost(const std::vector<std::string>& urls, double waitSeconds) {
    const auto dir = runtimeDirectory();
    if (!dir) {
        return Error{EACCES, "There is no private runtime folder for the host’s socket."};
    }
    const Path socketPath = dir->appending("host.sock");
    const Path lockPath = dir->appending("host.lock");
    const auto address = socketAddress(socketPath);
    if (!address) {
        return posixError(ENAMETOOLONG, "The socket path is too long:", socketPath);
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(waitSeconds);
    while (true) {
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            return posixError(errno, "Couldn’t make a socket for", socketPath);
        }
        if (connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0) {
            const auto handed = handOver(fd, urls, socketPath);
            close(fd);
            if (!handed) {
                return handed.error();
            }
            return HostClaim{};
        }
        close(fd);
        const int lock = open(lockPath.str().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (lock < 0) {
            return posixError(errno, "Couldn’t open the host lock", lockPath);
        }
        if (flock(lock, LOCK_EX | LOCK_NB) == 0) {
            // This process is the host. A socket file left by one that ended is stale.
            unlink(socketPath.str().c_str());
            const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
            const mode_t old = umask(0077);
            const bool bound = listener >= 0 &&
                               bind(listener, reinterpret_cast<const sockaddr*>(&*address),
                                    sizeof *address) == 0 &&
                               listen(listener, 64) == 0;
            umask(old);
            if (!bound) {
                const int error = errno;
                if (listener >= 0) {
                    close(listener);
                }
                close(lock);
                return posixError(error, "Couldn’t listen on", socketPath);
            }
            const std::string pid = std::to_string(getpid()) + "\n";
            if (ftruncate(lock, 0) == 0) {
                (void)!pwrite(lock, pid.data(), pid.size(), 0);
            }
            return HostClaim{true, listener, lock};
        }
        close(lock);
        if (std::chrono::steady_clock::now() > deadline) {
            return Error{ETIMEDOUT, "Another host is starting but does not answer on " +
                                        socketPath.str() + "."};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

UrlServer::UrlServer(HostClaim claim, const Log& log, Deliver deliver, double clientTimeout)
    : claim_(claim), log_(log), deliver_(std::move(deliver)), clientTimeout_(clientTimeout) {
    loop_.watchReadable(claim_.listenFd, [this] { accept(); });
    thread_ = std::thread([this] { loop_.run(); });
}

UrlServer::~UrlServer() {
    loop_.stop();
    thread_.join();
    for (const auto& [fd, client] : clients_) {
        close(fd);
    }
    close(claim_.listenFd);
    close(claim_.lockFd);
}

void UrlServer::accept() {
    while (true) {
        const int fd = accept4(claim_.listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0 && (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)) {
            // The connection stays queued and the listener readable: watching it now would
            // spin. Pause, then try again.
            if (!acceptPaused_) {
                log_("Out of file descriptors: URL connections wait (%{public}@)",
                     std::string(std::strerror(errno)));
            }
            acceptPaused_ = true;
            loop_.unwatch(claim_.listenFd);
            loop_.asyncAfter(kAcceptPause, [this] {
                loop_.watchReadable(claim_.listenFd, [this] { accept(); });
            });
            return;
        }
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) {
                continue;
            }
            return; // nothing more waiting
        }
        acceptPaused_ = false;
        ucred peer{};
        socklen_t size = sizeof peer;
        if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.uid != getuid()) {
            log_("Refused a URL connection from user %d", static_cast<int>(peer.uid));
            close(fd);
            continue;
        }
        const std::uint64_t serial = ++nextSerial_;
        clients_[fd] = Client{{}, serial};
        loop_.watchReadable(fd, [this, fd] { readFrom(fd); });
        loop_.asyncAfter(clientTimeout_, [this, fd, serial] {
            const auto found = clients_.find(fd);
            if (found != clients_.end() && found->second.serial == serial) {
                log_("Ignored a URL message that did not end in time");
                finish(fd, false);
            }
        });
    }
}

void UrlServer::readFrom(int fd) {
    auto& buffer = clients_[fd].buffer;
    char chunk[4096];
    while (true) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n > 0) {
            buffer.append(chunk, static_cast<std::size_t>(n));
            if (buffer.size() > kMaxMessage) {
                log_("Ignored a URL message longer than %d bytes", static_cast<int>(kMaxMessage));
                finish(fd, false);
                return;
            }
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            return; // the rest comes later
        }
        break; // the end of the message (or a broken connection)
    }
    auto urls = parseMessage(buffer);
    if (!urls) {
        log_("Ignored a malformed URL message (%d bytes)", static_cast<int>(buffer.size()));
        finish(fd, false);
        return;
    }
    // Taken before the answer, so "OK" never promises what is not on its way.
    deliver_(std::move(*urls));
    finish(fd, true);
}

void UrlServer::finish(int fd, bool accepted) {
    const std::string_view answer = accepted ? kAccepted : kRefused;
    (void)!send(fd, answer.data(), answer.size(), MSG_NOSIGNAL);
    loop_.unwatch(fd);
    close(fd);
    clients_.erase(fd);
}

} // namespace orv::lnx
