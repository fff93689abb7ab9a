// The race: one recorded 1024 x 768 16-bit session per encoding, replayed over a loopback socket
// to our session and to libvncclient in the same run; the ratio of their median times is
// printed at the end (above 1: ours is faster).
#include "race_clients.h"
#include "replay_server.h"

#include <encodings/paint_stores.h>
#include <encodings/standard_decoders.h>
#include <rfb/decoder_registry.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>

namespace {

const RaceEncoding kEncodings[] = {RaceEncoding::Hextile, RaceEncoding::Rre, RaceEncoding::CoRre,
                                   RaceEncoding::Raw, RaceEncoding::CopyRectRaw};

const RecordedSession& Recording(RaceEncoding encoding) {
    static std::map<RaceEncoding, RecordedSession> recordings;
    auto found = recordings.find(encoding);
    if (found == recordings.end()) {
        found = recordings.emplace(encoding, RecordSession(encoding)).first;
    }
    return found->second;
}

enum class Client { Tavrel, Libvncclient, Drain };

void Race(benchmark::State& state, RaceEncoding encoding, Client client) {
    const RecordedSession& recording = Recording(encoding);
    // One listening socket for all the runs: binding a fresh one each time makes the host search
    // its port table, a cost of the harness that has nothing to do with either client.
    ReplayServer server(recording);
    double cpuSeconds = 0;
    for (auto _ : state) {
        server.ServeOne();
        double tavrelCpu = 0;
        double before = ThreadCpuSeconds();
        bool ok = client == Client::Tavrel
                      ? RunTavrelClient(server.Port(), recording.updates, tavrelCpu)
                  : client == Client::Libvncclient
                      ? RunLibvncClient(server.Port(), recording.updates, encoding)
                      : RunDrainClient(server.Port(), recording.stream.size());
        cpuSeconds += client == Client::Tavrel ? tavrelCpu : ThreadCpuSeconds() - before;
        server.Wait();
        if (!ok) {
            state.SkipWithError("the client did not read the whole session");
            break;
        }
    }
    // The client's own CPU time: unlike the real time, it does not grow when other work on the
    // machine takes the cores away.
    state.counters["client_cpu_ms"] =
        benchmark::Counter(cpuSeconds * 1e3, benchmark::Counter::kAvgIterations);
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations() * recording.stream.size()));
}

// Our decoding alone, from memory: steadier than the race, for tuning the decoders. With the
// processor's masked stores where it has them, and with the plain stores.
void Decode(benchmark::State& state, RaceEncoding encoding, bool masked) {
    const RecordedSession& recording = Recording(encoding);
    bool before = MaskedPaintStores();
    if (UseMaskedPaintStores(masked) != masked) {
        state.SkipWithError("this processor has no masked stores");
        return;
    }
    for (auto _ : state) {
        if (!DecodeInMemory(recording)) {
            state.SkipWithError("the recording did not decode");
            break;
        }
    }
    UseMaskedPaintStores(before);
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations() * recording.stream.size()));
}

// Keeps the median of every benchmark and prints our speed-up over libvncclient per encoding.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                medians_[run.run_name.function_name] = run.GetAdjustedRealTime();
                auto cpu = run.counters.find("client_cpu_ms");
                if (cpu != run.counters.end()) {
                    cpuMedians_[run.run_name.function_name] = cpu->second.value;
                }
            }
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf(
            "\nSpeed-up of tavrel over libvncclient (median time of libvncclient / ours), in real\n"
            "time and in the client's own CPU time, and the share of each client's real time\n"
            "that merely reading the bytes takes (drain):\n");
        for (RaceEncoding encoding : kEncodings) {
            std::string name = RaceEncodingName(encoding);
            double ours = medians_["Race/" + name + "/tavrel"];
            double theirs = medians_["Race/" + name + "/libvncclient"];
            double drain = medians_["Race/" + name + "/drain"];
            if (ours > 0 && theirs > 0) {
                std::string key = "Race/" + name;
                double ourCpu = cpuMedians_[key + "/tavrel"];
                double theirCpu = cpuMedians_[key + "/libvncclient"];
                std::printf("  %-13s %5.2fx real, %5.2fx cpu  (%zu bytes, %d updates)",
                            name.c_str(), theirs / ours, ourCpu > 0 ? theirCpu / ourCpu : 0.0,
                            Recording(encoding).stream.size(), Recording(encoding).updates);
                if (drain > 0) {
                    std::printf("  drain/tavrel %.2f, drain/libvncclient %.2f", drain / ours,
                                drain / theirs);
                }
                std::printf("\n");
            }
        }
    }

  private:
    std::map<std::string, double> medians_;
    std::map<std::string, double> cpuMedians_;
};

}  // namespace

int main(int argc, char** argv) {
    RegisterStandardDecoders();
    for (RaceEncoding encoding : kEncodings) {
        std::string name = RaceEncodingName(encoding);
        for (auto [client, suffix] : {std::pair{Client::Tavrel, "/tavrel"},
                                      std::pair{Client::Libvncclient, "/libvncclient"},
                                      std::pair{Client::Drain, "/drain"}}) {
            benchmark::RegisterBenchmark(("Race/" + name + suffix).c_str(), Race, encoding, client)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->Repetitions(9)
                ->ComputeStatistics("min",
                                    [](const std::vector<double>& v) {
                                        return *std::min_element(v.begin(), v.end());
                                    })
                ->ReportAggregatesOnly(true);
        }
    }
    for (RaceEncoding encoding : kEncodings) {
        for (bool masked : {true, false}) {
            std::string name =
                "Decode/" + RaceEncodingName(encoding) + (masked ? "/masked" : "/plain");
            benchmark::RegisterBenchmark(name.c_str(), Decode, encoding, masked)
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    ClearDecoders();
    return 0;
}
