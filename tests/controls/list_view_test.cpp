// The list view driven on the test device as a person would: taps, press-and-hold, keys, the
// scroll bar; what the parent hears (WM_NOTIFY, WM_CONTEXTMENU, WM_MEASUREITEM, WM_DRAWITEM), what
// is drawn, and bad requests that must fail without harm.
#include <platform/commctrl.h>
#include <platform_testing/device_harness.h>
#include "test_windows.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kListId = 1016;

struct Heard {
    std::vector<NMLISTVIEW> changes;
    std::vector<NMITEMACTIVATE> activations;
    std::vector<std::pair<WPARAM, LPARAM>> contextMenus;
    std::vector<DRAWITEMSTRUCT> draws;
    std::vector<WORD> scrolls;  // WM_VSCROLL requests seen by a procedure put over the list's
    UINT measuredType = 0;
    UINT answerHeight = 0;
    std::function<void(const NMHDR*)> onNotify;
};
Heard heard;
WNDPROC listProcedure = nullptr;

LRESULT ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->code == LVN_ITEMCHANGED) {
                heard.changes.push_back(*reinterpret_cast<const NMLISTVIEW*>(lParam));
            } else if (header->code == LVN_ITEMACTIVATE) {
                heard.activations.push_back(*reinterpret_cast<const NMITEMACTIVATE*>(lParam));
            }
            if (heard.onNotify) {
                heard.onNotify(header);
            }
            return 1;
        }
        case WM_CONTEXTMENU:
            heard.contextMenus.emplace_back(wParam, lParam);
            return 1;
        case WM_MEASUREITEM: {
            auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            heard.measuredType = measure->CtlType;
            if (heard.answerHeight != 0) {
                measure->itemHeight = heard.answerHeight;
            }
            return 1;
        }
        case WM_DRAWITEM: {
            auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            heard.draws.push_back(*draw);
            FillRect(draw->hDC, &draw->rcItem,
                     static_cast<HBRUSH>(GetStockObject(
                         (draw->itemState & ODS_SELECTED) != 0 ? BLACK_BRUSH : GRAY_BRUSH)));
            return 1;
        }
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT RecordingListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_VSCROLL) {
        heard.scrolls.push_back(LOWORD(wParam));
    }
    return CallWindowProcW(listProcedure, list, message, wParam, lParam);
}

// Colours compared as the 16-bit screen keeps them.
bool Near(COLORREF a, COLORREF b) {
    auto close = [](int x, int y) { return x - y < 8 && y - x < 8; };
    return close(GetRValue(a), GetRValue(b)) && close(GetGValue(a), GetGValue(b)) &&
           close(GetBValue(a), GetBValue(b));
}

class ListViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        heard = Heard{};
        InitCommonControls();
        bool registered =
            RegisterTestClass(u"ListParent", ParentProc, GetSysColorBrush(COLOR_WINDOW));
        ASSERT_TRUE(registered);
        parent =
            CreateWindowExW(0, u"ListParent", u"Lists", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
        device.PumpUntilIdle();
    }
    void TearDown() override {
        heard.onNotify = nullptr;
        DestroyWindow(parent);
    }

    HWND MakeList(DWORD style, int height = 150) {
        HWND list = CreateWindowExW(
            0, WC_LISTVIEW, u"", WS_CHILD | WS_VISIBLE | WS_BORDER | style, 10, 10, 200, height,
            parent, reinterpret_cast<HMENU>(static_cast<std::intptr_t>(kListId)), nullptr, nullptr);
        EXPECT_NE(list, nullptr);
        return list;
    }
    static void AddColumns(HWND list) {
        LVCOLUMNW column{LVCF_TEXT | LVCF_WIDTH, 0, 90, const_cast<LPWSTR>(u"Character"), 0, 0};
        EXPECT_EQ(SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column)), 0);
        column.pszText = const_cast<LPWSTR>(u"Mode");
        EXPECT_EQ(SendMessageW(list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column)), 1);
    }
    // Rows "Row 0", "Row 1" ... with the value 100 + i and "Mode i" in column 1.
    static void Fill(HWND list, int count) {
        for (int i = 0; i < count; ++i) {
            std::u16string text = u"Row " + std::u16string(1, static_cast<char16_t>(u'0' + i % 10));
            LVITEMW item{LVIF_TEXT | LVIF_PARAM, i, 0, 0, 0, text.data(), 0, 0, 100 + i, 0};
            ASSERT_EQ(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)), i);
            std::u16string mode = u"Mode " + std::u16string(1, text.back());
            LVITEMW sub{0, 0, 1, 0, 0, mode.data(), 0, 0, 0, 0};
            ASSERT_TRUE(SendMessageW(list, LVM_SETITEMTEXTW, i, reinterpret_cast<LPARAM>(&sub)));
        }
    }
    // LVM_SETITEMSTATE selecting (or, with on false, deselecting) a row; -1 is every row.
    static LRESULT Select(HWND list, WPARAM index, bool on = true) {
        LVITEMW item{0, 0, 0, on ? LVIS_SELECTED : 0, LVIS_SELECTED, nullptr, 0, 0, 0, 0};
        return SendMessageW(list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
    }
    static RECT RowRect(HWND list, int index) {
        RECT rect{LVIR_BOUNDS, 0, 0, 0};
        SendMessageW(list, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
        return rect;
    }
    // A row's point on the screen, x pixels into the row.
    POINT OnRow(HWND list, int index, int x = 20) {
        RECT row = RowRect(list, index);
        RECT box = device.ScreenRectOf(list);
        return {box.left + row.left + x, box.top + (row.top + row.bottom) / 2};
    }
    void TapRow(HWND list, int index) {
        POINT at = OnRow(list, index);
        device.Tap(at.x, at.y);
    }
    static std::vector<int> Selected(HWND list) {
        std::vector<int> rows;
        for (int i = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
             i >= 0; i = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, i, LVNI_SELECTED))) {
            rows.push_back(i);
        }
        return rows;
    }

    DeviceHarness device{DeviceScreenConfig{240, 320, 96}};
    HWND parent = nullptr;
};

