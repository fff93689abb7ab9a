// KeyToolbar: the tool bar whose content is one rounded button per defined key that a server
// shows on it, in two lanes along the bar, the longest labels placed first, each into the emptier
// lane. A pen-down on a button presses its key and the next pen-up releases it, wherever the pen
// is lifted; presses and releases go to a KeyToolbarListener. A key that is down is drawn dark.
#pragma once

#include <keyboard/key_def.h>
#include <widgets/toolbar_widget.h>

#include <cstdint>
#include <vector>

class KeyToolbar;

class KeyToolbarListener {
  public:
    // A press (down) or a release of key, one of the toolbar's Keys(); on the UI thread.
    virtual void OnKeyButton(KeyToolbar* toolbar, KeyDef& key, bool down) = 0;

  protected:
    ~KeyToolbarListener() = default;
};

// One button, relative to the origin of the content rectangle, and its key's index in Keys().
struct ToolbarButton {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    std::uint32_t key = 0;
};

class KeyToolbar : public ToolbarWidget {
  public:
    // Handle bitmaps 154 to 157, both label fonts at 9 points; no keys until Layout.
    explicit KeyToolbar(HWND owner);
    ~KeyToolbar() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC dc, const RECT& paintRect) override;
    void OnContentTap(POINT point, bool down) override;

    // Reloads the server's toolbar keys (none without serverKey), places their buttons and sets
    // the content length. A press in progress ends without a release: call ReleaseKeys first.
    void Layout(SettingsKey* serverKey);
    // Sends the release of every key that is down (a latched key, a button still held) into
    // sink and ends a press in progress; the buttons are drawn released.
    void ReleaseKeys(KeyEventSink& sink);
    void SetListener(KeyToolbarListener* listener) { listener_ = listener; }

    std::vector<KeyDef>& Keys() { return keys_; }
    const std::vector<ToolbarButton>& Buttons() const { return buttons_; }
    // The index into Buttons() of the button held down, -1 for none.
    int Pressed() const { return pressed_; }
    bool Capturing() const { return capturing_; }
    // The screen resolution the bar's lengths are scaled by (horizontal or vertical).
    static int Scaled(int length, bool horizontal);

  private:
    // Ends the press: the pressed button's key released through the listener, the capture given
    // back.
    void Lift();
    void EndCapture();
    void InvalidateButton(const ToolbarButton& button);
    HFONT LabelFont() const { return IsHorizontal() ? uprightFont_ : rotatedFont_; }

    std::vector<KeyDef> keys_;
    KeyToolbarListener* listener_ = nullptr;
    HFONT uprightFont_ = nullptr;
    HFONT rotatedFont_ = nullptr;
    bool capturing_ = false;
    int pressed_ = -1;
    std::vector<ToolbarButton> buttons_;
};
