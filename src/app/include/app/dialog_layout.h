// Re-laying out an open dialog to the positions of another template of the same dialog, chosen by
// the screen's shape.
#pragma once

#include <platform/dialog.h>

enum class ScreenShape { Square, Tall, Wide };

ScreenShape CurrentScreenShape();
// The template for the current shape out of a dialog's three.
UINT TemplateForShape(UINT square, UINT tall, UINT wide);

// The part of a template item that FixupDialogItem needs.
struct DialogItemHeader {
    DWORD style = 0;
    WORD id = 0;
};

// True when every control was moved and the template has at most one control without an id.
bool RelayoutDialog(HINSTANCE module, HWND dialog, UINT templateId);
// Brings one moved control up to date: an image static gets its image resource again, a text
// static or button its text; list and combo boxes re-select their selection. itemClass and
// itemTitle point at the template's words (0xFFFF and an ordinal, or a terminated string).
void FixupDialogItem(HINSTANCE module, HWND dialog, const DialogItemHeader& item,
                     const WORD* itemClass, const WORD* itemTitle);
