#include "refresh_fixture.h"

namespace vantrel_test {

void RefreshTest::SetUp() {
    DockTest::SetUp();
    adapters.adapters.push_back(testdock::AdapterPlan{});
    perf.Install(Hooks());
    adapters.Install(Hooks());
}

void RefreshTest::AddWirelessAdapter() {
    testdock::AdapterPlan wifi;
    wifi.guid = "{00000000-0000-0000-0000-0000000000F1}";
    wifi.description = "Wireless Adapter";
    wifi.interfaceIndex = 23;
    adapters.adapters.push_back(wifi);
}

void RefreshTest::ServeTwo(const wchar_t* other, double seconds, uint64_t firstReceived, uint64_t otherReceived) {
    AdapterCounters first{L"Test Ethernet Adapter", firstReceived, firstReceived, 0, 0};
    AdapterCounters second{other, otherReceived, otherReceived, 0, 0};
    perf.Push(BuildPerfBlock(
        NetworkInterfaceBlock({first, second}, static_cast<int64_t>(seconds * kPerfFreq), kPerfFreq)));
}

void RefreshTest::ServeCounters(double seconds, uint64_t received, uint64_t sent, uint64_t bandwidth) {
    // The counter instance is named as the system names it from the description.
    std::wstring name(Adapter().description.begin(), Adapter().description.end());
    for (wchar_t& c : name) {
        c = c == L'(' ? L'[' : c == L')' ? L']' : (c == L'/' || c == L'#') ? L'_' : c;
    }
    AdapterCounters counters{name, received + sent, received, sent, bandwidth};
    perf.Push(BuildPerfBlock(
        NetworkInterfaceBlock({counters}, static_cast<int64_t>(seconds * kPerfFreq), kPerfFreq)));
}

Icon& RefreshTest::CreateConfiguredIcon(const std::string& extraLines) {
    const std::string ini = scratch->File("dock.ini");
    WriteFile(ini, "[Icon]\r\nInterfaceDescription=" + Adapter().description + "\r\nGUID=" + Adapter().guid +
                       "\r\nTitle=My Link\r\n" + extraLines);
    return dock->CreateIcon(ini.c_str(), "Icon");
}

}  // namespace vantrel_test
