#include <app/server_list_item.h>

#include <resources/resources.h>
#include <display/screen_metrics.h>
#include <platform/resources.h>
#include <settings/server_list.h>

#include <algorithm>

namespace {

constexpr UINT kNotConnectedText = 1000;
constexpr UINT kConnectingText = 1001;

// The thumbnail box's margins and the text column's start, in logical pixels.
constexpr int kBoxMargin = 2;
constexpr int kBoxWidth = 32;
constexpr int kTextLeft = 36;

// Restores the device context's text and background colours when it goes.
class SavedColours {
  public:
    explicit SavedColours(HDC dc) : dc_(dc), text_(GetTextColor(dc)), background_(GetBkColor(dc)) {}
    ~SavedColours() {
        SetTextColor(dc_, text_);
        SetBkColor(dc_, background_);
    }
    SavedColours(const SavedColours&) = delete;
    SavedColours& operator=(const SavedColours&) = delete;

  private:
    HDC dc_;
    COLORREF text_;
    COLORREF background_;
};

void DrawThumbnail(HDC dc, HBITMAP image, const RECT& box) {
    BITMAP info{};
    if (image == nullptr || GetObjectW(image, sizeof info, &info) == 0 || info.bmWidth <= 0 ||
        info.bmHeight <= 0) {
        return;
    }
    int bw = box.right - box.left, bh = box.bottom - box.top;
    SIZE drawn = ThumbnailDrawSize(info.bmWidth, info.bmHeight, bw, bh);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(source, image);
    StretchBlt(dc, box.left + (bw - drawn.cx) / 2, box.top + (bh - drawn.cy) / 2, drawn.cx,
               drawn.cy, source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
}

}  // namespace

SIZE ThumbnailDrawSize(int w, int h, int bw, int bh) {
    if (w <= 0 || h <= 0 || bw <= 0 || bh <= 0) {
        return {0, 0};
    }
    // 64-bit products: a thumbnail file may claim any size.
    long long dw = w, dh = h;
    if (dw < bw && dh < bh) {
        dh = dh * bw / dw;
        dw = bw;
    }
    if (dw > bw) {
        dh = dh * bw / dw;
        dw = bw;
    }
    if (dh > bh) {
        dw = dw * bh / dh;
        dh = bh;
    }
    return {static_cast<LONG>(std::max(dw, 1LL)), static_cast<LONG>(std::max(dh, 1LL))};
}

UINT ConnectionStateTextId(const ServerRecord& record) {
    if (record.viewer == nullptr) {
        return kNotConnectedText;
    }
    int state = record.viewer->GetConnectionState();
    return state >= kConnecting && state <= kDisconnected ? kConnectingText + state : 0;
}

void DrawServerListItem(ServerRecord& record, const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    const RECT& row = item.rcItem;
    SavedColours saved(dc);
    if ((item.itemState & ODS_SELECTED) != 0) {
        FillRect(dc, &row, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
    }
    RECT box{row.left + ScaledX(kBoxMargin), row.top + ScaledY(kBoxMargin), 0,
             row.bottom - ScaledY(kBoxMargin)};
    box.right = box.left + ScaledX(kBoxWidth);
    DrawThumbnail(dc, LoadThumbnail(&record), box);

    RECT text = row;
    text.left = row.left + ScaledX(kTextLeft);
    DrawTextW(dc, record.Title, -1, &text, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    WCHAR state[kTextCapacity] = u"Unknown";
    if (UINT id = ConnectionStateTextId(record); id != 0) {
        LoadStringW(ModuleInstance(), id, state, kTextCapacity);
    }
    DrawTextW(dc, state, -1, &text, DT_LEFT | DT_BOTTOM | DT_SINGLELINE | DT_NOPREFIX);
}
