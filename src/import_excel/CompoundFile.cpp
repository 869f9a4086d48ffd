#include "import_excel/CompoundFile.h"

#include <cctype>
#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "app/Messages.h"
#include "import_excel/LittleEndian.h"
#include "import_excel/WorkbookReader.h"

namespace tessaro7::import_excel {

namespace msg = app::msg;

namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::size_t kHeaderDifatEntries = 109;
constexpr std::size_t kDirectoryEntrySize = 128;

[[noreturn]] void damaged(ReadFailure cause, const std::string& why) {
    throw SheetReadError(cause, msg::kCompoundDetail + why);
}

class Container {
public:
    explicit Container(std::string_view file) : m_file(file) {
        if (file.size() < 512 || file.substr(0, 8) != kCompoundFileSignature) damaged(ReadFailure::Truncated, msg::kCompoundNoHeader);
        unsigned shift = le16(file, 0x1E), miniShift = le16(file, 0x20);
        if (shift != 9 && shift != 12) damaged(ReadFailure::Damaged, msg::kCompoundBadSectorSize);
        if (miniShift != 6) damaged(ReadFailure::Damaged, msg::kCompoundBadMiniSectorSize);
        m_sectorSize = std::size_t(1) << shift;
        m_miniCutoff = le32(file, 0x38);
        // Sectors beyond the end of the file cannot exist: every count is
        // bounded by this. The last one may be short: a stream may end inside it.
        m_sectorCount = (file.size() + m_sectorSize - 1) / m_sectorSize - 1;
        readFat();
        m_directory = chain(m_fat, le32(file, 0x30), m_sectorSize, SIZE_MAX);
        m_miniFat = chain(m_fat, le32(file, 0x3C), m_sectorSize, SIZE_MAX);
        if (m_directory.size() < kDirectoryEntrySize) damaged(ReadFailure::Truncated, msg::kCompoundNoDirectory);
        // The root entry holds the mini stream.
        std::uint64_t miniSize = le32(m_directory, 120);
        m_miniStream = chain(m_fat, le32(m_directory, 116), m_sectorSize, miniSize);
    }

    // The stream's bytes: a view of the file when its sectors follow each
    // other there (as most writers lay them out), else gathered into `copy`.
    std::string_view stream(std::initializer_list<std::string_view> names, std::string& copy) const {
        for (std::string_view wanted : names)
            for (std::size_t at = 0; at + kDirectoryEntrySize <= m_directory.size(); at += kDirectoryEntrySize) {
                if (m_directory[at + 66] != 2 || !sameName(at, wanted)) continue;  // 2: a stream
                std::uint64_t size = le32(m_directory, at + 120);
                std::uint32_t start = le32(m_directory, at + 116);
                if (size < m_miniCutoff) return copy = miniChain(start, size);
                if (auto inPlace = contiguous(start, size)) return *inPlace;
                return copy = chain(m_fat, start, m_sectorSize, size);
            }
        // A package protected by password is kept in a compound file too.
        if (hasEntry("EncryptionInfo")) damaged(ReadFailure::Encrypted, "");
        throw SheetReadError(ReadFailure::NotThisFormat, "");
    }

private:
    std::string_view sector(std::uint32_t n) const {
        std::size_t at = (std::size_t(n) + 1) * m_sectorSize;
        if (n >= m_sectorCount || at >= m_file.size()) damaged(ReadFailure::BadOffset, msg::kCompoundSectorBeyondEnd);
        return m_file.substr(at, m_sectorSize);
    }

    // At most `entries` numbers of 4 bytes; a short last sector holds fewer.
    void appendTable(std::vector<std::uint32_t>& table, std::string_view bytes, std::size_t entries) const {
        for (std::size_t i = 0; i < entries && i < bytes.size() / 4; ++i) table.push_back(le32(bytes, i * 4));
    }

    // The allocation table, from the sector list in the header and its continuation sectors.
    void readFat() {
        std::size_t fatSectors = le32(m_file, 0x2C);
        if (fatSectors > m_sectorCount) damaged(ReadFailure::TooLarge, msg::kCompoundFatTooLarge);
        std::vector<std::uint32_t> fatList;
        appendTable(fatList, m_file.substr(0x4C), std::min(fatSectors, kHeaderDifatEntries));
        std::uint32_t next = le32(m_file, 0x44);
        std::size_t perSector = m_sectorSize / 4 - 1;
        for (std::size_t hops = 0; fatList.size() < fatSectors; ++hops) {
            if (hops > m_sectorCount) damaged(ReadFailure::ChainLoop, msg::kCompoundFatChain);
            if (next >= kFreeSector - 3) damaged(ReadFailure::BadOffset, msg::kCompoundFatChainBroken);
            std::string_view s = sector(next);
            if (s.size() < m_sectorSize) damaged(ReadFailure::Truncated, msg::kCompoundFatTruncated);
            appendTable(fatList, s, std::min(perSector, fatSectors - fatList.size()));
            next = le32(s, perSector * 4);
        }
        for (std::uint32_t n : fatList) appendTable(m_fat, sector(n), m_sectorSize / 4);
    }

