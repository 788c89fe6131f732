// Bodies of digits, dots, colons, hex and noise for the chunked address scans
// (IPv4 and IPv6): each body is scanned whole, split in two at every position,
// and cut into many random chunks, and every scan must find what one search of
// the whole body finds. An IPv6 answer must be in its one canonical form and
// stand for the same address as the text it was read from.
#include "fuzz_driver.h"

#include "base/ipv6_text.h"
#include "info/address_scanner.h"
#include "info/ipv6_scanner.h"

#include <algorithm>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

namespace {

std::string Body(FuzzRng& rng) {
    static const char* const kPieces[] = {"1", "2", "25", "255", "0", "999", "1234", ".", ".", "..", "a", " ",
                                          "192.0.2.1", "10.0.0", "\n", "", "x.", "7.",  // "": a zero byte
                                          ":", ":", "::", "2001", "db8", "0DB8", "ffff", "fe80", "FF02", "00000",
                                          "2001:db8::", "::ffff:", "1:2:3:4:5:6:7", "0:0", "%", "g"};
    std::string body;
    const size_t pieces = rng.OneIn(50) ? 200 + rng.Below(800) : rng.Below(24);
    for (size_t i = 0; i < pieces; ++i) {
        const char* piece = rng.Pick(kPieces);
        body.append(piece, *piece ? std::strlen(piece) : 1);
    }
    return body;
}

template <typename Scan>
std::string ChunkedScan(const Scan& fresh, const std::string& body, const std::vector<size_t>& cuts) {
    Scan scan = fresh;
    size_t from = 0;
    for (size_t cut : cuts) {
        ScanChunk(scan, body.data() + from, cut - from);
        from = cut;
    }
    ScanChunk(scan, body.data() + from, body.size() - from);
    FinishScan(scan);
    return scan.address;
}

struct Ipv6Found {
    std::string answer;
    std::string run;  // the text it was read from, ending dots dropped
};

// The IPv6 answer found another way: every run the regex finds, in order.
Ipv6Found ExpectedIpv6(const std::string& body) {
    static const std::regex kRun("[0-9A-Fa-f:.]+");
    for (std::sregex_iterator run(body.begin(), body.end(), kRun), end; run != end; ++run) {
        std::string text = run->str();
        const std::string answer = text.size() <= kIpv6RunBytes ? OutsideIpv6Of(text) : std::string();
        if (!answer.empty()) {
            return {answer, text.substr(0, text.find_last_not_of('.') + 1)};
        }
    }
    return {};
}

// RFC 5952: lower-case groups without leading zeros, and "::" exactly for the
// longest run of two or more zero groups, the first of equal ones. The value
// is the one the text stood for.
bool Canonical(const Ipv6Found& found) {
    static const std::regex kShape("(::)?([1-9a-f][0-9a-f]{0,3}|0)?((::?)([1-9a-f][0-9a-f]{0,3}|0))*(::)?");
    Ipv6Bytes read;
    Ipv6Bytes shown;
    if (!std::regex_match(found.answer, kShape) || !ParseIpv6(found.run.data(), found.run.size(), read) ||
        !ParseIpv6(found.answer.data(), found.answer.size(), shown) || std::memcmp(read, shown, 16) != 0) {
        return false;
    }
    int bestStart = -1;
    int bestLength = 1;
    for (int i = 0; i < 8; ++i) {
        int run = 0;
        while (i + run < 8 && shown[2 * (i + run)] == 0 && shown[2 * (i + run) + 1] == 0) {
            ++run;
        }
        if (run > bestLength) {
            bestStart = i;
            bestLength = run;
        }
    }
    const size_t gap = found.answer.find("::");
    if (bestStart < 0) {
        return gap == std::string::npos;
    }
    if (gap == std::string::npos || found.answer.find("::", gap + 1) != std::string::npos) {
        return false;
    }
    const auto groupsIn = [](const std::string& part) {
        return part.empty() ? 0 : static_cast<int>(std::count(part.begin(), part.end(), ':')) + 1;
    };
    return groupsIn(found.answer.substr(0, gap)) == bestStart &&
           groupsIn(found.answer.substr(gap + 2)) == 8 - bestStart - bestLength;
}

template <typename Scan>
bool ChunkingAgrees(const Scan& fresh, const char* data, const std::string& body, const std::string& expected,
                    const std::vector<size_t>& cuts) {
    // Scanning straight from the guarded copy: no byte past the body is read.
    Scan whole = fresh;
    ScanChunk(whole, data, body.size());
    FinishScan(whole);
    bool same = whole.address == expected;
    if (body.size() <= 64) {
        for (size_t cut = 1; cut < body.size(); ++cut) {
            same = same && ChunkedScan(fresh, body, {cut}) == expected;
        }
    }
    return same && ChunkedScan(fresh, body, cuts) == expected;
}

void Run(uint64_t seed, uint64_t first, uint64_t count) {
    GuardedArena arena(1 << 16);
    // Compiled once: copies share the compiled pattern.
    const AddressScan fresh;
    for (uint64_t index = first; index < first + count; ++index) {
        FuzzRng rng = InputRng(seed, index);
        const std::string generated = Body(rng);
        const char* data = reinterpret_cast<const char*>(arena.AtEnd(generated.data(), generated.size()));
        const std::string body(data, generated.size());
        BeginInput(index, data, body.size());

        std::smatch match;
        const std::string expected = std::regex_search(body, match, fresh.pattern) ? match.str(0) : std::string();
        std::vector<size_t> cuts;
        for (size_t at = rng.Below(8); at < body.size(); at += 1 + rng.Below(rng.OneIn(4) ? 40 : 4)) {
            cuts.push_back(at);
        }
        if (!ChunkingAgrees(fresh, data, body, expected, cuts)) {
            Finding("the chunked scan differs from one search of the whole body");
        }
        const Ipv6Found expected6 = ExpectedIpv6(body);
        if (!ChunkingAgrees(Ipv6Scan{}, data, body, expected6.answer, cuts)) {
            Finding("the chunked IPv6 scan differs from one search of the whole body");
        }
        if (!expected6.answer.empty() && !Canonical(expected6)) {
            Finding("an IPv6 answer is not in its canonical form");
        }
    }
}

}  // namespace

const FuzzTarget kAddressScannerTarget{"address_scanner", Run};
