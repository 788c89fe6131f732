#include "config/graph_page.h"

#include "base/host_api.h"
#include "base/image_set_path.h"
#include "base/picture_control.h"
#include "config/color_choice.h"
#include "config/opacity_slider.h"
#include "config/page_contract.h"
#include "render/preview_picture.h"
#include "render/traffic_graph.h"

namespace {

constexpr int IDC_SAMPLE = 1069;
constexpr int kSampleSize = 256;
constexpr int kPictureSize = 255;

struct GraphRow {
    int button;
    int slider;
    int percent;
    COLORREF DockletInstance::*color;
    uint8_t DockletInstance::*alpha;
};

// The scale choices, in the order of their values.
constexpr int kScaleChoices[] = {1073, 1074, 1075};

// In the order the page fills them.
constexpr GraphRow kRows[kGraphRows] = {
    {1060, 1061, 1062, &DockletInstance::uploadColor, &DockletInstance::uploadAlpha},
    {1063, 1064, 1065, &DockletInstance::downloadColor, &DockletInstance::downloadAlpha},
    {1066, 1067, 1068, &DockletInstance::backgroundColor, &DockletInstance::backgroundAlpha},
    {1070, 1071, 1072, &DockletInstance::frameColor, &DockletInstance::frameAlpha},
};

void FillGraphPage(HWND page, ConfigExchange& exchange) {
    const DockletInstance& working = *exchange.working;
    for (int i = 0; i < kGraphRows; ++i) {
        exchange.graphRows[i] = GraphRowState{working.*kRows[i].color, working.*kRows[i].alpha};
        SetUpOpacitySlider(page, kRows[i].slider, kRows[i].percent, exchange.graphRows[i].alpha);
    }
    for (int scale = 0; scale < 3; ++scale) {
        SetCheck(page, kScaleChoices[scale], working.graphScale == scale);
    }
    DrawGraphPreview(page, IDC_SAMPLE, working);
}

void StoreScale(HWND page, DockletInstance& working) noexcept {
    for (int scale = 0; scale < 3; ++scale) {
        if (IsChecked(page, kScaleChoices[scale])) {
            working.graphScale = scale;
        }
    }
}

void StoreGraphPage(HWND page, ConfigExchange& exchange) {
    DockletInstance& working = *exchange.working;
    for (int i = 0; i < kGraphRows; ++i) {
        working.*kRows[i].color = exchange.graphRows[i].color;
        working.*kRows[i].alpha = SliderOpacity(page, kRows[i].slider);
    }
    StoreScale(page, working);
}

// Colours, opacities and the scale reach the working copy at once, so the sample shows it.
void OnCommand(HWND page, ConfigExchange& exchange, WORD id) {
    DockletInstance& working = *exchange.working;
    if (id == kScaleChoices[0] || id == kScaleChoices[1] || id == kScaleChoices[2]) {
        StoreScale(page, working);
        DrawGraphPreview(page, IDC_SAMPLE, working);
        return;
    }
    for (int i = 0; i < kGraphRows; ++i) {
        if (kRows[i].button == id && ChooseColorFor(working.hwndDocklet, &exchange.graphRows[i].color,
                                                  ColorDialogSlot(exchange))) {
            working.*kRows[i].color = exchange.graphRows[i].color;
            DrawGraphPreview(page, IDC_SAMPLE, working);
        }
    }
}

void OnSlider(HWND page, ConfigExchange& exchange, HWND slider) {
    DockletInstance& working = *exchange.working;
    for (int i = 0; i < kGraphRows; ++i) {
        if (GetDlgItem(page, kRows[i].slider) == slider) {
            const uint8_t alpha = SliderOpacity(page, kRows[i].slider);
            exchange.graphRows[i].alpha = alpha;
            working.*kRows[i].alpha = alpha;
            ShowOpacityPercent(page, kRows[i].percent, alpha);
        }
    }
    DrawGraphPreview(page, IDC_SAMPLE, working);
}

INT_PTR GraphPageBody(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    ConfigExchange* exchange = ExchangeOf(page);
    const bool known = exchange && exchange->working;
    switch (message) {
        case WM_INITDIALOG:
            return KeepPageRecord(page, lParam);
        case WM_NOTIFY:
            return HandlePageNotify(page, *reinterpret_cast<const NMHDR*>(lParam),
                                    PageHandlers{&FillGraphPage, &StoreGraphPage});
        case WM_COMMAND:
            if (known) {
                OnCommand(page, *exchange, LOWORD(wParam));
            }
            return FALSE;
        case WM_HSCROLL:
            if (known && IsSliderSettled(wParam)) {
                OnSlider(page, *exchange, reinterpret_cast<HWND>(lParam));
            }
            return FALSE;
        case WM_DESTROY:
            TakeBackPicture(page, IDC_SAMPLE);
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK GraphPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    return GuardedPageProc<&GraphPageBody>(page, message, wParam, lParam);
}

void DrawGraphPreview(HWND page, int controlId, const DockletInstance& instance) noexcept {
    const PreviewCanvas canvas = MakeFittedCanvas(PictureRoom(page, controlId), kSampleSize, kSampleSize);
    if (!canvas.graphics) {
        return;
    }
    char path[kImagePathCapacity];
    if (BuildImageSetPath(&instance, ImagePathBase::Root, "background.png", path, sizeof path)) {
        const HostImageOwner base(host::DockletLoadGDIPlusImage(path));
        if (GpImage* image = NativeImageOf(base.get())) {
            GdipDrawImageRectI(canvas.graphics.get(), image, 0, 0, kPictureSize, kPictureSize);
        }
    }
    DrawStandardGraphs(canvas.graphics.get(), instance);
    if (const HBITMAP picture = ToMenuBitmap(canvas.bitmap.get())) {
        SetPicture(page, controlId, picture);
    }
}
