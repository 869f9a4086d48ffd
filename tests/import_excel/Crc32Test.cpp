// The zip reader's CRC-32 against zlib's, for every length around the
// folding steps, at unaligned starts, and continued piece by piece.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>

#include "import_excel/Crc32.h"

namespace {

using tessaro7::import_excel::crc32Of;

std::uint32_t zlibOf(std::uint32_t crc, std::string_view s) {
    return static_cast<std::uint32_t>(crc32(crc, reinterpret_cast<const Bytef*>(s.data()), static_cast<uInt>(s.size())));
}

TEST(Crc32, AgreesWithZlibForEveryLengthAndStart) {
    std::mt19937 random(7);
    std::string bytes(1200, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    for (std::size_t start = 0; start < 17; ++start)
        for (std::size_t length = 0; start + length <= 300; ++length) {
            const std::string_view piece = std::string_view(bytes).substr(start, length);
            ASSERT_EQ(crc32Of(0, piece), zlibOf(0, piece)) << "start " << start << ", length " << length;
        }
    const std::size_t longer[] = {1024, 1040, 1100, 1183};
    for (std::size_t length : longer)
        EXPECT_EQ(crc32Of(0, std::string_view(bytes).substr(0, length)), zlibOf(0, std::string_view(bytes).substr(0, length)));
}

TEST(Crc32, ContinuesAcrossPiecesOfAnySize) {
    std::mt19937 random(11);
    std::string bytes(100000, '\0');
    for (char& c : bytes) c = static_cast<char>(random() % 96 + 32);
    const std::size_t pieceSizes[] = {1, 63, 64, 65, 1000, 65536};
    for (std::size_t size : pieceSizes) {
        std::uint32_t crc = 0;
        for (std::size_t at = 0; at < bytes.size(); at += size) crc = crc32Of(crc, std::string_view(bytes).substr(at, size));
        EXPECT_EQ(crc, zlibOf(0, bytes)) << "pieces of " << size;
    }
    EXPECT_EQ(crc32Of(0, "123456789"), 0xCBF43926u);  // the published check value
}

}  // namespace
