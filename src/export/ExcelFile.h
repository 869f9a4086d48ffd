#pragma once
// Writes one worksheet file in the Excel BIFF2 record format. Each operation
// turns its arguments into exactly one record and appends it at once: no cell
// table, no sorting, no dimension or index records. The byte stream is the
// records in call order between the BOF written by CreateFile and the EOF
// written by CloseFile.
//
// Every operation except the two setters returns an error number: 0 when the
// record was written, otherwise the failure, and a failing call writes
// nothing. The numbers are the classic run-time error numbers the callers
// already know.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "db/Value.h"

namespace tessaro7::exporting {

class ExcelFile {
public:
    static constexpr std::int16_t kOk = 0;
    static constexpr std::int16_t kOverflow = 6;          // a value does not fit its field
    static constexpr std::int16_t kTypeMismatch = 13;     // not readable as a number
    static constexpr std::int16_t kNoOpenFile = 52;       // before CreateFile, after CloseFile
    static constexpr std::int16_t kDeviceIo = 57;         // a write or close failed
    static constexpr std::int16_t kDiskFull = 61;
    static constexpr std::int16_t kTooManyFiles = 67;
    static constexpr std::int16_t kPermissionDenied = 70; // no permission, file held, read-only
    static constexpr std::int16_t kPathFileAccess = 75;   // name is a folder, invalid or too long
    static constexpr std::int16_t kPathNotFound = 76;     // the folder does not exist
    static constexpr std::int16_t kInvalidUseOfNull = 94;

    // Record numbers of the four page margins.
    static constexpr std::int32_t kLeftMargin = 0x26;
    static constexpr std::int32_t kRightMargin = 0x27;
    static constexpr std::int32_t kTopMargin = 0x28;
    static constexpr std::int32_t kBottomMargin = 0x29;

    // WriteValue's ValueType.
    static constexpr std::int32_t kIntegerCell = 0;
    static constexpr std::int32_t kNumberCell = 1;
    static constexpr std::int32_t kLabelCell = 2;

    ExcelFile() = default;
    // Closes a file still open (writing its EOF); a file closed already gets
    // nothing more.
    ~ExcelFile();
    ExcelFile(const ExcelFile&) = delete;
    ExcelFile& operator=(const ExcelFile&) = delete;

    // Deletes an existing file of that name, creates it anew and writes BOF.
    // The name may use '\' separators and any letter case for existing
    // folders. A file still open from an earlier CreateFile is closed first.
    // On failure no file is open and failureReason() says why.
    std::int16_t CreateFile(const std::string& fileName);
    // Writes EOF and closes the file.
    std::int16_t CloseFile();

    // One cell at 1-based lrow, lcol: ValueType 0 INTEGER, 1 NUMBER,
    // 2 LABEL; any other ValueType writes nothing and returns 0. The three
    // attribute bytes go into the record as they stand: HiddenLocked bits 0-5
    // the XF record, bit 6 locked, bit 7 hidden; CellFontUsed bits 6-7 the
    // FONT record; Alignment bits 0-2.
    std::int16_t WriteValue(std::int32_t ValueType, std::int32_t CellFontUsed, std::int32_t Alignment,
                            std::int32_t HiddenLocked, std::int64_t lrow, std::int64_t lcol,
                            const db::Value& value);
    // A record numbered Margin (0x26..0x29) holding the margin in inches.
    std::int16_t SetMargin(std::int32_t Margin, double MarginValue);
    // Width in characters of the 1-based columns FirstColumn..LastColumn.
    std::int16_t SetColumnWidth(std::int32_t FirstColumn, std::int32_t LastColumn, std::int32_t WidthValue);
    // Height in points; FontFormat bits 1 bold, 2 italic, 4 underlined, 8 struck out.
    std::int16_t SetFont(const std::string& FontName, std::int32_t FontHeight, std::int32_t FontFormat);
    // One XF (cell format) record: the 0-based FONT record, the number format
    // with the locked (bit 6) and hidden (bit 7) bits, the alignment as in a
    // cell's third attribute byte. A cell points at the n-th XF record of the
    // file through bits 0-5 of its first attribute byte (`HiddenLocked`).
    std::int16_t SetCellFormat(std::int32_t FontIndex, std::int32_t NumberFormat, std::int32_t Alignment);
    std::int16_t SetHeader(const std::string& HeaderText);
    std::int16_t SetFooter(const std::string& FooterText);
    // The password text as it stands: no count byte, no hashing.
    std::int16_t SetFilePassword(const std::string& PasswordText);
    // CODEPAGE record; readers need it to decode accented text (1252).
    std::int16_t SetCodePage(std::int32_t CodePage);

    // Write-only settings: each call writes its record; failures are ignored.
    void PrintGridLines(bool newvalue);
    void ProtectSpreadsheet(bool newvalue);

    bool isOpen() const { return m_file != nullptr; }
    // Italian reason of the last file-system failure ("cartella inesistente",
    // "accesso negato", ...); empty after a successful CreateFile.
    const std::string& failureReason() const { return m_failureReason; }

private:
    std::int16_t writeFlag(std::uint16_t record, bool value);
    std::int16_t writeCountedText(std::uint16_t record, const std::string& text);
    // Makes room for `size` more bytes, flushing the buffer when needed.
    std::int16_t reserve(std::size_t size);
    std::int16_t flush();
    std::int16_t ioFailure(int err);

    void put8(std::uint8_t b) { m_buffer.push_back(b); }
    void put16(std::uint16_t v) {
        m_buffer.push_back(static_cast<std::uint8_t>(v & 0xFF));
        m_buffer.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void putDouble(double v);
    void putBytes(const std::string& bytes);
    void putHeader(std::uint16_t record, std::uint16_t length);

    std::FILE* m_file = nullptr;
    std::vector<std::uint8_t> m_buffer;
    std::int16_t m_ioError = kOk;  // a failed write: every later call reports it
    std::string m_failureReason;
};

}  // namespace tessaro7::exporting
