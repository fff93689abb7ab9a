// A server on 127.0.0.1 for the viewer's latency and memory runs: RFB 3.3 without
// authentication, a desktop of the pattern's picture at 16 bits (5:6:5, big-endian), then
// full-screen updates whose picture changes from one to the next. Update k goes out once the
// client has asked for an update and the caller has let k go (Release), so updates never queue
// up behind each other; the server notes when it began to send each one and when its send of the
// last byte returned.
//
// Every update carries a marker: a 16 x 16 block of one colour, Marker(k), in the top-left and
// the bottom-right corner of the screen, the first and the last pixels on the wire. A client
// that shows both has the whole update.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

enum class UpdateEncoding { Raw, Hextile };

class UpdateServer {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kMarkerSize = 16;

    UpdateServer(UpdateEncoding encoding, int width, int height);
    ~UpdateServer();
    UpdateServer(const UpdateServer&) = delete;
    UpdateServer& operator=(const UpdateServer&) = delete;

    int Port() const { return port_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // The marker colour of update k, in 5:6:5; never a colour of the picture itself.
    static std::uint16_t Marker(int update);
    // The update index that a marker colour belongs to, or -1.
    static int UpdateOfMarker(std::uint16_t colour);
    // The bytes of update k's message on the wire.
    std::size_t UpdateBytes(int update) const;
    // The opening as sent: version, security, ServerInit with the name.
    std::size_t OpeningBytes() const { return opening_.size(); }
    // The message of update k, marker stamped (the server's own copy: not while it serves).
    const std::vector<std::uint8_t>& UpdateMessage(int update);

    // Serves one client on threads of its own: the opening, then updates 0 to count - 1.
    // Update 0 needs no Release. A client that never lets an update go is given it after
    // releaseTimeout anyway (its timings are then worth nothing: Released tells).
    void ServeOne(int count, std::chrono::milliseconds releaseTimeout = std::chrono::seconds(2));
    // Lets update k go (any thread).
    void Release(int update);
    // Waits until the client has gone (or the server gave up on it).
    void Wait();

    // After Wait: per update, when sending began and when the send of its last byte returned;
    // whether it went out on its release (not after the time-out); and the number of updates
    // sent in full.
    const std::vector<Clock::time_point>& SendStarted() const { return started_; }
    const std::vector<Clock::time_point>& SendReturned() const { return returned_; }
    bool Released(int update) const { return onRelease_[update]; }
    int Sent() const { return sent_; }
    // The pixel format the client asked for was 16-bit 5:6:5 big-endian (what is sent).
    bool ClientFormatMatches() const { return formatMatches_; }

  private:
    void Serve(int client, int count, std::chrono::milliseconds releaseTimeout);
    void ReadClient(int client);

    UpdateEncoding encoding_;
    int width_;
    int height_;
    int listener_ = -1;
    int port_ = 0;
    std::vector<std::uint8_t> opening_;
    // One message per picture variant, and where in it the markers' pixels lie.
    std::vector<std::vector<std::uint8_t>> variants_;
    std::vector<std::vector<std::size_t>> markerOffsets_;
    std::thread thread_;

    std::mutex mutex_;
    std::condition_variable changed_;
    int requests_ = 0;
    int released_ = 0;
    bool clientGone_ = false;
    bool formatMatches_ = false;

    std::vector<Clock::time_point> started_;
    std::vector<Clock::time_point> returned_;
    std::vector<bool> onRelease_;
    int sent_ = 0;
};

// A client that only reads: it asks for an update, reads its bytes (with the receive buffer our
// sockets ask for) and lets the next one go, count times. When it had read each update (empty
// where it failed).
std::vector<UpdateServer::Clock::time_point> DrainUpdates(UpdateServer& server, int count);
