// The per-icon record: settings, adapter state, measurement state, pictures.
#pragma once

#include "base/ipv6_text.h"
#include "base/raw_counter_sample.h"
#include "base/usage_record.h"

#include <windows.h>

#include <cstdint>
#include <type_traits>

template <typename T>
class Warr;
struct HostImage;
struct IconCache;
struct HandedOver;
struct RouteWatch;
struct ExternalLookup;

// dockletData: what the icon shows.
constexpr uint32_t kShowUploadRate = 1;
constexpr uint32_t kShowDownloadRate = 2;
constexpr uint32_t kShowTotalRate = 4;
constexpr uint32_t kShowIpAddress = 8;
constexpr uint32_t kShowGraphs = 16;
constexpr uint32_t kHideIcons = 32;
constexpr uint32_t kShowAllowanceBar = 64;

// labelData: what the label shows. Bits 2..256 are one choice, checked in this order.
constexpr uint32_t kLabelHidden = 1;
constexpr uint32_t kLabelUpload = 2;
constexpr uint32_t kLabelDownload = 4;
constexpr uint32_t kLabelTotal = 8;
constexpr uint32_t kLabelBandwidth = 16;
constexpr uint32_t kLabelTitle = 32;
constexpr uint32_t kLabelIpAddress = 64;
constexpr uint32_t kLabelTodayUsage = 128;
constexpr uint32_t kLabelMonthUsage = 256;

constexpr uint32_t kDefaultDockletData = kShowUploadRate | kShowDownloadRate | kShowIpAddress;
constexpr uint32_t kDefaultLabelData = kLabelTotal;

constexpr int kHistoryCapacity = 116;

// rateUnit: how rates read. Out-of-range stored values read as the first.
constexpr int32_t kRateUnitK = 0;      // "%.1fK" always
constexpr int32_t kRateUnitBytes = 1;  // K, M, G
constexpr int32_t kRateUnitBits = 2;   // kb, Mb, Gb

// graphScale: the full scale of each graph.
constexpr int32_t kGraphScaleFixed = 0;   // 20.0K up, 180.0K down
constexpr int32_t kGraphScaleFitted = 1;  // fitted to the highest sample shown
constexpr int32_t kGraphScaleLink = 2;    // the adapter's speed, fitted until it is read

// adapterChoice: which adapter the icon watches.
constexpr int32_t kAdapterConfigured = 0;
constexpr int32_t kAdapterAutomatic = 1;  // the one carrying the default route (IPv4, else IPv6)

// usageCount: what the usage totals count.
constexpr int32_t kUsageBoth = 0;
constexpr int32_t kUsageReceived = 1;
constexpr int32_t kUsageSent = 2;

// The modal windows an icon has open. A dock may destroy the icon from inside
// any of their loops; destruction closes each one that is open.
struct OpenWindows {
    int32_t menu;          // the context menu is tracking
    int32_t sheet;         // the settings sheet is running (its window may not exist yet)
    HWND sheetWindow;      // the sheet's frame, once its first page is up
    int32_t colorDialog;   // a sheet page's colour dialog is up
    HWND infoDialog;
    HWND aboutDialog;
    HWND usageWindow;
};

struct DockletInstance {
    // Handles
    HWND hwndDocklet;
    HINSTANCE hInstance;

    // Settings
    wchar_t title[500];
    wchar_t command[260];
    wchar_t parameters[260];
    wchar_t imagesFolder[270];
    wchar_t fontName[32];
    int32_t fontSize;
    COLORREF fontColor;
    uint8_t fontAlpha;
    COLORREF uploadColor;
    uint8_t uploadAlpha;
    COLORREF downloadColor;
    uint8_t downloadAlpha;
    COLORREF backgroundColor;
    uint8_t backgroundAlpha;
    COLORREF frameColor;
    uint8_t frameAlpha;
    uint32_t dockletData;
    uint32_t labelData;
    wchar_t interfaceDescription[256];
    wchar_t counterInstanceName[256];
    wchar_t adapterGuid[260];
    int32_t rateUnit;
    int32_t graphScale;
    int32_t adapterChoice;
    int32_t usageStartDay;   // 1..31: the day the usage month starts
    int32_t usageAllowance;  // MB of 1,000,000 bytes; 0: none
    int32_t usageCount;

