// The "BUTTON" control in its two styles the program uses: a push button and an automatic
// check box. Both notify their parent with WM_COMMAND when clicked.
#include "winport_internal.h"

namespace winport
{
namespace
{

void ClickNow(HWND button)
{
    if ((button->style & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
        button->check = button->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
        MarkInvalid(button);
    }
    Send(button->parent, WM_COMMAND, MAKEWPARAM(button->id, BN_CLICKED),
         reinterpret_cast<LPARAM>(button));
}

void PaintButton(HWND button)
{
    const RECT client = ClientRectOf(button);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const int length = static_cast<int>(button->text.size());
    const int textY = (client.bottom - kCharHeight) / 2;
    FillArea(button, client, face);
    if ((button->style & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
        const int boxTop = (client.bottom - 13) / 2;
        FillArea(button, RECT{0, boxTop, 13, boxTop + 13}, 0x333333);
        FillArea(button, RECT{1, boxTop + 1, 12, boxTop + 12},
                 button->check == BST_CHECKED ? 0x000000 : 0xFFFFFF);
        DrawText(button, 17, textY, button->text.c_str(), length, 0x000000, face);
    } else {
        FillArea(button, RECT{0, client.bottom - 1, client.right, client.bottom},
                 GetSysColor(COLOR_BTNSHADOW));
        FillArea(button, RECT{client.right - 1, 0, client.right, client.bottom},
                 GetSysColor(COLOR_BTNSHADOW));
        DrawText(button, (client.right - length * kCharWidth) / 2, textY, button->text.c_str(),
                 length, 0x000000, face);
    }
    if (FocusWindow() == button) {
        FillArea(button, RECT{2, client.bottom - 3, client.right - 2, client.bottom - 2}, 0);
    }
}

} // namespace

LRESULT CALLBACK ButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONDOWN:
        SetFocus(button);
        return 0;
    case WM_LBUTTONUP:
        ClickNow(button);
        return 0;
    case WM_KEYUP:
        if (wParam == VK_SPACE) {
            ClickNow(button);
        }
        return 0;
    case BM_CLICK:
        Send(button, WM_LBUTTONDOWN, 0, 0);
        Send(button, WM_LBUTTONUP, 0, 0);
        return 0;
    case BM_GETCHECK:
        return button->check;
    case BM_SETCHECK:
        button->check = static_cast<int>(wParam);
        MarkInvalid(button);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        MarkInvalid(button);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(button, &paint);
        PaintButton(button);
        EndPaint(button, &paint);
        return 0;
    }
    default:
        return DefWindowProcW(button, message, wParam, lParam);
    }
}

} // namespace winport

using namespace winport;

UINT WINAPI IsDlgButtonChecked(HWND dialog, int id)
{
    return static_cast<UINT>(Send(ChildById(dialog, id), BM_GETCHECK, 0, 0));
}
