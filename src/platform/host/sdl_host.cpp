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
#include <vector>

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
    explicit SdlHost(const HostOptions& options) : scale_(options.scale < 1 ? 1 : options.scale) {}
    ~SdlHost() override {
        if (texture_ != nullptr)
            SDL_DestroyTexture(texture_);
        if (renderer_ != nullptr)
            SDL_DestroyRenderer(renderer_);
        if (window_ != nullptr)
            SDL_DestroyWindow(window_);
        SDL_Quit();
    }

    // Connects to the display; the window itself opens when there is a screen to show, so a
    // second start that only brings the first forward never flashes a window.
    bool Open() {
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
        std::vector<Uint32> argb;
        int width, height;
        {
            ScreenBuffer& screen = ScreenBuffer::Instance();
            auto lock = screen.Lock();
            if (!screen.TakeDirty() && texture_ != nullptr) {
                return;
            }
            const DeviceScreenConfig& config = screen.Config();
            width = config.width, height = config.height;
            int bytes = BytesPerDevicePixel(config.format);
            argb.resize(static_cast<std::size_t>(width) * height);
            for (int y = 0; y < height; ++y) {
                const std::uint8_t* row =
                    screen.Pixels() + static_cast<std::size_t>(y) * screen.Pitch();
                for (int x = 0; x < width; ++x) {
                    COLORREF c =
                        DecodeDevicePixel(config.format, LoadDevicePixel(row + x * bytes, bytes));
                    argb[static_cast<std::size_t>(y) * width + x] =
                        0xFF000000u | GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
                }
            }
        }
        if (texture_ == nullptr || width != textureWidth_ || height != textureHeight_) {
            if (texture_ != nullptr)
                SDL_DestroyTexture(texture_);
            texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888,
                                         SDL_TEXTUREACCESS_STREAMING, width, height);
            textureWidth_ = width, textureHeight_ = height;
            SDL_SetWindowSize(window_, width * scale_, height * scale_);
        }
        SDL_UpdateTexture(texture_, nullptr, argb.data(), width * 4);
        SDL_RenderClear(renderer_);
        SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
        SDL_RenderPresent(renderer_);
    }

    int PollMilliseconds() const override { return 10; }
    bool ShowsDesktopViewers() const override { return true; }
    void Beep() override { std::fputs("\a", stderr); }

  private:
    bool OpenWindow() {
        DeviceScreenConfig screen = CurrentDeviceScreen();
        window_ = SDL_CreateWindow("Tavrel", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                   screen.width * scale_, screen.height * scale_, 0);
        renderer_ = window_ != nullptr ? SDL_CreateRenderer(window_, -1, 0) : nullptr;
        if (renderer_ == nullptr) {
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

    POINT Device(int x, int y) const { return {x / scale_, y / scale_}; }

    void Handle(const SDL_Event& event) {
        switch (event.type) {
            case SDL_QUIT:
                CloseProgramWindows();
                break;
            case SDL_WINDOWEVENT:
                if (event.window.event == SDL_WINDOWEVENT_EXPOSED) {
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
    SDL_Window* window_ = nullptr;
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
