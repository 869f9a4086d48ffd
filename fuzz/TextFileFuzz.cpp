// libFuzzer target for the text import's reading: the scan that decides the
// encoding, the reading of lines in every encoding at two piece sizes, and
// the cutting of the article fields with a fixed mapping. Beyond memory
// errors it stops on a broken promise: two piece sizes reading different
// lines, a line of a file found clean that is not valid UTF-8, or the scan
// of a file's bytes telling otherwise than the reading of its lines.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "db/Cp1252.h"
#include "import_text/FieldValue.h"
#include "import_text/TextFields.h"
#include "import_text/TextReader.h"

namespace {

using namespace tessaro7::import_text;

// Every article field assigned, overlapping, some wider than their maximum.
const std::vector<FieldMapping> kMapping = {
    {true, 1, 4}, {true, 3, 300}, {true, 5, 3}, {true, 8, 12}, {true, 10, 4},
    {true, 14, 60}, {true, 20, 2}, {true, 1, 18}, {true, 40, 15}, {false, 0, 0},
};

void check(bool promise) {
    if (!promise) std::abort();
}

std::vector<std::string> readLines(const std::string& bytes, TextEncoding encoding, std::size_t piece,
                                   bool clean) {
    const TextTableFields& articles = fieldsOf(TextTable::Articoli);
    std::istringstream in(bytes);
    TextReader reader(in, encoding, columnsNeeded(kMapping, articles), piece);
    std::vector<std::string> lines;
    for (long n = 0; n < 64 && reader.next(); ++n) {
        lines.emplace_back(reader.line().text());
        if (clean) check(tessaro7::db::isValidUtf8(reader.line().text()));
        for (std::size_t k = 0; k < articles.fields.size(); ++k) {
            FieldValue value = fieldValue(reader.line(), kMapping[k], articles.fields[k]);
            refusalReason(value, articles.fields[k]);
        }
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::istringstream in(bytes);
    TextScan scan = scanText(in, 64);
    // Without a mark, the bytes scanned in small chunks tell what reading every line tells.
    if (!encodingByBom(std::string_view(bytes).substr(0, 3))) {
        std::istringstream raw(bytes), decoded(bytes);
        const std::optional<TextScan> plain = scanPlainBytes(raw, 64, 7);
        const TextScan lines = scanDecodedLines(decoded, 64, std::nullopt);
        check(plain ? plain->encoding == lines.encoding && plain->lines == lines.lines &&
                          plain->notRead == lines.notRead && plain->flawedLine == lines.flawedLine &&
                          plain->flawIsNul == lines.flawIsNul
                    : lines.notRead > 0);
    }
    for (TextEncoding encoding :
         {TextEncoding::Windows1252, TextEncoding::Utf8, TextEncoding::Utf16LE, TextEncoding::Utf16BE}) {
        // A file the scan found clean in this encoding holds only valid UTF-8 once read.
        bool clean = encoding == scan.encoding && scan.flawedLine == 0 && scan.notRead == 0;
        // Inputs are kept below 8192 bytes (-max_len), so the first reading takes each in one piece.
        std::vector<std::string> whole = readLines(bytes, encoding, 8192, clean);
        check(whole == readLines(bytes, encoding, 5, clean));
    }
    return 0;
}