TEST_F(ListViewTest, ATapSelectsAndActivatesARow) {
    HWND list = MakeList(LVS_REPORT | LVS_SINGLESEL);
    AddColumns(list);
    Fill(list, 5);
    device.PumpUntilIdle();
    TapRow(list, 2);
    ASSERT_EQ(heard.changes.size(), 1u);
    EXPECT_EQ(static_cast<int>(heard.changes[0].hdr.code), -101);
    EXPECT_EQ(heard.changes[0].hdr.hwndFrom, list);
    EXPECT_EQ(heard.changes[0].hdr.idFrom, static_cast<UINT_PTR>(kListId));
    EXPECT_EQ(heard.changes[0].iItem, 2);
    EXPECT_EQ(heard.changes[0].uOldState, 0u);
    EXPECT_EQ(heard.changes[0].uNewState, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(heard.changes[0].uChanged, LVIF_STATE);
    EXPECT_EQ(heard.changes[0].lParam, 102);
    ASSERT_EQ(heard.activations.size(), 1u);
    EXPECT_EQ(static_cast<int>(heard.activations[0].hdr.code), -114);
    EXPECT_EQ(heard.activations[0].iItem, 2);

    // Another row: the old one loses the selection (first), then the new one gains it.
    heard.changes.clear();
    TapRow(list, 3);
    ASSERT_GE(heard.changes.size(), 2u);
    EXPECT_EQ(heard.changes.front().iItem, 2);
    EXPECT_EQ(heard.changes.front().uNewState & LVIS_SELECTED, 0u);
    EXPECT_EQ(heard.changes.back().iItem, 3);
    EXPECT_EQ(heard.changes.back().uNewState, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(Selected(list), std::vector<int>{3});
    ASSERT_EQ(heard.activations.size(), 2u);
    EXPECT_EQ(heard.activations[1].iItem, 3);

    // Tapping the selected row again activates it again; so does Return.
    TapRow(list, 3);
    ASSERT_EQ(heard.activations.size(), 3u);
    EXPECT_EQ(heard.activations[2].iItem, 3);
    SetFocus(list);
    device.PressKey(VK_RETURN);
    ASSERT_EQ(heard.activations.size(), 4u);
    EXPECT_EQ(heard.activations[3].iItem, 3);

    // A tap below the last row clears the selection.
    RECT box = device.ScreenRectOf(list);
    device.Tap(box.left + 20, box.bottom - 5);
    EXPECT_TRUE(Selected(list).empty());
}

TEST_F(ListViewTest, RowsAreDrawnWhiteTheSelectedOneHighlightedAndTextStaysInItsColumn) {
    HWND list = MakeList(LVS_REPORT);
    AddColumns(list);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    Fill(list, 12);
    std::u16string longText(80, u'W');
    LVITEMW item{0, 0, 0, 0, 0, longText.data(), 0, 0, 0, 0};
    SendMessageW(list, LVM_SETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
    LVITEMW noMode{0, 0, 1, 0, 0, const_cast<LPWSTR>(u""), 0, 0, 0, 0};
    SendMessageW(list, LVM_SETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&noMode));
    Select(list, 1);
    device.PumpUntilIdle();

    RECT box = device.ScreenRectOf(list);
    RECT row0 = RowRect(list, 0);
    // The header is drawn above the rows.
    EXPECT_GE(row0.top, 18);
    EXPECT_TRUE(Near(device.ScreenPixel(box.left + 40, box.top + 5), GetSysColor(COLOR_BTNFACE)));
    // Row 0's long text is cut at column 0's right edge: column 1 of that row stays white.
    int y0 = box.top + (row0.top + row0.bottom) / 2;
    bool inked = false;
    for (int x = box.left + 92; x < box.left + 178; ++x) {
        for (int y = box.top + row0.top; y < box.top + row0.bottom; ++y) {
            inked = inked || device.ScreenPixel(x, y) != GetSysColor(COLOR_WINDOW);
        }
    }
    EXPECT_FALSE(inked);
    EXPECT_NE(device.ScreenPixel(box.left + 12, y0), GetSysColor(COLOR_WINDOW));  // ink in col 0
    // Row 1 is selected: highlight across both columns, with light text on it.
    POINT row1 = OnRow(list, 1, 170);
    EXPECT_TRUE(Near(device.ScreenPixel(row1.x, row1.y), GetSysColor(COLOR_HIGHLIGHT)));
    RECT r1 = RowRect(list, 1);
    bool lightText = false;
    for (int x = box.left + 95; x < box.left + 150; ++x) {
        for (int y = box.top + r1.top; y < box.top + r1.bottom; ++y) {
            lightText =
                lightText || Near(device.ScreenPixel(x, y), GetSysColor(COLOR_HIGHLIGHTTEXT));
        }
    }
    EXPECT_TRUE(lightText);
    device.SaveScreenshot(ScreenshotPath("list_view.png"));
    // Without a header the first row starts just inside the border.
    HWND bare = MakeList(LVS_REPORT | LVS_NOCOLUMNHEADER);
    AddColumns(bare);
    Fill(bare, 1);
    EXPECT_EQ(RowRect(bare, 0).top, 1);
    EXPECT_EQ(RowRect(bare, 0).right - RowRect(bare, 0).left, 180);
}

TEST_F(ListViewTest, ArrowKeysMoveTheSelectionAndKeepItInView) {
    HWND list = MakeList(LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL, 100);
    AddColumns(list);
    Fill(list, 12);
    SetFocus(list);
    device.PressKey(VK_DOWN);  // nothing selected: the first row
    EXPECT_EQ(Selected(list), std::vector<int>{0});
    device.PressKey(VK_UP);
    EXPECT_EQ(Selected(list), std::vector<int>{0});
    int page = static_cast<int>(SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
    ASSERT_GT(page, 1);
    ASSERT_LT(page, 12);
    for (int i = 0; i < page + 1; ++i) {
        device.PressKey(VK_DOWN);
    }
    EXPECT_EQ(Selected(list), std::vector<int>{page + 1});
    EXPECT_EQ(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 2);
    RECT client;
    GetClientRect(list, &client);
    EXPECT_LE(RowRect(list, page + 1).bottom, client.bottom);
    device.PressKey(VK_END);
    device.PressKey(VK_DOWN);
    EXPECT_EQ(Selected(list), std::vector<int>{11});
    device.PressKey(VK_HOME);
    EXPECT_EQ(Selected(list), std::vector<int>{0});
    EXPECT_EQ(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 0);
}

TEST_F(ListViewTest, TheScrollBarScrollsALongListByArrowTrackAndThumb) {
    HWND list = MakeList(LVS_REPORT | LVS_NOCOLUMNHEADER, 150);
    AddColumns(list);
    Fill(list, 40);
    listProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(list, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingListProc)));
    device.PumpUntilIdle();
    RECT box = device.ScreenRectOf(list);
    int bar = GetSystemMetrics(SM_CXVSCROLL);
    int x = box.right - 1 - bar / 2;
    device.Tap(x, box.bottom - 1 - bar / 2);  // the down arrow
    EXPECT_EQ(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 1);
    EXPECT_EQ(heard.scrolls, (std::vector<WORD>{SB_LINEDOWN, SB_ENDSCROLL}));
    int page = static_cast<int>(SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
    device.Tap(x, box.bottom - 1 - bar - 3);  // the track below the thumb
    EXPECT_EQ(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 1 + page);
    // Rows above the top are outside the list; the top row is the first one drawn.
    EXPECT_LT(RowRect(list, 0).bottom, 0);
    EXPECT_EQ(RowRect(list, 1 + page).top, 1);

    // Dragging the thumb from the top to the bottom shows the last rows; the list reports the end
    // of scrolling.
    SendMessageW(list, WM_VSCROLL, SB_TOP, 0);
    heard.scrolls.clear();
    device.Drag({x, box.top + 1 + bar + 3}, {x, box.bottom + 40});
    int last = 40 - page;
    EXPECT_EQ(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), last);
    ASSERT_GE(heard.scrolls.size(), 3u);
    EXPECT_EQ(heard.scrolls.front(), SB_THUMBTRACK);
    EXPECT_EQ(heard.scrolls[heard.scrolls.size() - 2], SB_THUMBPOSITION);
    EXPECT_EQ(heard.scrolls.back(), SB_ENDSCROLL);
    EXPECT_LE(RowRect(list, 39).bottom, box.bottom - box.top - 1);
    // A tap on the last row selects row 39, not the row that was there before scrolling.
    TapRow(list, 39);
    EXPECT_EQ(Selected(list), std::vector<int>{39});

    // The thumb reaches rows beyond the 16 bits that WM_VSCROLL carries.
    HWND huge = MakeList(LVS_REPORT | LVS_OWNERDATA | LVS_NOCOLUMNHEADER, 150);
    SendMessageW(huge, LVM_SETITEMCOUNT, 100000, 0);
    device.PumpUntilIdle();
    device.Drag({x, box.top + 1 + bar + 3}, {x, box.bottom + 40});
    EXPECT_EQ(SendMessageW(huge, LVM_GETTOPINDEX, 0, 0),
              100000 - SendMessageW(huge, LVM_GETCOUNTPERPAGE, 0, 0));
}

TEST_F(ListViewTest, AnOwnerDataListIsMeasuredOnceAndDrawsEachVisibleRowThroughItsParent) {
    heard.answerHeight = 36;
    HWND list = MakeList(LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_OWNERDATA | LVS_NOCOLUMNHEADER, 150);
    EXPECT_EQ(heard.measuredType, ODT_LISTVIEW);
    LVCOLUMNW column{LVCF_WIDTH, 0, 180, nullptr, 0, 0};
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    EXPECT_TRUE(SendMessageW(list, LVM_SETITEMCOUNT, 10, 0));
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 10);
    LVITEMW item{LVIF_TEXT, 0, 0, 0, 0, const_cast<LPWSTR>(u"x"), 0, 0, 0, 0};
    EXPECT_EQ(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)), -1);
    EXPECT_EQ(RowRect(list, 1).top - RowRect(list, 0).top, 36);
    TapRow(list, 1);
    heard.draws.clear();
    InvalidateRect(list, nullptr, TRUE);
    device.PumpUntilIdle();
    // 148 pixels inside the border: rows 0 to 4, the fifth one in part.
    ASSERT_EQ(heard.draws.size(), 5u);
    for (std::size_t i = 0; i < heard.draws.size(); ++i) {
        const DRAWITEMSTRUCT& draw = heard.draws[i];
        EXPECT_EQ(draw.CtlType, ODT_LISTVIEW);
        EXPECT_EQ(draw.CtlID, static_cast<UINT>(kListId));
        EXPECT_EQ(draw.itemID, i);
        EXPECT_EQ(draw.hwndItem, list);
        EXPECT_EQ(draw.rcItem.top, RowRect(list, static_cast<int>(i)).top);
        EXPECT_EQ(draw.rcItem.right - draw.rcItem.left, 180);
        EXPECT_EQ((draw.itemState & ODS_SELECTED) != 0, i == 1) << i;
    }
    POINT selected = OnRow(list, 1);
    EXPECT_EQ(device.ScreenPixel(selected.x, selected.y), RGB(0, 0, 0));

    // After scrolling, drawing starts at the top row; a shorter count drops the selection beyond.
    heard.draws.clear();
    SendMessageW(list, WM_VSCROLL, SB_BOTTOM, 0);
    device.PumpUntilIdle();
    ASSERT_FALSE(heard.draws.empty());
    EXPECT_EQ(heard.draws.front().itemID, 10u - SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
    Select(list, 8);
    EXPECT_TRUE(SendMessageW(list, LVM_SETITEMCOUNT, 5, 0));
    EXPECT_EQ(Selected(list), std::vector<int>{1});
    EXPECT_EQ(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 1);
    EXPECT_FALSE(SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(-1), 0));
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 5);
}

