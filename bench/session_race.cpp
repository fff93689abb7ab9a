// The race: one recorded 1024 x 768 16-bit session per encoding, replayed over a loopback socket
// to our session and to libvncclient in the same run; the ratio of their median times is
// printed at the end (above 1: ours is faster).
#include "race_clients.h"
#include "replay_server.h"

#include <encodings/standard_decoders.h>
#include <rfb/decoder_registry.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

namespace {

const RaceEncoding kEncodings[] = {RaceEncoding::Hextile, RaceEncoding::Rre, RaceEncoding::CoRre, RaceEncoding::Raw,
                                   RaceEncoding::CopyRectRaw};

const RecordedSession& Recording(RaceEncoding encoding) {
    static std::map<RaceEncoding, RecordedSession> recordings;
    auto found = recordings.find(encoding);
    if (found == recordings.end()) {
        found = recordings.emplace(encoding, RecordSession(encoding)).first;
    }
    return found->second;
}

void Race(benchmark::State& state, RaceEncoding encoding, bool ours) {
    const RecordedSession& recording = Recording(encoding);
    for (auto _ : state) {
        ReplayServer server(recording);
        server.ServeOne();
        bool ok = ours ? RunTavrelClient(server.Port(), recording.updates)
                       : RunLibvncClient(server.Port(), recording.updates, encoding);
        server.Wait();
        if (!ok) {
            state.SkipWithError("the client did not read the whole session");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * recording.stream.size()));
}

// Keeps the median of every benchmark and prints our speed-up over libvncclient per encoding.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                medians_[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nSpeed-up of tavrel over libvncclient (median time of libvncclient / ours):\n");
        for (RaceEncoding encoding : kEncodings) {
            std::string name = RaceEncodingName(encoding);
            double ours = medians_["Race/" + name + "/tavrel"];
            double theirs = medians_["Race/" + name + "/libvncclient"];
            if (ours > 0 && theirs > 0) {
                std::printf("  %-13s %5.2fx  (%zu bytes, %d updates)\n", name.c_str(), theirs / ours,
                            Recording(encoding).stream.size(), Recording(encoding).updates);
            }
        }
    }

private:
    std::map<std::string, double> medians_;
};

}  // namespace

int main(int argc, char** argv) {
    RegisterStandardDecoders();
    for (RaceEncoding encoding : kEncodings) {
        std::string name = RaceEncodingName(encoding);
        for (bool ours : {true, false}) {
            benchmark::RegisterBenchmark(("Race/" + name + (ours ? "/tavrel" : "/libvncclient")).c_str(), Race,
                                         encoding, ours)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->Repetitions(5)
                ->ReportAggregatesOnly(true);
        }
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    ClearDecoders();
    return 0;
}
