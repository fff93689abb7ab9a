#include "display_state.h"

#include <display/display.h>
#include <display/frame_buffer_store.h>

#include <bit>
#include <cstring>

namespace {

int CountBits(DWORD mask, int bitsPerPixel) {
    if (bitsPerPixel < 32) {
        mask &= (DWORD{1} << bitsPerPixel) - 1;
    }
    return std::popcount(mask);
}

template <typename Interface>
void ReleaseAndClear(Interface*& object) {
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

void ChooseDeviceCodec(DisplayState& state) {
    int bits = state.bitsPerPixel;
    int r = state.redBits, g = state.greenBits, b = state.blueBits;
    if (bits == 8 && r == 3 && g == 3 && b == 2) {
        state.deviceCodec = std::make_unique<Codec332>();
        state.formatCode = 0;
    } else if (bits == 16 && r == 5 && g == 6 && b == 5) {
        state.deviceCodec = std::make_unique<Codec565>();
        state.formatCode = 1;
    } else if (bits == 24) {
        state.deviceCodec = std::make_unique<Codec24>();
        state.formatCode = 3;
    } else if (bits == 32) {
        state.deviceCodec = std::make_unique<Codec32>();
        state.formatCode = 4;
    }
}

class WindowDisplayInfo final : public DisplayInfo {
  public:
    explicit WindowDisplayInfo(HWND window) : window_(window) {}
    std::unique_ptr<FrameBufferStore> CreateFrameBuffer() override {
        return std::make_unique<FrameBufferStore>(this);
    }
    void GetPixelFormat(int* bitsPerPixel, int* redBits, int* greenBits, int* blueBits) override {
        const DisplayState& state = Display();
        *bitsPerPixel = state.bitsPerPixel;
        *redBits = state.redBits;
        *greenBits = state.greenBits;
        *blueBits = state.blueBits;
    }
    int GetWidth() override { return Display().width; }
    int GetHeight() override { return Display().height; }
    HWND GetWindow() const override { return window_; }

  private:
    HWND window_;
};

}  // namespace

DisplayState& Display() {
    static DisplayState state;
    return state;
}

void InitDisplay() {
    ShutdownDisplay();  // a second start-up begins afresh
    DisplayState& state = Display();
    if (FAILED(DirectDrawCreate(nullptr, &state.directDraw, nullptr))) {
        state.directDraw = nullptr;
        return;
    }
    state.directDraw->SetCooperativeLevel(nullptr, 0);
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (FAILED(state.directDraw->CreateSurface(&desc, &state.primary, nullptr))) {
        state.primary = nullptr;
        return;
    }
    if (FAILED(state.directDraw->CreateClipper(0, &state.clipper, nullptr))) {
        state.clipper = nullptr;
        return;
    }
    state.primary->SetClipper(state.clipper);
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    if (FAILED(state.primary->GetSurfaceDesc(&desc))) {
        return;
    }
    state.pitch = desc.lPitch;
    state.xPitch = desc.lXPitch;
    state.height = static_cast<int>(desc.dwHeight);
    state.width = static_cast<int>(desc.dwWidth);
    state.bitsPerPixel = static_cast<int>(desc.ddpfPixelFormat.dwRGBBitCount);
    state.redBits = CountBits(desc.ddpfPixelFormat.dwRBitMask, state.bitsPerPixel);
    state.greenBits = CountBits(desc.ddpfPixelFormat.dwGBitMask, state.bitsPerPixel);
    state.blueBits = CountBits(desc.ddpfPixelFormat.dwBBitMask, state.bitsPerPixel);
    ChooseDeviceCodec(state);
}

void ShutdownDisplay() {
    DisplayState& state = Display();
    ReleaseAndClear(state.clipper);
    ReleaseAndClear(state.primary);
    ReleaseAndClear(state.directDraw);
    // Nothing of the old screen stays for a later InitDisplay to trip over.
    state = DisplayState{};
}

void RestoreSurfaces() {
    if (Display().directDraw != nullptr) {
        Display().directDraw->RestoreAllSurfaces();
    }
}

std::unique_ptr<DisplayInfo> CreateDisplayInfo(HWND window) {
    return std::make_unique<WindowDisplayInfo>(window);
}
