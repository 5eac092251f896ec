#include "windows/screen_pixels.h"

namespace
{

Pixels CopyFrom(HDC source, int x, int y, int width, int height)
{
    Pixels pixels;
    Grabber grabber;
    if (OpenGrabber(grabber, source, width, height)) {
        Grab(grabber, source, x, y, width, height, pixels);
    }
    CloseGrabber(grabber);
    return pixels;
}

} // namespace

// A 32-bit top-down DIB section, so the copied pixels can be read in place.
bool OpenGrabber(Grabber& grabber, HDC compatibleWith, int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    grabber.memory = CreateCompatibleDC(compatibleWith);
    grabber.bitmap = CreateDIBSection(grabber.memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!grabber.memory || !grabber.bitmap) {
        CloseGrabber(grabber);
        return false;
    }
    grabber.previous = SelectObject(grabber.memory, grabber.bitmap);
    grabber.bits = static_cast<const unsigned*>(bits);
    grabber.width = width;
    grabber.height = height;
    return true;
}

void CloseGrabber(Grabber& grabber)
{
    if (grabber.previous) {
        SelectObject(grabber.memory, grabber.previous);
    }
    if (grabber.bitmap) {
        DeleteObject(grabber.bitmap);
    }
    if (grabber.memory) {
        DeleteDC(grabber.memory);
    }
    grabber = Grabber();
}

bool Grab(Grabber& grabber, HDC source, int x, int y, int width, int height, Pixels& pixels)
{
    if (width <= 0 || height <= 0 || width > grabber.width || height > grabber.height ||
        !BitBlt(grabber.memory, 0, 0, width, height, source, x, y, SRCCOPY)) {
        return false;
    }
    GdiFlush();
    pixels.width = width;
    pixels.height = height;
    pixels.data.resize(static_cast<std::size_t>(width) * height);
    for (int row = 0; row < height; ++row) {
        const unsigned* line = grabber.bits + static_cast<std::size_t>(row) * grabber.width;
        for (int column = 0; column < width; ++column) {
            pixels.data[static_cast<std::size_t>(row) * width + column] = line[column] & 0xFFFFFF;
        }
    }
    return true;
}

Pixels CaptureClient(HWND window, int x, int y, int width, int height)
{
    POINT origin = {x, y};
    ClientToScreen(window, &origin);
    HDC screen = GetDC(nullptr);
    Pixels pixels = CopyFrom(screen, origin.x, origin.y, width, height);
    ReleaseDC(nullptr, screen);
    return pixels;
}

Pixels CaptureClient(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    return CaptureClient(window, 0, 0, client.right, client.bottom);
}

Pixels RenderText(const std::wstring& text)
{
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    SIZE size = {0, 0};
    GetTextExtentPoint32W(memory, text.c_str(), static_cast<int>(text.size()), &size);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size.cx, size.cy);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SetBkColor(memory, GetSysColor(COLOR_BTNFACE));
    TextOutW(memory, 0, 0, text.c_str(), static_cast<int>(text.size()));
    Pixels pixels = CopyFrom(memory, 0, 0, size.cx, size.cy);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}
