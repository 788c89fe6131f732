// The search for the first dotted quad in a body that arrives in chunks.
#include "info/address_scanner.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::string> OneByteChunks(const std::string& text) {
    std::vector<std::string> chunks;
    for (char c : text) {
        chunks.emplace_back(1, c);
    }
    return chunks;
}

TEST(AddressScanner, FindsTheFirstQuadWhateverTheChunks) {
    struct Case {
        const char* what;
        std::vector<std::string> chunks;
        std::string address;
    };
    const Case cases[] = {
        {"one chunk", {"Current IP Address: 203.0.113.7"}, "203.0.113.7"},
        {"split between groups", {"Current IP Address: 203.0.", "113.7\n"}, "203.0.113.7"},
        {"split inside a group", {"ip 203.0.11", "3.75 end"}, "203.0.113.75"},
        {"quad at a chunk's end still grows", {"ip 203.0.113.7", "5</p>"}, "203.0.113.75"},
        {"one byte at a time", OneByteChunks("You are 198.51.100.23, welcome"), "198.51.100.23"},
        {"digit counts only, not ranges", {"999.1.2.3"}, "999.1.2.3"},
        {"four digits: the match starts inside", {"1234.5.6.7"}, "234.5.6.7"},
        {"four digits split", {"x 1", "234.5.6.7"}, "234.5.6.7"},
        {"no quad", {"<html>1.2.3 is not one", "</html>"}, ""},
        {"first of one chunk", {"10.0.0.1 and 10.0.0.2"}, "10.0.0.1"},
        {"first of the body, later chunks ignored", {"203.0.113.7 ", "nothing", " 198.51.100.1"}, "203.0.113.7"},
        {"a zero byte does not end the search", {std::string("x\0y 192.0.2.1 ", 14)}, "192.0.2.1"},
    };
    for (const Case& c : cases) {
        AddressScan scan;
        for (const std::string& chunk : c.chunks) {
            ScanChunk(scan, chunk.data(), chunk.size());
            EXPECT_LE(scan.carry.size(), kAddressCarryBytes) << c.what;
        }
        FinishScan(scan);
        EXPECT_EQ(scan.address, c.address) << c.what;
    }
}

}  // namespace
