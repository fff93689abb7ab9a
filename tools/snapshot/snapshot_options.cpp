#include "snapshot_options.h"

#include <charconv>
#include <sstream>

namespace {

bool ParseNumber(const std::string& text, int low, int high, int& value) {
    int parsed = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || parsed < low ||
        parsed > high) {
        return false;
    }
    value = parsed;
    return true;
}

struct NamedEncoding {
    const char* name;
    int number;
};
const NamedEncoding kEncodings[] = {{"raw", 0},           {"copyrect", 1}, {"rre", 2},
                                    {"corre", 4},         {"hextile", 5},  {"cursor", -239},
                                    {"desktopsize", -223}};

}  // namespace

bool ParseServerAddress(const std::string& server, std::string& host, int& port) {
    std::size_t colon = server.find(':');
    if (colon == std::string::npos) {
        host = server;
        port = 5900;
        return !host.empty();
    }
    host = server.substr(0, colon);
    if (host.empty()) {
        return false;
    }
    if (server.compare(colon, 2, "::") == 0) {
        return ParseNumber(server.substr(colon + 2), 1, 65535, port);
    }
    int display = 0;
    if (!ParseNumber(server.substr(colon + 1), 0, 65535 - 5900, display)) {
        return false;
    }
    port = 5900 + display;
    return true;
}

bool ParseEncodingList(const std::string& list, std::vector<int>& encodings) {
    encodings.clear();
    std::stringstream stream(list);
    std::string name;
    while (std::getline(stream, name, ',')) {
        bool known = false;
        for (const NamedEncoding& encoding : kEncodings) {
            if (name == encoding.name) {
                known = true;
                encodings.push_back(encoding.number);
            }
        }
        if (!known) {
            return false;
        }
    }
    return !encodings.empty();
}

bool ParseSnapshotOptions(const std::vector<std::string>& arguments, SnapshotOptions& options,
                          std::string& error) {
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        bool hasValue = i + 1 < arguments.size();
        if (argument == "--exclusive") {
            options.exclusive = true;
        } else if (argument == "--password-file" || argument == "--encodings" ||
                   argument == "--bpp" || argument == "--timeout") {
            if (!hasValue) {
                error = argument + " needs a value";
                return false;
            }
            const std::string& value = arguments[++i];
            if (argument == "--password-file") {
                options.passwordFile = value;
            } else if (argument == "--encodings" && !ParseEncodingList(value, options.encodings)) {
                error = "unknown encoding in " + value;
                return false;
            } else if (argument == "--bpp" &&
                       (!ParseNumber(value, 8, 32, options.bitsPerPixel) ||
                        (options.bitsPerPixel != 8 && options.bitsPerPixel != 16 &&
                         options.bitsPerPixel != 32))) {
                error = "--bpp must be 8, 16 or 32";
                return false;
            } else if (argument == "--timeout" &&
                       !ParseNumber(value, 1, 86400, options.timeoutSeconds)) {
                error = "--timeout must be a number of seconds";
                return false;
            }
        } else if (argument.size() > 1 && argument[0] == '-') {
            error = "unknown option " + argument;
            return false;
        } else {
            positional.push_back(argument);
        }
    }
    if (positional.size() != 2) {
        error = "SERVER and OUT.png are needed";
        return false;
    }
    if (!ParseServerAddress(positional[0], options.host, options.port)) {
        error = "bad server " + positional[0];
        return false;
    }
    if (positional[1].empty()) {
        error = "OUT.png must name a file";
        return false;
    }
    options.output = positional[1];
    return true;
}
