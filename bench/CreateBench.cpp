// New-file creation beside its floors, in the same run:
//  - createFile of a text file in an empty folder, beside an exclusive create and close;
//  - createFile in a folder where 10,000 names are taken, beside the 10,000 existence checks
//    and the exclusive create it cannot avoid.
// Each iteration removes the file it made, in the operation and in the floor alike.

#include "QuietPlatform.h"
#include "RatioReporter.h"

#include "app/shell/AppDelegate.h"
#include "platform/linux/LinuxPlatform.h"

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Fixture {
    Fixture() {
        root =
            std::filesystem::temp_directory_path() / ("orvane-create-" + std::to_string(getpid()));
        std::filesystem::create_directories(root / "empty");
        std::filesystem::create_directories(root / "crowded");
        for (int n = 0; n < 10000; ++n) {
            const std::string name =
                n == 0 ? "Untitled.txt" : "Untitled " + std::to_string(n) + ".txt";
            close(open((root / "crowded" / name).c_str(), O_CREAT | O_WRONLY, 0644));
        }
        system.emplace(orv::lnx::BundleInfo{"Orvane+", "tamsel.Orvane-", {}});
        delegate.emplace(quiet.over(system->platform()));
    }
    ~Fixture() { std::filesystem::remove_all(root); }

    std::filesystem::path root;
    orv::bench::QuietPlatform quiet;
    std::optional<orv::lnx::LinuxPlatform> system;
    std::optional<orv::AppDelegate> delegate;
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void exclusiveCreateAndRemove(const std::string& path) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    close(fd);
    unlink(path.c_str());
}

void BM_CreateTextFile(benchmark::State& state) {
    auto& f = fixture();
    const orv::Path folder((f.root / "empty").string());
    const std::string made = (f.root / "empty/Untitled.txt").string();
    for (auto _ : state) {
        f.delegate->createFile(folder, "txt");
        if (unlink(made.c_str()) != 0) {
            state.SkipWithError("createFile made no Untitled.txt");
            break;
        }
    }
}
BENCHMARK(BM_CreateTextFile);

void BM_Floor_ExclusiveCreate(benchmark::State& state) {
    const std::string path = (fixture().root / "empty/floor.txt").string();
    for (auto _ : state) {
        exclusiveCreateAndRemove(path);
    }
}
BENCHMARK(BM_Floor_ExclusiveCreate);

void BM_CreateAmong10000TakenNames(benchmark::State& state) {
    auto& f = fixture();
    const orv::Path folder((f.root / "crowded").string());
    const std::string made = (f.root / "crowded/Untitled 10000.txt").string();
    for (auto _ : state) {
        f.delegate->createFile(folder, "txt");
        if (unlink(made.c_str()) != 0) {
            state.SkipWithError("createFile did not take the first free name");
            break;
        }
    }
}
BENCHMARK(BM_CreateAmong10000TakenNames)->Unit(benchmark::kMillisecond);

void BM_Floor_10000ChecksAndCreate(benchmark::State& state) {
    auto& f = fixture();
    std::vector<std::string> names;
    for (int n = 0; n < 10000; ++n) {
        names.push_back((f.root / "crowded" /
                         (n == 0 ? "Untitled.txt" : "Untitled " + std::to_string(n) + ".txt"))
                            .string());
    }
    const std::string free = (f.root / "crowded/Untitled 10000.txt").string();
    for (auto _ : state) {
        struct stat st {};
        for (const auto& name : names) {
            benchmark::DoNotOptimize(lstat(name.c_str(), &st));
        }
        benchmark::DoNotOptimize(lstat(free.c_str(), &st));
        exclusiveCreateAndRemove(free);
    }
}
BENCHMARK(BM_Floor_10000ChecksAndCreate)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return orv::bench::runWithRatios(
        argc, argv,
        {{"BM_CreateTextFile", "BM_Floor_ExclusiveCreate"},
         {"BM_CreateAmong10000TakenNames", "BM_Floor_10000ChecksAndCreate"}});
}
