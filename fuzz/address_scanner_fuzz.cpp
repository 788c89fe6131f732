// Bodies of digits, dots and noise for the chunked address scan: each body is
// scanned whole, split in two at every position, and cut into many random
// chunks, and every scan must find what one search of the whole body finds.
#include "fuzz_driver.h"

#include "info/address_scanner.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Body(FuzzRng& rng) {
    static const char* const kPieces[] = {"1", "2", "25", "255", "0", "999", "1234", ".", ".", "..", "a", " ",
                                          "192.0.2.1", "10.0.0", "\n", "", "x.", "7."};  // "": a zero byte
    std::string body;
    const size_t pieces = rng.OneIn(50) ? 200 + rng.Below(800) : rng.Below(24);
    for (size_t i = 0; i < pieces; ++i) {
        const char* piece = rng.Pick(kPieces);
        body.append(piece, *piece ? std::strlen(piece) : 1);
    }
    return body;
}

std::string Scan(const AddressScan& fresh, const std::string& body, const std::vector<size_t>& cuts) {
    AddressScan scan = fresh;
    size_t from = 0;
    for (size_t cut : cuts) {
        ScanChunk(scan, body.data() + from, cut - from);
        from = cut;
    }
    ScanChunk(scan, body.data() + from, body.size() - from);
    FinishScan(scan);
    return scan.address;
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
        // Scanning straight from the guarded copy: no byte past the body is read.
        AddressScan whole = fresh;
        ScanChunk(whole, data, body.size());
        FinishScan(whole);
        bool same = whole.address == expected;
        if (body.size() <= 64) {
            for (size_t cut = 1; cut < body.size(); ++cut) {
                same = same && Scan(fresh, body, {cut}) == expected;
            }
        }
        std::vector<size_t> cuts;
        for (size_t at = rng.Below(8); at < body.size(); at += 1 + rng.Below(rng.OneIn(4) ? 40 : 4)) {
            cuts.push_back(at);
        }
        same = same && Scan(fresh, body, cuts) == expected;
        if (!same) {
            Finding("the chunked scan differs from one search of the whole body");
        }
    }
}

}  // namespace

const FuzzTarget kAddressScannerTarget{"address_scanner", Run};
