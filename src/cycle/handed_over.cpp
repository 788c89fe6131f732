#include "cycle/handed_over.h"

#include "base/text.h"

#include <cstring>
#include <new>

namespace {

template <size_t N>
bool TakeNewText(bool& known, char (&held)[N], const char* text) noexcept {
    if (known && std::strcmp(held, text) == 0) {
        return false;
    }
    CopyText(held, text);
    // A text cut to fit would match a different one later.
    known = std::strlen(text) < N;
    return true;
}

}  // namespace

HandedOver* CreateHandedOver() noexcept {
    return new (std::nothrow) HandedOver{};
}

void DestroyHandedOver(HandedOver* handed) noexcept {
    delete handed;
}

void ForgetHandedOver(HandedOver* handed) noexcept {
    if (handed) {
        handed->labelKnown = false;
        handed->baseImageKnown = false;
        handed->overlayKnown = false;
    }
}

bool TakeNewLabel(HandedOver* handed, const char* label) noexcept {
    return !handed || TakeNewText(handed->labelKnown, handed->label, label);
}

bool TakeNewBaseImage(HandedOver* handed, const char* path) noexcept {
    return !handed || TakeNewText(handed->baseImageKnown, handed->baseImage, path);
}

bool OverlayDiffers(const HandedOver* handed, const OverlayInputs& inputs) noexcept {
    return !handed || !handed->overlayKnown || !SameOverlay(handed->overlay, inputs);
}

void RememberOverlay(HandedOver* handed, const OverlayInputs& inputs) noexcept {
    if (handed) {
        handed->overlay = inputs;
        handed->overlayKnown = true;
    }
}
