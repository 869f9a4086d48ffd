// A .csv read from its file comes a piece (1 MiB) at a time: a doubled
// quote, a line end or a separator cut by a piece's end reads as the same
// list read whole from memory.
#include <gtest/gtest.h>

#include "import_excel/SheetReader.h"
#include "support/TempDir.h"

namespace {

using namespace tessaro7::import_excel;

TEST(CsvPieces, TokensCutBetweenPiecesReadAsTheWholeText) {
    constexpr std::size_t kPiece = std::size_t(1) << 20;
    const std::string tokens[] = {"\"a\"\"b\";c\r\nd;e\n", "x;\"\"\"\"\r\n", "\"q;\r\nr\";s\r\n", "é;è\r\n"};
    tessaro7::testing::TempDir dir;
    for (const std::string& token : tokens) {
        for (std::size_t shift = 0; shift < token.size() + 2; ++shift) {
            // The padding line puts the token's byte `shift` at the piece's end.
            const std::string head = "uno;due\n\"";
            std::string text = head + std::string(kPiece - head.size() - 3 - token.size() + shift, 'p') + "\";z\n";
            text += token + "fine;riga\n";
            dir.write("l.csv", text);
            const PreviewGrid fromFile = readSheet((dir / "l.csv").string(), "", 6, 3).grid;
            const PreviewGrid whole = readWorkbookBytes(text, "", 6, 3).grid;
            for (long r = 0; r < 6; ++r)
                for (long c = 0; c < 3; ++c)
                    EXPECT_EQ(fromFile.cell(r, c), whole.cell(r, c)) << token << " shift " << shift << " cell " << r << "," << c;
        }
    }
}

}  // namespace