TEST_F(ListViewTest, PressAndHoldAsksTheParentForAContextMenuWithoutActivating) {
    HWND list = MakeList(LVS_REPORT | LVS_NOCOLUMNHEADER);
    AddColumns(list);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    Fill(list, 6);
    POINT at = OnRow(list, 4, 150);
    device.PressAndHold(at.x, at.y);
    ASSERT_EQ(heard.contextMenus.size(), 1u);
    EXPECT_EQ(heard.contextMenus[0].first, reinterpret_cast<WPARAM>(list));
    EXPECT_EQ(GET_X_LPARAM(heard.contextMenus[0].second), at.x);
    EXPECT_EQ(GET_Y_LPARAM(heard.contextMenus[0].second), at.y);
    EXPECT_EQ(Selected(list), std::vector<int>{4});
    // Held again on the now selected row: still no activation.
    device.PressAndHold(at.x, at.y);
    EXPECT_TRUE(heard.activations.empty());
    // Two rows selected by the program: a hold on one of them keeps both.
    Select(list, 1);
    POINT one = OnRow(list, 1);
    device.PressAndHold(one.x, one.y);
    EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 2);
    EXPECT_EQ(heard.contextMenus.size(), 3u);
    // Below the last row: a menu too (the server list's with nothing selected).
    RECT box = device.ScreenRectOf(list);
    device.PressAndHold(box.left + 20, box.bottom - 4);
    EXPECT_EQ(heard.contextMenus.size(), 4u);
    EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 0);
}

