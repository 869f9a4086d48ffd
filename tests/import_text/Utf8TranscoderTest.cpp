// UTF-8 read in pieces of any size: every valid character as it is, every
// invalid sequence one mark, as ICU marks the maximal parts it cannot read.
#include "import_text/TextEncoding.h"

#include <gtest/gtest.h>
#include <unicode/unistr.h>

#include <random>
#include <string>

namespace {

using namespace tessaro7::import_text;

std::string readInPieces(const std::string& bytes, std::mt19937& random) {
    Utf8Transcoder transcoder(TextEncoding::Utf8);
    std::string out;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t piece = std::min<std::size_t>(bytes.size() - at, 1 + random() % 40);
        transcoder.feed(std::string_view(bytes).substr(at, piece), out);
        at += piece;
    }
    transcoder.finish(out);
    return out;
}

TEST(Utf8Transcoder, AgreesWithIcuOnValidAndInvalidBytes) {
    const std::string pieces[] = {
        "a", "Rossi ", std::string(20, ' '), "à", "€", "𝄞", "ß",
        "\x80", "\xBF", "\xC0\x80", "\xC1\xBF", "\xE2\x82", "\xE2\x28\xA1", "\xED\xA0\x80", "\xF0\x90\x80",
        "\xF4\x90\x80\x80", "\xF5", "\xFE", "\xFF", "\xC3", "\xE0\x80\x80", "\xF0\x80\x80\x80"};
    std::mt19937 random(3);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes;
        for (int k = 0, n = static_cast<int>(random() % 30); k < n; ++k) bytes += pieces[random() % std::size(pieces)];
        std::string expected;
        icu::UnicodeString::fromUTF8(bytes).toUTF8String(expected);
        std::string read = readInPieces(bytes, random);
        std::string marked;
        for (char c : read) marked += c == kInvalidMark ? std::string("\xEF\xBF\xBD") : std::string(1, c);
        ASSERT_EQ(marked, expected) << round;
    }
}

}  // namespace
