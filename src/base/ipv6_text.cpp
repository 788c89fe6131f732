#include "base/ipv6_text.h"

#include <cstring>

namespace {

constexpr int kGroups = 8;

int HexValue(char c) noexcept {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// A dotted quad of four decimal numbers up to 255, with no leading zeros
// (inet_pton's rule, which keeps "010" from meaning 8 or 10 by accident).
bool ParseQuad(const char* text, size_t length, uint8_t (&out)[4]) noexcept {
    size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (at >= length || text[at] != '.') {
                return false;
            }
            ++at;
        }
        const size_t start = at;
        int value = 0;
        while (at < length && text[at] >= '0' && text[at] <= '9' && at - start < 3) {
            value = value * 10 + (text[at] - '0');
            ++at;
        }
        const size_t digits = at - start;
        if (digits == 0 || value > 255 || (digits > 1 && text[start] == '0')) {
            return false;
        }
        out[part] = static_cast<uint8_t>(value);
    }
    return at == length;
}

}  // namespace

bool ParseIpv6(const char* text, size_t length, Ipv6Bytes& bytes) noexcept {
    uint16_t groups[kGroups] = {};
    int count = 0;
    int gap = -1;  // where "::" stands, in groups
    size_t at = 0;
    if (length >= 2 && text[0] == ':' && text[1] == ':') {
        gap = 0;
        at = 2;
    } else if (length >= 1 && text[0] == ':') {
        return false;
    }
    while (at < length) {
        if (count == kGroups) {
            return false;
        }
        size_t end = at;
        while (end < length && text[end] != ':') {
            ++end;
        }
        const char* piece = text + at;
        const size_t pieceLength = end - at;
        if (end == length && std::memchr(piece, '.', pieceLength)) {
            uint8_t quad[4];
            if (count > kGroups - 2 || !ParseQuad(piece, pieceLength, quad)) {
                return false;
            }
            groups[count++] = static_cast<uint16_t>(quad[0] << 8 | quad[1]);
            groups[count++] = static_cast<uint16_t>(quad[2] << 8 | quad[3]);
            at = end;
            break;
        }
        if (pieceLength == 0 || pieceLength > 4) {
            return false;
        }
        unsigned value = 0;
        for (size_t i = 0; i < pieceLength; ++i) {
            const int digit = HexValue(piece[i]);
            if (digit < 0) {
                return false;
            }
            value = value << 4 | static_cast<unsigned>(digit);
        }
        groups[count++] = static_cast<uint16_t>(value);
        at = end;
        if (at == length) {
            break;
        }
        ++at;  // the colon
        if (at < length && text[at] == ':') {
            if (gap >= 0) {
                return false;
            }
            gap = count;
            ++at;
        } else if (at == length) {
            return false;  // a single trailing colon
        }
    }
    if (gap < 0 ? count != kGroups : count > kGroups - 1) {
        return false;
    }
    uint16_t full[kGroups] = {};
    const int before = gap < 0 ? count : gap;
    for (int i = 0; i < before; ++i) {
        full[i] = groups[i];
    }
    for (int i = before; i < count; ++i) {
        full[kGroups - (count - i)] = groups[i];
    }
    for (int i = 0; i < kGroups; ++i) {
        bytes[2 * i] = static_cast<uint8_t>(full[i] >> 8);
        bytes[2 * i + 1] = static_cast<uint8_t>(full[i] & 0xFF);
    }
    return true;
}

void FormatIpv6(const Ipv6Bytes& bytes, char (&text)[kAddressTextCapacity]) noexcept {
    unsigned groups[kGroups];
    for (int i = 0; i < kGroups; ++i) {
        groups[i] = static_cast<unsigned>(bytes[2 * i]) << 8 | bytes[2 * i + 1];
    }
    int bestStart = -1;
    int bestLength = 1;  // a lone zero group stays "0"
    for (int i = 0; i < kGroups;) {
        int run = 0;
        while (i + run < kGroups && groups[i + run] == 0) {
            ++run;
        }
        if (run > bestLength) {
            bestStart = i;
            bestLength = run;
        }
        i += run > 0 ? run : 1;
    }
    static const char kDigits[] = "0123456789abcdef";
    size_t out = 0;
    for (int i = 0; i < kGroups; ++i) {
        if (i == bestStart) {
            text[out++] = ':';
            if (i == 0) {
                text[out++] = ':';
            }
            i += bestLength - 1;
            continue;
        }
        bool leading = true;
        for (int shift = 12; shift >= 0; shift -= 4) {
            const unsigned digit = (groups[i] >> shift) & 0xF;
            if (digit != 0 || !leading || shift == 0) {
                text[out++] = kDigits[digit];
                leading = false;
            }
        }
        if (i < kGroups - 1) {
            text[out++] = ':';
        }
    }
    text[out] = '\0';
}

void FormatIpv6(const Ipv6Bytes& bytes, wchar_t (&text)[kAddressTextCapacity]) noexcept {
    char narrow[kAddressTextCapacity];
    FormatIpv6(bytes, narrow);
    size_t i = 0;
    for (; narrow[i] != '\0'; ++i) {
        text[i] = static_cast<wchar_t>(narrow[i]);
    }
    text[i] = L'\0';
}

bool IsLinkLocalIpv6(const Ipv6Bytes& bytes) noexcept { return bytes[0] == 0xFE && (bytes[1] & 0xC0) == 0x80; }

bool IsOutsideIpv6(const Ipv6Bytes& bytes) noexcept {
    static const uint8_t kMappedPrefix[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
    bool zeroUpTo15 = true;
    for (int i = 0; i < 15; ++i) {
        zeroUpTo15 = zeroUpTo15 && bytes[i] == 0;
    }
    const bool unspecifiedOrLoopback = zeroUpTo15 && bytes[15] <= 1;
    const bool mapped = std::memcmp(bytes, kMappedPrefix, sizeof kMappedPrefix) == 0;
    const bool multicast = bytes[0] == 0xFF;
    return !unspecifiedOrLoopback && !mapped && !multicast && !IsLinkLocalIpv6(bytes);
}
