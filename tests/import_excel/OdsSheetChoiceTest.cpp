// Which table of an .ods is read: the one named (any letter case), else the
// one settings.xml opens on, else the first; the names of every table come
// with the cells of the chosen one.
#include <gtest/gtest.h>

#include "import_excel/SheetReader.h"
#include "support/ZipBuilder.h"

namespace {

using tessaro7::import_excel::readWorkbookBytes;
using tessaro7::import_excel::SheetReadError;
using tessaro7::testing::buildZip;
using tessaro7::testing::ZipPart;

// One table per name, its A1 holding the name in lower case.
std::string odsOf(const std::vector<std::string>& tables, const std::string& active) {
    std::string content =
        "<office:document-content xmlns:office=\"o\" xmlns:table=\"t\" xmlns:text=\"x\"><office:body><office:spreadsheet>";
    for (const std::string& name : tables) {
        std::string lower = name;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        content += "<table:table table:name=\"" + name + "\"><table:table-row><table:table-cell><text:p>" + lower +
                   "</text:p></table:table-cell></table:table-row></table:table>";
    }
    content += "</office:spreadsheet></office:body></office:document-content>";
    std::vector<ZipPart> parts{{"mimetype", "application/vnd.oasis.opendocument.spreadsheet", false},
                               {"content.xml", content, true}};
    if (!active.empty())
        parts.push_back({"settings.xml",
                         "<office:document-settings><config:config-item config:name=\"ActiveTable\" "
                         "config:type=\"string\">" + active + "</config:config-item></office:document-settings>",
                         true});
    return buildZip(parts).bytes;
}

TEST(OdsSheetChoice, NamedThenActiveThenFirst) {
    const std::vector<std::string> three{"Uno", "Due", "Tre"};
    struct Case {
        const char* what;
        std::string active, asked;
        std::size_t read, opensFirst;
    };
    const Case cases[] = {
        {"no settings: the first", "", "", 0, 0},
        {"the active table", "Tre", "", 2, 2},
        {"the active name must match exactly", "tre", "", 0, 0},
        {"an active table the workbook lacks: the first", "Quattro", "", 0, 0},
        {"a name asked for wins over the active one", "Tre", "DUE", 1, 2},
        {"the first asked for by name", "Tre", "uno", 0, 2},
    };
    for (const Case& c : cases) {
        const auto read = readWorkbookBytes(odsOf(three, c.active), c.asked, 2, 2);
        EXPECT_EQ(read.sheets, three) << c.what;
        EXPECT_EQ(read.read, c.read) << c.what;
        EXPECT_EQ(read.opensFirst, c.opensFirst) << c.what;
        EXPECT_EQ(read.grid.cell(0, 0), three[c.read] == "Uno" ? "uno" : three[c.read] == "Due" ? "due" : "tre") << c.what;
    }
}

TEST(OdsSheetChoice, MissingNameAndNoTablesAreRefused) {
    const struct {
        std::string file, asked, message;
    } cases[] = {
        {odsOf({"Uno", "Due"}, ""), "Sette", "il foglio 'Sette' non esiste (fogli: Uno, Due)"},
        {odsOf({}, ""), "", "la cartella di lavoro non contiene fogli di lavoro"},
        {odsOf({}, "Uno"), "Uno", "la cartella di lavoro non contiene fogli di lavoro"},
    };
    for (const auto& c : cases) {
        try {
            readWorkbookBytes(c.file, c.asked, 2, 2);
            ADD_FAILURE() << c.message;
        } catch (const SheetReadError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}

}  // namespace
