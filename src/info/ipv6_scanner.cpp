#include "info/ipv6_scanner.h"

#include "base/ipv6_text.h"

namespace {

bool IsRunChar(char c) noexcept {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == ':' || c == '.';
}

void EndRun(Ipv6Scan& scan) {
    if (!scan.overlong && !scan.run.empty()) {
        scan.address = OutsideIpv6Of(scan.run);
    }
    scan.run.clear();
    scan.overlong = false;
}

}  // namespace

std::string OutsideIpv6Of(const std::string& run) {
    size_t length = run.size();
    while (length > 0 && run[length - 1] == '.') {
        --length;
    }
    Ipv6Bytes bytes;
    if (!ParseIpv6(run.data(), length, bytes) || !IsOutsideIpv6(bytes)) {
        return std::string();
    }
    char text[kAddressTextCapacity];
    FormatIpv6(bytes, text);
    return text;
}

void ScanChunk(Ipv6Scan& scan, const char* chunk, size_t size) {
    for (size_t i = 0; i < size && scan.address.empty(); ++i) {
        if (!IsRunChar(chunk[i])) {
            EndRun(scan);
        } else if (scan.run.size() < kIpv6RunBytes) {
            scan.run.push_back(chunk[i]);
        } else {
            scan.overlong = true;
        }
    }
}

void FinishScan(Ipv6Scan& scan) {
    if (scan.address.empty()) {
        EndRun(scan);
    }
}