    // Follows a chain of the allocation table: each sector once, at most `size` bytes.
    std::string chain(const std::vector<std::uint32_t>& table, std::uint32_t start, std::size_t unit,
                      std::uint64_t size) const {
        std::string out;
        std::vector<bool> seen(table.size());
        for (std::uint32_t n = start; n != kEndOfChain && out.size() < size; n = table[n]) {
            if (n >= table.size()) damaged(ReadFailure::BadOffset, msg::kCompoundChainBeyondTable);
            if (seen[n]) damaged(ReadFailure::ChainLoop, msg::kCompoundChain);
            seen[n] = true;
            std::string_view piece = unit == m_sectorSize ? sector(n) : miniSector(n);
            // Only the file's last sector may be short, and only where the data ends in it.
            if (piece.size() < unit && (size == SIZE_MAX ? table[n] != kEndOfChain : out.size() + piece.size() < size))
                damaged(ReadFailure::Truncated, msg::kCompoundSectorCut);
            out.append(piece);
        }
        if (size != SIZE_MAX) {
            if (out.size() < size) damaged(ReadFailure::Truncated, msg::kCompoundStreamShort);
            out.resize(static_cast<std::size_t>(size));
        }
        return out;
    }

    // Where a chain's first `size` bytes lie when its sectors follow each
    // other in the file; nothing otherwise, and nothing for a damaged chain,
    // which the full walk then reports.
    std::optional<std::string_view> contiguous(std::uint32_t start, std::uint64_t size) const {
        std::vector<bool> seen(m_fat.size());
        std::size_t begin = 0, length = 0;
        for (std::uint32_t n = start; n != kEndOfChain && length < size; n = m_fat[n]) {
            const std::size_t at = (std::size_t(n) + 1) * m_sectorSize;
            if (n >= m_fat.size() || seen[n] || n >= m_sectorCount || at >= m_file.size()) return std::nullopt;
            seen[n] = true;
            if (length == 0) begin = at;
            else if (at != begin + length) return std::nullopt;
            length += std::min(m_sectorSize, m_file.size() - at);
        }
        if (length < size) return std::nullopt;
        return m_file.substr(begin, static_cast<std::size_t>(size));
    }

    std::string_view miniSector(std::uint32_t n) const {
        std::size_t at = std::size_t(n) * 64;
        if (at >= m_miniStream.size()) damaged(ReadFailure::BadOffset, msg::kCompoundMiniBeyondEnd);
        return std::string_view(m_miniStream).substr(at, 64);
    }

    std::string miniChain(std::uint32_t start, std::uint64_t size) const {
        std::vector<std::uint32_t> miniFat;
        appendTable(miniFat, m_miniFat, m_miniFat.size() / 4);
        return chain(miniFat, start, 64, size);
    }

    bool hasEntry(std::string_view name) const {
        for (std::size_t at = 0; at + kDirectoryEntrySize <= m_directory.size(); at += kDirectoryEntrySize)
            if (sameName(at, name)) return true;
        return false;
    }

    bool sameName(std::size_t at, std::string_view wanted) const {
        std::size_t bytes = le16(m_directory, at + 64);
        if (bytes != (wanted.size() + 1) * 2) return false;
        for (std::size_t i = 0; i < wanted.size(); ++i) {
            std::uint16_t ch = le16(m_directory, at + 2 * i);
            if (ch > 0x7F || std::tolower(ch) != std::tolower(static_cast<unsigned char>(wanted[i]))) return false;
        }
        return true;
    }

    std::string_view m_file;
    std::size_t m_sectorSize = 512;
    std::size_t m_sectorCount = 0;
    std::uint64_t m_miniCutoff = 4096;
    std::vector<std::uint32_t> m_fat;
    std::string m_directory;
    std::string m_miniFat;
    std::string m_miniStream;
};

}  // namespace

std::string_view compoundFileStream(std::string_view file, std::initializer_list<std::string_view> names,
                                    std::string& copy) {
    return Container(file).stream(names, copy);
}

std::string compoundFileStream(std::string_view file, std::initializer_list<std::string_view> names) {
    std::string copy;
    std::string_view stream = compoundFileStream(file, names, copy);
    return stream.data() == copy.data() ? std::move(copy) : std::string(stream);
}

}  // namespace tessaro7::import_excel
