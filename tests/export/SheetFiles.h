#pragma once
// Test helpers for exported worksheet files: an independent BIFF2 record
// encoder and parser (for record-by-record comparison), an xlrd reader, and
// a business database made by the test.
#include <sqlite3.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "db/Cp1252.h"
#include "db/DatabaseCreator.h"
#include "db/EmbeddedSql.h"
#include "export/ExportLists.h"
#include "support/XlrdSheet.h"

namespace tessaro7::testing::sheet {

inline std::string hex(std::string_view bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char b : bytes) {
        if (!out.empty()) out += ' ';
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

inline std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// ---- encoding, written from the published record layouts ----

inline std::string u8(int v) { return std::string(1, static_cast<char>(v & 0xFF)); }
inline std::string u16(int v) { return u8(v) + u8(v >> 8); }
inline std::string f64(double v) {
    std::string out(8, '\0');
    std::memcpy(out.data(), &v, 8);  // little-endian machine
    return out;
}
inline std::string record(int number, const std::string& body) {
    return u16(number) + u16(static_cast<int>(body.size())) + body;
}

// A cell as the export writes it: text (UTF-8) or number; rows and columns 1-based.
using CellValue = std::variant<std::string, double>;

// The four XF records every export writes, and the one a cell in `font`
// (0 or 64) and `align` (1 left, 3 right) points at.
inline std::string cellFormats() {
    return record(0x0043, std::string("\x00\x00\x00\x01", 4)) + record(0x0043, std::string("\x01\x00\x00\x01", 4)) +
           record(0x0043, std::string("\x00\x00\x00\x03", 4)) + record(0x0043, std::string("\x01\x00\x00\x03", 4));
}
inline int cellFormatOf(int font, int align) { return (font == 64 ? 1 : 0) + (align == 3 ? 2 : 0); }

inline std::string cellRecord(int row, int col, int font, int align, const CellValue& v) {
    const std::string head = u16(row - 1) + u16(col - 1) + u8(cellFormatOf(font, align)) + u8(font) + u8(align);
    if (const auto* number = std::get_if<double>(&v)) return record(0x0003, head + f64(*number));
    const std::string bytes = db::utf8ToCp1252(std::get<std::string>(v));
    return record(0x0004, head + u8(static_cast<int>(bytes.size())) + bytes);
}

// One data row: per column its cell, or none.
using Row = std::vector<std::optional<CellValue>>;

// The whole file the export must write for `list` with these data rows.
inline std::string expectedSheet(const exporting::ExportList& list, const std::vector<Row>& rows) {
    std::string out = record(0x0009, u16(2) + u16(0x10));
    out += record(0x0042, u16(1252));
    out += record(0x002B, u16(0));
    for (int margin : {0x28, 0x26, 0x27, 0x29}) out += record(margin, f64(1.5));
    auto font = [](int height, int format, const std::string& name) {
        return record(0x0031, u16(height * 20) + u8(format) + u8(0) + u8(static_cast<int>(name.size())) + name);
    };
    out += font(10, 0, "Arial") + font(10, 1, "Arial") + font(10, 5, "Arial") + font(12, 2, "Courier");
    out += cellFormats();
    const int n = static_cast<int>(list.columns.size());
    for (int c = 0; c < n; ++c)
        out += record(0x0024, u8(c) + u8(c) + u16(list.columns[static_cast<std::size_t>(c)].width * 256));
    for (int c = 0; c < n; ++c) {
        const auto& column = list.columns[static_cast<std::size_t>(c)];
        out += cellRecord(1, c + 1, 64, static_cast<int>(column.headingAlign), std::string(column.heading));
    }
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (int c = 0; c < n; ++c)
            if (const auto& v = rows[r][static_cast<std::size_t>(c)])
                out += cellRecord(static_cast<int>(r) + 2, c + 1, 0,
                                  static_cast<int>(list.columns[static_cast<std::size_t>(c)].dataAlign), *v);
    out += record(0x0012, u16(list.protect ? 1 : 0));
    out += record(0x000A, "");
    return out;
}

struct Record {
    std::size_t offset;
    int number;
    std::string bytes;  // header and body
};

inline std::vector<Record> records(const std::string& file) {
    std::vector<Record> out;
    std::size_t at = 0;
    while (at + 4 <= file.size()) {
        const int number = static_cast<unsigned char>(file[at]) | static_cast<unsigned char>(file[at + 1]) << 8;
        const std::size_t length =
            static_cast<unsigned char>(file[at + 2]) | static_cast<unsigned char>(file[at + 3]) << 8;
        out.push_back({at, number, file.substr(at, 4 + length)});
        at += 4 + length;
    }
    if (at != file.size()) out.push_back({at, -1, file.substr(at)});
    return out;
}

// Empty when equal; otherwise the first differing record, its offset and both forms.
inline std::string firstDifference(const std::string& actual, const std::string& expected) {
    const auto a = records(actual);
    const auto e = records(expected);
    for (std::size_t i = 0; i < std::max(a.size(), e.size()); ++i) {
        const std::string got = i < a.size() ? hex(a[i].bytes) : "(none)";
        const std::string want = i < e.size() ? hex(e[i].bytes) : "(none)";
        if (got != want) {
            std::ostringstream out;
            out << "record " << i << " at offset " << (i < e.size() ? e[i].offset : a[i].offset) << ":\n  expected "
                << want << "\n  actual   " << got;
            return out.str();
        }
    }
    return "";
}

// ---- reading back with xlrd ----

// Cells by 0-based (row, column); texts in UTF-8.
struct Sheet {
    unsigned rows = 0;
    unsigned short columns = 0;
    std::map<std::pair<unsigned, unsigned>, CellValue> cells;
};

inline Sheet readSheetWithXlrd(const std::filesystem::path& path) {
    const XlrdSheet read = readWithXlrd(path);
    Sheet sheet;
    sheet.rows = static_cast<unsigned>(read.rows);
    sheet.columns = static_cast<unsigned short>(read.columns);
    for (const auto& [at, cell] : read.cells) {
        const std::pair<unsigned, unsigned> where{static_cast<unsigned>(at.first), static_cast<unsigned>(at.second)};
        if (cell.type == 1)
            sheet.cells[where] = cell.raw;
        else if (cell.type == 2 || cell.type == 3)
            sheet.cells[where] = std::stod(cell.raw);
        else
            sheet.cells[where] = "?type " + std::to_string(cell.type);
    }
    return sheet;
}

inline std::string show(const std::optional<CellValue>& v) {
    if (!v) return "(no cell)";
    if (const auto* n = std::get_if<double>(&*v)) {
        std::ostringstream out;
        out.precision(17);
        out << *n;
        return out.str();
    }
    return "\"" + std::get<std::string>(*v) + "\"";
}

// ---- the business database made by the test ----

// A value as stored: Null, whole number, real number or text.
using Stored = std::variant<std::monostate, std::int64_t, double, std::string>;
using StoredRow = std::map<std::string, Stored>;

class Database {
public:
    // The demo schema with every table emptied.
    explicit Database(const std::filesystem::path& path) : m_path(path) {
        db::createDatabaseFromSql(path.string(), db::kDemoSql);
        open();
        for (const char* table : {"clienti", "fornitori", "altrinomi", "articoli", "comuni", "ddt", "fatturav",
                                  "notacredito", "preventivo", "ordicli", "primanota", "pagamenticlienti",
                                  "pagamentifornitori"})
            exec(std::string("delete from ") + table);
    }
    // An existing database, as it stands.
    static Database Open(const std::filesystem::path& path) { return Database(path, 0); }
    Database(Database&& other) noexcept : m_path(other.m_path), m_db(other.m_db) { other.m_db = nullptr; }
    ~Database() { sqlite3_close(m_db); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void exec(const std::string& sql) {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            std::string text = error ? error : "?";
            sqlite3_free(error);
            throw std::runtime_error(sql + ": " + text);
        }
    }

    void insert(const std::string& table, const StoredRow& row) {
        std::string names, marks;
        for (const auto& [name, v] : row) {
            names += (names.empty() ? "\"" : ",\"") + name + "\"";
            marks += marks.empty() ? "?" : ",?";
        }
        sqlite3_stmt* stmt = nullptr;
        const std::string sql = "insert into " + table + " (" + names + ") values (" + marks + ")";
        if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
            throw std::runtime_error(sql + ": " + sqlite3_errmsg(m_db));
        int i = 1;
        for (const auto& [name, v] : row) {
            if (const auto* w = std::get_if<std::int64_t>(&v)) sqlite3_bind_int64(stmt, i, *w);
            else if (const auto* d = std::get_if<double>(&v)) sqlite3_bind_double(stmt, i, *d);
            else if (const auto* t = std::get_if<std::string>(&v))
                sqlite3_bind_text(stmt, i, t->data(), static_cast<int>(t->size()), SQLITE_TRANSIENT);
            ++i;
        }
        const int rc = sqlite3_step(stmt);
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE) throw std::runtime_error(sql + ": " + sqlite3_errmsg(m_db));
    }

    // Column name -> declared type, upper case.
    std::map<std::string, std::string> columnTypes(const std::string& table) {
        std::map<std::string, std::string> types;
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(m_db, ("pragma table_info(\"" + table + "\")").c_str(), -1, &stmt, nullptr);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            std::string type = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2));
            for (char& ch : type) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            types[reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1))] = type;
        }
        sqlite3_finalize(stmt);
        return types;
    }

    void close() {
        sqlite3_close(m_db);
        m_db = nullptr;
    }

private:
    Database(const std::filesystem::path& path, int) : m_path(path) { open(); }
    void open() {
        if (sqlite3_open(m_path.c_str(), &m_db) != SQLITE_OK) throw std::runtime_error("cannot open " + m_path.string());
    }
    std::filesystem::path m_path;
    sqlite3* m_db = nullptr;
};

}  // namespace tessaro7::testing::sheet
