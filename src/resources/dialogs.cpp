// The dialog templates of every dialog: positions and sizes in dialog units.
#include <resources/dialog_builder.h>

#include <platform/resources.h>
#include <resources/resources.h>

namespace {

constexpr DWORD kDialogStyle = 0x80000000 | 0x00C00000 | 0x80;  // pop-up, caption, modal frame
constexpr DWORD kRight = 0x2;                                   // SS_RIGHT
constexpr DWORD kNoPrefix = 0x80;                               // SS_NOPREFIX
constexpr DWORD kAutoHScroll = 0x80;                            // ES_AUTOHSCROLL
constexpr DWORD kPassword = 0x20;                               // ES_PASSWORD
constexpr DWORD kAutoCheckBox = 0x3;
constexpr DWORD kAutoRadio = 0x9;
constexpr DWORD kTextLeftOfBox = 0x20 | 0x200;  // BS_LEFTTEXT | BS_RIGHT
constexpr DWORD kDropDown = 0x2;                // CBS_DROPDOWN
constexpr DWORD kDropDownList = 0x3;            // CBS_DROPDOWNLIST
constexpr DWORD kSorted = 0x100;                // CBS_SORT
constexpr DWORD kVScroll = 0x00200000;
constexpr DWORD kBorder = 0x00800000;
constexpr DWORD kReport = 0x1, kSingleSel = 0x4, kShowSelAlways = 0x8, kNoHeader = 0x4000;

void Add(HINSTANCE module, unsigned id, const DialogDefinition& dialog) {
    AddResource(module, RT_DIALOG, id, BuildDialog(dialog));
}

DialogDefinition Dialog(std::u16string title, short width, short height,
                        std::vector<DialogItemSpec> items, std::u16string font = u"MS Shell Dlg") {
    DialogDefinition dialog;
    dialog.style = kDialogStyle;
    dialog.title = std::move(title);
    dialog.width = width, dialog.height = height;
    dialog.font = std::move(font);
    dialog.items = std::move(items);
    return dialog;
}

struct Box {
    short x, y, w, h;
};

DialogDefinition About(short width, short height, Box name, Box version) {
    return Dialog(
        u"About Tavrel", width, height,
        {DialogIcon(IDI_APP_ICON, 201, 6, 6, 22, 22),
         DialogText(u"Tavrel", kNoPrefix, name.x, name.y, name.w, name.h, 202),
         DialogText(u"Version 1.00", 0, version.x, version.y, version.w, version.h, 203)});
}

DialogDefinition MacroEditor(short width, short height, short editWidth, Box list) {
    return Dialog(
        u"Edit Macro", width, height,
        {DialogText(u"Name:", kRight, 3, 6, 24, 8),
         DialogEdit(kAutoHScroll, 1017, 30, 3, editWidth, 14),
         DialogControl(u"SysListView32",
                       kBorder | 0x00010000 | kReport | kSingleSel | kShowSelAlways | kNoHeader,
                       1016, list.x, list.y, list.w, list.h)});
}

DialogDefinition ListDialog(short width, short height, short listWidth, short listHeight) {
    return Dialog(u"Macros", width, height,
                  {DialogControl(u"SysListView32",
                                 kBorder | 0x00010000 | kReport | kShowSelAlways | kNoHeader, 1018,
                                 0, 0, listWidth, listHeight)});
}

}  // namespace

void InstallDialogs(HINSTANCE module) {
    Add(module, IDD_PASSWORD,
        Dialog(u"Password", 160, 118,
               {DialogText(u"To connect to this server, please specify your password now.", 0, 6, 6,
                           147, 18),
                DialogText(u"Password:", kRight, 15, 33, 36, 8),
                DialogEdit(kPassword | kAutoHScroll, 1007, 54, 30, 99, 14)},
               u"MS Sans Serif"));

    Add(module, IDD_ABOUT_SQUARE, About(160, 118, {33, 12, 42, 8}, {6, 27, 102, 8}));
    Add(module, IDD_ABOUT_TALL, About(160, 166, {33, 9, 84, 8}, {6, 30, 102, 8}));
    Add(module, IDD_ABOUT_WIDE, About(211, 118, {33, 9, 117, 8}, {33, 21, 102, 8}));

    Add(module, IDD_SERVER_EDITOR,
        Dialog(u"Edit server", 160, 118,
               {DialogText(u"Name:", kRight, 6, 6, 27, 8),
                DialogEdit(kAutoHScroll, 1011, 36, 3, 117, 14),
                DialogText(u"Server:", kRight, 3, 24, 30, 8),
                DialogEdit(kAutoHScroll, 1012, 36, 21, 72, 14),
                DialogCombo(kDropDown, 1005, 114, 21, 39, 87),
                DialogEdit(kPassword, 1007, 75, 39, 78, 14),
                DialogButton(u"Allow server to be shared", kAutoCheckBox, 1008, 6, 57, 98, 10),
                DialogButton(u"Only update visible portion of screen", kAutoCheckBox, 1013, 6, 69,
                             133, 10),
                DialogText(u"Pixel format:", kRight, 6, 87, 45, 8),
                DialogCombo(kDropDownList, 1009, 54, 84, 99, 78),
                DialogText(u"Update rate:", kRight, 3, 105, 48, 8),
                DialogCombo(kDropDownList, 1010, 54, 102, 99, 132),
                DialogButton(u"Save password:", kAutoCheckBox | kTextLeftOfBox, 1014, 6, 42, 66,
                             10)}));

    Add(module, IDD_MACRO_EDITOR_SQUARE, MacroEditor(160, 118, 126, {0, 21, 159, 96}));
    Add(module, IDD_MACRO_EDITOR_TALL, MacroEditor(160, 166, 126, {0, 21, 159, 144}));
    Add(module, IDD_MACRO_EDITOR_WIDE, MacroEditor(211, 118, 177, {0, 21, 210, 96}));

    Add(module, IDD_LIST_SQUARE, ListDialog(160, 118, 159, 117));
    Add(module, IDD_LIST_TALL, ListDialog(160, 166, 159, 165));
    Add(module, IDD_LIST_WIDE, ListDialog(211, 118, 210, 117));

    Add(module, IDD_KEY_EDITOR,
        Dialog(u"Edit Key", 160, 118,
               {DialogText(u"Label:", kRight, 6, 6, 26, 8),
                DialogEdit(kAutoHScroll, 1026, 33, 3, 123, 14),
                DialogButton(u"Latch button", kAutoCheckBox, 1020, 6, 24, 57, 10),
                DialogButton(u"Key", kAutoRadio, 1019, 6, 36, 28, 10),
                DialogText(u"Key:", kRight, 9, 50, 21, 8),
                DialogCombo(kDropDown | kVScroll, 1022, 36, 48, 120, 75),
                DialogButton(u"Macro", kAutoRadio, 1021, 6, 66, 35, 10),
                DialogText(u"Macro down:", kRight, 3, 80, 45, 8),
                DialogCombo(kDropDownList | kSorted | kVScroll, 1023, 51, 78, 105, 87),
                DialogText(u"Macro up:", kRight, 9, 98, 39, 8),
                DialogCombo(kDropDownList | kSorted | kVScroll, 1028, 51, 96, 105, 75)}));

    Add(module, IDD_DEFINE_KEYS, Dialog(u"Blank", 186, 90, {}));
}
