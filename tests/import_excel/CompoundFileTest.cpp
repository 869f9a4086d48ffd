// The checks of the compound-file reader on containers made by hand: each
// chain fault is refused with its cause, a short last sector is read.
#include "import_excel/CompoundFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>

#include "import_excel/WorkbookReader.h"
#include "support/BiffBytes.h"
#include "support/TempDir.h"

namespace {

using namespace tessaro7::import_excel;
using tessaro7::testing::CompoundFileBytes;

std::string payload(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += static_cast<char>('a' + i % 26);
    return s;
}

std::optional<ReadFailure> failureOf(const std::string& file) {
    try {
        compoundFileStream(file, {"Workbook", "Book"});
    } catch (const SheetReadError& e) {
        return e.cause();
    }
    return std::nullopt;
}

TEST(CompoundFile, ReadsTheStreamWholeAndWithAShortLastSector) {
    CompoundFileBytes file(payload(4096 + 100));
    EXPECT_EQ(compoundFileStream(file.bytes(), {"Workbook"}), file.stream);
    EXPECT_EQ(compoundFileStream(file.bytes(true), {"workbook"}), file.stream);
    EXPECT_EQ(file.bytes(true).size() % 512, 100u);
}

// A stream is read from the file where its bytes are asked for: in pieces
// of any size, from any place, the same bytes whether its sectors follow each
// other in the file or are scattered.
TEST(CompoundFile, AStreamReadsTheSameInPiecesInOrderOrScattered) {
    for (bool scattered : {false, true}) {
        CompoundFileBytes built(payload(9 * 512 + 77));  // the stream in file sectors 2 to 11
        std::string file;
        if (scattered) {  // its second part in sector 4, its third in sector 3
            built.fat[2] = 4;
            built.fat[4] = 3;
            built.fat[3] = 5;
            file = built.bytes();
            const std::size_t second = (3 + 1) * 512, third = (4 + 1) * 512;
            const std::string moved = file.substr(second, 512);
            file.replace(second, 512, file.substr(third, 512));
            file.replace(third, 512, moved);
        } else {
            file = built.bytes();
        }
        const std::unique_ptr<ByteSource> stream = compoundFileStream(memoryBytes(std::string_view(file)), {"Workbook"});
        ASSERT_EQ(stream->size(), built.stream.size());
        for (std::size_t piece : {std::size_t(1), std::size_t(100), std::size_t(511), std::size_t(512), std::size_t(5000)}) {
            std::string read, buffer;
            for (std::size_t at = 0; at < built.stream.size(); at += piece) read += stream->bytes(at, piece, buffer);
            EXPECT_EQ(read, built.stream) << "scattered " << scattered << ", pieces of " << piece;
        }
        std::string buffer;
        EXPECT_EQ(stream->bytes(1000, 30, buffer), built.stream.substr(1000, 30)) << scattered;
        EXPECT_EQ(stream->bytes(built.stream.size() - 5, 100, buffer), built.stream.substr(built.stream.size() - 5));
        EXPECT_TRUE(stream->bytes(built.stream.size(), 10, buffer).empty());
    }
}

// A stream read from its file: the same bytes; a file cut once its chain
// was checked is said to be, not read short.
TEST(CompoundFile, AStreamIsReadFromItsFileAndACutFileIsSaidToBe) {
    CompoundFileBytes built(payload(100 * 512));  // as many sectors as one allocation sector lists
    tessaro7::testing::TempDir dir;
    const auto path = dir / "libro.xls";
    dir.write("libro.xls", built.bytes());
    std::string buffer;
    {
        const auto stream = compoundFileStream(fileBytes(path.string()), {"Workbook"});
        EXPECT_EQ(stream->bytes(0, built.stream.size(), buffer), built.stream);
    }
    const auto stream = compoundFileStream(fileBytes(path.string()), {"Workbook"});
    std::filesystem::resize_file(path, 50 * 512);
    try {
        stream->bytes(0, built.stream.size(), buffer);
        ADD_FAILURE() << "a cut file was read";
    } catch (const SheetReadError& e) {
        EXPECT_EQ(e.cause(), ReadFailure::Truncated) << e.what();
    }
}

TEST(CompoundFile, EachFaultIsRefusedWithItsCause) {
    struct Case {
        const char* what;
        std::function<std::string()> file;
        ReadFailure cause;
    };
    const Case cases[] = {
        {"the stream's chain returns to its start",
         [] { CompoundFileBytes f(payload(5000)); f.fat[4] = 2; return f.bytes(); }, ReadFailure::ChainLoop},
        {"a chain that points at itself",
         [] { CompoundFileBytes f(payload(5000)); f.fat[3] = 3; return f.bytes(); }, ReadFailure::ChainLoop},
        {"the directory's chain points at itself",
         [] { CompoundFileBytes f(payload(5000)); f.fat[1] = 1; return f.bytes(); }, ReadFailure::ChainLoop},
        {"a chain past the allocation table",
         [] { CompoundFileBytes f(payload(5000)); f.fat[3] = 500; return f.bytes(); }, ReadFailure::BadOffset},
        {"a chain past the end of the file",
         [] { CompoundFileBytes f(payload(5000)); f.fat[3] = 100; return f.bytes(); }, ReadFailure::BadOffset},
        {"a stream longer than its chain",
         [] { CompoundFileBytes f(payload(5000)); f.fat[5] = 0xFFFFFFFE; return f.bytes(); }, ReadFailure::Truncated},
        {"a file cut at a sector's start before the stream's end",
         [] { CompoundFileBytes f(payload(5000)); std::string b = f.bytes(true); return b.substr(0, b.size() - 5000 % 512); },
         ReadFailure::BadOffset},
        {"a file cut inside a sector before the stream's end",
         [] { CompoundFileBytes f(payload(5000)); std::string b = f.bytes(true); return b.substr(0, b.size() - 100); },
         ReadFailure::Truncated},
        {"no workbook stream", [] { CompoundFileBytes f(payload(5000)); f.streamName = "Other"; return f.bytes(); },
         ReadFailure::NotThisFormat},
        {"a package protected by password",
         [] { CompoundFileBytes f(payload(5000)); f.streamName = "EncryptionInfo"; return f.bytes(); },
         ReadFailure::Encrypted},
        {"a header cut short", [] { return CompoundFileBytes(payload(5000)).bytes().substr(0, 300); },
         ReadFailure::Truncated},
    };
    for (const Case& c : cases) EXPECT_EQ(failureOf(c.file()), c.cause) << c.what;
}

}  // namespace
