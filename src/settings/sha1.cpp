#include "settings/sha1.h"

#include <vector>

namespace px {

namespace {

constexpr std::size_t kBlockBytes = 64;
constexpr std::size_t kLengthBytes = 8;
constexpr std::array<std::uint32_t, 5> kInitialState = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu,
                                                        0x10325476u, 0xC3D2E1F0u};
// Round constants of the four groups of twenty rounds.
constexpr std::array<std::uint32_t, 4> kRoundConstants = {0x5A827999u, 0x6ED9EBA1u, 0x8F1BBCDCu,
                                                          0xCA62C1D6u};

std::uint32_t rotl(std::uint32_t v, int n) {
    return (v << n) | (v >> (32 - n));
}

void compress(std::array<std::uint32_t, 5>& h, const std::uint8_t* block) {
    std::array<std::uint32_t, 80> w{};
    for (std::size_t t = 0; t < 16; ++t)
        w[t] = std::uint32_t{block[4 * t]} << 24 | std::uint32_t{block[4 * t + 1]} << 16 |
               std::uint32_t{block[4 * t + 2]} << 8 | std::uint32_t{block[4 * t + 3]};
    for (std::size_t t = 16; t < 80; ++t)
        w[t] = rotl(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
    std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
    for (std::size_t t = 0; t < 80; ++t) {
        std::uint32_t f = 0;
        if (t < 20)
            f = (b & c) | (~b & d);
        else if (t < 40 || t >= 60)
            f = b ^ c ^ d;
        else
            f = (b & c) | (b & d) | (c & d);
        const std::uint32_t temp = rotl(a, 5) + f + e + kRoundConstants[t / 20] + w[t];
        e = d;
        d = c;
        c = rotl(b, 30);
        b = a;
        a = temp;
    }
    h[0] += a;
    h[1] += b;
    h[2] += c;
    h[3] += d;
    h[4] += e;
}

}  // namespace

std::array<std::uint8_t, 20> sha1(std::string_view data) {
    // The message, a 1 bit, zeros, and its length in bits as a big-endian 64-bit number.
    std::vector<std::uint8_t> message(data.begin(), data.end());
    const std::uint64_t bits = static_cast<std::uint64_t>(data.size()) * 8;
    message.push_back(0x80);
    while (message.size() % kBlockBytes != kBlockBytes - kLengthBytes)
        message.push_back(0);
    for (int shift = 56; shift >= 0; shift -= 8)
        message.push_back(static_cast<std::uint8_t>(bits >> shift));

    std::array<std::uint32_t, 5> h = kInitialState;
    for (std::size_t at = 0; at < message.size(); at += kBlockBytes)
        compress(h, message.data() + at);

    std::array<std::uint8_t, 20> digest{};
    for (std::size_t i = 0; i < digest.size(); ++i)
        digest[i] = static_cast<std::uint8_t>(h[i / 4] >> (24 - 8 * (i % 4)));
    return digest;
}

std::string sha1Hex(std::string_view data) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (std::uint8_t byte : sha1(data)) {
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0x0F];
    }
    return out;
}

}  // namespace px
