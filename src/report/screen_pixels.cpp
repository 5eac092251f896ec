#include "screen_pixels.h"

namespace
{

// Copies from a device context through a fresh 32-bit top-down DIB.
Pixels CopyFrom(HDC source, int x, int y, int width, int height)
{
    Pixels pixels;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) {
        DeleteDC(memory);
        return pixels;
    }
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
    GdiFlush();
    pixels.width = width;
    pixels.height = height;
    pixels.data.resize(static_cast<std::size_t>(width) * height);
    const unsigned* raw = static_cast<const unsigned*>(bits);
    for (std::size_t i = 0; i < pixels.data.size(); ++i) {
        pixels.data[i] = raw[i] & 0xFFFFFF;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return pixels;
}

} // namespace

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
