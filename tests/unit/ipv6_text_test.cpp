// IPv6 texts: the RFC 4291 forms read in, the RFC 5952 form written out, and
// the outside address found in a body that arrives in chunks.
#include "base/ipv6_text.h"
#include "info/ipv6_scanner.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Canonical(const std::string& text) {
    Ipv6Bytes bytes;
    if (!ParseIpv6(text.data(), text.size(), bytes)) {
        return "<refused>";
    }
    char shown[kAddressTextCapacity];
    FormatIpv6(bytes, shown);
    return shown;
}

TEST(Ipv6Text, ReadsEveryRfc4291FormAndWritesTheRfc5952One) {
    const std::pair<const char*, const char*> cases[] = {
        // Lower case, leading zeros dropped, the longest zero run as "::".
        {"2001:0DB8:0000:0000:0000:0000:0000:0001", "2001:db8::1"},
        {"2001:db8:0:0:0:0:2:1", "2001:db8::2:1"},
        // A single zero group is not compressed.
        {"2001:db8:0:1:1:1:1:1", "2001:db8:0:1:1:1:1:1"},
        {"2001:db8::1:1:1:1:1", "2001:db8:0:1:1:1:1:1"},
        // The longest run wins; of equal runs the first.
        {"2001:0:0:1:0:0:0:1", "2001:0:0:1::1"},
        {"2001:db8:0:0:1:0:0:1", "2001:db8::1:0:0:1"},
        // Runs at either end, and nothing but zeros.
        {"0:0:0:0:0:0:0:1", "::1"},
        {"1:0:0:0:0:0:0:0", "1::"},
        {"::", "::"},
        {"fe80::", "fe80::"},
        // The longest text there is, and a dotted quad in the last 32 bits.
        {"ffff:ffff:ffff:ffff:ffff:ffff:255.255.255.255", "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff"},
        {"64:ff9b::192.0.2.33", "64:ff9b::c000:221"},
        {"::1:2:3:4:5:6:7", "0:1:2:3:4:5:6:7"},
        // Refused: too many or too few groups, two gaps, five digits, stray
        // colons, a quad not at the end or out of range, zones and prefixes.
        {"1:2:3:4:5:6:7:8:9", "<refused>"},
        {"1:2:3:4:5:6:7", "<refused>"},
        {"1::2::3", "<refused>"},
        {"2001:db8::12345", "<refused>"},
        {":1::", "<refused>"},
        {"1::2:", "<refused>"},
        {":::", "<refused>"},
        {"::1.2.3.4:5", "<refused>"},
        {"::256.0.0.1", "<refused>"},
        {"::01.2.3.4", "<refused>"},
        {"1:2:3:4:5:6:7:1.2.3.4", "<refused>"},
        {"fe80::1%11", "<refused>"},
        {"2001:db8::/32", "<refused>"},
        {"192.0.2.1", "<refused>"},
        {"", "<refused>"},
    };
    for (const auto& [text, shown] : cases) {
        EXPECT_EQ(Canonical(text), shown) << text;
    }
}

TEST(Ipv6Text, OutsideAddressesExcludeWhatNoOutsiderHandsOut) {
    const std::pair<const char*, bool> cases[] = {
        {"2001:db8::1", true},       // documentation prefixes count
        {"fd12:3456::1", true},      // unique-local too
        {"::", false},               // unspecified
        {"::1", false},              // loopback
        {"fe80::1", false},          // link-local
        {"febf::1", false},          // still fe80::/10
        {"fec0::1", true},
        {"::ffff:192.0.2.1", false},  // IPv4-mapped
        {"ff02::1", false},          // multicast
        {"::2", true},
    };
    for (const auto& [text, outside] : cases) {
        Ipv6Bytes bytes;
        ASSERT_TRUE(ParseIpv6(text, std::strlen(text), bytes)) << text;
        EXPECT_EQ(IsOutsideIpv6(bytes), outside) << text;
    }
}

TEST(Ipv6Scanner, FindsTheFirstOutsideAddressWhateverTheChunks) {
    struct Case {
        const char* what;
        std::vector<std::string> chunks;
        std::string address;
    };
    const Case cases[] = {
        {"plain text", {"2001:DB8:0:0::0001\n"}, "2001:db8::1"},
        {"a mapped address first", {"via ::ffff:192.0.2.1 you are 2001:db8::7"}, "2001:db8::7"},
        {"loopback, link-local, multicast first", {"::1 fe80::1 ff02::1 2001:db8::8"}, "2001:db8::8"},
        {"split inside a group", {"ip=2001:db", "8::9 end"}, "2001:db8::9"},
        {"one byte at a time", {"<", "2", "0", "0", "1", ":", "d", "b", "8", ":", ":", "a", ">"}, "2001:db8::a"},
        {"at the very end of the body", {"Your address: 2001:db8::b"}, "2001:db8::b"},
        {"a sentence's full stop", {"You are 2001:db8::c."}, "2001:db8::c"},
        {"an IPv4 page has none", {"Current IP Address: 203.0.113.7"}, ""},
        {"hex words are no address", {"deadbeef cafe:babe"}, ""},
        {"an overlong run is no address", {std::string(70, '1') + ":2001:db8::1"}, ""},
        {"JSON", {R"({"ip":"2001:db8:85a3::8a2e:370:7334"})"}, "2001:db8:85a3::8a2e:370:7334"},
    };
    for (const Case& c : cases) {
        Ipv6Scan scan;
        for (const std::string& chunk : c.chunks) {
            ScanChunk(scan, chunk.data(), chunk.size());
            EXPECT_LE(scan.run.size(), kIpv6RunBytes) << c.what;
        }
        FinishScan(scan);
        EXPECT_EQ(scan.address, c.address) << c.what;
    }
}

}  // namespace
