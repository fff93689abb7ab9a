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
    for (auto _ : state) {
        ReplayServer server(recording);
        server.ServeOne();
        bool ok = client == Client::Tavrel ? RunTavrelClient(server.Port(), recording.updates)
                  : client == Client::Libvncclient
                      ? RunLibvncClient(server.Port(), recording.updates, encoding)
                      : RunDrainClient(server.Port(), recording.stream.size());
        server.Wait();
        if (!ok) {
            state.SkipWithError("the client did not read the whole session");
            break;
        }
    }
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
            }
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf(
            "\nSpeed-up of tavrel over libvncclient (median time of libvncclient / ours), and the\n"
            "share of each client's time that merely reading the bytes takes (drain):\n");
        for (RaceEncoding encoding : kEncodings) {
            std::string name = RaceEncodingName(encoding);
            double ours = medians_["Race/" + name + "/tavrel"];
            double theirs = medians_["Race/" + name + "/libvncclient"];
            double drain = medians_["Race/" + name + "/drain"];
            if (ours > 0 && theirs > 0) {
                std::printf("  %-13s %5.2fx  (%zu bytes, %d updates)", name.c_str(), theirs / ours,
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
                ->ReportAggregatesOnly(true);
        }
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    ClearDecoders();
    return 0;
}
