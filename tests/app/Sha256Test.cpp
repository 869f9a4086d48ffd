// SHA-256 against the published test vectors of FIPS 180-4 (NIST's examples)
// and against python3's hashlib for text fed in uneven pieces.
#include "app/Sha256.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

using tessaro7::app::Sha256;
using tessaro7::app::sha256Hex;

struct Vector {
    std::string input;
    const char* digest;
};

TEST(Sha256Test, PublishedVectors) {
    const Vector vectors[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const Vector& v : vectors) EXPECT_EQ(sha256Hex(v.input), v.digest) << v.input.substr(0, 20);
    // One object for digest after digest, whatever was added before, cut to the digits asked for.
    Sha256 reused;
    reused.add("left over");
    for (std::size_t digits : {64u, 32u, 1u}) {
        for (const Vector& v : vectors)
            EXPECT_EQ(reused.hexOf(v.input, digits), std::string(v.digest).substr(0, digits)) << v.input.substr(0, 20);
    }
}

std::string pythonSha256(std::size_t length) {
    std::string command = "/usr/bin/python3 -c \"import hashlib; print(hashlib.sha256(bytes(i % 251 for i in range(" +
                          std::to_string(length) + "))).hexdigest())\"";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    char line[80] = {};
    if (!pipe || !std::fgets(line, sizeof line, pipe.get())) return {};
    std::string digest = line;
    while (!digest.empty() && digest.back() == '\n') digest.pop_back();
    return digest;
}

// Lengths around the 55/56/64-byte padding edges, fed in pieces of 1, 7 and 64 bytes.
TEST(Sha256Test, PiecesAndPaddingEdgesAgreeWithPython) {
    for (std::size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 1000u}) {
        std::string bytes;
        for (std::size_t i = 0; i < length; ++i) bytes += static_cast<char>(i % 251);
        const std::string expected = pythonSha256(length);
        ASSERT_EQ(expected.size(), 64u) << "python3 non disponibile";
        for (std::size_t piece : {1u, 7u, 64u}) {
            Sha256 sha;
            for (std::size_t at = 0; at < bytes.size(); at += piece) sha.add(std::string_view(bytes).substr(at, piece));
            EXPECT_EQ(sha.hex(), expected) << length << " a pezzi di " << piece;
        }
    }
}

}  // namespace