    // Adapter state; every address text has room for the longest IPv6 form.
    wchar_t macAddress[18];
    wchar_t ipV4Address[kAddressTextCapacity];
    wchar_t ipV4Gateway[kAddressTextCapacity];
    wchar_t dhcpServer[kAddressTextCapacity];
    wchar_t primaryWinsServer[kAddressTextCapacity];
    wchar_t secondaryWinsServer[kAddressTextCapacity];
    wchar_t dnsServer[kAddressTextCapacity];           // the first IPv4 DNS server
    wchar_t secondaryDnsServer[kAddressTextCapacity];  // the second one
    wchar_t externalIpAddress[kAddressTextCapacity];
    wchar_t netMask[kAddressTextCapacity];
    wchar_t ipV6Address[kAddressTextCapacity];           // preferred, global, not temporary: the first listed
    wchar_t ipV6TemporaryAddress[kAddressTextCapacity];  // preferred temporary, longest preferred lifetime
    wchar_t ipV6LinkLocal[kAddressTextCapacity];
    wchar_t ipV6Gateway[kAddressTextCapacity];
    wchar_t ipV6DnsServer[kAddressTextCapacity];  // the first IPv6 DNS server
    wchar_t externalIpV6Address[kAddressTextCapacity];
    wchar_t ipAddressUrl[2048];
    wchar_t ipV6AddressUrl[2048];
    wchar_t dnsSuffix[2048];
    wchar_t connectionName[2048];
    int32_t connected;
    int32_t dhcpEnabled;
    int32_t haveWins;
    int64_t leaseObtained;
    int64_t leaseExpires;
    int32_t operStatus;

    // Measurement
    int32_t samplerReady;
    uint8_t* perfData;
    RawCounterSample prevTotalSample;
    RawCounterSample curTotalSample;
    RawCounterSample prevReceivedSample;
    RawCounterSample curReceivedSample;
    RawCounterSample prevSentSample;
    RawCounterSample curSentSample;
    RawCounterSample bandwidthSample;
    double totalRate;
    double uploadRate;
    double downloadRate;
    double bandwidth;
    Warr<double>* totalHistory;
    Warr<double>* downloadHistory;
    Warr<double>* uploadHistory;
    Warr<double>* bandwidthHistory;

    // Pictures and timer
    HostImage* recvImage;
    HostImage* sendImage;
    uint32_t imageSetGeneration;  // counts the times the pictures changed
    int32_t fastTimerRunning;

    // The counter instance the older readings were taken from; a different
    // counterInstanceName on a tick means the adapter changed under the sampler.
    wchar_t sampledInstanceName[256];

    // What the icon's drawing keeps between ticks; null draws everything afresh.
    IconCache* iconCache;
    // What the dock was handed last; null hands everything over every time.
    HandedOver* handedOver;

    // Word of route changes while the icon follows the default route; null otherwise.
    RouteWatch* routeWatch;

    // Lifetime. The dock may call OnDestroy while a call of the module on the
    // same icon is still on the stack; the record then lives, marked destroyed,
    // until the outermost of those calls returns.
    OpenWindows open;
    int32_t callDepth;
    int32_t destroyed;

    // The external address lookups (IPv4, IPv6) this icon started last, if they still run.
    ExternalLookup* lookup;
    ExternalLookup* ipV6Lookup;

    UsageRecord usage;
};

// The record is allocated zero-filled and copied byte for byte by the settings sheet.
static_assert(std::is_trivial<DockletInstance>::value, "DockletInstance must stay a plain record");
static_assert(std::is_standard_layout<DockletInstance>::value, "DockletInstance must stay a plain record");

