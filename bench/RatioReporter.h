#pragma once
// Console reporter that also prints, after the run, each measured operation as a ratio of the
// floor measured beside it in the same run: "ratio <operation> / <floor> = N". With
// --benchmark_repetitions the medians are compared.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace orv::bench {

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    // Pairs of (operation, floor) benchmark names.
    explicit RatioReporter(std::vector<std::pair<std::string, std::string>> pairs)
        : pairs_(std::move(pairs)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) {
            const std::string name = run.run_name.str();
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                medians_[name] = run.GetAdjustedRealTime();
            } else if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                times_[name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto& [name, median] : medians_) {
            times_[name] = median;
        }
        for (const auto& [operation, floor] : pairs_) {
            if (times_.count(operation) != 0 && times_.count(floor) != 0 && times_[floor] > 0) {
                std::printf("ratio %s / %s = %.2f\n", operation.c_str(), floor.c_str(),
                            times_[operation] / times_[floor]);
            }
        }
    }

  private:
    std::vector<std::pair<std::string, std::string>> pairs_;
    std::map<std::string, double> times_;
    std::map<std::string, double> medians_;
};

// Runs the registered benchmarks with the reporter; the main of every benchmark program.
inline int runWithRatios(int argc, char** argv,
                         std::vector<std::pair<std::string, std::string>> pairs) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(std::move(pairs));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace orv::bench
