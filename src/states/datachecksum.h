#pragma once

#include <cstdint>
#include <string>

// Identifies the data a replay depends on, so that a script recorded against other data
// is noticed: FNV-1a 64 over, in this order, the level's tile map file, levels.ini, the
// character file and enemy.ini, read from the working directory. A missing file counts
// as a short marker text, so its absence changes the checksum too.
namespace datachecksum {

constexpr std::uint64_t kOffsetBasis = 0xcbf29ce484222325ULL;
constexpr std::uint64_t kPrime = 0x100000001b3ULL;

std::uint64_t fnv1a(const std::string& bytes, std::uint64_t hash = kOffsetBasis);
// Sixteen lower-case hex digits.
std::string toHex(std::uint64_t value);
// The checksum of the data for one level and character file, as sixteen hex digits.
std::string compute(const std::string& level, const std::string& character);

}  // namespace datachecksum
