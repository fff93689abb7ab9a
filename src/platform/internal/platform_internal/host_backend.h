// What the window system asks of the host that shows the device screen.
#pragma once

class HostBackend {
  public:
    virtual ~HostBackend() = default;
    // On the UI thread whenever it has nothing to do: turns host input into device input.
    virtual void PumpEvents() = 0;
    // On the UI thread after the screen was composed: show it.
    virtual void ShowScreen() = 0;
    // How long the UI thread may wait without calling PumpEvents (0: as long as it likes).
    virtual int PollMilliseconds() const = 0;
    // True when the desktop's own programs (the browser for the help file) can be shown.
    virtual bool ShowsDesktopViewers() const { return false; }
    // A signal to the user (any thread); the headless host has none.
    virtual void Beep() {}
};

// The host in use (null: none; then the screen is only kept in memory).
void SetHostBackend(HostBackend* backend);
HostBackend* CurrentHostBackend();
