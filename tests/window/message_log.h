// Records the messages that test windows receive, for comparing with expected sequences written
// as tables.
#pragma once

#include <platform/window.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

struct LoggedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    bool operator==(const LoggedMessage& other) const {
        return window == other.window && message == other.message;
    }
};

// One expected step: which window (by its name in the test) and which message.
struct Step {
    const char* window;
    UINT message;
};

class MessageLog {
  public:
    static MessageLog& Instance() {
        static MessageLog log;
        return log;
    }
    // Messages worth comparing: painting and other housekeeping are left out.
    void Record(HWND window, UINT message, WPARAM wParam) {
        static const UINT kKept[] = {WM_CREATE,     WM_DESTROY,       WM_NCDESTROY, WM_SIZE,
                                     WM_MOVE,       WM_ACTIVATE,      WM_SETFOCUS,  WM_KILLFOCUS,
                                     WM_SHOWWINDOW, WM_SETTINGCHANGE, WM_COMMAND,   WM_CLOSE};
        if (std::find(std::begin(kKept), std::end(kKept), message) != std::end(kKept)) {
            entries.push_back({window, message, wParam});
        }
    }
    void Clear() { entries.clear(); }
    // The log as "name:message" lines, names from the table of windows.
    std::vector<std::string> Describe(
        std::initializer_list<std::pair<const char*, HWND>> names) const {
        std::vector<std::string> out;
        for (const LoggedMessage& entry : entries) {
            std::string name = "?";
            for (const auto& [label, window] : names) {
                if (window == entry.window) {
                    name = label;
                }
            }
            out.push_back(name + ":" + MessageName(entry.message));
        }
        return out;
    }
    static std::vector<std::string> Expect(std::initializer_list<Step> steps) {
        std::vector<std::string> out;
        for (const Step& step : steps) {
            out.push_back(std::string(step.window) + ":" + MessageName(step.message));
        }
        return out;
    }
    static std::string MessageName(UINT message) {
        switch (message) {
            case WM_CREATE:
                return "WM_CREATE";
            case WM_DESTROY:
                return "WM_DESTROY";
            case WM_NCDESTROY:
                return "WM_NCDESTROY";
            case WM_SIZE:
                return "WM_SIZE";
            case WM_MOVE:
                return "WM_MOVE";
            case WM_ACTIVATE:
                return "WM_ACTIVATE";
            case WM_SETFOCUS:
                return "WM_SETFOCUS";
            case WM_KILLFOCUS:
                return "WM_KILLFOCUS";
            case WM_SHOWWINDOW:
                return "WM_SHOWWINDOW";
            case WM_SETTINGCHANGE:
                return "WM_SETTINGCHANGE";
            case WM_COMMAND:
                return "WM_COMMAND";
            case WM_CLOSE:
                return "WM_CLOSE";
            default:
                return std::to_string(message);
        }
    }

    std::vector<LoggedMessage> entries;
};

// A window class whose procedure records into MessageLog ("LogWindow").
inline LRESULT LoggingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MessageLog::Instance().Record(window, message, wParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

inline void RegisterLoggingClass() {
    static bool done = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = LoggingProc;
        windowClass.lpszClassName = u"LogWindow";
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        return RegisterClassW(&windowClass) != 0;
    }();
    (void)done;
}
