// The race: server streams replayed over a loopback socket to our session, to libvncclient and to
// a client that only reads the bytes, in the same run; a table of ratios closes the run.
// - The recorded sessions: one 1024 x 768 16-bit desktop session per encoding.
// - The test picture (bars, checkerboard, gradient, flat colour, noise) at 16 and 32 bits, per
//   encoding, in one update holding its rectangles kPasses times over and once: the difference
//   of the two is the cost of kPasses - 1 passes, without the connection's own. Our client draws
//   on a device screen of the picture's format, and the 32-bit picture also on a 5:6:5 one.
#include "race_clients.h"
#include "replay_server.h"

#include <encodings/paint_stores.h>
#include <encodings/standard_decoders.h>
#include <rfb/decoder_registry.h>

#include <benchmark/benchmark.h>

#include <sched.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr int kPasses = 150;

const RaceEncoding kRecorded[] = {RaceEncoding::Hextile, RaceEncoding::Rre, RaceEncoding::CoRre,
                                  RaceEncoding::Raw, RaceEncoding::CopyRectRaw};
const RaceEncoding kPattern[] = {RaceEncoding::Hextile, RaceEncoding::Rre, RaceEncoding::CoRre,
                                 RaceEncoding::Raw};

// A stream of the race, made when first used, and the device screen our client draws on.
struct Content {
    std::string name;
    RaceEncoding encoding;
    int bitsPerPixel;  // 0: the recorded session
    int passes;
    int deviceBits;  // 16: 5:6:5, 32: 8:8:8
    const RecordedSession& Session() const {
        static std::map<std::tuple<RaceEncoding, int, int>, std::unique_ptr<RecordedSession>> made;
        auto& session = made[{encoding, bitsPerPixel, passes}];
        if (session == nullptr) {
            session = std::make_unique<RecordedSession>(
                bitsPerPixel == 0 ? RecordSession(encoding)
                                  : PatternSession(encoding, bitsPerPixel, passes));
        }
        return *session;
    }
};

// "pattern16", "pattern32" (on a 32-bit device, as the viewer asks a server for the device's own
// format) and "pattern32to565" (32-bit pixels that our store converts for a 16-bit device).
std::string PatternLabel(int bitsPerPixel, int deviceBits) {
    return "pattern" + std::to_string(bitsPerPixel) +
           (bitsPerPixel == deviceBits ? "" : "to" + std::string(deviceBits == 16 ? "565" : "32"));
}

std::string PatternName(RaceEncoding encoding, int bitsPerPixel, int deviceBits, int passes) {
    return PatternLabel(bitsPerPixel, deviceBits) + "-" + RaceEncodingName(encoding) + "-x" +
           std::to_string(passes);
}

std::vector<Content>& Contents() {
    static std::vector<Content> contents = [] {
        std::vector<Content> all;
        for (RaceEncoding encoding : kRecorded) {
            all.push_back({RaceEncodingName(encoding), encoding, 0, 1, 16});
        }
        for (auto [bits, deviceBits] : {std::pair{16, 16}, std::pair{32, 32}, std::pair{32, 16}}) {
            for (RaceEncoding encoding : kPattern) {
                for (int passes : {kPasses, 1}) {
                    all.push_back({PatternName(encoding, bits, deviceBits, passes), encoding, bits,
                                   passes, deviceBits});
                }
            }
        }
        return all;
    }();
    return contents;
}

enum class Client { Tavrel, Libvncclient, Drain };
const char* const kClientNames[] = {"tavrel", "libvncclient", "drain"};

// The server's thread on one core, the clients (this thread and the threads it starts) on another,
// so that neither takes the other's core; off with --no-pin or on a single core.
bool pinned = false;

void PinTo(int core) {
    if (!pinned) {
        return;
    }
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(core, &set);
    sched_setaffinity(0, sizeof set, &set);
}

void Race(benchmark::State& state, const Content* content, Client client) {
    const RecordedSession& recording = content->Session();
    // One listening socket for all the runs: binding a fresh one each time makes the host search
    // its port table, a cost of the harness that has nothing to do with either client.
    ReplayServer server(recording, [] { PinTo(0); });
    double cpuSeconds = 0;
    for (auto _ : state) {
        server.ServeOne();
        double tavrelCpu = 0;
        double before = ThreadCpuSeconds();
        bool ok = client == Client::Tavrel ? RunTavrelClient(server.Port(), recording.updates,
                                                             recording.bitsPerPixel,
                                                             content->deviceBits, tavrelCpu)
                  : client == Client::Libvncclient
                      ? RunLibvncClient(server.Port(), recording.updates, recording.bitsPerPixel,
                                        content->encoding)
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
// processor's masked stores where it has them, and with the plain stores; reading in place, or
// with copies (as before the in-place reads).
void Decode(benchmark::State& state, const Content* content, bool masked, bool inPlace) {
    const RecordedSession& recording = content->Session();
    bool before = MaskedPaintStores();
    if (UseMaskedPaintStores(masked) != masked) {
        state.SkipWithError("this processor has no masked stores");
        return;
    }
    for (auto _ : state) {
        if (!DecodeInMemory(recording, content->deviceBits, inPlace)) {
            state.SkipWithError("the recording did not decode");
            break;
        }
    }
    UseMaskedPaintStores(before);
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations() * recording.stream.size()));
}

// The fastest and the median run of one client on one stream, real and CPU time (ms).
struct Times {
    double realMin = 0, realMedian = 0, cpuMin = 0, cpuMedian = 0;
    Times operator-(const Times& o) const {
        return {realMin - o.realMin, realMedian - o.realMedian, cpuMin - o.cpuMin,
                cpuMedian - o.cpuMedian};
    }
};

