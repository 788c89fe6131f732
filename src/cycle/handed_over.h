// What the dock was handed last for an icon: the label, the base image's path
// and the overlay's inputs. For each thing it receives a dock redraws the
// icon, so a refresh hands over only what differs from these, and an idle
// icon costs the dock nothing.
#pragma once

#include "base/docklet_instance.h"
#include "base/image_set_path.h"
#include "cycle/refresh.h"
#include "render/overlay_inputs.h"

struct HandedOver {
    bool labelKnown;
    bool baseImageKnown;
    bool overlayKnown;
    char label[kLabelCapacity];
    char baseImage[kImagePathCapacity];
    OverlayInputs overlay;
};

// Null when memory is short; the icon then hands everything over every time.
HandedOver* CreateHandedOver() noexcept;
void DestroyHandedOver(HandedOver* handed) noexcept;

// The next refresh hands everything over again.
void ForgetHandedOver(HandedOver* handed) noexcept;

// Whether the dock lacks this label or path; each remembers it as handed over.
bool TakeNewLabel(HandedOver* handed, const char* label) noexcept;
bool TakeNewBaseImage(HandedOver* handed, const char* path) noexcept;

// Whether an overlay drawn from `inputs` would differ from the last one handed over.
bool OverlayDiffers(const HandedOver* handed, const OverlayInputs& inputs) noexcept;
void RememberOverlay(HandedOver* handed, const OverlayInputs& inputs) noexcept;
