// The small rules of the package readers: cell names, part paths named by
// relationships, and the .ods date and duration values.
#include <gtest/gtest.h>

#include <tuple>

#include "import_excel/CellReference.h"
#include "import_excel/CellText.h"
#include "import_excel/OdsValues.h"
#include "import_excel/PackagePart.h"
#include "import_excel/SheetReader.h"
#include "support/ZipBuilder.h"

namespace {

using namespace tessaro7::import_excel;

TEST(PackageRules, CellReferences) {
    struct Case {
        const char* name;
        bool valid;
        std::uint32_t row, col;
    };
    const Case cases[] = {
        {"A1", true, 0, 0},         {"b3", true, 2, 1},          {"Z9", true, 8, 25},     {"AA1", true, 0, 26},
        {"XFD1048576", true, 1048575, 16383},                    {"XFE1", false, 0, 0},   {"A1048577", false, 0, 0},
        {"A0", false, 0, 0},        {"1", false, 0, 0},          {"A", false, 0, 0},      {"AAAA1", false, 0, 0},
        {"A1x", false, 0, 0},       {"", false, 0, 0},           {"A-1", false, 0, 0},
    };
    for (const Case& c : cases) {
        auto at = cellReference(c.name);
        EXPECT_EQ(at.has_value(), c.valid) << c.name;
        if (at && c.valid) {
            EXPECT_EQ(at->first, c.row) << c.name;
            EXPECT_EQ(at->second, c.col) << c.name;
            std::string upper = c.name;
            for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            EXPECT_EQ(cellName(c.row, c.col), upper);
        }
    }
}

TEST(PackageRules, PartPathsOfRelationshipTargets) {
    struct Case {
        const char* folder;
        const char* target;
        const char* path;
    };
    const Case cases[] = {
        {"xl", "worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"},
        {"xl", "/xl/worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"},
        {"xl", "../Libro.xml", "Libro.xml"},
        {"xl", "./styles.xml", "xl/styles.xml"},
        {"", "xl/workbook.xml", "xl/workbook.xml"},
        {"", "/Libro.xml", "Libro.xml"},
        {"xl", "/fogli/../worksheets/d.xml", "worksheets/d.xml"},
        {"xl", "worksheets\\sheet1.xml", "xl/worksheets/sheet1.xml"},
        {"xl", "../../../x.xml", "x.xml"},
    };
    for (const Case& c : cases) EXPECT_EQ(packagePartPath(c.folder, c.target), c.path) << c.folder << " + " << c.target;
}

TEST(PackageRules, OdsDates) {
    struct Case {
        const char* text;
        bool valid;
        int year, month, day;
        double seconds;
    };
    const Case cases[] = {
        {"2024-03-05", true, 2024, 3, 5, 0},
        {"2024-12-31T13:04:05", true, 2024, 12, 31, 47045},
        {"2024-12-31T13:04:05.5", true, 2024, 12, 31, 47045.5},
        {"2024-12-31T13:04:05Z", true, 2024, 12, 31, 47045},
        {"2024-12-31T13:04:05+01:00", true, 2024, 12, 31, 47045},
        {"1850-01-01", true, 1850, 1, 1, 0},
        {"2024-02-30", false, 0, 0, 0, 0},
        {"2024-3-5", false, 0, 0, 0, 0},
        {"2024-03-05T25:00:00", false, 0, 0, 0, 0},
        {"2024-03-05 10:00:00", false, 0, 0, 0, 0},
        {"2024-03-05T10:00", false, 0, 0, 0, 0},
        {"2024-03-05T10:00:00.", false, 0, 0, 0, 0},
        {"", false, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        auto date = parseOdsDate(c.text);
        ASSERT_EQ(date.has_value(), c.valid) << c.text;
        if (!date) continue;
        EXPECT_EQ(date->year, c.year) << c.text;
        EXPECT_EQ(date->month, c.month) << c.text;
        EXPECT_EQ(date->day, c.day) << c.text;
        EXPECT_DOUBLE_EQ(date->seconds, c.seconds) << c.text;
    }
}

TEST(PackageRules, OdsDurations) {
    struct Case {
        const char* text;
        bool valid;
        double seconds;
    };
    const Case cases[] = {
        {"PT10H10M10S", true, 36610},   {"PT0S", true, 0},       {"PT1.5S", true, 1.5},    {"P1DT2H", true, 93600},
        {"-PT1H", true, -3600},         {"PT36H", true, 129600}, {"P1D", true, 86400},     {"PT", false, 0},
        {"P", false, 0},                {"10:10:10", false, 0},  {"PT10X", false, 0},      {"P1H", false, 0},
        {"PT1e3S", false, 0},           {"PT99999999999H", false, 0},
    };
    for (const Case& c : cases) {
        auto seconds = parseOdsDuration(c.text);
        ASSERT_EQ(seconds.has_value(), c.valid) << c.text;
        if (seconds) {
            EXPECT_DOUBLE_EQ(*seconds, c.seconds) << c.text;
        }
    }
}

// What a preview shows for them, through the text forms of every format.
TEST(PackageRules, OdsDateAndDurationCells) {
    struct Case {
        const char* value;
        const char* shown;
    };
    const Case dates[] = {{"2024-03-05", "05/03/2024"},         {"2024-03-05T10:11:12", "05/03/2024 10:11:12"},
                          {"1900-03-01", "01/03/1900"},         {"1900-02-28", "28/02/1900"},
                          {"1850-01-01T06:00:00", "01/01/1850 06:00:00"}, {"9999-12-31", "31/12/9999"}};
    for (const Case& c : dates) {
        std::string text;
        EXPECT_EQ(cellText(odsDateCell(*parseOdsDate(c.value), text)), c.shown) << c.value;
    }
    const Case durations[] = {{"PT10H10M10S", "10:10:10"}, {"PT0S", "00:00:00"}, {"PT23H59M59.4S", "23:59:59"},
                              {"PT255H10M10S", "255:10:10"}, {"PT23H59M59.6S", "24:00:00"}, {"-PT1H", "-1:00:00"}};
    for (const Case& c : durations) {
        std::string text;
        EXPECT_EQ(cellText(odsDurationCell(*parseOdsDuration(c.value), text)), c.shown) << c.value;
    }
}

TEST(PackageRules, ErrorNamesOfTheZipFormats) {
    const std::pair<const char*, const char*> cases[] = {
        {"#NULL!", "#NULLO!"}, {"#DIV/0!", "#DIV/0!"}, {"#VALUE!", "#VALORE!"}, {"#REF!", "#RIF!"},
        {"#NAME?", "#NOME?"},  {"#NUM!", "#NUM!"},     {"#N/A", "#N/D"},        {"Err:502", "#ERRORE!"},
    };
    for (const auto& [stored, shown] : cases) EXPECT_EQ(errorFromName(stored), shown) << stored;
}

}  // namespace

namespace {

// A workbook whose date system is given as `workbookPr` writes it, with one
// cell of `value` in the cell format `xf` (by default the built-in date).
std::string cellOf(const std::string& workbookPr, const std::string& value = "366",
                   const std::string& styles = "<cellXfs><xf/><xf numFmtId=\"14\"/></cellXfs>") {
    using tessaro7::testing::buildZip;
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    std::string bytes =
        buildZip({{"xl/workbook.xml", "<workbook>" + workbookPr + "<sheets><sheet name=\"F\" r:id=\"r1\"/></sheets></workbook>"},
                  {"xl/_rels/workbook.xml.rels", "<Relationships><Relationship Id=\"r1\" Type=\"" + rel +
                                                     "worksheet\" Target=\"worksheets/s.xml\"/></Relationships>"},
                  {"xl/worksheets/s.xml", "<worksheet><sheetData><row><c s=\"1\"><v>" + value + "</v></c></row></sheetData></worksheet>"},
                  {"xl/styles.xml", "<styleSheet>" + styles + "</styleSheet>"}})
            .bytes;
    return std::string(readWorkbookBytes(bytes, "", 1, 1).grid.cell(0, 0));
}

TEST(PackageRules, Date1904InEveryXmlSpelling) {
    const std::pair<const char*, const char*> cases[] = {
        {"<workbookPr date1904=\"1\"/>", "01/01/1905"},
        {"<workbookPr date1904=\"true\" defaultThemeVersion=\"124226\"/>", "01/01/1905"},
        {"<workbookPr filterPrivacy=\"1\" date1904=\"on\"/>", "01/01/1905"},
        {"<workbookPr date1904=\"TRUE\"/>", "01/01/1905"},
        {"<workbookPr date1904=\"0\"/>", "31/12/1900"},
        {"<workbookPr date1904=\"false\"/>", "31/12/1900"},
        {"<workbookPr defaultThemeVersion=\"124226\"/>", "31/12/1900"},
        {"", "31/12/1900"},
    };
    for (const auto& [workbookPr, shown] : cases) EXPECT_EQ(cellOf(workbookPr), shown) << workbookPr;
}

// A style's number format decides how its numbers show: elapsed hours for
// [h] (custom or the built-in 46), a date or a time, or a plain number.
TEST(PackageRules, CellsShowAsTheirStylesFormat) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"10.63206018518", "<numFmts><numFmt numFmtId=\"164\" formatCode=\"[h]:mm:ss\"/></numFmts>"
                           "<cellXfs><xf/><xf numFmtId=\"164\"/></cellXfs>", "255:10:10"},
        {"10.63206018518", "<cellXfs><xf/><xf numFmtId=\"46\"/></cellXfs>", "255:10:10"},
        {"0.42372685", "<numFmts><numFmt numFmtId=\"164\" formatCode=\"hh:mm:ss.000\"/></numFmts>"
                       "<cellXfs><xf/><xf numFmtId=\"164\"/></cellXfs>", "10:10:10"},
        {"45356", "<numFmts><numFmt numFmtId=\"164\" formatCode=\"[$-410]dd/mm/yyyy\"/></numFmts>"
                  "<cellXfs><xf/><xf numFmtId=\"164\"/></cellXfs>", "05/03/2024"},
        {"2.5", "<numFmts><numFmt numFmtId=\"164\" formatCode=\"0.00\"/></numFmts>"
                "<cellXfs><xf/><xf numFmtId=\"164\"/></cellXfs>", "2,5"},
    };
    for (const auto& [value, styles, shown] : cases) EXPECT_EQ(cellOf("", value, styles), shown) << styles;
}

}  // namespace
