// The sdl host: the device screen in a desktop window at an integer scale. The mouse is the
// stylus (held still for 600 ms: press-and-hold), typed text is the input panel, the other keys
// are hardware keys, F9 rotates the screen, F10 is the shell's Help command (WM_HELP), closing
// the window closes the program. The device clipboard and the desktop's are kept in step.
#include "host_backends.h"

#include <platform_internal/clipboard_bridge.h>
#include <platform_internal/device_input.h>
#include <platform_internal/device_shell.h>
#include <platform_internal/screen_buffer.h>
#include <platform_internal/window_surface.h>

#include <platform/core.h>
#include <platform/text.h>

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

constexpr Uint32 kHoldMilliseconds = 600;
constexpr int kHoldSlop = 4;  // device pixels the stylus may wander during a hold

UINT VirtualKey(SDL_Keycode key) {
    switch (key) {
        case SDLK_BACKSPACE:
            return VK_BACK;
        case SDLK_TAB:
            return VK_TAB;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return VK_RETURN;
        case SDLK_ESCAPE:
            return VK_ESCAPE;
        case SDLK_LEFT:
            return VK_LEFT;
        case SDLK_RIGHT:
            return VK_RIGHT;
        case SDLK_UP:
            return VK_UP;
        case SDLK_DOWN:
            return VK_DOWN;
        case SDLK_HOME:
            return VK_HOME;
        case SDLK_END:
            return VK_END;
        case SDLK_PAGEUP:
            return VK_PRIOR;
        case SDLK_PAGEDOWN:
            return VK_NEXT;
        case SDLK_INSERT:
            return VK_INSERT;
        case SDLK_DELETE:
            return VK_DELETE;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT:
            return VK_SHIFT;
        case SDLK_LCTRL:
        case SDLK_RCTRL:
            return VK_CONTROL;
        default:
            if (key >= SDLK_F1 && key <= SDLK_F8) {
                return VK_F1 + static_cast<UINT>(key - SDLK_F1);
            }
            return 0;
    }
}

// SDL's clipboard: the desktop's, as UTF-8.
class SdlClipboard : public DesktopClipboard {
  public:
    void SetText(const std::string& utf8) override { SDL_SetClipboardText(utf8.c_str()); }
    bool GetText(std::string* utf8) override {
        if (!SDL_HasClipboardText()) {
            return false;
        }
        char* text = SDL_GetClipboardText();
        if (text == nullptr) {
            return false;
        }
        *utf8 = text;
        SDL_free(text);
        return true;
    }
};

class SdlHost : public HostBackend {
  public:
    explicit SdlHost(const HostOptions& options)
        : scale_(options.scale < 1 ? 1 : options.scale), gpu_(options.gpu) {}
    ~SdlHost() override {
        if (texture_ != nullptr)
            SDL_DestroyTexture(texture_);
        if (renderer_ != nullptr)
            SDL_DestroyRenderer(renderer_);
        if (frame_ != nullptr)
            SDL_FreeSurface(frame_);
        if (window_ != nullptr)
            SDL_DestroyWindow(window_);
        SDL_Quit();
    }

