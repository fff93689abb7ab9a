#include "menu_builder.h"

#include "byte_writer.h"

namespace {

constexpr std::uint16_t kPopup = 0x10;
constexpr std::uint16_t kEnd = 0x80;

void AppendItems(std::vector<BYTE>& out, const std::vector<MenuEntry>& items) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        const MenuEntry& item = items[i];
        std::uint16_t flags = static_cast<std::uint16_t>((item.popup ? kPopup : 0) |
                                                         (i + 1 == items.size() ? kEnd : 0));
        Put16(out, flags);
        if (!item.popup) {
            Put16(out, static_cast<std::uint16_t>(item.id));
        }
        for (char16_t unit : item.text) {
            Put16(out, unit);
        }
        Put16(out, 0);
        if (item.popup) {
            AppendItems(out, item.items);
        }
    }
}

}  // namespace

std::vector<BYTE> BuildMenu(const std::vector<MenuEntry>& items) {
    std::vector<BYTE> out;
    Put16(out, 0);  // version
    Put16(out, 0);  // header size
    AppendItems(out, items);
    return out;
}

std::vector<BYTE> BuildMenuBar(unsigned menuId, const std::vector<MenuBarButton>& buttons) {
    constexpr std::uint16_t kNoImage = 0xFFFE, kEnabled = 4, kAutoSize = 0x10, kDropDown = 0x08,
                            kNoPopup = 0xFFFF;
    std::vector<BYTE> out;
    Put16(out, static_cast<std::uint16_t>(menuId));
    Put16(out, static_cast<std::uint16_t>(buttons.size()));
    for (const MenuBarButton& button : buttons) {
        Put16(out, kNoImage);
        Put16(out, static_cast<std::uint16_t>(button.command));
        Put16(out, kEnabled);
        Put16(out, button.popup ? kDropDown | kAutoSize : kAutoSize);
        Put16(out, static_cast<std::uint16_t>(button.labelString));
        Put16(out, 0);
        Put16(out, button.popup ? 0 : kNoPopup);
    }
    return out;
}
