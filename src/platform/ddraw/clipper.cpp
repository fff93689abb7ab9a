#include "clipper.h"

Clipper::Clipper(IDirectDraw* owner) : owner_(owner) {
    owner_->AddRef();
}

Clipper::~Clipper() {
    owner_->Release();
}

HRESULT Clipper::SetHWnd(DWORD flags, HWND window) {
    if (flags != 0) {
        return DDERR_INVALIDPARAMS;
    }
    window_.store(window);
    return DD_OK;
}

HRESULT Clipper::GetHWnd(HWND* window) {
    if (window == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    *window = window_.load();
    return DD_OK;
}
