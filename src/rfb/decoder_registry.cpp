#include <rfb/decoder_registry.h>

#include <memory>

namespace {

std::vector<std::unique_ptr<RectDecoder>>& Registry() {
    static std::vector<std::unique_ptr<RectDecoder>> registry;
    return registry;
}

}  // namespace

void RegisterDecoder(RectDecoder* decoder) {
    if (decoder == nullptr) {
        return;
    }
    // Inserting after every decoder of the same or higher priority keeps the list stably sorted,
    // so sessions only ever read it.
    auto& registry = Registry();
    auto position = registry.begin();
    while (position != registry.end() && (*position)->Priority() >= decoder->Priority()) {
        ++position;
    }
    registry.insert(position, std::unique_ptr<RectDecoder>(decoder));
}

RectDecoder* FindDecoder(int encoding) {
    for (auto& decoder : Registry()) {
        if (decoder->Encoding() == encoding) {
            return decoder.get();
        }
    }
    return nullptr;
}

std::vector<int> RegisteredEncodings() {
    std::vector<int> encodings;
    for (auto& decoder : Registry()) {
        encodings.push_back(decoder->Encoding());
    }
    return encodings;
}

void ClearDecoders() {
    auto& registry = Registry();
    while (!registry.empty()) {
        registry.pop_back();
    }
}
