#include "export/ExcelFile.h"

#include <bit>
#include <cerrno>
#include <filesystem>
#include <iterator>
#include <optional>
#include <system_error>

#include "db/Cp1252.h"
#include "db/RegionalText.h"
#include "export/FileFailure.h"

namespace tessaro7::exporting {

namespace fs = std::filesystem;

namespace {

constexpr std::uint16_t kBof = 0x0009;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kInteger = 0x0002;
constexpr std::uint16_t kNumber = 0x0003;
constexpr std::uint16_t kLabel = 0x0004;
constexpr std::uint16_t kProtect = 0x0012;
constexpr std::uint16_t kHeader = 0x0014;
constexpr std::uint16_t kFooter = 0x0015;
constexpr std::uint16_t kColWidth = 0x0024;
constexpr std::uint16_t kPrintGridLines = 0x002B;
constexpr std::uint16_t kFilePass = 0x002F;
constexpr std::uint16_t kFont = 0x0031;
constexpr std::uint16_t kCodePage = 0x0042;
constexpr std::uint16_t kXf = 0x0043;

constexpr std::uint16_t kBiffVersion = 2;
constexpr std::uint16_t kWorksheet = 0x0010;

// Large enough for the biggest record (FILEPASS: 4 + 32767 bytes), so a record
// never straddles a flush.
constexpr std::size_t kBufferSize = 64 * 1024;

bool fitsInt16(std::int64_t v) { return v >= -32768 && v <= 32767; }
bool fitsByte(std::int64_t v) { return v >= 0 && v <= 255; }

// A 1-based cell coordinate as the signed 16-bit 0-based value the record holds.
std::optional<std::int16_t> cellIndex(std::int64_t oneBased) {
    if (!fitsInt16(oneBased) || !fitsInt16(oneBased - 1)) return std::nullopt;
    return static_cast<std::int16_t>(oneBased - 1);
}

struct Attributes {
    std::uint8_t hiddenLocked, cellFont, alignment;
};

std::optional<Attributes> attributes(std::int32_t hiddenLocked, std::int32_t cellFont, std::int32_t alignment) {
    if (!fitsByte(hiddenLocked) || !fitsByte(cellFont) || !fitsByte(alignment)) return std::nullopt;
    return Attributes{static_cast<std::uint8_t>(hiddenLocked), static_cast<std::uint8_t>(cellFont),
                      static_cast<std::uint8_t>(alignment)};
}

// 13 when the value is not a number, 94 when it is Null.
std::int16_t numberFailure(const db::Value& value) {
    return value.isNull() ? ExcelFile::kInvalidUseOfNull : ExcelFile::kTypeMismatch;
}

}  // namespace

ExcelFile::~ExcelFile() {
    if (m_file) CloseFile();
}

std::int16_t ExcelFile::CreateFile(const std::string& fileName) {
    // Never leave an earlier file without its EOF.
    if (m_file) CloseFile();
    m_ioError = kOk;
    m_failureReason.clear();

    fs::path path;
    FileFailure failure{};
    std::FILE* file = replaceFile(fileName, path, failure);
    if (!file) {
        m_failureReason = failure.reason;
        return failure.number;
    }
    // Records are collected in m_buffer; stdio buffering would only copy them twice.
    std::setvbuf(file, nullptr, _IONBF, 0);
    m_file = file;
    m_buffer.clear();
    m_buffer.reserve(kBufferSize);

    putHeader(kBof, 4);
    put16(kBiffVersion);
    put16(kWorksheet);
    return kOk;
}

std::int16_t ExcelFile::CloseFile() {
    if (!m_file) return kNoOpenFile;
    std::int16_t result = m_ioError;
    if (result == kOk) {
        result = reserve(4);
        if (result == kOk) {
            putHeader(kEof, 0);
            result = flush();
        }
    }
    errno = 0;
    if (std::fclose(m_file) != 0 && result == kOk) result = ioFailure(errno);
    m_file = nullptr;
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    return result;
}

std::int16_t ExcelFile::WriteValue(std::int32_t ValueType, std::int32_t CellFontUsed, std::int32_t Alignment,
                                   std::int32_t HiddenLocked, std::int64_t lrow, std::int64_t lcol,
                                   const db::Value& value) {
    if (!m_file) return kNoOpenFile;
    if (m_ioError) return m_ioError;

    const auto row = cellIndex(lrow);
    const auto col = cellIndex(lcol);
    if (!row || !col) return kOverflow;

    // A cell's record header, its place and its attributes: 11 bytes, put at once.
    auto head = [&](std::uint16_t record, std::uint16_t length, const Attributes& a) {
        const auto r = static_cast<std::uint16_t>(*row), c = static_cast<std::uint16_t>(*col);
        const std::uint8_t bytes[] = {static_cast<std::uint8_t>(record & 0xFF), static_cast<std::uint8_t>(record >> 8),
                                      static_cast<std::uint8_t>(length & 0xFF), static_cast<std::uint8_t>(length >> 8),
                                      static_cast<std::uint8_t>(r & 0xFF),      static_cast<std::uint8_t>(r >> 8),
                                      static_cast<std::uint8_t>(c & 0xFF),      static_cast<std::uint8_t>(c >> 8),
                                      a.hiddenLocked,                           a.cellFont,
                                      a.alignment};
        m_buffer.insert(m_buffer.end(), std::begin(bytes), std::end(bytes));
    };

    switch (ValueType) {
    case kIntegerCell: {
        const auto attr = attributes(HiddenLocked, CellFontUsed, Alignment);
        if (!attr) return kOverflow;
        const std::optional<double> number = value.toNumber();
        if (!number) return numberFailure(value);
        const double rounded = db::roundHalfEven(*number);
        if (!(rounded >= -32768.0 && rounded <= 32767.0)) return kOverflow;  // NaN included
        if (const auto r = reserve(13)) return r;
        head(kInteger, 9, *attr);
        put16(static_cast<std::uint16_t>(static_cast<std::int16_t>(rounded)));
        return kOk;
    }
    case kNumberCell: {
        const auto attr = attributes(HiddenLocked, CellFontUsed, Alignment);
        if (!attr) return kOverflow;
        const std::optional<double> number = value.toNumber();
        if (!number) return numberFailure(value);
        if (const auto r = reserve(19)) return r;
        head(kNumber, 15, *attr);
        putDouble(*number);
        return kOk;
    }
    case kLabelCell: {
        if (value.isNull()) return kInvalidUseOfNull;
        std::string converted;
        const std::string_view utf8 = value.kind() == db::Value::Kind::Text ? std::string_view(value.text())
                                                                            : std::string_view(converted = value.toText());
        // The code page's bytes are never more than the UTF-8 text's: a text
        // of up to 1020 bytes is converted on the stack.
        char stack[1020];
        std::string large;
        char* bytes = stack;
        if (utf8.size() > sizeof stack) {
            large.resize(utf8.size());
            bytes = large.data();
        }
        const std::size_t length = db::utf8ToCp1252(utf8, bytes);
        if (length > 255) return kOverflow;
        const auto attr = attributes(HiddenLocked, CellFontUsed, Alignment);
        if (!attr) return kOverflow;
        if (const auto r = reserve(12 + length)) return r;
        head(kLabel, static_cast<std::uint16_t>(8 + length), *attr);
        put8(static_cast<std::uint8_t>(length));
        m_buffer.insert(m_buffer.end(), bytes, bytes + length);
        return kOk;
    }
    default: return kOk;
    }
}

std::int16_t ExcelFile::SetMargin(std::int32_t Margin, double MarginValue) {
    if (!m_file) return kNoOpenFile;
    if (m_ioError) return m_ioError;
    if (!fitsInt16(Margin)) return kOverflow;
    if (const auto r = reserve(12)) return r;
    putHeader(static_cast<std::uint16_t>(static_cast<std::int16_t>(Margin)), 8);
    putDouble(MarginValue);
    return kOk;
}

std::int16_t ExcelFile::SetColumnWidth(std::int32_t FirstColumn, std::int32_t LastColumn, std::int32_t WidthValue) {
    if (!m_file) return kNoOpenFile;
    if (m_ioError) return m_ioError;
    const std::int64_t first = std::int64_t{FirstColumn} - 1;
    const std::int64_t last = std::int64_t{LastColumn} - 1;
    const std::int64_t width = std::int64_t{WidthValue} * 256;
    if (!fitsByte(first) || !fitsByte(last) || !fitsInt16(width)) return kOverflow;
    if (const auto r = reserve(8)) return r;
    putHeader(kColWidth, 4);
    put8(static_cast<std::uint8_t>(first));
    put8(static_cast<std::uint8_t>(last));
    put16(static_cast<std::uint16_t>(static_cast<std::int16_t>(width)));
    return kOk;
}

std::int16_t ExcelFile::SetFont(const std::string& FontName, std::int32_t FontHeight, std::int32_t FontFormat) {
    if (!m_file) return kNoOpenFile;
    if (m_ioError) return m_ioError;
    const std::string name = db::utf8ToCp1252(FontName);
    const std::int64_t height = std::int64_t{FontHeight} * 20;
    if (!fitsInt16(height) || !fitsByte(FontFormat) || name.size() > 255) return kOverflow;
    if (const auto r = reserve(9 + name.size())) return r;
    putHeader(kFont, static_cast<std::uint16_t>(5 + name.size()));
    put16(static_cast<std::uint16_t>(static_cast<std::int16_t>(height)));
    put8(static_cast<std::uint8_t>(FontFormat));
    put8(0);
    put8(static_cast<std::uint8_t>(name.size()));
    putBytes(name);
    return kOk;
}

std::int16_t ExcelFile::SetCellFormat(std::int32_t FontIndex, std::int32_t NumberFormat, std::int32_t Alignment) {
    if (!m_file) return kNoOpenFile;
    if (m_ioError) return m_ioError;
    if (!fitsByte(FontIndex) || !fitsByte(NumberFormat) || !fitsByte(Alignment)) return kOverflow;
    if (const auto r = reserve(8)) return r;
    putHeader(kXf, 4);
    put8(static_cast<std::uint8_t>(FontIndex));
    put8(0);
    put8(static_cast<std::uint8_t>(NumberFormat));
    put8(static_cast<std::uint8_t>(Alignment));
    return kOk;
}

std::int16_t ExcelFile::SetHeader(const std::string& HeaderText) { return writeCountedText(kHeader, HeaderText); }

std::int16_t ExcelFile::SetFooter(const std::string& FooterText) { return writeCountedText(kFooter, FooterText); }

std::int16_t ExcelFile::SetFilePassword(const std::string& PasswordText) {
    if (!m_file) return kNoOpenFile;
    if (m_ioError) return m_ioError;
    const std::string bytes = db::utf8ToCp1252(PasswordText);
    if (!fitsInt16(static_cast<std::int64_t>(bytes.size()))) return kOverflow;
    if (const auto r = reserve(4 + bytes.size())) return r;
    putHeader(kFilePass, static_cast<std::uint16_t>(bytes.size()));
    putBytes(bytes);
    return kOk;
}

std::int16_t ExcelFile::SetCodePage(std::int32_t CodePage) {
    if (!m_file) return kNoOpenFile;
    if (m_ioError) return m_ioError;
    if (CodePage < 0 || CodePage > 0xFFFF) return kOverflow;
    if (const auto r = reserve(6)) return r;
    putHeader(kCodePage, 2);
    put16(static_cast<std::uint16_t>(CodePage));
    return kOk;
}

void ExcelFile::PrintGridLines(bool newvalue) { writeFlag(kPrintGridLines, newvalue); }

void ExcelFile::ProtectSpreadsheet(bool newvalue) { writeFlag(kProtect, newvalue); }

std::int16_t ExcelFile::writeFlag(std::uint16_t record, bool value) {
    if (!m_file) return kNoOpenFile;
    if (m_ioError) return m_ioError;
    if (const auto r = reserve(6)) return r;
    putHeader(record, 2);
    put16(value ? 1 : 0);
    return kOk;
}

std::int16_t ExcelFile::writeCountedText(std::uint16_t record, const std::string& text) {
    if (!m_file) return kNoOpenFile;
    if (m_ioError) return m_ioError;
    const std::string bytes = db::utf8ToCp1252(text);
    if (bytes.size() > 255) return kOverflow;
    if (const auto r = reserve(5 + bytes.size())) return r;
    putHeader(record, static_cast<std::uint16_t>(1 + bytes.size()));
    put8(static_cast<std::uint8_t>(bytes.size()));
    putBytes(bytes);
    return kOk;
}

std::int16_t ExcelFile::reserve(std::size_t size) {
    if (m_buffer.size() + size <= kBufferSize) return kOk;
    return flush();
}

std::int16_t ExcelFile::flush() {
    if (m_buffer.empty()) return kOk;
    const std::size_t size = m_buffer.size();
    errno = 0;
    const std::size_t written = std::fwrite(m_buffer.data(), 1, size, m_file);
    const int err = errno;
    m_buffer.clear();
    return written == size ? kOk : ioFailure(err);
}

std::int16_t ExcelFile::ioFailure(int err) {
    const FileFailure failure = writeFailure(err);
    m_ioError = failure.number;
    m_failureReason = failure.reason;
    return m_ioError;
}

void ExcelFile::putDouble(double v) {
    const auto bits = std::bit_cast<std::uint64_t>(v);
    for (int shift = 0; shift < 64; shift += 8) m_buffer.push_back(static_cast<std::uint8_t>(bits >> shift));
}

void ExcelFile::putBytes(const std::string& bytes) { m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end()); }

void ExcelFile::putHeader(std::uint16_t record, std::uint16_t length) {
    put16(record);
    put16(length);
}

}  // namespace tessaro7::exporting
