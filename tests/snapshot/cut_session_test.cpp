// tavrel-snapshot's client against servers that go away in the middle of a session: a recorded
// session of the pattern's 1024 x 768 screen is replayed and cut at every byte up to the first
// rectangle's pixels and at offsets spread over a Hextile and a Raw rectangle. The client is
// destroyed as soon as Run has its result, as the tool does; every run must end with the
// documented exit 5, "Connection reset by peer".
#include "cutting_replay_server.h"
#include "device_frame_buffer.h"
#include "screen_recording.h"
#include "session_environment.h"
#include "snapshot_client.h"

#include <platform/core.h>
#include <platform/resources.h>
#include <resources/resources.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

namespace {

class SnapshotEnvironment : public SessionEnvironment {
  public:
    void SetUp() override {
        InstallResources(GetModuleHandleW(nullptr));
        SessionEnvironment::SetUp();
    }
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new SnapshotEnvironment);

constexpr int kHextile = 5;
constexpr int kRaw = 0;

const ScreenRecording& Recording(int encoding) {
    static std::map<int, ScreenRecording> recordings;
    auto found = recordings.find(encoding);
    if (found == recordings.end()) {
        found = recordings.emplace(encoding, RecordPatternScreen(1024, 768, encoding)).first;
    }
    return found->second;
}

using Ending = CuttingReplayServer::Ending;

// One run of the tool's client against the server cut after cut bytes.
SnapshotResult SnapshotCutAt(CuttingReplayServer& server, DeviceFrameBuffer& screen, std::size_t cut,
                             Ending ending) {
    server.ServeOne(cut, ending);
    SnapshotResult result;
    {
        SnapshotClient client(screen, u"", true, 16);
        result = client.Run("127.0.0.1", server.Port(), 10);
    }
    if (!server.Wait()) {
        result = {-1, "the client never connected"};
    }
    return result;
}

// count offsets spread over [begin, end), nudged by different amounts so that the cuts fall at
// every kind of place: a tile's subencoding byte, its colours, its subrectangles, inside a row.
std::vector<std::size_t> SpreadOver(std::size_t begin, std::size_t end, std::size_t count) {
    std::vector<std::size_t> offsets;
    std::size_t step = std::max<std::size_t>(1, (end - begin) / count);
    for (std::size_t k = 0; k < count; ++k) {
        offsets.push_back(begin + k * step + (k * 7) % step);
    }
    return offsets;
}

TEST(CutSession, WholeRecordingsArriveAsThePattern) {
    DeviceFrameBuffer screen{16};
    for (int encoding : {kHextile, kRaw}) {
        const ScreenRecording& recording = Recording(encoding);
        CuttingReplayServer server(recording.bytes);
        SnapshotResult result = SnapshotCutAt(server, screen, server.Size(), Ending::Close);
        ASSERT_EQ(result.exitCode, 0) << "encoding " << encoding << ": " << result.error;
        ASSERT_EQ(screen.Width(), 1024);
        ASSERT_EQ(screen.Height(), 768);
        std::vector<std::uint8_t> rgb = screen.CaptureRgb();
        int mismatches = 0;
        for (int y = 0; y < 768; ++y) {
            for (int x = 0; x < 1024; ++x) {
                std::uint16_t p = PatternPixel565(x, y);
                const std::uint8_t* got = &rgb[(static_cast<std::size_t>(y) * 1024 + x) * 3];
                mismatches += got[0] != ((p >> 11) << 3) || got[1] != (((p >> 5) & 63) << 2) ||
                              got[2] != ((p & 31) << 3);
            }
        }
        EXPECT_EQ(mismatches, 0) << "encoding " << encoding;
    }
}

TEST(CutSession, EveryCutEndsAsAResetConnection) {
    struct Plan {
        int encoding;
        std::vector<std::size_t> cuts;
    };
    const ScreenRecording& hextile = Recording(kHextile);
    const ScreenRecording& raw = Recording(kRaw);
    std::vector<std::size_t> hextileCuts;
    for (std::size_t cut = 0; cut < hextile.payloadStart; ++cut) {
        hextileCuts.push_back(cut);
    }
    for (std::size_t cut : SpreadOver(hextile.payloadStart, hextile.bytes.size(), 150)) {
        hextileCuts.push_back(cut);
    }
    std::vector<Plan> plans{{kHextile, hextileCuts},
                            {kRaw, SpreadOver(raw.payloadStart, raw.bytes.size(), 50)}};
    DeviceFrameBuffer screen{16};
    std::string failures;
    int runs = 0;
    for (const Plan& plan : plans) {
        CuttingReplayServer server(Recording(plan.encoding).bytes);
        for (std::size_t cut : plan.cuts) {
            // Most servers that go away close; one in four is reset.
            Ending ending = runs % 4 == 3 ? Ending::Reset : Ending::Close;
            SnapshotResult result = SnapshotCutAt(server, screen, cut, ending);
            ++runs;
            if (result.exitCode != 5 || result.error != "Connection reset by peer") {
                failures += "encoding " + std::to_string(plan.encoding) + ", cut at " +
                            std::to_string(cut) + (ending == Ending::Reset ? " (reset)" : "") +
                            ": exit " + std::to_string(result.exitCode) + " " + result.error + "\n";
            }
        }
    }
    EXPECT_EQ(runs, static_cast<int>(hextileCuts.size() + 50));
    EXPECT_EQ(failures, "");
}

}  // namespace
