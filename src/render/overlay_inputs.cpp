#include "render/overlay_inputs.h"

#include "base/host_image.h"
#include "base/rate_history.h"
#include "base/shown_address.h"
#include "base/text.h"
#include "render/color_argb.h"
#include "render/rate_text.h"
#include "render/traffic_graph.h"

#include <cstring>
#include <cwchar>
#include <iterator>

namespace {

// Copies a rate's text as the drawing formats it; false when it does not fit.
bool HoldRateText(double rate, int32_t unit, wchar_t (&held)[kShownTextCapacity]) noexcept {
    wchar_t text[kRateTextCapacity];
    FormatRateText(rate, unit, text);
    if (std::wcslen(text) >= kShownTextCapacity) {
        return false;
    }
    CopyText(held, text);
    return true;
}

// The readings in the order the drawing stacks them.
bool HoldReadings(const DockletInstance& instance, OverlayInputs& inputs) noexcept {
    const struct {
        uint32_t bit;
        double rate;
    } readings[] = {{kShowTotalRate, instance.totalRate},
                    {kShowUploadRate, instance.uploadRate},
                    {kShowDownloadRate, instance.downloadRate}};
    int count = 0;
    for (const auto& reading : readings) {
        if ((instance.dockletData & reading.bit) &&
            !HoldRateText(reading.rate, instance.rateUnit, inputs.readings[count++])) {
            return false;
        }
    }
    return true;
}

bool HoldGraph(const DockletInstance& instance, const StandardGraph& graph, double rate, const Warr<double>* series,
               GraphInputs& held) noexcept {
    const GraphStyle style = GraphStyleOf(instance, graph.direction);
    const double fullScale = GraphFullScale(instance, graph, series);
    if (!HoldRateText(rate, style.rateUnit, held.rateText) ||
        (style.showScale && !HoldRateText(fullScale, style.rateUnit, held.scaleText))) {
        return false;
    }
    if (!series || !series->data || series->capacity < 1) {
        return true;
    }
    for (int32_t i = series->first; i <= series->last; ++i) {
        if (held.barCount == kHistoryCapacity) {
            return false;
        }
        held.barHeights[held.barCount++] =
            static_cast<uint8_t>(GraphBarHeight(series->At(i), graph.rect.height, fullScale));
    }
    return true;
}

static_assert(std::size(OverlayInputs{}.graphs) == std::size(kStandardGraphs), "one held graph per standard graph");
static_assert(kStandardGraphs[0].rect.height < 256 && kStandardGraphs[1].rect.height < 256, "bar heights fit a byte");

bool HoldGraphs(const DockletInstance& instance, OverlayInputs& inputs) noexcept {
    for (size_t g = 0; g < std::size(kStandardGraphs); ++g) {
        const StandardGraph& graph = kStandardGraphs[g];
        const bool upload = graph.direction == GraphDirection::Upload;
        if (!HoldGraph(instance, graph, upload ? instance.uploadRate : instance.downloadRate,
                       upload ? instance.uploadHistory : instance.downloadHistory, inputs.graphs[g])) {
            return false;
        }
    }
    return true;
}

}  // namespace

int ShownPictures(const DockletInstance& instance) noexcept {
    if (instance.dockletData & kHideIcons) {
        return 0;
    }
    return (instance.uploadRate > 0.0 && NativeImageOf(instance.sendImage) ? kSendPicture : 0) |
           (instance.downloadRate > 0.0 && NativeImageOf(instance.recvImage) ? kRecvPicture : 0);
}

void ReadOverlayInputs(const DockletInstance& instance, OverlayInputs& inputs) noexcept {
    std::memset(&inputs, 0, sizeof inputs);
    inputs.dockletData = instance.dockletData;
    inputs.fontSize = instance.fontSize;
    CopyText(inputs.fontName, instance.fontName);
    inputs.colors[0] = ColorToArgb(instance.fontColor, instance.fontAlpha);
    inputs.colors[1] = ColorToArgb(instance.uploadColor, instance.uploadAlpha);
    inputs.colors[2] = ColorToArgb(instance.downloadColor, instance.downloadAlpha);
    inputs.colors[3] = ColorToArgb(instance.backgroundColor, instance.backgroundAlpha);
    inputs.colors[4] = ColorToArgb(instance.frameColor, instance.frameAlpha);
    inputs.imageSet = instance.imageSetGeneration;
    inputs.rateUnit = instance.rateUnit;
    inputs.graphScale = instance.graphScale;
    inputs.comparable = 1;
    if (instance.interfaceDescription[0] == L'\0') {
        inputs.state = OverlayState::NotConfigured;
        return;
    }
    if (!instance.connected) {
        inputs.state = OverlayState::NotConnected;
        return;
    }
    inputs.state = OverlayState::Connected;
    inputs.pictures = ShownPictures(instance);
    if (instance.dockletData & kShowIpAddress) {
        CopyText(inputs.address, ShownAddress(instance));
    }
    inputs.allowanceBar = AllowanceBarOf(instance);
    const bool held =
        HoldReadings(instance, inputs) && (!(instance.dockletData & kShowGraphs) || HoldGraphs(instance, inputs));
    inputs.comparable = held ? 1 : 0;
}

bool SameOverlay(const OverlayInputs& a, const OverlayInputs& b) noexcept {
    return a.comparable && b.comparable && std::memcmp(&a, &b, sizeof a) == 0;
}
