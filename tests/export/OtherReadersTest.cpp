// The thirteen BIFF2 exports of the demo archive as two other spreadsheet
// programs read them: each converts the files to .xlsx, which openpyxl then
// reads. Every cell must be there with the database's value, the headings
// bold, every cell with its column's alignment; Gnumeric must not complain.
// A program that is not installed is skipped, with the reason.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "app/DemoArchive.h"
#include "batch/BatchRunner.h"
#include "db/DataSource.h"
#include "export/Clock.h"
#include "export/ExportLists.h"
#include "export/SheetFiles.h"
#include "export/XlsxFiles.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using namespace tessaro7;
namespace xlsx = tessaro7::testing::xlsx;

bool installed(const char* program) {
    return std::system(("command -v " + std::string(program) + " >/dev/null 2>&1").c_str()) == 0;
}

class OtherReadersTest : public ::testing::Test {
protected:
    tessaro7::testing::TempDir dir;
    fs::path folder = dir / "archivio";
    fs::path converted = dir / "convertiti";

    void exportAll() {
        app::createDemoArchive(folder.string());
        std::ostringstream out, err;
        ASSERT_EQ(batch::runBatch({"export-all"}, out, err, folder), 0) << err.str();
        fs::create_directory(converted);
    }

    // Each list's converted file against the database, cell by cell.
    void expectEveryCell() {
        const int year = exporting::systemClock().currentYear();
        auto alignment = [](exporting::Align a) { return a == exporting::Align::Left ? "left" : "right"; };
        for (const exporting::ExportList& list : exporting::exportLists()) {
            SCOPED_TRACE(list.caption);
            const xlsx::Sheet sheet =
                xlsx::readWithOpenpyxl(converted / fs::path(list.fileName).replace_extension(".xlsx"));
            for (std::size_t c = 0; c < list.columns.size(); ++c) {
                const auto heading = sheet.cells.find({1, static_cast<int>(c + 1)});
                ASSERT_NE(heading, sheet.cells.end()) << list.columns[c].heading;
                EXPECT_EQ(heading->second.value, std::string("s:") + list.columns[c].heading);
                EXPECT_TRUE(heading->second.bold) << list.columns[c].heading;
                EXPECT_EQ(heading->second.align, alignment(list.columns[c].headingAlign)) << list.columns[c].heading;
            }
            db::DataSource data;
            data.setDatabaseName((folder / "Tessaro7.mdb").string());
            data.setRecordSource(list.selectionFor(year));
            data.refresh();
            int row = 2;
            for (; !data.eof(); data.moveNext(), ++row)
                for (std::size_t c = 0; c < list.columns.size(); ++c) {
                    const exporting::ExportColumn& column = list.columns[c];
                    const db::Value value = data.field(column.field);
                    std::string expected = "(no cell)";
                    if (column.cell == exporting::CellType::Text) {
                        if (!value.toText().empty()) expected = "s:" + value.toText();
                    } else if (value.isNull() && column.nullRule == exporting::NullRule::Zero) {
                        expected = xlsx::number(0);
                    } else if (const auto n = value.toNumber()) {
                        expected = xlsx::number(column.cell == exporting::CellType::Whole ? db::roundHalfEven(*n) : *n);
                    }
                    const auto cell = sheet.cells.find({row, static_cast<int>(c + 1)});
                    const std::string where = "row " + std::to_string(row) + " column " + column.field;
                    EXPECT_EQ(cell == sheet.cells.end() ? "(no cell)" : cell->second.value, expected) << where;
                    if (cell == sheet.cells.end()) continue;
                    EXPECT_FALSE(cell->second.bold) << where;
                    EXPECT_EQ(cell->second.align, alignment(column.dataAlign)) << where;
                }
            EXPECT_GT(row, 2) << "the demo has rows of the current year in every list";
            EXPECT_EQ(sheet.rows, row - 1);
        }
    }
};

TEST_F(OtherReadersTest, GnumericReadsEveryCellWithoutAWarning) {
    if (!installed("ssconvert")) GTEST_SKIP() << "Gnumeric's ssconvert is not installed (Debian package gnumeric)";
    exportAll();
    for (const exporting::ExportList& list : exporting::exportLists()) {
        const fs::path log = converted / (std::string(list.fileName) + ".log");
        const std::string command = "ssconvert --export-type=Gnumeric_Excel:xlsx2 '" + (folder / list.fileName).string() +
                                    "' '" + (converted / fs::path(list.fileName).replace_extension(".xlsx")).string() +
                                    "' >'" + log.string() + "' 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << list.fileName;
        // Gnumeric's own complaints about the file; messages of the desktop
        // libraries it loads (a missing session bus) are not about the file.
        const std::string complaints = tessaro7::testing::sheet::readBytes(log);
        EXPECT_TRUE(complaints.find("gnumeric") == std::string::npos &&
                    complaints.find("corrupted") == std::string::npos)
            << list.fileName << ": " << complaints.substr(0, 300);
    }
    expectEveryCell();
}

TEST_F(OtherReadersTest, LibreOfficeReadsEveryCellWithItsFontAndAlignment) {
    if (!installed("soffice")) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    exportAll();
    // A profile of its own, so a LibreOffice the user has open is not disturbed.
    std::string command = "HOME='" + dir.str() + "' soffice -env:UserInstallation=file://" + dir.str() +
                          "/profilo --headless --convert-to xlsx --outdir '" + converted.string() + "'";
    for (const exporting::ExportList& list : exporting::exportLists())
        command += " '" + (folder / list.fileName).string() + "'";
    ASSERT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0);
    expectEveryCell();
}

}  // namespace
