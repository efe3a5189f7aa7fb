// Paste beside GNU mv, in the same run:
//  - 1,000 small files on one file system: handlePasteRequest (reading the request, clearing
//    it, 1,000 moves) against `mv -t DEST FILE...`;
//  - a 256 MiB folder tree from tmpfs to the disk: handlePasteRequest against `mv TREE DEST/`.
// Setting up the items before each iteration and clearing the destination after it is not
// timed, for either side.

#include "QuietPlatform.h"
#include "RatioReporter.h"

#include "app/shell/AppDelegate.h"
#include "platform/Text.h"
#include "platform/linux/LinuxPlatform.h"
#include "shared/RequestHandoff.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Fixture {
    Fixture() {
        root = fs::temp_directory_path() / ("orvane-paste-" + std::to_string(getpid()));
        shm = fs::path("/dev/shm") / ("orvane-paste-" + std::to_string(getpid()));
        fs::create_directories(root / "groups");
        fs::create_directories(shm);
        setenv("ORVANE_GROUP_CONTAINERS", (root / "groups").c_str(), 1);
        system.emplace(orv::lnx::BundleInfo{"Orvane+", "tamsel.Orvane-", {}});
        const orv::Platform p = system->platform();
        delegate.emplace(quiet.over(p));
        container = *p.files.containerURL(orv::handoff::kAppGroupIdentifier);
    }
    ~Fixture() {
        fs::remove_all(root);
        fs::remove_all(shm);
    }

    void request(const std::vector<fs::path>& items, const fs::path& destination) {
        std::string cut;
        for (const auto& item : items) {
            cut += orv::concat({cut.empty() ? "" : "\n", item.string()});
        }
        std::ofstream(container.appending("cut.txt").str()) << cut;
        std::ofstream(container.appending("paste.txt").str()) << destination.string();
    }

    fs::path root, shm;
    orv::bench::QuietPlatform quiet;
    std::optional<orv::lnx::LinuxPlatform> system;
    std::optional<orv::AppDelegate> delegate;
    orv::Path container;
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

bool run(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (auto& a : arguments) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        return false;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// An empty folder, whatever was there before.
void freshFolder(const fs::path& folder) {
    fs::remove_all(folder);
    fs::create_directories(folder);
}

std::vector<fs::path> makeSmallFiles(const fs::path& folder) {
    freshFolder(folder);
    std::vector<fs::path> files;
    for (int i = 0; i < 1000; ++i) {
        files.push_back(folder / ("note-" + std::to_string(i) + ".txt"));
        const int fd = open(files.back().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        (void)!write(fd, "a small note\n", 13);
        close(fd);
    }
    return files;
}

// 64 folders of 4 files of 1 MiB each.
void makeTree(const fs::path& tree) {
    fs::remove_all(tree);
    const std::string mebibyte(1 << 20, 'z');
    for (int d = 0; d < 64; ++d) {
        const fs::path folder = tree / ("album-" + std::to_string(d));
        fs::create_directories(folder);
        for (int f = 0; f < 4; ++f) {
            std::ofstream(folder / ("photo-" + std::to_string(f) + ".raw"), std::ios::binary)
                << mebibyte;
        }
    }
}

// 100 folders of 200 notes each.
void makeManySmallFiles(const fs::path& tree) {
    fs::remove_all(tree);
    for (int d = 0; d < 100; ++d) {
        const fs::path folder = tree / ("day-" + std::to_string(d));
        fs::create_directories(folder);
        for (int f = 0; f < 200; ++f) {
            const int fd = open((folder / ("note-" + std::to_string(f))).c_str(),
                                O_WRONLY | O_CREAT | O_TRUNC, 0644);
            (void)!write(fd, "a small note\n", 13);
            close(fd);
        }
    }
}

// Moves `tree` from tmpfs to the disk, with the paste or with mv.
void acrossFileSystems(benchmark::State& state, void (*make)(const fs::path&), bool paste) {
    auto& f = fixture();
    for (auto _ : state) {
        state.PauseTiming();
        make(f.shm / "tree");
        freshFolder(f.root / "disk");
        f.request({f.shm / "tree"}, f.root / "disk");
        state.ResumeTiming();
        const bool ran =
            paste ? (f.delegate->handlePasteRequest(), true)
                  : run({"mv", (f.shm / "tree").string(), (f.root / "disk").string() + "/"});
        state.PauseTiming();
        if (!ran || !fs::exists(f.root / "disk/tree") || fs::exists(f.shm / "tree")) {
            state.SkipWithError("the tree was not moved");
        }
        state.ResumeTiming();
    }
}

void BM_Paste1000Files(benchmark::State& state) {
    auto& f = fixture();
    for (auto _ : state) {
        state.PauseTiming();
        const auto files = makeSmallFiles(f.root / "src");
        freshFolder(f.root / "dest");
        f.request(files, f.root / "dest");
        state.ResumeTiming();
        f.delegate->handlePasteRequest();
        state.PauseTiming();
        if (!fs::exists(f.root / "dest/note-999.txt")) {
            state.SkipWithError("the paste did not move the files");
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Paste1000Files)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Mv1000Files(benchmark::State& state) {
    auto& f = fixture();
    for (auto _ : state) {
        state.PauseTiming();
        const auto files = makeSmallFiles(f.root / "src");
        freshFolder(f.root / "dest");
        std::vector<std::string> arguments{"mv", "-t", (f.root / "dest").string()};
        for (const auto& file : files) {
            arguments.push_back(file.string());
        }
        state.ResumeTiming();
        if (!run(arguments)) {
            state.SkipWithError("mv failed");
        }
    }
}
BENCHMARK(BM_Mv1000Files)->Unit(benchmark::kMillisecond)->UseRealTime();

// Across file systems, the paste and mv on the same trees: 64 folders of 4 files of 1 MiB, and
// 100 folders of 200 small notes.
BENCHMARK_CAPTURE(acrossFileSystems, Paste256MiBTree, makeTree, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(4);
BENCHMARK_CAPTURE(acrossFileSystems, Mv256MiBTree, makeTree, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(4);
BENCHMARK_CAPTURE(acrossFileSystems, Paste20000Files, makeManySmallFiles, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(acrossFileSystems, Mv20000Files, makeManySmallFiles, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    return orv::bench::runWithRatios(argc, argv,
                                     {{"BM_Paste1000Files/real_time", "BM_Mv1000Files/real_time"},
                                      {"acrossFileSystems/Paste256MiBTree/iterations:4/real_time",
                                       "acrossFileSystems/Mv256MiBTree/iterations:4/real_time"},
                                      {"acrossFileSystems/Paste20000Files/iterations:3/real_time",
                                       "acrossFileSystems/Mv20000Files/iterations:3/real_time"}});
}
