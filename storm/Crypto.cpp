#include "storm/Crypto.h"

namespace storm {
namespace {

std::array<std::uint32_t, 0x500> makeCryptTable() {
    std::array<std::uint32_t, 0x500> table{};
    std::uint32_t seed = 0x00100001;
    for (std::size_t column = 0; column < 0x100; ++column) {
        for (std::size_t group = 0; group < 5; ++group) {
            seed = (seed * 125 + 3) % 0x2AAAAB;
            const std::uint32_t high = seed & 0xFFFF;
            seed = (seed * 125 + 3) % 0x2AAAAB;
            const std::uint32_t low = seed & 0xFFFF;
            table[group * 0x100 + column] = (high << 16) | low;
        }
    }
    return table;
}

std::uint32_t loadWord(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void storeWord(std::uint8_t* p, std::uint32_t w) {
    p[0] = static_cast<std::uint8_t>(w);
    p[1] = static_cast<std::uint8_t>(w >> 8);
    p[2] = static_cast<std::uint8_t>(w >> 16);
    p[3] = static_cast<std::uint8_t>(w >> 24);
}

std::uint32_t nextKey(std::uint32_t key) {
    return ((~key << 21) + 0x11111111u) | (key >> 11);
}

} // namespace

const std::array<std::uint32_t, 0x500>& cryptTable() {
    static const std::array<std::uint32_t, 0x500> table = makeCryptTable();
    return table;
}

std::uint32_t hashName(std::string_view name, HashType type) {
    const auto& table = cryptTable();
    const std::size_t group = static_cast<std::size_t>(type) * 0x100;
    std::uint32_t a = 0x7FED7FED;
    std::uint32_t b = 0xEEEEEEEE;
    for (const char ch : name) {
        std::uint32_t c = static_cast<std::uint8_t>(ch);
        if (c >= 'a' && c <= 'z') {
            c -= 0x20;
        }
        a = table[group + c] ^ (a + b);
        b = c + a + b + (b << 5) + 3;
    }
    return a;
}

void decryptBlock(std::uint8_t* data, std::size_t size, std::uint32_t key) {
    const auto& table = cryptTable();
    std::uint32_t k2 = 0xEEEEEEEE;
    for (std::size_t i = 0; i + 4 <= size; i += 4) {
        k2 += table[0x400 + (key & 0xFF)];
        const std::uint32_t plain = loadWord(data + i) ^ (key + k2);
        storeWord(data + i, plain);
        key = nextKey(key);
        k2 = plain + k2 + (k2 << 5) + 3;
    }
}

void encryptBlock(std::uint8_t* data, std::size_t size, std::uint32_t key) {
    const auto& table = cryptTable();
    std::uint32_t k2 = 0xEEEEEEEE;
    for (std::size_t i = 0; i + 4 <= size; i += 4) {
        k2 += table[0x400 + (key & 0xFF)];
        const std::uint32_t plain = loadWord(data + i);
        storeWord(data + i, plain ^ (key + k2));
        key = nextKey(key);
        k2 = plain + k2 + (k2 << 5) + 3;
    }
}

std::uint32_t fileKey(std::string_view name, KeyName rule, bool fixKey, std::uint32_t blockOffset,
                      std::uint32_t fileSize) {
    std::string_view plain = name;
    if (rule != KeyName::wholeName) {
        const auto cut =
            rule == KeyName::afterBackslash ? name.rfind('\\') : name.find_last_of("\\/");
        if (cut != std::string_view::npos) {
            plain = name.substr(cut + 1);
        }
    }
    std::uint32_t key = hashName(plain, HashType::fileKey);
    if (fixKey) {
        key = (key + blockOffset) ^ fileSize;
    }
    return key;
}

} // namespace storm
