// Text files as users bring them: right-aligned numbers, the preview marking
// what the import refuses, every encoding, bytes that are not text, lines far
// longer than anything mapped. Each through the real import and preview.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cmath>
#include <fstream>

#include "import_text/Encoded.h"
#include "import_text/TextArchive.h"
#include "import_text/TextFields.h"
#include "import_text/TextImport.h"
#include "import_text/TextPreview.h"

namespace {

using namespace tessaro7::import_text;
using tessaro7::testing::encodedAs;
using tessaro7::testing::encodingCases;
using tessaro7::testing::TextArchive;
using Row = std::vector<std::string>;

class TextFilesTest : public ::testing::Test {
protected:
    TextArchive a;
    std::string lastArticle = a.business("select coalesce(max(rowid), 0) from articoli")[0][0];
    std::string lastCustomer = a.business("select coalesce(max(rowid), 0) from clienti")[0][0];

    std::vector<Row> addedArticles(const std::string& fields) const {
        return a.business("select " + fields + " from articoli where rowid > " + lastArticle + " order by rowid");
    }
};

// The article number fields, by mapping row, with their maximum.
struct NumberField {
    int row;
    const char* name;
    int maximum;
};
constexpr NumberField kNumberFields[] = {{3, "iva", 3},          {4, "costoeuro", 9},   {5, "sottoscorta", 2},
                                         {6, "giacenzamin", 50}, {7, "giacenzamax", 30}, {8, "esistenza", 16}};

TEST_F(TextFilesTest, RightAlignedNumbersFitWhenTheNumberItselfFits) {
    a.assign(TextTable::Articoli, 1, 1, 4);
    for (const NumberField& f : kNumberFields) {
        SCOPED_TRACE(f.name);
        // The field is two columns wider than its maximum, the number right-aligned in it.
        a.assign(TextTable::Articoli, f.row, 5, f.maximum + 2);
        std::string fits(static_cast<std::size_t>(f.maximum), '9');
        std::string code = "N" + std::to_string(f.row) + "0";
        std::string fitting = code.substr(0, 3) + "A  " + fits + "\r\n";
        TextImportOutcome ok = ImportArticlesFromText(a.archive, a.file("ok.txt", fitting));
        ASSERT_TRUE(ok.completed) << ok.message;
        std::string stored = a.business("select " + std::string(f.name) + " from articoli where codice = '" +
                                        code.substr(0, 3) + "A'")[0][0];
        EXPECT_DOUBLE_EQ(std::stod(stored), std::stod(fits));

        std::string tooLong(static_cast<std::size_t>(f.maximum) + 1, '8');
        std::string refusedFile = code.substr(0, 3) + "B  " + fits + "\r\n" + code.substr(0, 3) + "C " + tooLong + "\r\n";
        TextImportOutcome refused = ImportArticlesFromText(a.archive, a.file("no.txt", refusedFile));
        EXPECT_FALSE(refused.completed);
        EXPECT_EQ(refused.message, "Il file '" + a.folder() + "/no.txt' contiene valori non validi:\nRiga 2, campo " +
                                       f.name + ": '" + (tooLong.size() > 40 ? tooLong.substr(0, 40) + "..." : tooLong) +
                                       "' ha più di " + std::to_string(f.maximum) +
                                       " caratteri: il numero sarebbe troncato.\nNessun record importato.");
        EXPECT_TRUE(a.business("select 1 from articoli where codice like '" + code.substr(0, 3) + "B'").empty());
        a.setRaw(TextTable::Articoli, f.row, "colonna=0, utilizzato=0");
    }
}

TEST_F(TextFilesTest, StockFileWithRightAlignedQuantitiesAndCosts) {
    a.assign(TextTable::Articoli, 1, 1, 4);
    a.assign(TextTable::Articoli, 5, 5, 3);    // Sottoscorta, maximum 2
    a.assign(TextTable::Articoli, 4, 8, 10);   // CostoEuro, maximum 9
    a.assign(TextTable::Articoli, 8, 18, 4);   // Esistenza
    TextImportOutcome o = ImportArticlesFromText(
        a.archive, a.file("stock.txt", "S001  5  12345,67  50\r\nS002 10      3,5   7\r\nS003  1         0 100\r\n"));
    ASSERT_TRUE(o.completed) << o.message;
    EXPECT_EQ(addedArticles("codice, sottoscorta, costoeuro, esistenza"),
              (std::vector<Row>{{"S001", "5.0", "12345.67", "50.0"},
                                {"S002", "10.0", "3.5", "7.0"},
                                {"S003", "1.0", "0.0", "100.0"}}));
}

TEST_F(TextFilesTest, PreviewMarksExactlyWhatTheImportRefuses) {
    a.assign(TextTable::Articoli, 1, 1, 4);
    for (const NumberField& f : kNumberFields) a.assign(TextTable::Articoli, f.row, 5 + 6 * (f.row - 3), 6);
    // Field by field: iva, costoeuro, sottoscorta, giacenzamin, giacenzamax, esistenza, six columns each.
    const std::vector<std::string> firstLines = {
        std::string("A001") + "    22" + " 12,50" + "     5" + "    10" + "   100" + "    42",
        std::string("A002") + "  1000" + " 1.500" + "   100" + "   abc" + " 12 34" + "    -1",
        std::string("A003") + "      " + "      " + "      " + "      " + "      " + "      ",
        std::string("A004") + "22    " + "7,    " + "55    " + "1e3   " + "0,5   " + "3x    ",
    };
    const auto& fields = fieldsOf(TextTable::Articoli).fields;
    for (std::size_t n = 0; n < firstLines.size(); ++n) {
        SCOPED_TRACE(firstLines[n]);
        std::string file = a.file("p" + std::to_string(n) + ".txt", firstLines[n] + "\r\n");
        TextPreviewOutcome preview = PreviewArticlesFromText(a.archive, file);
        ASSERT_TRUE(preview.ok) << preview.message;
        TextImportOutcome import = ImportArticlesFromText(a.archive, file);
        std::string expected;
        for (std::size_t k = 0; k < fields.size(); ++k) {
            const tessaro7::app::PreviewLine& line = preview.lines[k];
            if (line.refusal.empty()) continue;
            expected += "\nRiga 1, campo " + std::string(fields[k].name) + ": '" + line.text + "' " + line.refusal + ".";
        }
        if (expected.empty()) {
            EXPECT_TRUE(import.completed) << import.message;
        } else {
            EXPECT_FALSE(import.completed);
            EXPECT_EQ(import.message,
                      "Il file '" + file + "' contiene valori non validi:" + expected + "\nNessun record importato.");
        }
    }
    // The lines above refuse: 1000 in iva, "1.500" (thousands or decimals?), 100 in sottoscorta, abc, "12 34", 3x.
    EXPECT_EQ(a.count("articoli"), std::stol(lastArticle) + 2) << "A001 and A003 are imported";
}

TEST_F(TextFilesTest, SameCustomersFromEveryEncoding) {
    a.assign(TextTable::Clienti, 1, 1, 30);   // nominativo
    a.assign(TextTable::Clienti, 6, 31, 20);  // citta
    a.assign(TextTable::Clienti, 5, 51, 2);   // pr
    // Each accented letter is one column: the city and the province stay in their columns.
    const std::string text = "Società Àrte                  Forlì               FC\r\n"
                             "Caffè Nerò € C.               Città di Castello   PG\r\n";
    const std::vector<Row> expected = {{"Società Àrte", "Forlì", "FC"}, {"Caffè Nerò € C.", "Città di Castello", "PG"}};
    for (const auto& encoding : encodingCases()) {
        SCOPED_TRACE(encoding.label);
        std::string before = a.business("select coalesce(max(rowid), 0) from clienti")[0][0];
        TextImportOutcome o = ImportCustomersFromText(a.archive, a.file("c.txt", encodedAs(text, encoding)));
        ASSERT_TRUE(o.completed) << o.message;
        EXPECT_EQ(o.encoding, encodingName(encoding.expected));
        EXPECT_EQ(o.message.substr(o.message.rfind('\n') + 1), "Codifica: " + o.encoding);
        EXPECT_EQ(a.business("select nominativo, citta, pr from clienti where rowid > " + before + " order by rowid"),
                  expected);
        TextPreviewOutcome p = PreviewPartiesFromText(TextTable::Clienti, a.archive, a.folder() + "/c.txt");
        EXPECT_EQ(p.encoding, o.encoding);
        EXPECT_EQ((Row{p.lines[0].text, p.lines[5].text, p.lines[4].text}), expected[0]);
    }
}

TEST_F(TextFilesTest, NulOrInvalidSequenceRefusesTheWholeFileAndThePreview) {
    a.assign(TextTable::Clienti, 1, 1, 10);
    struct Case {
        std::string bytes;
        std::string why;
    };
    const std::vector<Case> cases = {
        {std::string("uno\r\ndue\r\nNul\0resto\r\nquattro", 26), "la riga 3 contiene un carattere NUL"},
        {"\xEF\xBB\xBF" "uno\r\nd\xC3\x28ue\r\n", "la riga 2 contiene una sequenza di byte non valida in UTF-8"},
        {std::string("\xFF\xFEu\0n\0o\0\n\0\x00\xD8\n\0", 14), "la riga 2 contiene una sequenza di byte non valida in UTF-16 LE"},
        {std::string("\xFE\xFF\0u\0\0", 6), "la riga 1 contiene un carattere NUL"},
    };
    long before = a.count("clienti");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        std::string file = a.file("bad.txt", c.bytes);
        std::string problem = "Il file '" + file + "' non è un file di testo o è danneggiato: " + c.why +
                              ".\nSalvare di nuovo il file come testo e riprovare.";
        TextImportOutcome o = ImportCustomersFromText(a.archive, file);
        EXPECT_FALSE(o.completed);
        EXPECT_EQ(o.message, problem + "\nNessun record importato.");
        TextPreviewOutcome p = PreviewPartiesFromText(TextTable::Clienti, a.archive, file);
        EXPECT_FALSE(p.ok);
        EXPECT_EQ(p.message, problem);
    }
    EXPECT_EQ(a.count("clienti"), before);
}

long peakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST_F(TextFilesTest, LineFarLongerThanTheMappingIsReadThroughNotHeld) {
    a.assign(TextTable::Clienti, 1, 1, 10);
    a.assign(TextTable::Clienti, 5, 11, 2);
    const std::size_t kLineBytes = 48u << 20;
    std::string file = a.folder() + "/lunga.txt";
    {
        std::ofstream out(file, std::ios::binary);
        out << "ROSSI     MI";
        std::string block(1u << 20, 'x');
        for (std::size_t written = 12; written < kLineBytes; written += block.size()) out << block;
        out << "\r\nBIANCHI   TO\r\n";
    }
    long before = peakResidentKiB();
    TextPreviewOutcome p = PreviewPartiesFromText(TextTable::Clienti, a.archive, file);
    ASSERT_TRUE(p.ok) << p.message;
    EXPECT_EQ(p.lines[0].text, "ROSSI");
    TextImportOutcome o = ImportCustomersFromText(a.archive, file);
    ASSERT_TRUE(o.completed) << o.message;
    EXPECT_EQ(a.business("select nominativo, pr from clienti where rowid > " + lastCustomer + " order by rowid"),
              (std::vector<Row>{{"ROSSI", "MI"}, {"BIANCHI", "TO"}}));
    long grownKiB = peakResidentKiB() - before;
    EXPECT_LT(grownKiB, 16 * 1024) << "the 48 MiB line must not be held";
}

}  // namespace
