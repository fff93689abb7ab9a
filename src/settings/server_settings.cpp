#include <settings/server_record.h>

std::uint16_t ServerTcpPort(const ServerSettings& settings) {
    std::int64_t port = settings.Port > 0 ? settings.Port : 5900 - std::int64_t{settings.Port};
    return static_cast<std::uint16_t>(port & 0xFFFF);
}

ServerSettings DefaultServerSettings() {
    return ServerSettings{};
}
