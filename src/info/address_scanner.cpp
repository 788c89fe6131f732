#include "info/address_scanner.h"

void ScanChunk(AddressScan& scan, const char* chunk, size_t size) {
    if (!scan.address.empty() || size == 0) {
        return;
    }
    std::string text = scan.carry;
    text.append(chunk, size);
    std::smatch match;
    if (std::regex_search(text, match, scan.pattern) && match.suffix().length() > 0) {
        scan.address = match.str(0);
        return;
    }
    const size_t keep = text.size() < kAddressCarryBytes ? text.size() : kAddressCarryBytes;
    scan.carry.assign(text, text.size() - keep, keep);
}

void FinishScan(AddressScan& scan) {
    std::smatch match;
    if (scan.address.empty() && std::regex_search(scan.carry, match, scan.pattern)) {
        scan.address = match.str(0);
    }
}