    // Connects to the display; the window itself opens when there is a screen to show, so a
    // second start that only brings the first forward never flashes a window.
    bool Open() {
        if (!gpu_) {
            // The window's own pixels, copied to the display by the window system: without this
            // SDL backs the window surface with an OpenGL texture, and without a GPU that means
            // Mesa's software GL (tens of megabytes resident) to show a small picture.
            SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        }
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            std::fprintf(stderr, "tavrel: cannot open a window (%s); run with --headless instead\n",
                         SDL_GetError());
            return false;
        }
        return true;
    }

    void PumpEvents() override {
        if (TakeTerminationRequest()) {
            CloseProgramWindows();
        }
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            Handle(event);
        }
        if (window_ != nullptr) {
            clipboard_.PublishDeviceChanges();
        }
        if (holding_ && SDL_GetTicks() - downTicks_ >= kHoldMilliseconds) {
            holding_ = false;
            DeliverStylusHold(downAt_);
        }
    }

    void ShowScreen() override {
        if (failed_ || (window_ == nullptr && !OpenWindow())) {
            return;
        }
        bool converted = false;
        {
            ScreenBuffer& screen = ScreenBuffer::Instance();
            auto lock = screen.Lock();
            if (!screen.TakeDirty() && shown_) {
                return;
            }
            converted = ConvertScreen(screen);
        }
        if (!converted) {
            Fail();
            return;
        }
        if (frame_->w != shownWidth_ || frame_->h != shownHeight_) {
            shownWidth_ = frame_->w, shownHeight_ = frame_->h;
            SDL_SetWindowSize(window_, shownWidth_ * scale_, shownHeight_ * scale_);
        }
        bool drawn = renderer_ != nullptr ? DrawWithRenderer() : DrawOnWindowSurface();
        if (drawn && !shown_) {
            shown_ = true;
            ReportFirstFrame();
        }
    }

    int PollMilliseconds() const override { return 10; }
    bool ShowsDesktopViewers() const override { return true; }
    void Beep() override { std::fputs("\a", stderr); }

  private:
    bool OpenWindow() {
        DeviceScreenConfig screen = CurrentDeviceScreen();
        window_ = SDL_CreateWindow("Tavrel", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                   screen.width * scale_, screen.height * scale_, 0);
        if (window_ != nullptr && gpu_) {
            renderer_ = SDL_CreateRenderer(window_, -1, 0);
        }
        if (window_ == nullptr || (gpu_ && renderer_ == nullptr)) {
            std::fprintf(stderr, "tavrel: cannot open a window (%s); run with --headless instead\n",
                         SDL_GetError());
            failed_ = true;
            CloseProgramWindows();
            return false;
        }
        SDL_StartTextInput();
        clipboard_.TakeDesktopText();  // what the desktop holds at start is the device's too
        return true;
    }

    // The device screen into frame_, 32-bit ARGB at the device's size (made anew when the size
    // changes, as on rotation). False when no memory is left for it.
    bool ConvertScreen(ScreenBuffer& screen) {
        const DeviceScreenConfig& config = screen.Config();
        if (frame_ == nullptr || frame_->w != config.width || frame_->h != config.height) {
            if (frame_ != nullptr)
                SDL_FreeSurface(frame_);
            frame_ = SDL_CreateRGBSurfaceWithFormat(0, config.width, config.height, 32,
                                                    SDL_PIXELFORMAT_ARGB8888);
            if (frame_ == nullptr) {
                return false;
            }
        }
        int bytes = BytesPerDevicePixel(config.format);
        for (int y = 0; y < config.height; ++y) {
            const std::uint8_t* row =
                screen.Pixels() + static_cast<std::size_t>(y) * screen.Pitch();
            auto* out = reinterpret_cast<Uint32*>(static_cast<std::uint8_t*>(frame_->pixels) +
                                                  static_cast<std::size_t>(y) * frame_->pitch);
            for (int x = 0; x < config.width; ++x) {
                COLORREF c =
                    DecodeDevicePixel(config.format, LoadDevicePixel(row + x * bytes, bytes));
                out[x] = 0xFF000000u | GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
            }
        }
        return true;
    }

    // The default: frame_ enlarged by the scale onto the window's own pixels, which the window
    // system shows. The window surface changes with the window's size: ask for it each time.
    bool DrawOnWindowSurface() {
        SDL_Surface* target = SDL_GetWindowSurface(window_);
        if (target == nullptr) {
            return false;
        }
        if (target->w == frame_->w * scale_ && target->h == frame_->h * scale_ &&
            HoldsRgbWords(target)) {
            Enlarge(target);
        } else if (SDL_BlitScaled(frame_, nullptr, target, nullptr) != 0) {
            // Another format, or a window of another size (the window system has not yet
            // resized it, or resized it itself): SDL converts and stretches.
            return false;
        }
        return SDL_UpdateWindowSurface(window_) == 0;
    }

    // 32-bit pixels with red, green and blue where frame_ has them (the top byte unused or alpha).
    static bool HoldsRgbWords(const SDL_Surface* surface) {
        const SDL_PixelFormat* format = surface->format;
        return format->BytesPerPixel == 4 && format->Rmask == 0xFF0000 && format->Gmask == 0xFF00 &&
               format->Bmask == 0xFF;
    }

    // Each pixel of frame_ as a scale x scale block of target: a row is widened once and copied
    // to the rows below it (SDL's general stretch costs several times as much).
    void Enlarge(SDL_Surface* target) {
        if (SDL_MUSTLOCK(target) && SDL_LockSurface(target) != 0) {
            return;
        }
        std::size_t rowBytes = static_cast<std::size_t>(target->w) * 4;
        for (int y = 0; y < frame_->h; ++y) {
            const auto* in =
                reinterpret_cast<const Uint32*>(static_cast<const std::uint8_t*>(frame_->pixels) +
                                                static_cast<std::size_t>(y) * frame_->pitch);
            auto* first = static_cast<std::uint8_t*>(target->pixels) +
                          static_cast<std::size_t>(y) * scale_ * target->pitch;
            auto* out = reinterpret_cast<Uint32*>(first);
            for (int x = 0; x < frame_->w; ++x) {
                for (int k = 0; k < scale_; ++k) {
                    *out++ = in[x];
                }
            }
            for (int k = 1; k < scale_; ++k) {
                std::memcpy(first + static_cast<std::size_t>(k) * target->pitch, first, rowBytes);
            }
        }
        if (SDL_MUSTLOCK(target)) {
            SDL_UnlockSurface(target);
        }
    }

    // --gpu: frame_ as a texture, stretched by SDL's accelerated renderer.
    bool DrawWithRenderer() {
        if (texture_ == nullptr || frame_->w != textureWidth_ || frame_->h != textureHeight_) {
            if (texture_ != nullptr)
                SDL_DestroyTexture(texture_);
            texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888,
                                         SDL_TEXTUREACCESS_STREAMING, frame_->w, frame_->h);
            textureWidth_ = frame_->w, textureHeight_ = frame_->h;
            if (texture_ == nullptr) {
                return false;
            }
        }
        SDL_UpdateTexture(texture_, nullptr, frame_->pixels, frame_->pitch);
        SDL_RenderClear(renderer_);
        SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
        SDL_RenderPresent(renderer_);
        return true;
    }

    void Fail() {
        std::fprintf(stderr, "tavrel: cannot draw the window (%s)\n", SDL_GetError());
        failed_ = true;
        CloseProgramWindows();
    }

    // With TAVREL_DEBUG, when the first frame reached the window (the host's clock, so that a
    // script that noted the time of the start can tell the start-up time).
    void ReportFirstFrame() {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        char text[128];
        std::snprintf(text, sizeof text, "sdl host: first frame shown at %lld.%09ld (%s)\n",
                      static_cast<long long>(now.tv_sec), now.tv_nsec,
                      gpu_ ? "renderer" : "window surface");
        OutputDebugStringW(Utf8ToUtf16(text).c_str());
    }

    POINT Device(int x, int y) const { return {x / scale_, y / scale_}; }

    void Handle(const SDL_Event& event) {
        switch (event.type) {
            case SDL_QUIT:
                CloseProgramWindows();
                break;
            case SDL_WINDOWEVENT:
                if (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
                    event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                    ScreenBuffer::Instance().MarkDirty();
                }
                break;
            case SDL_CLIPBOARDUPDATE:
                clipboard_.TakeDesktopText();
                break;
            case SDL_MOUSEBUTTONDOWN:
                if (event.button.button == SDL_BUTTON_LEFT) {
                    downAt_ = Device(event.button.x, event.button.y);
                    downTicks_ = SDL_GetTicks();
                    holding_ = true;
                    DeliverStylus(StylusAction::Down, downAt_);
                }
                break;
            case SDL_MOUSEMOTION:
                if ((event.motion.state & SDL_BUTTON_LMASK) != 0) {
                    POINT at = Device(event.motion.x, event.motion.y);
                    if (std::abs(at.x - downAt_.x) > kHoldSlop ||
                        std::abs(at.y - downAt_.y) > kHoldSlop) {
                        holding_ = false;
                    }
                    DeliverStylus(StylusAction::Move, at);
                }
                break;
            case SDL_MOUSEBUTTONUP:
                if (event.button.button == SDL_BUTTON_LEFT) {
                    holding_ = false;
                    DeliverStylus(StylusAction::Up, Device(event.button.x, event.button.y));
                }
                break;
            case SDL_TEXTINPUT: {
                bool alt = (SDL_GetModState() & KMOD_ALT) != 0;
                for (char16_t unit : Utf8ToUtf16(event.text.text)) {
                    DeliverCharacter(unit, alt);
                }
                break;
            }
            case SDL_KEYDOWN:
            case SDL_KEYUP: {
                bool down = event.type == SDL_KEYDOWN;
                if (event.key.keysym.sym == SDLK_F9) {
                    if (down)
                        RotateDeviceScreen();
                    break;
                }
                if (event.key.keysym.sym == SDLK_F10) {
                    if (down)
                        DeliverHelpRequest();
                    break;
                }
                UINT vk = VirtualKey(event.key.keysym.sym);
                if (vk != 0) {
                    DeliverKey(vk, down, (event.key.keysym.mod & KMOD_ALT) != 0);
                }
                break;
            }
            default:
                break;
        }
    }

    int scale_;
    bool gpu_;
    SDL_Window* window_ = nullptr;
    SDL_Surface* frame_ = nullptr;
    int shownWidth_ = 0, shownHeight_ = 0;
    bool shown_ = false;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int textureWidth_ = 0, textureHeight_ = 0;
    bool failed_ = false;
    SdlClipboard desktopClipboard_;
    ClipboardBridge clipboard_{desktopClipboard_};
    bool holding_ = false;
    POINT downAt_{0, 0};
    Uint32 downTicks_ = 0;
};

}  // namespace

std::unique_ptr<HostBackend> MakeSdlHost(const HostOptions& options) {
    auto host = std::make_unique<SdlHost>(options);
    if (!host->Open()) {
        return nullptr;
    }
    return host;
}

void ShowDesktopMessage(const std::string& title, const std::string& text) {
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, title.c_str(), text.c_str(), nullptr);
}