TEST_F(ListViewTest, InsertingAndDeletingRowsKeepsTheSelectionOnItsRows) {
    HWND list = MakeList(LVS_REPORT);
    AddColumns(list);
    Fill(list, 5);
    Select(list, 1);
    Select(list, 3);
    EXPECT_TRUE(SendMessageW(list, LVM_DELETEITEM, 0, 0));
    EXPECT_EQ(Selected(list), (std::vector<int>{0, 2}));
    EXPECT_TRUE(SendMessageW(list, LVM_DELETEITEM, 2, 0));
    EXPECT_EQ(Selected(list), std::vector<int>{0});
    EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 1);
    // A row moved as the macro editor moves one: read, delete, insert again lower down.
    WCHAR text[260];
    LVITEMW read{LVIF_TEXT | LVIF_PARAM, 0, 0, 0, 0, text, 260, 0, 0, 0};
    ASSERT_TRUE(SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&read)));
    EXPECT_EQ(std::u16string(text), u"Row 1");
    EXPECT_EQ(read.lParam, 101);
    LVITEMW column1{0, 0, 1, 0, 0, text, 260, 0, 0, 0};
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMTEXTW, 2, reinterpret_cast<LPARAM>(&column1)), 6);
    EXPECT_EQ(std::u16string(text), u"Mode 4");
    SendMessageW(list, LVM_DELETEITEM, 0, 0);
    LVITEMW again{LVIF_TEXT | LVIF_PARAM, 1, 0, 0, 0, const_cast<LPWSTR>(u"Row 1"), 0, 0, 101, 0};
    EXPECT_EQ(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&again)), 1);
    EXPECT_TRUE(Selected(list).empty());
    Select(list, 2);
    LVITEMW first{LVIF_TEXT, 0, 0, 0, 0, const_cast<LPWSTR>(u"First"), 0, 0, 0, 0};
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&first));
    EXPECT_EQ(Selected(list), std::vector<int>{3});
    EXPECT_TRUE(SendMessageW(list, LVM_DELETEALLITEMS, 0, 0));
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), -1);
    EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), -1);
}

