#include "platform/linux/HostInstance.h"

#include "tests/support/TempDir.h"
#include "tests/support/TestPlatform.h"

#include <algorithm>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace orv::lnx {
namespace {

using ::testing::ElementsAre;
using namespace std::string_literals;

TEST(UrlMessageTest, OnlyWellFormedMessagesAreTaken) {
    const std::vector<std::string> urls = {"orvaneplus://create", "ORVANEPLUS://paste"};
    EXPECT_EQ(UrlServer::parseMessage(UrlServer::makeMessage(urls)), urls);
    EXPECT_EQ(UrlServer::parseMessage("ORVANE-OPEN 1\n"), std::vector<std::string>{});
    for (const std::string& bad :
         {""s, "ORVANE-OPEN 2\norvaneplus://create\n"s, "orvaneplus://create\n"s,
          "ORVANE-OPEN 1\nhttps://evil\n"s, "ORVANE-OPEN 1\norvaneplus://create"s,
          "ORVANE-OPEN 1\n\n"s, "ORVANE-OPEN 1\norvaneplus://a b\n"s,
          "ORVANE-OPEN 1\norvaneplus://\xff\n"s,
          "ORVANE-OPEN 1\n" + std::string(UrlServer::kMaxMessage, 'x') + "\n",
          "ORVANE-OPEN 1\n" + joined(std::vector<std::string>(257, "orvaneplus://c\n"), "")}) {
        EXPECT_EQ(UrlServer::parseMessage(bad), std::nullopt) << bad.substr(0, 40);
    }
}

struct HostInstanceTest : ::testing::Test {
    // This process claims the host: its URL server delivers on `loop` what `deliver` is given.
    UrlServer serve(UrlServer::Deliver deliver, double clientTimeout = UrlServer::kClientTimeout,
                    LogSink* logTo = nullptr) {
        env.set("XDG_RUNTIME_DIR", dir.path().str());
        auto claim = claimHost({});
        EXPECT_TRUE(claim && claim->primary) << claim.error().localizedDescription;
        return UrlServer(
            *claim, logTo ? Log(*logTo, "s", "URLDelivery") : log,
            [this, deliver](std::vector<std::string> urls) {
                loop.async([deliver, urls] { deliver(urls); });
            },
            clientTimeout);
    }

    // Sends raw bytes to the host's socket and returns its answer; unless `finished`, the
    // sender goes quiet without saying it is done.
    std::string sendRaw(const std::string& bytes, bool finished = true) {
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        const timeval patience{30, 0}; // a server that never answers fails the test
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
        sockaddr_un address{AF_UNIX, {}};
        (dir / "orvane/host.sock").str().copy(address.sun_path, sizeof address.sun_path - 1);
        std::string answer = "no connection";
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            // The host may hang up early: no SIGPIPE.
            (void)!send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (finished) {
                shutdown(fd, SHUT_WR);
            }
            answer.clear();
            char buffer[64];
            for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) {
                answer.append(buffer, static_cast<std::size_t>(n));
            }
        }
        close(fd);
        return answer;
    }

    test::TempDir dir;
    test::ScopedEnv env;
    test::RecordingLogSink sink;
    Log log{sink, "tamsel.Orvane-", "URLDelivery"};
    LinuxRunLoop loop;
};

