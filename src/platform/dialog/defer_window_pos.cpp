// Deferred window positioning: moves collected by DeferWindowPos and applied together.
#include <platform/dialog.h>

#include <vector>

struct DeferredPositions {
    struct Move {
        HWND window;
        HWND insertAfter;
        int x, y, width, height;
        UINT flags;
    };
    std::vector<Move> moves;
};

HDWP BeginDeferWindowPos(int count) {
    if (count < 0) {
        return nullptr;
    }
    auto* positions = new DeferredPositions;
    positions->moves.reserve(static_cast<std::size_t>(count));
    return positions;
}

// As on the handheld, a failed deferral frees the whole set and returns null.
HDWP DeferWindowPos(HDWP positions, HWND window, HWND insertAfter, int x, int y, int width,
                    int height, UINT flags) {
    if (positions == nullptr) {
        return nullptr;
    }
    if (!IsWindow(window)) {
        delete positions;
        return nullptr;
    }
    positions->moves.push_back({window, insertAfter, x, y, width, height, flags});
    return positions;
}

BOOL EndDeferWindowPos(HDWP positions) {
    if (positions == nullptr) {
        return FALSE;
    }
    BOOL result = TRUE;
    for (const DeferredPositions::Move& move : positions->moves) {
        if (!SetWindowPos(move.window, move.insertAfter, move.x, move.y, move.width, move.height,
                          move.flags)) {
            result = FALSE;
        }
    }
    delete positions;
    return result;
}
