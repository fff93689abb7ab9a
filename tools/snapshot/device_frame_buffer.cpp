#include "device_frame_buffer.h"

#include <display/display.h>
#include <display/frame_buffer_store.h>
#include <platform/device_screen.h>
#include <png/png_file.h>

DeviceFrameBuffer::DeviceFrameBuffer(int bitsPerPixel) {
    DevicePixelFormat format = bitsPerPixel == 8    ? DevicePixelFormat::Rgb332
                               : bitsPerPixel == 32 ? DevicePixelFormat::Xrgb8888
                                                    : DevicePixelFormat::Rgb565;
    ConfigureDeviceScreen(DeviceScreenConfig{240, 320, 96, format});
    InitDisplay();
    display_ = CreateDisplayInfo(nullptr);
    store_ = display_->CreateFrameBuffer();
}

DeviceFrameBuffer::~DeviceFrameBuffer() {
    store_.reset();
    display_.reset();
    ShutdownDisplay();
}

bool DeviceFrameBuffer::SetSize(int width, int height) {
    store_->SetSize(width, height);
    return store_->HasSurface();
}

void DeviceFrameBuffer::SetPixelFormat(int bitsPerPixel, int redBits, int greenBits, int blueBits) {
    store_->SetPixelFormat(bitsPerPixel, redBits, greenBits, blueBits);
}

void DeviceFrameBuffer::PutImage(int x, int y, int w, int h, const BYTE* pixels) {
    store_->PutImage(x, y, w, h, pixels);
}

void DeviceFrameBuffer::PutImageAsSent(int x, int y, int w, int h, const BYTE* pixels,
                                       bool bigEndian) {
    store_->PutImageAsSent(x, y, w, h, pixels, bigEndian);
}

void DeviceFrameBuffer::CopyRect(int x, int y, int srcX, int srcY, int w, int h) {
    store_->CopyRect(x, y, srcX, srcY, w, h);
}

void DeviceFrameBuffer::FillRect(int x, int y, int w, int h, const BYTE* pixel) {
    store_->FillRect(x, y, w, h, pixel);
}

// The store's lock is held from a successful BeginDirect to EndDirect, across the two calls.
bool DeviceFrameBuffer::BeginDirect(int x, int y, int w, int h, int bytesPerPixel, BYTE** at,
                                    int* stride,
                                    std::uint32_t* setBits) NO_THREAD_SAFETY_ANALYSIS {
    return store_->BeginDirect(x, y, w, h, bytesPerPixel, at, stride, setBits);
}

void DeviceFrameBuffer::EndDirect() NO_THREAD_SAFETY_ANALYSIS {
    store_->EndDirect();
}

int DeviceFrameBuffer::Width() const {
    return store_->GetWidth();
}

int DeviceFrameBuffer::Height() const {
    return store_->GetHeight();
}

std::vector<std::uint8_t> DeviceFrameBuffer::CaptureRgb() const {
    int width = store_->GetWidth();
    int height = store_->GetHeight();
    // At its own size the capture is the framebuffer pixel for pixel, blue first.
    std::unique_ptr<BYTE[]> bgr = store_->CaptureRgb(width, height);
    std::vector<std::uint8_t> rgb;
    if (bgr == nullptr) {
        return rgb;
    }
    std::size_t count = static_cast<std::size_t>(width) * height;
    rgb.resize(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        rgb[3 * i] = bgr[3 * i + 2];
        rgb[3 * i + 1] = bgr[3 * i + 1];
        rgb[3 * i + 2] = bgr[3 * i];
    }
    return rgb;
}

bool DeviceFrameBuffer::WritePng(const std::string& path) const {
    int width = store_->GetWidth();
    int height = store_->GetHeight();
    // The capture's blue-first bytes go to the writer as they are: it orders them as it filters.
    std::unique_ptr<BYTE[]> bgr = store_->CaptureRgb(width, height);
    return bgr != nullptr &&
           WritePngFile(path, PngImage{bgr.get(), width, height,
                                       static_cast<std::size_t>(width) * 3, PngByteOrder::Bgr});
}
