// Finds the first dotted IPv4 quad in a web page's body that arrives in
// chunks of any size.
#pragma once

#include <cstddef>
#include <regex>
#include <string>

// The tail of the body kept between chunks: enough for a whole quad (at most
// 15 characters) split across a chunk boundary.
constexpr size_t kAddressCarryBytes = 20;

struct AddressScan {
    std::regex pattern{R"((\d{1,3})\.(\d{1,3})\.(\d{1,3})\.(\d{1,3}))", std::regex::ECMAScript};
    std::string carry;    // the last bytes searched, at most kAddressCarryBytes
    std::string address;  // the first quad of the body; empty until one is certain
};

// Searches the carry-over and the chunk together. A quad that ends right at
// the end of what has arrived may still grow ("203.0.113.7" before "5"), so it
// is taken only once more of the body follows it or the body ends. Once an
// address is known, later chunks change nothing.
void ScanChunk(AddressScan& scan, const char* chunk, size_t size);

// The body has ended (or reading stopped): a quad at its very end now counts.
void FinishScan(AddressScan& scan);
