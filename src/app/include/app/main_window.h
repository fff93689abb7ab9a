// The main window until the server list takes its place: a plain ClientWindow titled with the
// product name, with the server list's menu bar; of its commands only "Exit" does something.
#pragma once

#include <app/client_window.h>

class MainWindow : public ClientWindow {
  public:
    explicit MainWindow(LPCWSTR title);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
