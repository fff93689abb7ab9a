// The command line of tavrel-snapshot.
#pragma once

#include <string>
#include <vector>

struct SnapshotOptions {
    std::string passwordFile;
    std::vector<int> encodings;  // in the system's order; empty: all seven
    int bitsPerPixel = 16;
    bool exclusive = false;
    int timeoutSeconds = 30;
    std::string host;
    int port = 5900;
    std::string output;
};

// False with a message in error for anything that is not a valid command line.
bool ParseSnapshotOptions(const std::vector<std::string>& arguments, SnapshotOptions& options,
                          std::string& error);
// "host" (port 5900), "host:display" (5900 + display) or "host::port".
bool ParseServerAddress(const std::string& server, std::string& host, int& port);
// A comma list of raw,copyrect,rre,corre,hextile,cursor,desktopsize as encoding numbers.
bool ParseEncodingList(const std::string& list, std::vector<int>& encodings);
