// Time of one icon composition, the work every fast tick does per icon: with the
// default settings, and with everything on (three readings, both graphs over
// full histories, the address line and both activity pictures).
#include "base/gdiplus_api.h"
#include "base/host_image.h"
#include "core/settings.h"
#include "base/text.h"
#include "base/rate_history.h"
#include "render/icon_cache.h"
#include "render/icon_composer.h"
#include "render/image_set.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HostImage* MakePicture(Gdiplus::ARGB argb) {
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(256, 256, 0, PixelFormat32bppARGB, nullptr, &bitmap) != Gdiplus::Ok) {
        return nullptr;
    }
    GpGraphics* graphics = nullptr;
    Gdiplus::GpSolidFill* brush = nullptr;
    GdipGetImageGraphicsContext(bitmap, &graphics);
    GdipCreateSolidFill(argb, &brush);
    GdipFillEllipseI(graphics, brush, 20, 20, 216, 216);
    GdipDeleteBrush(brush);
    GdipDeleteGraphics(graphics);
    return WrapBitmapForHost(bitmap);
}

// Busy (the bars stand at full height, as in the tick benchmark) or light traffic.
double MicrosecondsPerCompose(DockletInstance* instance, int calls, IconCache* cache, double load) {
    LARGE_INTEGER frequency, start, stop;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < calls; ++i) {
        // Rates that differ every call, as a busy adapter's do.
        instance->uploadRate = load * (4.2 + 0.1 * (i % 50));
        instance->downloadRate = load * (53.1 + 0.3 * (i % 70));
        instance->uploadHistory->Append(instance->uploadRate);
        instance->downloadHistory->Append(instance->downloadRate);
        GpBitmap* bitmap = ComposeIcon(instance, cache);
        if (!bitmap) {
            return -1.0;
        }
        GdipDisposeImage(bitmap);
    }
    QueryPerformanceCounter(&stop);
    const double seconds = static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    return seconds * 1e6 / calls;
}

}  // namespace

int main() {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
        std::printf("GDI+ did not start\n");
        return 1;
    }
    auto* instance = static_cast<DockletInstance*>(std::calloc(1, sizeof(DockletInstance)));
    Warr<double> upload(kHistoryCapacity, nullptr);
    Warr<double> download(kHistoryCapacity, nullptr);
    if (!instance) {
        return 1;
    }
    for (int i = 0; i < kHistoryCapacity; ++i) {
        upload.Append(10.0 + 9.0 * std::sin(i / 7.0));
        download.Append(90.0 + 80.0 * std::sin(i / 11.0));
    }
    LoadSettings(instance, nullptr, nullptr);
    CopyText(instance->interfaceDescription, L"Benchmark Adapter");
    CopyText(instance->ipV6Address, L"2008:8888:8888:8888:8888:8888:8888:8888");
    instance->connected = 1;
    instance->totalRate = 57.3;
    instance->uploadRate = 4.2;
    instance->downloadRate = 53.1;
    instance->uploadHistory = &upload;
    instance->downloadHistory = &download;
    instance->sendImage = MakePicture(0xC02060FF);
    instance->recvImage = MakePicture(0xC020D040);

    constexpr int kCalls = 300;
    IconCache* cache = CreateIconCache();
    struct Case {
        const char* name;
        uint32_t dockletData;
        bool ipv6Only = false;  // the longest IPv6 address, fitted to the icon's width
    };
    constexpr uint32_t kEverything = kShowUploadRate | kShowDownloadRate | kShowTotalRate | kShowIpAddress | kShowGraphs;
    const Case cases[] = {{"default settings", kDefaultDockletData},
                          {"defaults without pictures", kDefaultDockletData | kHideIcons},
                          {"everything on", kEverything},
                          {"everything on, busy", kEverything},
                          {"graphs alone, busy", kShowGraphs | kHideIcons},
                          {"default settings, IPv6 only", kDefaultDockletData, true}};
    bool ok = cache != nullptr;
    for (const Case& c : cases) {
        instance->dockletData = c.dockletData;
        CopyText(instance->ipV4Address, c.ipv6Only ? L"" : L"192.0.2.2");
        const double load = std::strstr(c.name, "busy") ? 30.0 : 1.0;
        MicrosecondsPerCompose(instance, 20, nullptr, load);
        const double plain = MicrosecondsPerCompose(instance, kCalls, nullptr, load);
        MicrosecondsPerCompose(instance, 20, cache, load);
        const double kept = MicrosecondsPerCompose(instance, kCalls, cache, load);
        std::printf("ComposeIcon, %-27s drawn afresh %6.0f us, with the icon's cache %6.0f us per call (%d calls)\n",
                    c.name, plain, kept, kCalls);
        ok = ok && plain > 0.0 && kept > 0.0;
    }
    DestroyIconCache(cache);

    ReleaseImageSet(instance);
    std::free(instance);
    Gdiplus::GdiplusShutdown(token);
    return ok ? 0 : 1;
}
