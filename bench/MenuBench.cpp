// The contextual menu is built on every right-click: measure menu(for:) for an item menu with a
// selection and a waiting cut, beside the floor it cannot avoid, opening, reading and closing
// the cut list.

#include "RatioReporter.h"

#include "extension/FinderSync.h"
#include "platform/linux/LinuxPlatform.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

struct Fixture {
    Fixture() {
        root =
            std::filesystem::temp_directory_path() / ("orvane-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(root);
        setenv("ORVANE_GROUP_CONTAINERS", root.c_str(), 1);
        system.emplace(orv::lnx::BundleInfo{
            "OrvaneExtension", std::string(orv::FinderSync::kBundleIdentifier), {}});
        const auto container = system->platform().files.containerURL("K4W7P2Z9QD.tamsel.Orvane");
        cutFile = container->appending("cut.txt").str();
        std::ofstream(cutFile) << "/Users/a/Documents/report.pdf\n/Users/a/Documents/notes.txt";
        system->finder().setSelection(std::vector<orv::Path>{orv::Path("/Users/a/Documents/x")});
        system->finder().setTarget(orv::Path("/Users/a/Documents"));
    }
    ~Fixture() { std::filesystem::remove_all(root); }

    std::filesystem::path root;
    std::optional<orv::lnx::LinuxPlatform> system;
    std::string cutFile;
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_ItemMenuWithWaitingCut(benchmark::State& state) {
    auto& f = fixture();
    orv::FinderSync extension(f.system->platform());
    for (auto _ : state) {
        auto menu = extension.menu(0);
        benchmark::DoNotOptimize(menu);
        if (menu->items().size() != 4) {
            state.SkipWithError("the menu should hold Copy Path, Cut, Paste and New File");
            break;
        }
    }
}
BENCHMARK(BM_ItemMenuWithWaitingCut);

void BM_Floor_ReadCutList(benchmark::State& state) {
    auto& f = fixture();
    char buffer[4096];
    for (auto _ : state) {
        const int fd = open(f.cutFile.c_str(), O_RDONLY | O_CLOEXEC);
        const ssize_t n = read(fd, buffer, sizeof buffer);
        close(fd);
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_Floor_ReadCutList);

} // namespace

int main(int argc, char** argv) {
    return orv::bench::runWithRatios(argc, argv,
                                     {{"BM_ItemMenuWithWaitingCut", "BM_Floor_ReadCutList"}});
}
