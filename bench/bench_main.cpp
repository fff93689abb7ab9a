// Runs the benchmarks, then prints each comparison as a ratio of times from this same run:
// for a name ".../<variant>", CPU time of every variant against ours (or bulk). CPU time, not
// wall time: the machines these run on are shared, and a descheduled thread is not slower code.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            // With repetitions, the median of each benchmark; otherwise its one run.
            bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (run.error_occurred || !(median || single)) {
                continue;
            }
            std::string name = run.run_name.str();
            std::size_t slash = name.rfind('/');
            std::string group = name.substr(0, slash);
            if (times_.find(group) == times_.end()) {
                order_.push_back(group);
            }
            times_[group].push_back({name.substr(slash + 1), run.GetAdjustedCPUTime()});
        }
    }

    void PrintRatios() const {
        std::printf("\n%-40s %s\n", "comparison", "time / time of ours or bulk");
        for (const std::string& group : order_) {
            const auto& variants = times_.at(group);
            std::printf("%-40s", group.c_str());
            // The baseline: our Present, or the bulk conversion.
            double first = variants.front().second;
            for (const auto& [variant, time] : variants) {
                if (variant == "ours" || variant == "bulk") {
                    first = time;
                }
            }
            for (const auto& [variant, time] : variants) {
                std::printf("  %s %.3f", variant.c_str(), time / first);
            }
            std::printf("\n");
        }
    }

  private:
    std::vector<std::string> order_;
    std::map<std::string, std::vector<std::pair<std::string, double>>> times_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
