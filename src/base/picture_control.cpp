#include "base/picture_control.h"

#include "base/owners.h"

namespace {

HBITMAP Held(HWND dialog, int controlId) noexcept {
    return reinterpret_cast<HBITMAP>(SendDlgItemMessageW(dialog, controlId, STM_GETIMAGE, IMAGE_BITMAP, 0));
}

HBITMAP Exchange(HWND dialog, int controlId, HBITMAP picture) noexcept {
    return reinterpret_cast<HBITMAP>(
        SendDlgItemMessageW(dialog, controlId, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture)));
}

}  // namespace

void SetPicture(HWND dialog, int controlId, HBITMAP picture) noexcept {
    BitmapHandleOwner sent(picture);
    BitmapHandleOwner previous(Exchange(dialog, controlId, picture));
    const HBITMAP held = Held(dialog, controlId);
    if (held == picture) {
        sent.release();
    }
    if (previous.get() == held || previous.get() == picture) {
        previous.release();
    }
}

SIZE PictureRoom(HWND dialog, int controlId) noexcept {
    RECT client{};
    if (!GetClientRect(GetDlgItem(dialog, controlId), &client)) {
        return SIZE{0, 0};
    }
    return SIZE{client.right - client.left, client.bottom - client.top};
}

void TakeBackPicture(HWND dialog, int controlId) noexcept {
    const BitmapHandleOwner held(Exchange(dialog, controlId, nullptr));
}
