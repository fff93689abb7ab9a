#include <platform_internal/clipboard_bridge.h>
#include <platform_internal/device_clipboard.h>

#include <platform/text.h>

#include <algorithm>
#include <optional>

void ClipboardBridge::PublishDeviceChanges() {
    if (desktopPending_) {
        desktopPending_ = false;
        if (ReadDeviceClipboard(nullptr) == pendingSerial_) {
            TakeDesktopText();  // still nothing newer on the device: the desktop's text goes in
        }
    }
    if (ReadDeviceClipboard(nullptr) == seenSerial_) {
        return;
    }
    std::optional<std::u16string> text;
    seenSerial_ = ReadDeviceClipboard(&text);
    // An emptied device clipboard leaves the desktop's text alone.
    if (text.has_value()) {
        desktop_.SetText(Utf16ToUtf8(*text));
    }
}

void ClipboardBridge::TakeDesktopText() {
    std::string utf8;
    if (!desktop_.GetText(&utf8)) {
        return;
    }
    std::u16string text = Utf8ToUtf16(utf8);
    std::optional<std::u16string> current;
    std::uint64_t serial = ReadDeviceClipboard(&current);
    if (current == text) {
        seenSerial_ = std::max(seenSerial_, serial);  // the echo of our own publishing
        return;
    }
    switch (WriteDeviceClipboard(text, serial, &seenSerial_)) {
        case ClipboardWrite::Written:
            break;
        case ClipboardWrite::Busy:
            // A program has the clipboard open: try again on the next pump unless the device
            // has newer text by then.
            desktopPending_ = true;
            pendingSerial_ = serial;
            break;
        case ClipboardWrite::Changed:
            break;  // the device's newer text stands and goes to the desktop next
    }
}
