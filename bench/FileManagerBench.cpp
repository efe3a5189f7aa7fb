// A right-click in each file manager on two selected files with a cut waiting: the module's
// menu for a selection, as the file manager asks for it on its main thread. The answer comes from
// orvane-finder in another process, so the floor is starting and reaping the smallest program,
// /bin/true.

#include "RatioReporter.h"

#include "tests/support/FileManagerModules.h"

#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

struct Fixture {
    Fixture() {
        root = std::filesystem::temp_directory_path() /
               ("orvane-fm-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(root / "run");
        setenv("ORVANE_GROUP_CONTAINERS", (root / "groups").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (root / "run").c_str(), 1);
        setenv("ORVANE_FINDER_PROGRAM", ORVANE_FINDER_PROGRAM, 1);
        std::filesystem::create_directories(root / "groups/K4W7P2Z9QD.tamsel.Orvane");
        std::ofstream(root / "groups/K4W7P2Z9QD.tamsel.Orvane/cut.txt") << "/home/a/report.pdf";
        for (const char* name : {"a.txt", "b.txt"}) {
            files = g_list_append(files, orv::test::fileInfo("file://" + (root / name).string()));
        }
    }
    ~Fixture() {
        g_list_free_full(files, g_object_unref);
        std::filesystem::remove_all(root);
    }

    std::filesystem::path root;
    GList* files = nullptr;
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

template <class Api> void BM_FileItemsWithWaitingCut(benchmark::State& state) {
    auto& f = fixture();
    GObject* provider = orv::test::loadedProvider<Api>();
    for (auto _ : state) {
        GList* items = provider == nullptr ? nullptr : Api::files(provider, f.files);
        if (items == nullptr) {
            state.SkipWithError("the module gave no items");
            break;
        }
        g_list_free_full(items, g_object_unref);
    }
}
BENCHMARK(BM_FileItemsWithWaitingCut<orv::test::Nautilus>)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FileItemsWithWaitingCut<orv::test::Nemo>)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FileItemsWithWaitingCut<orv::test::Caja>)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FileItemsWithWaitingCut<orv::test::Thunar>)->Unit(benchmark::kMicrosecond);

void BM_Floor_SpawnTrue(benchmark::State& state) {
    char* argv[] = {const_cast<char*>("/bin/true"), nullptr};
    for (auto _ : state) {
        pid_t pid = -1;
        if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv, environ) != 0) {
            state.SkipWithError("/bin/true did not start");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
    }
}
BENCHMARK(BM_Floor_SpawnTrue)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return orv::bench::runWithRatios(
        argc, argv,
        {{"BM_FileItemsWithWaitingCut<orv::test::Nautilus>", "BM_Floor_SpawnTrue"},
         {"BM_FileItemsWithWaitingCut<orv::test::Nemo>", "BM_Floor_SpawnTrue"},
         {"BM_FileItemsWithWaitingCut<orv::test::Caja>", "BM_Floor_SpawnTrue"},
         {"BM_FileItemsWithWaitingCut<orv::test::Thunar>", "BM_Floor_SpawnTrue"}});
}
