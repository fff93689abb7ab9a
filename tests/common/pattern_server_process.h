// Our libvncserver pattern server (tests/interop/pattern_server.cpp) run for one test: on a free
// port of 127.0.0.1, with its message log and its control pipe in a fresh folder. The log has
// one line for every message a client sent ("connect", "init shared", "format 16 16 1 1 31 63 31
// 11 5 0", "key down 0x61", ...: the formats are in tests/interop/pattern_server_log.h); Send
// gives it a command ("bell", "cut TEXT", "resize W H", "paint X Y W H RRGGBB", "bad-message",
// "close", "quit": see pattern_server.cpp).
//
// "connect" is logged when the connection is accepted, "init" when the handshake is over: bell,
// cut and bad-message reach a client only from its "init" line on.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The pattern_server program, as built with the tests.
std::string PatternServerPath();

class PatternServerProcess {
  public:
    // Starts it and waits until it listens; options are more of its own, for example
    // {"--password", "secret"} or {"--size", "320x200"}.
    explicit PatternServerProcess(const std::vector<std::string>& options = {});
    // Stops it by its process id (SIGTERM, SIGKILL after 2 s) and removes the folder.
    ~PatternServerProcess();
    PatternServerProcess(const PatternServerProcess&) = delete;
    PatternServerProcess& operator=(const PatternServerProcess&) = delete;

    // False when it could not be started or did not listen within 10 s (see Output()).
    bool Started() const { return port_ > 0; }
    int Port() const { return port_; }
    const std::string& Folder() const { return folder_; }

    // The log's whole lines so far.
    std::vector<std::string> Lines() const;
    // The first line from index from on that starts with prefix, or that match accepts, waiting
    // up to timeoutMs for it; empty when none came.
    std::string WaitForLine(const std::string& prefix, int timeoutMs = 5000,
                            std::size_t from = 0) const;
    std::string WaitForLine(const std::function<bool(const std::string&)>& match,
                            int timeoutMs = 5000, std::size_t from = 0) const;
    // The lines from index from on that come before the first line that is end, once end has
    // come (within timeoutMs; nullopt when it has not). A client's messages are logged in the
    // order it sent them, so a message sent last as a mark ends everything sent before it.
    std::optional<std::vector<std::string>> LinesBefore(const std::string& end,
                                                        std::size_t from = 0,
                                                        int timeoutMs = 5000) const;

    // Writes one command line to the control pipe; false when it has no newline-free text or the
    // server no longer reads the pipe.
    bool Send(const std::string& command) const;

    // Its exit status once it has ended by itself (after "quit") within timeoutMs; -1 otherwise.
    int WaitForExit(int timeoutMs = 5000);
    // What it wrote on its standard output and error.
    std::string Output() const;

  private:
    bool Start(const std::vector<std::string>& options);

    std::string folder_;
    int pid_ = -1;
    int port_ = 0;
};
