// The menus and the soft-key menu-bar records of every window and dialog.
#include "menu_builder.h"

#include <platform/resources.h>
#include <resources/resources.h>

void InstallMenus(HINSTANCE module) {
    AddResource(
        module, RT_MENU, IDM_SERVER_LIST,
        BuildMenu({Popup(
            u"Menu",
            {Item(u"Add", 32774),
             Popup(u"Options", {Item(u"Keyboard macros", 32799), Item(u"Defined keys", 32798)}),
             Separator(), Item(u"Exit", IDM_EXIT), Separator(), Item(u"About", 40002)})}));
    AddResource(module, RT_MENU, IDM_SERVER_CONTEXT,
                BuildMenu({Popup(u"Server", {Item(u"Edit", 32777), Item(u"Delete", 32778)})}));
    AddResource(module, RT_MENU, IDM_VIEWER,
                BuildMenu({Popup(
                    u"Menu", {Popup(u"Zoom", {Item(u"Show toolbar", 32785), Separator(),
                                              Item(u"Fit to screen", 32786), Item(u"25%", 32787),
                                              Item(u"50%", 32788), Item(u"100%", 32789),
                                              Item(u"200%", 32794), Item(u"300%", 32795)}),
                              Popup(u"Keyboard", {Item(u"Show toolbar", 32792),
                                                  Item(u"Define keys", 32793), Separator()}),
                              Separator(), Item(u"Refresh visible area", 32783),
                              Item(u"Refresh whole screen", 32782), Separator(),
                              Item(u"Close server", 32779)})}));
    AddResource(
        module, RT_MENU, IDM_KEY_LIST,
        BuildMenu({Popup(u"Menu", {Item(u"Add", 32812), Separator(), Item(u"Delete", 32813)})}));
    AddResource(module, RT_MENU, IDM_MACRO_LIST,
                BuildMenu({Popup(u"Menu", {Item(u"Add", 32804), Item(u"Duplicate", 32805),
                                           Separator(), Item(u"Delete", 32806)})}));
    AddResource(module, RT_MENU, IDM_MACRO_EDITOR,
                BuildMenu({Popup(u"Menu", {Item(u"Add", 32812), Item(u"Delete", 32813), Separator(),
                                           Item(u"Move up", 32816), Item(u"Move down", 32815)})}));

    AddResource(module, RT_RCDATA, IDR_SERVER_LIST_BAR,
                BuildMenuBar(IDM_SERVER_LIST, {{40100, 103, false}, {40400, 2000, true}}));
    AddResource(module, RT_RCDATA, IDR_VIEWER_BAR,
                BuildMenuBar(IDM_VIEWER, {{40102, 104, false}, {40401, 2001, true}}));
    AddResource(module, RT_RCDATA, IDR_KEY_LIST_BAR,
                BuildMenuBar(IDM_KEY_LIST, {{40402, 105, false}, {40401, 106, true}}));
    AddResource(module, RT_RCDATA, IDR_KEY_EDITOR_BAR,
                BuildMenuBar(0, {{40402, 105, false}, {112, 110, false}}));
    AddResource(module, RT_RCDATA, IDR_MACRO_LIST_BAR,
                BuildMenuBar(IDM_MACRO_LIST, {{40402, 105, false}, {40401, 106, true}}));
    AddResource(module, RT_RCDATA, IDR_MACRO_EDITOR_BAR,
                BuildMenuBar(IDM_MACRO_EDITOR, {{40402, 105, false}, {40401, 106, true}}));
}
