#include "import_excel/SheetReader.h"

#include <freexl.h>

#include <algorithm>
#include <optional>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "db/PathResolver.h"
#include "db/RegionalText.h"
#include "import_excel/Biff2CodePage.h"

namespace tessaro7::import_excel {

namespace {

namespace fs = std::filesystem;

std::string reasonOf(int code) {
    switch (code) {
    case FREEXL_FILE_NOT_FOUND: return "file non trovato o non leggibile";
    case FREEXL_INSUFFICIENT_MEMORY: return "memoria insufficiente per leggerlo";
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_CFBF_INVALID_SIGNATURE:
    case FREEXL_CFBF_INVALID_SECTOR_SIZE:
        return "non è una cartella di lavoro di Excel (.xls)";
    case FREEXL_CFBF_READ_ERROR:
    case FREEXL_CFBF_SEEK_ERROR:
    case FREEXL_CFBF_EMPTY_FAT_CHAIN:
    case FREEXL_CFBF_ILLEGAL_FAT_ENTRY:
    case FREEXL_INVALID_MINI_STREAM:
    case FREEXL_CFBF_ILLEGAL_MINI_FAT_ENTRY:
        return "non è un file .xls leggibile, oppure è danneggiato";
    case FREEXL_BIFF_INVALID_BOF:
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
        return "il file non contiene una cartella di lavoro di Excel";
    case FREEXL_BIFF_INVALID_SST:
    case FREEXL_BIFF_ILLEGAL_SST_INDEX:
        return "la tabella dei testi del file è danneggiata";
    case FREEXL_INVALID_CHARACTER:
    case FREEXL_UNSUPPORTED_CHARSET:
        return "il file contiene testo in una codifica non leggibile";
    case FREEXL_ILLEGAL_RK_VALUE: return "il file contiene un numero danneggiato";
    case FREEXL_CRAFTED_FILE: return "il file è gravemente danneggiato";
    default: return "errore di lettura (codice FreeXL " + std::to_string(code) + ")";
    }
}

// "B5" for row 4, column 1 (both 0-based).
std::string cellName(unsigned row, unsigned col) {
    std::string letters;
    for (unsigned c = col + 1; c > 0; c = (c - 1) / 26) letters.insert(letters.begin(), char('A' + (c - 1) % 26));
    return letters + std::to_string(row + 1);
}

bool digitsAt(std::string_view s, std::size_t at, std::size_t n) {
    if (at + n > s.size()) return false;
    for (std::size_t i = at; i < at + n; ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}

// FreeXL gives dates as YYYY-MM-DD and date-times as YYYY-MM-DD HH:MM:SS.
std::string regionalDate(std::string_view iso) {
    if (!digitsAt(iso, 0, 4) || !digitsAt(iso, 5, 2) || !digitsAt(iso, 8, 2)) return std::string(iso);
    std::string text = std::string(iso.substr(8, 2)) + "/" + std::string(iso.substr(5, 2)) + "/" +
                       std::string(iso.substr(0, 4));
    if (iso.size() > 10) text += std::string(iso.substr(10));
    return text;
}

void setCellText(PreviewGrid& grid, std::size_t r, std::size_t c, const FreeXL_CellValue& v) {
    switch (v.type) {
    case FREEXL_CELL_INT: grid.setCell(r, c, std::to_string(v.value.int_value)); break;
    case FREEXL_CELL_DOUBLE: grid.setCell(r, c, db::numberToText(v.value.double_value)); break;
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_TIME:
        if (v.value.text_value) grid.setCell(r, c, v.value.text_value);
        break;
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
        if (v.value.text_value) grid.setCell(r, c, regionalDate(v.value.text_value));
        break;
    default: break;
    }
}

// The file's kind from its first bytes: FreeXL reports a file of another kind
// only as a read error.
void requireWorkbookSignature(std::string_view bytes) {
    static constexpr std::string_view kCompoundFile("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    if (bytes.substr(0, 8) == kCompoundFile) return;
    if (bytes.size() >= 2 && bytes[0] == 0x09 && (bytes[1] == 0x00 || bytes[1] == 0x02 || bytes[1] == 0x04 || bytes[1] == 0x08))
        return;  // a bare BIFF stream starts with its BOF record
    if (bytes.substr(0, 4) == std::string_view("PK\x03\x04", 4))
        throw SheetReadError("è una cartella di lavoro .xlsx, non .xls: salvarla in formato Excel 97-2003");
    throw SheetReadError("non è una cartella di lavoro di Excel (.xls)");
}

// The first `limit` bytes of the file (all of it by default).
std::string readBytes(const fs::path& path, std::size_t limit = std::string::npos) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw SheetReadError("file non trovato o non leggibile");
    std::string bytes;
    if (limit == std::string::npos) {
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else {
        bytes.resize(limit);
        in.read(bytes.data(), static_cast<std::streamsize>(limit));
        bytes.resize(static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) throw SheetReadError("errore di lettura del file");
    return bytes;
}

// A copy of the workbook for FreeXL, removed when the reading ends.
class TemporaryCopy {
public:
    explicit TemporaryCopy(const std::string& bytes) {
        std::random_device rd;
        m_path = fs::temp_directory_path() / ("tessaro7-foglio-" + std::to_string(rd()) + std::to_string(rd()) + ".xls");
        std::ofstream out(m_path, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ec;
            fs::remove(m_path, ec);
            throw SheetReadError("impossibile scrivere la copia temporanea del foglio in " +
                                 fs::temp_directory_path().string());
        }
    }
    ~TemporaryCopy() {
        std::error_code ec;
        fs::remove(m_path, ec);
    }
    TemporaryCopy(const TemporaryCopy&) = delete;
    TemporaryCopy& operator=(const TemporaryCopy&) = delete;
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

class Workbook {
public:
    explicit Workbook(const fs::path& path) {
        int rc = freexl_open(path.c_str(), &m_handle);
        // FreeXL may report success with no handle on a malformed container.
        if (rc != FREEXL_OK) throw SheetReadError(reasonOf(rc));
        if (!m_handle) throw SheetReadError("il file è danneggiato (contenitore non valido)");
    }
    ~Workbook() {
        if (m_handle) freexl_close(m_handle);
    }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;
    const void* handle() const { return m_handle; }

private:
    const void* m_handle = nullptr;
};

}  // namespace

PreviewGrid readFirstWorksheet(const std::string& path, long rows, long cols) {
    fs::path file = db::resolvePath(path);
    std::error_code ec;
    if (!fs::exists(file, ec)) throw SheetReadError("file non trovato");
    if (fs::is_directory(file, ec)) throw SheetReadError("è una cartella, non un file");
    std::string head = readBytes(file, 8);
    if (head.empty()) throw SheetReadError("il file è vuoto");
    requireWorkbookSignature(head);

    // Only a bare BIFF2 stream may need its code page; the others go to FreeXL as they are.
    std::optional<TemporaryCopy> copy;
    if (head[0] == 0x09 && head.size() > 1 && head[1] == 0x00)
        if (auto patched = withCodePage1252(readBytes(file))) copy.emplace(*patched);
    Workbook book(copy ? copy->path() : file);

    unsigned int info = 0;
    if (freexl_get_info(book.handle(), FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED)
        throw SheetReadError("la cartella di lavoro è protetta da password");
    if (freexl_get_info(book.handle(), FREEXL_BIFF_SHEET_COUNT, &info) != FREEXL_OK || info == 0)
        throw SheetReadError("la cartella di lavoro non contiene fogli di lavoro");
    if (int rc = freexl_select_active_worksheet(book.handle(), 0); rc != FREEXL_OK) throw SheetReadError(reasonOf(rc));
    unsigned int sheetRows = 0;
    unsigned short sheetCols = 0;
    if (int rc = freexl_worksheet_dimensions(book.handle(), &sheetRows, &sheetCols); rc != FREEXL_OK)
        throw SheetReadError(reasonOf(rc));

    PreviewGrid grid(rows, cols, sheetRows, sheetCols);
    // The texts take about as many bytes as the workbook.
    if (std::uintmax_t size = fs::file_size(file, ec); !ec)
        grid.reserveText(static_cast<std::size_t>(std::min<std::uintmax_t>(size, std::uintmax_t(1) << 28)));
    std::size_t fillRows = std::min<std::size_t>(sheetRows, static_cast<std::size_t>(std::max(rows, 0L)));
    std::size_t fillCols = std::min<std::size_t>(sheetCols, static_cast<std::size_t>(std::max(cols, 0L)));
    for (std::size_t r = 0; r < fillRows; ++r)
        for (std::size_t c = 0; c < fillCols; ++c) {
            FreeXL_CellValue value;
            int rc = freexl_get_cell_value(book.handle(), static_cast<unsigned>(r), static_cast<unsigned short>(c),
                                           &value);
            if (rc == FREEXL_ILLEGAL_CELL_ROW_COL) continue;
            if (rc != FREEXL_OK)
                throw SheetReadError("cella " + cellName(static_cast<unsigned>(r), static_cast<unsigned>(c)) + ": " +
                                     reasonOf(rc));
            setCellText(grid, r, c, value);
        }
    return grid;
}

}  // namespace tessaro7::import_excel