// Keeps the fastest and the median of every race and prints the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Aggregate || run.error_occurred) {
                continue;
            }
            bool median = run.aggregate_name == "median";
            if (!median && run.aggregate_name != "min") {
                continue;
            }
            Times& times = times_[run.run_name.function_name];
            double real = run.GetAdjustedRealTime();
            auto found = run.counters.find("client_cpu_ms");
            double cpu = found != run.counters.end() ? found->second.value : 0;
            (median ? times.realMedian : times.realMin) = real;
            (median ? times.cpuMedian : times.cpuMin) = cpu;
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf(
            "\nlibvncclient / tavrel (above 1: ours is faster) and tavrel / drain (1: ours reads\n"
            "as fast as merely reading the bytes), CPU time of the clients' own threads and real\n"
            "time, fastest and median of the repetitions. Test picture: per pass, the time of\n"
            "%d passes less the time of one.\n\n",
            kPasses);
        std::printf("%-22s %23s   %23s\n", "", "libvncclient / tavrel", "tavrel / drain");
        std::printf("%-22s %11s %11s   %11s %11s\n", "", "CPU", "real", "CPU", "real");
        std::printf("%-22s %5s %5s %5s %5s   %5s %5s %5s %5s\n", "stream", "min", "med", "min",
                    "med", "min", "med", "min", "med");
        for (const Content& content : Contents()) {
            if (content.passes == 1 && content.bitsPerPixel != 0) {
                continue;
            }
            Times ours, theirs, drain;
            if (!Lookup(content.name, ours, theirs, drain)) {
                continue;
            }
            std::string label = content.name;
            if (content.bitsPerPixel != 0) {
                Times ours1, theirs1, drain1;
                std::string once = PatternName(content.encoding, content.bitsPerPixel,
                                               content.deviceBits, 1);
                if (!Lookup(once, ours1, theirs1, drain1)) {
                    continue;
                }
                ours = ours - ours1;
                theirs = theirs - theirs1;
                drain = drain - drain1;
                label = PatternLabel(content.bitsPerPixel, content.deviceBits) + " " +
                        RaceEncodingName(content.encoding);
            }
            std::printf("%-22s %5.2f %5.2f %5.2f %5.2f   %5.2f %5.2f %5.2f %5.2f\n", label.c_str(),
                        theirs.cpuMin / ours.cpuMin, theirs.cpuMedian / ours.cpuMedian,
                        theirs.realMin / ours.realMin, theirs.realMedian / ours.realMedian,
                        ours.cpuMin / drain.cpuMin, ours.cpuMedian / drain.cpuMedian,
                        ours.realMin / drain.realMin, ours.realMedian / drain.realMedian);
        }
    }

  private:
    bool Lookup(const std::string& name, Times& ours, Times& theirs, Times& drain) {
        auto find = [&](const char* client, Times& out) {
            auto found = times_.find("Race/" + name + "/" + client);
            if (found == times_.end()) {
                return false;
            }
            out = found->second;
            return true;
        };
        return find("tavrel", ours) && find("libvncclient", theirs) && find("drain", drain);
    }

    std::map<std::string, Times> times_;
};

}  // namespace

int main(int argc, char** argv) {
    bool pin = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-pin") == 0) {
            pin = false;
            std::copy(argv + i + 1, argv + argc, argv + i);
            --argc;
            break;
        }
    }
    cpu_set_t available;
    pinned = pin && sched_getaffinity(0, sizeof available, &available) == 0 &&
             CPU_ISSET(0, &available) && CPU_ISSET(1, &available);
    PinTo(1);
    RegisterStandardDecoders();
    for (const Content& content : Contents()) {
        for (Client client : {Client::Tavrel, Client::Libvncclient, Client::Drain}) {
            std::string name =
                "Race/" + content.name + "/" + kClientNames[static_cast<int>(client)];
            auto* race = benchmark::RegisterBenchmark(name.c_str(), Race, &content, client);
            if (content.bitsPerPixel != 0) {
                race->Iterations(1);  // a repetition is one whole session
            }
            race->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->Repetitions(9)
                ->ComputeStatistics("min",
                                    [](const std::vector<double>& v) {
                                        return *std::min_element(v.begin(), v.end());
                                    })
                ->ReportAggregatesOnly(true);
        }
    }
    for (const Content& content : Contents()) {
        // The test picture once: the in-memory transport copies its stream at every run, which
        // would be most of the time for a stream of many passes.
        if (content.passes != 1 && content.bitsPerPixel != 0) {
            continue;
        }
        for (auto [masked, inPlace, variant] :
             {std::tuple{true, true, "/masked"}, std::tuple{false, true, "/plain"},
              std::tuple{true, false, "/masked-copied"}}) {
            std::string name = "Decode/" + content.name + variant;
            benchmark::RegisterBenchmark(name.c_str(), Decode, &content, masked, inPlace)
                ->Unit(benchmark::kMillisecond);
        }
    }
    // The repetitions of all races are run interleaved in a random order, so that a stretch of
    // seconds in which the machine is slower (another guest on the host, say) falls on every
    // client alike instead of on the one racing then. Given explicitly, the option is kept.
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    if (std::none_of(args.begin(), args.end(), [](const char* a) {
            return std::strncmp(a, "--benchmark_enable_random_interleaving", 38) == 0;
        })) {
        args.insert(args.begin() + 1, interleave);
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    std::printf("server and clients %s\n",
                pinned ? "pinned to cores 0 and 1" : "not pinned (--no-pin or one core)");
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    ClearDecoders();
    return 0;
}
