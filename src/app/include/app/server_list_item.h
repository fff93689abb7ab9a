// One item of the server list drawn: the thumbnail in its box, the title and the connection
// state.
#pragma once

#include <platform/commctrl.h>
#include <settings/server_record.h>

// The size a w x h thumbnail is drawn at in a bw x bh box: a thumbnail smaller than the box both
// ways is grown to the box width, then it is shrunk to fit, keeping its proportions. Never below
// 1 x 1, so a very long and thin image still shows as a line.
SIZE ThumbnailDrawSize(int w, int h, int bw, int bh);

// The state text id: 1000 "Not connected" without a viewer, else 1001 to 1003 by the viewer's
// connection state; 0 for a state that has no text ("Unknown").
UINT ConnectionStateTextId(const ServerRecord& record);

// Draws the record into the item's rectangle of the list view's device context.
void DrawServerListItem(ServerRecord& record, const DRAWITEMSTRUCT& item);