TEST_F(HostInstanceTest, TheFirstClaimServesAndLaterOnesHandTheirURLsOverEvenWhileItIsBusy) {
    serve([](auto) {}); // a host that ended at once, leaving its socket file
    std::vector<std::vector<std::string>> delivered;
    const auto server = serve(
        [&](std::vector<std::string> urls) {
            delivered.push_back(std::move(urls));
            delivered.size() == 3 ? loop.stop() : void();
        },
        2);
    const bool asRoot = geteuid() == 0;
    EXPECT_EQ(test::readFile(dir / "orvane/host.lock"), std::to_string(getpid()) + "\n");
    const std::string sock = (dir / "orvane/host.sock").str();
    rename(sock.c_str(), (sock + "~").c_str()); // as while a host is starting
    EXPECT_FALSE(claimHost({}, 0.1)) << "the lock is the host's alone";
    rename((sock + "~").c_str(), sock.c_str());
    // The loop is not running, as when the main thread is busy: the URL is taken all the same.
    const auto handed = claimHost({"orvaneplus://create"});
    ASSERT_TRUE(handed && !handed->primary);
    EXPECT_THAT(delivered, ::testing::IsEmpty());
    std::thread others([&] {
        const auto second = claimHost({"orvaneplus://paste"});
        EXPECT_TRUE(second && !second->primary);
        EXPECT_FALSE(claimHost({"https://x"})) << "what the host refused was not handed over";
        EXPECT_EQ(sendRaw("GET / HTTP/1.0\r\n\r\n"), "REFUSED\n");
        EXPECT_EQ(sendRaw("ORVANE-OPEN 1\n" + std::string(200000, 'a')), "REFUSED\n");
        EXPECT_EQ(sendRaw("ORVANE-OPEN 1\n", false), "REFUSED\n");
        if (asRoot) { // another user, were the socket in reach: setresuid's call, this thread
            for (const auto& path : {dir.path(), dir / "orvane", dir / "orvane/host.sock"}) {
                chmod(path.str().c_str(), 0777);
            }
            EXPECT_EQ(syscall(SYS_setresuid, -1, 65534, -1), 0);
            EXPECT_EQ(sendRaw(UrlServer::makeMessage({"orvaneplus://paste"})), "");
            EXPECT_EQ(syscall(SYS_setresuid, -1, 0, -1), 0);
        }
        EXPECT_EQ(sendRaw(UrlServer::makeMessage({"orvaneplus://create", "orvaneplus://create"})),
                  "OK\n");
    });
    loop.run();
    others.join();
    EXPECT_THAT(delivered,
                ElementsAre(ElementsAre("orvaneplus://create"), ElementsAre("orvaneplus://paste"),
                            ElementsAre("orvaneplus://create", "orvaneplus://create")));
    EXPECT_EQ(joined(sink.lines, "\n"),
              "Ignored a malformed URL message (24 bytes)\nIgnored a malformed URL message (18 "
              "bytes)\nIgnored a URL message longer than 65536 bytes\nIgnored a URL message that "
              "did not end in time" +
                  std::string(asRoot ? "\nRefused a URL connection from user 65534" : ""));
}

// In a child process with few descriptors: the listener stays readable while accept fails, so
// a server that kept watching it would spin. It pauses, says so once, and serves afterwards.
TEST_F(HostInstanceTest, OutOfDescriptorsThePauseIsLoggedOnceAndServingResumes) {
#ifdef ORVANE_SANITIZED
    GTEST_SKIP() << "without descriptors the sanitizers' own checks fail";
#endif
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
        close(ready[0]);
        // Once the server has said it ran out, the descriptors come free after a few of its
        // pauses, so a line for each pause would show.
        struct FreeingSink final : LogSink {
            LinuxRunLoop* loop;
            std::vector<int> hoard;
            std::vector<std::string> lines;
            void write(std::string_view, std::string_view, std::string_view message) override {
                lines.emplace_back(message);
                loop->async([this] {
                    loop->asyncAfter(8 * UrlServer::kAcceptPause, [this] {
                        std::for_each(hoard.begin(), hoard.end(), close);
                        hoard.clear();
                    });
                });
            }
        } freeing;
        freeing.loop = &loop;
        { // the server's thread ends with the block, after it has answered
            const auto server = serve([&](auto) { loop.stop(); }, 5, &freeing);
            rlimit limit{64, 64};
            setrlimit(RLIMIT_NOFILE, &limit);
            for (int fd; (fd = open("/dev/null", O_RDONLY)) >= 0;) {
                freeing.hoard.push_back(fd);
            }
            // Told on a descriptor it already has: closing one would free a place for the URL.
            (void)!write(ready[1], "x", 1);
            loop.asyncAfter(60, [&] { loop.stop(); });
            loop.run();
        }
        test::writeFile(dir / "child-log", ::testing::PrintToString(freeing.lines));
        _exit(0);
    }
    close(ready[1]);
    char hoarded = 0;
    ASSERT_EQ(read(ready[0], &hoarded, 1), 1) << "the host ran out of descriptors";
    close(ready[0]);
    EXPECT_EQ(sendRaw(UrlServer::makeMessage({"orvaneplus://paste"})), "OK\n");
    rusage used{};
    ASSERT_EQ(wait4(child, nullptr, 0, &used), child);
    const auto seconds = [](timeval t) { return t.tv_sec + t.tv_usec / 1e6; };
    EXPECT_LT(seconds(used.ru_utime) + seconds(used.ru_stime), 0.5) << "it spun, not paused";
    EXPECT_THAT(test::readFile(dir / "child-log"), // one line, once
                ::testing::MatchesRegex(
                    R"re(\{ "Out of file descriptors: URL connections wait \([^"]*\)" \})re"));
}

} // namespace
} // namespace orv::lnx
