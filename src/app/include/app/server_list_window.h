// ServerListWindow: the program's main window. A virtual, owner-drawn list of the saved servers
// with a thumbnail of each one's last screen, its title and its connection state; adds, edits,
// deletes and opens servers, and owns the ServerList and through it every open viewer.
#pragma once

#include <widgets/client_window.h>
#include <platform/commctrl.h>
#include <settings/server_list.h>

// Creates the viewer window for a record being opened, with the record's store key open
// ("Servers"\<Id>); list is the window the viewer reports to. Null when it cannot be made.
using ViewerFactory = ServerViewer* (*)(HWND list, ServerRecord* record, SettingsKey* key);

class ServerListWindow : public ClientWindow {
  public:
    // Builds the window titled title, loads the servers and fills the list.
    ServerListWindow(LPCWSTR title, ViewerFactory createViewer);
    ~ServerListWindow() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LPCWSTR HelpTopic() override { return u"Servers"; }

    ServerList& Servers() { return servers_; }
    HWND ListView() const { return listView_; }
    HMENU ContextMenu() const { return contextMenu_; }

    // Safe from any thread and never waits: the item of the record that viewer is open on is
    // repainted soon, when the list window handles the posted notice.
    static void NotifyConnectionStateChanged(HWND list, const ServerViewer* viewer);

  private:
    LRESULT OnCommand(WORD command);
    LRESULT OnDrawItem(const DRAWITEMSTRUCT& item);
    LRESULT OnContextMenu(HWND from, LPARAM position);
    LRESULT OnViewerMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void FitListToClientArea();
    // The first selected record, or null when nothing is selected.
    ServerRecord* FirstSelected() const;
    void Open(ServerRecord* record);
    void Add();
    void Edit(ServerRecord* record);
    void Delete(ServerRecord* record);
    void UpdateItemCount();
    void RedrawRecord(const ServerRecord* record);

    HMENU contextMenu_ = nullptr;
    HWND listView_ = nullptr;
    ServerList servers_;
    ViewerFactory createViewer_ = nullptr;
    ServerRecord* opening_ = nullptr;  // the record whose viewer is being made
};