TEST_F(ListViewTest, ASingleSelectionListKeepsOneRowSelected) {
    HWND list = MakeList(LVS_REPORT | LVS_SINGLESEL);
    Fill(list, 4);
    Select(list, 0);
    heard.changes.clear();
    Select(list, 2);
    EXPECT_EQ(Selected(list), std::vector<int>{2});
    ASSERT_EQ(heard.changes.size(), 2u);
    EXPECT_EQ(heard.changes[0].iItem, 0);
    EXPECT_EQ(heard.changes[0].uOldState, LVIS_SELECTED);
    EXPECT_EQ(heard.changes[0].uNewState, 0u);
    EXPECT_FALSE(Select(list, static_cast<WPARAM>(-1)));  // every row of a single-selection list
    EXPECT_TRUE(Select(list, static_cast<WPARAM>(-1), false));
    EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 0);
}

TEST_F(ListViewTest, TheSmallImageListSetsTheRowHeightAndGoesWithTheList) {
    HWND list = MakeList(LVS_REPORT | LVS_NOCOLUMNHEADER);
    Fill(list, 2);
    int plain = RowRect(list, 1).top - RowRect(list, 0).top;
    HIMAGELIST images = ImageList_Create(1, 40, ILC_COLOR, 0, 1);
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images)),
              0);
    EXPECT_EQ(RowRect(list, 1).top - RowRect(list, 0).top, 40);
    EXPECT_LT(plain, 40);
    DestroyWindow(list);
    EXPECT_FALSE(ImageList_Destroy(images));  // the list destroyed it with itself

    HWND sharing = MakeList(LVS_REPORT | LVS_SHAREIMAGELISTS);
    HIMAGELIST shared = ImageList_Create(1, 20, ILC_COLOR, 0, 1);
    SendMessageW(sharing, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(shared));
    DestroyWindow(sharing);
    EXPECT_TRUE(ImageList_Destroy(shared));
    EXPECT_EQ(ImageList_Create(0, 10, ILC_COLOR, 0, 1), nullptr);
    EXPECT_EQ(ImageList_Create(1, 1 << 30, ILC_COLOR, 0, 1), nullptr);
}

TEST_F(ListViewTest, BadIndicesAndBadArgumentsFailWithoutHarm) {
    HWND list = MakeList(LVS_REPORT);
    AddColumns(list);
    Fill(list, 3);
    WCHAR text[8] = u"unset";
    LVITEMW read{LVIF_TEXT, 0, 0, 0, 0, text, 8, 0, 0, 0};
    for (WPARAM bad : {static_cast<WPARAM>(-1), WPARAM{3}, WPARAM{1000}}) {
        EXPECT_EQ(SendMessageW(list, LVM_GETITEMTEXTW, bad, reinterpret_cast<LPARAM>(&read)), 0);
        EXPECT_EQ(text[0], 0);
        RECT rect{LVIR_BOUNDS, 0, 0, 0};
        EXPECT_FALSE(SendMessageW(list, LVM_GETITEMRECT, bad, reinterpret_cast<LPARAM>(&rect)));
        EXPECT_FALSE(SendMessageW(list, LVM_DELETEITEM, bad, 0));
        EXPECT_FALSE(SendMessageW(list, LVM_ENSUREVISIBLE, bad, 0));
        EXPECT_FALSE(SendMessageW(list, LVM_SETITEMTEXTW, bad, reinterpret_cast<LPARAM>(&read)));
        EXPECT_FALSE(SendMessageW(list, LVM_SETCOLUMNWIDTH, bad, 50));
        if (bad != static_cast<WPARAM>(-1)) {
            EXPECT_FALSE(Select(list, bad));
        }
    }
    read.iItem = 7;
    EXPECT_FALSE(SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&read)));
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMTEXTW, 0, 0), 0);
    EXPECT_FALSE(SendMessageW(list, LVM_GETITEMRECT, 0, 0));
    EXPECT_FALSE(SendMessageW(list, LVM_SETITEMSTATE, 0, 0));
    EXPECT_EQ(SendMessageW(list, LVM_INSERTITEMW, 0, 0), -1);
    EXPECT_EQ(SendMessageW(list, LVM_INSERTCOLUMNW, 0, 0), -1);
    LVCOLUMNW wide{LVCF_WIDTH, 0, 0x7FFFFFFF, nullptr, 0, 0};  // widths add up without overflow
    SendMessageW(list, LVM_INSERTCOLUMNW, 2, reinterpret_cast<LPARAM>(&wide));
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 2, 0), 0x7FFF);
    EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, 2, LVNI_ALL), -1);
    // A short buffer gets the start of the text, terminated; the text-callback marker is no text.
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&read)), 5);
    EXPECT_EQ(std::u16string(text), u"Row 0");
    LVITEMW callback{LVIF_TEXT, 0, 0, 0, 0, reinterpret_cast<LPWSTR>(-1), 0, 0, 0, 0};
    EXPECT_EQ(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&callback)), 0);
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&read)), 0);
    device.PumpUntilIdle();
}

