// Finds the first IPv6 address from outside in a web page's body that arrives
// in chunks of any size.
#pragma once

#include <cstddef>
#include <string>

// The longest text that can still be an address, trailing dots included
// (a sentence may end right after it).
constexpr size_t kIpv6RunBytes = 64;

// The body is read as runs of the characters an address is written with (hex
// digits, colons and dots); everything else ends a run. A run is one
// candidate, taken without the dots that end it.
struct Ipv6Scan {
    std::string run;      // the run in progress, at most kIpv6RunBytes
    bool overlong = false;  // the run grew past that: nothing it could be
    std::string address;  // RFC 5952 form; empty until one is certain
};

// Feeds the chunk. A candidate is judged once its run has ended, so an address
// split across chunks is read whole. Once an address is known, later chunks
// change nothing.
void ScanChunk(Ipv6Scan& scan, const char* chunk, size_t size);

// The body has ended (or reading stopped): a run at its very end now counts.
void FinishScan(Ipv6Scan& scan);

// The answer a run gives: the RFC 5952 form of the address it holds when that
// parses and is one the outside world hands out; empty otherwise.
std::string OutsideIpv6Of(const std::string& run);
