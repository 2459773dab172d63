// The archive format's cipher and name hashes: the crypt table, the string hash used
// for table slots, name checks and keys, block encryption, and the key of a file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace storm {

enum class HashType : std::uint32_t {
    tableSlot = 0, // starting slot in the hash table
    nameA = 1,     // first name check stored in a hash entry
    nameB = 2,     // second name check
    fileKey = 3,   // encryption key of a file or table name
};

// The 0x500-word table every hash and the cipher draw from.
const std::array<std::uint32_t, 0x500>& cryptTable();

// Hashes the exact bytes of `name`; only 'a'-'z' are upper-cased, '/' and '\' stay
// distinct, bytes from 0x80 up are taken as unsigned.
std::uint32_t hashName(std::string_view name, HashType type);

// Decrypts (or encrypts) `size` bytes in place as little-endian words; a trailing
// 1-3 bytes are left as they are.
void decryptBlock(std::uint8_t* data, std::size_t size, std::uint32_t key);
void encryptBlock(std::uint8_t* data, std::size_t size, std::uint32_t key);

// The keys of the two tables.
inline constexpr std::uint32_t hashTableKey = 0xC3AF3770;
inline constexpr std::uint32_t blockTableKey = 0xEC83B3A3;

// Which part of a stored name gives the key of an encrypted file.
enum class KeyName {
    afterBackslash, // the part after the last '\' (what the game does)
    afterAnySlash,  // the part after the last '\' or '/'
    wholeName,      // the name as it stands
};

// The key of an encrypted file stored under `name`; with `fixKey` adjusted by the
// block's offset (relative to the archive) and the file's size.
std::uint32_t fileKey(std::string_view name, KeyName rule, bool fixKey, std::uint32_t blockOffset,
                      std::uint32_t fileSize);

} // namespace storm
