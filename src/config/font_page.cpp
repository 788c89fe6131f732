#include "config/font_page.h"

#include "base/picture_control.h"
#include "base/text.h"
#include "config/color_choice.h"
#include "config/opacity_slider.h"
#include "config/page_contract.h"
#include "render/outlined_text.h"
#include "render/preview_picture.h"

#include <commctrl.h>

#include <cstdio>
#include <cwchar>

namespace {

constexpr int IDC_FACE_LIST = 1049;
constexpr int IDC_SIZE_BOX = 1050;
constexpr int IDC_SIZE_ARROWS = 1051;
constexpr int IDC_CHOOSE_COLOR = 1052;
constexpr int IDC_OPACITY = 1053;
constexpr int IDC_OPACITY_PERCENT = 1054;
constexpr int IDC_SAMPLE = 1056;
constexpr int kSizeTextCapacity = 25;
constexpr int32_t kDefaultFontSize = 34;

void RedrawSample(HWND page, const FontPageState& state) noexcept {
    DrawFontPreview(page, IDC_SAMPLE, state.faceName, state.size, state.color, state.alpha);
}

int32_t SizeInBox(HWND page) noexcept {
    wchar_t text[kSizeTextCapacity] = L"";
    GetDlgItemTextW(page, IDC_SIZE_BOX, text, kSizeTextCapacity);
    return ParseFontSize(text);
}

void FillFontPage(HWND page, ConfigExchange& exchange) {
    const DockletInstance& working = *exchange.working;
    FontPageState& state = exchange.font;
    const HWND list = GetDlgItem(page, IDC_FACE_LIST);
    FillFontList(working, list);
    CopyText(state.faceName, working.fontName);
    const LRESULT found = state.faceName[0] != L'\0'
                              ? SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                             reinterpret_cast<LPARAM>(state.faceName))
                              : CB_ERR;
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(found), 0);

    state.size = working.fontSize;
    state.color = working.fontColor;
    state.alpha = working.fontAlpha;
    wchar_t sizeText[kSizeTextCapacity];
    std::swprintf(sizeText, kSizeTextCapacity, L"%d", working.fontSize);
    // Raises EN_CHANGE, which reads the size back and draws the sample.
    SetDlgItemTextW(page, IDC_SIZE_BOX, sizeText);
    SendDlgItemMessageW(page, IDC_SIZE_ARROWS, UDM_SETRANGE, 0, MAKELPARAM(72, 16));
    SetUpOpacitySlider(page, IDC_OPACITY, IDC_OPACITY_PERCENT, state.alpha);
    RedrawSample(page, state);
}

void StoreFontPage(HWND page, ConfigExchange& exchange) {
    DockletInstance& working = *exchange.working;
    wchar_t face[32];
    if (SelectedListText(page, IDC_FACE_LIST, face, 32)) {
        CopyText(working.fontName, face);
    }
    working.fontSize = SizeInBox(page);
    working.fontColor = exchange.font.color;
    working.fontAlpha = SliderOpacity(page, IDC_OPACITY);
}

void OnFontCommand(HWND page, ConfigExchange& exchange, WORD id, WORD code) {
    FontPageState& state = exchange.font;
    if (id == IDC_FACE_LIST && code == CBN_SELENDOK) {
        wchar_t face[32];
        if (SelectedListText(page, IDC_FACE_LIST, face, 32)) {
            CopyText(state.faceName, face);
        }
        RedrawSample(page, state);
    } else if (id == IDC_SIZE_BOX && code == EN_CHANGE) {
        state.size = SizeInBox(page);
        RedrawSample(page, state);
    } else if (id == IDC_CHOOSE_COLOR &&
               ChooseColorFor(exchange.working->hwndDocklet, &state.color, ColorDialogSlot(exchange))) {
        RedrawSample(page, state);
    }
}

INT_PTR FontPageBody(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    ConfigExchange* exchange = ExchangeOf(page);
    const bool known = exchange && exchange->working;
    switch (message) {
        case WM_INITDIALOG:
            return KeepPageRecord(page, lParam);
        case WM_NOTIFY:
            return HandlePageNotify(page, *reinterpret_cast<const NMHDR*>(lParam),
                                    PageHandlers{&FillFontPage, &StoreFontPage});
        case WM_COMMAND:
            if (known) {
                OnFontCommand(page, *exchange, LOWORD(wParam), HIWORD(wParam));
            }
            return FALSE;
        case WM_HSCROLL:
            if (known && IsSliderSettled(wParam)) {
                if (reinterpret_cast<HWND>(lParam) == GetDlgItem(page, IDC_OPACITY)) {
                    exchange->font.alpha = SliderOpacity(page, IDC_OPACITY);
                    ShowOpacityPercent(page, IDC_OPACITY_PERCENT, exchange->font.alpha);
                }
                RedrawSample(page, exchange->font);
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

INT_PTR CALLBACK FontPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    return GuardedPageProc<&FontPageBody>(page, message, wParam, lParam);
}

int CALLBACK AddFontFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD fontType, LPARAM lParam) {
    if (!(fontType & TRUETYPE_FONTTYPE)) {
        return 1;
    }
    wchar_t face[LF_FACESIZE];
    CopyText(face, LF_FACESIZE, font->lfFaceName);
    const auto list = reinterpret_cast<HWND>(lParam);
    if (SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(face)) == CB_ERR) {
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(face));
    }
    return 1;
}

void FillFontList(const DockletInstance& working, HWND list) noexcept {
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    LOGFONTW all{};
    all.lfCharSet = DEFAULT_CHARSET;
    const HDC context = GetDC(working.hwndDocklet);
    EnumFontFamiliesExW(context, &all, reinterpret_cast<FONTENUMPROCW>(&AddFontFace), reinterpret_cast<LPARAM>(list),
                        0);
    ReleaseDC(working.hwndDocklet, context);
}

int32_t ParseFontSize(const wchar_t* text) noexcept {
    return text[0] == L'\0' ? kDefaultFontSize : _wtoi(text);
}

void DrawFontPreview(HWND page, int controlId, const wchar_t* faceName, int32_t size, COLORREF color,
                     uint8_t alpha) noexcept {
    const PreviewCanvas canvas = MakeFittedCanvas(PictureRoom(page, controlId), 150, 60);
    if (!canvas.graphics) {
        return;
    }
    const TextStyle style{faceName,
                          Gdiplus::FontStyleBold,
                          color,
                          alpha,
                          static_cast<float>(size),
                          Gdiplus::StringAlignmentCenter,
                          Gdiplus::StringAlignmentCenter,
                          true,
                          true};
    DrawOutlinedText(canvas.graphics.get(), L"Sample Text", style, PixelRect{5, 5, 140, 50});
    if (const HBITMAP picture = ToMenuBitmap(canvas.bitmap.get())) {
        SetPicture(page, controlId, picture);
    }
}
