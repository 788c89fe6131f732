// What an overlay shows, as the inputs of its drawing. Two overlays drawn from
// equal inputs are the same pixels, so comparing inputs (a few hundred bytes)
// tells whether the dock needs a new overlay without drawing one.
#pragma once

#include "base/docklet_instance.h"
#include "render/allowance_bar.h"

#include <cstdint>
#include <type_traits>

// Room for a rate text such as "123456.7K"; a longer one makes the inputs
// match nothing (see OverlayInputs::comparable).
constexpr int kShownTextCapacity = 24;

enum class OverlayState : int32_t { NotConfigured, NotConnected, Connected };

struct GraphInputs {
    wchar_t rateText[kShownTextCapacity];
    wchar_t scaleText[kShownTextCapacity];  // empty while the scale is not shown
    int32_t barCount;
    uint8_t barHeights[kHistoryCapacity];  // whole pixels above each bar's stub
};

struct OverlayInputs {
    // Everything below could be held; false when a text or a series did not fit.
    int32_t comparable;
    // The settings the drawing depends on, and the loaded pictures.
    uint32_t dockletData;
    int32_t fontSize;
    wchar_t fontName[32];
    uint32_t colors[5];  // ARGB: font, upload, download, background, frame
    uint32_t imageSet;   // DockletInstance::imageSetGeneration
    int32_t rateUnit;
    int32_t graphScale;
    // What it shows with them; zero for what the settings leave out.
    OverlayState state;
    int32_t pictures;  // ShownPictures
    wchar_t readings[3][kShownTextCapacity];
    wchar_t address[kAddressTextCapacity];
    AllowanceBar allowanceBar;
    GraphInputs graphs[2];  // in kStandardGraphs order
};

// Compared byte for byte: no padding may hide between the fields.
static_assert(std::has_unique_object_representations_v<OverlayInputs>, "OverlayInputs must have no padding");

constexpr int kSendPicture = 1;
constexpr int kRecvPicture = 2;

// Which activity pictures the icon shows now (kSendPicture | kRecvPicture).
int ShownPictures(const DockletInstance& instance) noexcept;

void ReadOverlayInputs(const DockletInstance& instance, OverlayInputs& inputs) noexcept;

// True when both could be held and are equal.
bool SameOverlay(const OverlayInputs& a, const OverlayInputs& b) noexcept;