TEST_F(ListViewTest, AParentThatDestroysTheListWhileHearingOfAChangeIsSafe) {
    HWND list = MakeList(LVS_REPORT | LVS_SINGLESEL);
    Fill(list, 3);
    heard.onNotify = [list](const NMHDR* header) {
        if (header->code == LVN_ITEMCHANGED && IsWindow(list)) {
            DestroyWindow(list);
        }
    };
    Select(list, 0);
    EXPECT_FALSE(IsWindow(list));

    // A parent that empties the list when a row loses its selection, during a tap on another.
    HWND second = MakeList(LVS_REPORT | LVS_SINGLESEL);
    Fill(second, 4);
    Select(second, 0);
    heard.onNotify = [second](const NMHDR* header) {
        auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
        if (header->code == LVN_ITEMCHANGED && change->uNewState == 0) {
            SendMessageW(second, LVM_DELETEALLITEMS, 0, 0);
        }
    };
    TapRow(second, 3);
    EXPECT_EQ(SendMessageW(second, LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageW(second, LVM_GETSELECTEDCOUNT, 0, 0), 0);
}

}  // namespace

namespace {

TEST_F(ListViewTest, SetItemChangesACellTheValueAndTheSelectionOfOneRow) {
    HWND list = MakeList(LVS_REPORT | LVS_SINGLESEL);
    AddColumns(list);
    Fill(list, 3);
    LVITEMW value{LVIF_PARAM | LVIF_TEXT, 1, 0, 0, 0, const_cast<LPWSTR>(u"Moved"), 0, 0, 7, 0};
    EXPECT_TRUE(SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&value)));
    LVITEMW mode{LVIF_TEXT, 2, 1, 0, 0, const_cast<LPWSTR>(u"Down"), 0, 0, 0, 0};
    EXPECT_TRUE(SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&mode)));
    LVITEMW state{LVIF_STATE, 2, 0, LVIS_SELECTED, LVIS_SELECTED, nullptr, 0, 0, 0, 0};
    EXPECT_TRUE(SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&state)));

    WCHAR text[32];
    LVITEMW read{LVIF_PARAM | LVIF_TEXT, 1, 0, 0, 0, text, 32, 0, 0, 0};
    ASSERT_TRUE(SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&read)));
    EXPECT_EQ(std::u16string(text), u"Moved");
    EXPECT_EQ(read.lParam, 7);
    LVITEMW cell{0, 0, 1, 0, 0, text, 32, 0, 0, 0};
    SendMessageW(list, LVM_GETITEMTEXTW, 2, reinterpret_cast<LPARAM>(&cell));
    EXPECT_EQ(std::u16string(text), u"Down");
    EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 2);
    ASSERT_FALSE(heard.changes.empty()) << "the parent hears of the selection";
    EXPECT_EQ(heard.changes.back().iItem, 2);

    // Rows that do not exist, and values for a column other than the first, are refused.
    LVITEMW missing{LVIF_PARAM, 3, 0, 0, 0, nullptr, 0, 0, 1, 0};
    EXPECT_FALSE(SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&missing)));
    LVITEMW subValue{LVIF_PARAM, 0, 1, 0, 0, nullptr, 0, 0, 1, 0};
    EXPECT_FALSE(SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&subValue)));
    EXPECT_FALSE(SendMessageW(list, LVM_SETITEMW, 0, 0));
}

}  // namespace
