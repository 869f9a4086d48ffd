#include "import_excel/CompoundFile.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
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
// The directory and the mini stream are held whole: a workbook's are a few
// kilobytes, and more than this is no workbook.
constexpr std::uint64_t kMaxHeld = std::uint64_t(32) << 20;

[[noreturn]] void damaged(ReadFailure cause, const std::string& why) {
    throw SheetReadError(cause, msg::kCompoundDetail + why);
}

// A stream of the file: its sectors, in order, read where its bytes are
// asked for, through a window of consecutive bytes read at once.
class ChainBytes : public ByteSource {
public:
    ChainBytes(std::shared_ptr<const ByteSource> file, std::vector<std::uint32_t> sectors, std::size_t sectorSize,
               std::uint64_t size)
        : m_file(std::move(file)), m_sectors(std::move(sectors)), m_sectorSize(sectorSize), m_size(size) {}

    std::uint64_t size() const override { return m_size; }

    std::string_view bytes(std::uint64_t offset, std::size_t length, std::string& buffer) const override {
        if (offset >= m_size) return {};
        length = static_cast<std::size_t>(std::min<std::uint64_t>(length, m_size - offset));
        if (offset >= m_windowStart && offset + length <= m_windowStart + m_window.size()) {
            buffer.assign(m_window, static_cast<std::size_t>(offset - m_windowStart), length);
            return buffer;
        }
        buffer.clear();
        while (buffer.size() < length) {
            const std::uint64_t at = offset + buffer.size();
            if (at < m_windowStart || at >= m_windowStart + m_window.size()) fillWindow(at);
            const std::size_t from = static_cast<std::size_t>(at - m_windowStart);
            buffer.append(m_window, from, std::min(length - buffer.size(), m_window.size() - from));
        }
        return buffer;
    }

private:
    static constexpr std::size_t kWindow = 256 * 1024;

    // The window from stream offset `at`: the sectors that follow each other
    // in the file are read in one call.
    void fillWindow(std::uint64_t at) const {
        m_window.clear();
        m_windowStart = at;
        std::string piece;
        while (m_window.size() < kWindow && at < m_size) {
            std::size_t index = static_cast<std::size_t>(at / m_sectorSize);
            const std::size_t within = static_cast<std::size_t>(at % m_sectorSize);
            const std::uint64_t fileAt = (std::uint64_t(m_sectors[index]) + 1) * m_sectorSize + within;
            std::size_t run = m_sectorSize - within;
            while (index + 1 < m_sectors.size() && m_sectors[index + 1] == m_sectors[index] + 1 && run < kWindow) {
                ++index;
                run += m_sectorSize;
            }
            run = static_cast<std::size_t>(std::min<std::uint64_t>(run, m_size - at));
            const std::string_view got = m_file->bytes(fileAt, run, piece);
            if (got.size() != run) damaged(ReadFailure::Truncated, msg::kCompoundFileChanged);
            m_window.append(got);
            at += run;
        }
    }

    std::shared_ptr<const ByteSource> m_file;
    std::vector<std::uint32_t> m_sectors;
    std::size_t m_sectorSize;
    std::uint64_t m_size;
    mutable std::string m_window;
    mutable std::uint64_t m_windowStart = 0;
};

class Container {
public:
    explicit Container(std::shared_ptr<const ByteSource> file) : m_file(std::move(file)), m_fileSize(m_file->size()) {
        std::string buffer;
        const std::string_view header = m_file->bytes(0, 512, buffer);
        if (header.size() < 512 || header.substr(0, 8) != kCompoundFileSignature)
            damaged(ReadFailure::Truncated, msg::kCompoundNoHeader);
        unsigned shift = le16(header, 0x1E), miniShift = le16(header, 0x20);
        if (shift != 9 && shift != 12) damaged(ReadFailure::Damaged, msg::kCompoundBadSectorSize);
        if (miniShift != 6) damaged(ReadFailure::Damaged, msg::kCompoundBadMiniSectorSize);
        m_sectorSize = std::size_t(1) << shift;
        m_miniCutoff = le32(header, 0x38);
        // Sectors beyond the end of the file cannot exist: every count is
        // bounded by this. The last one may be short: a stream may end inside it.
        m_sectorCount = static_cast<std::size_t>((m_fileSize + m_sectorSize - 1) / m_sectorSize - 1);
        readFat(header);
        m_directory = held(sectorsOf(m_fat, le32(header, 0x30), m_sectorSize, kNoSize), m_sectorSize, kNoSize);
        m_miniFat = held(sectorsOf(m_fat, le32(header, 0x3C), m_sectorSize, kNoSize), m_sectorSize, kNoSize);
        if (m_directory.size() < kDirectoryEntrySize) damaged(ReadFailure::Truncated, msg::kCompoundNoDirectory);
        // The root entry holds the mini stream.
        const std::uint64_t miniSize = le32(m_directory, 120);
        m_miniStream = held(sectorsOf(m_fat, le32(m_directory, 116), m_sectorSize, miniSize), m_sectorSize, miniSize);
    }

    std::unique_ptr<ByteSource> stream(std::initializer_list<std::string_view> names) const {
        for (std::string_view wanted : names)
            for (std::size_t at = 0; at + kDirectoryEntrySize <= m_directory.size(); at += kDirectoryEntrySize) {
                if (m_directory[at + 66] != 2 || !sameName(at, wanted)) continue;  // 2: a stream
                std::uint64_t size = le32(m_directory, at + 120);
                std::uint32_t start = le32(m_directory, at + 116);
                if (size < m_miniCutoff) return memoryBytes(miniChain(start, size));
                std::vector<std::uint32_t> sectors = sectorsOf(m_fat, start, m_sectorSize, size);
                // A file in memory whose stream lies in consecutive sectors (as most
                // writers lay it out) gives a view of it, not copies.
                const auto whole = m_file->whole();
                if (whole && std::adjacent_find(sectors.begin(), sectors.end(), [](std::uint32_t a, std::uint32_t b) {
                                 return b != a + 1;
                             }) == sectors.end()) {
                    const std::size_t at = (std::size_t(sectors.empty() ? 0 : sectors.front()) + 1) * m_sectorSize;
                    return memoryBytes(whole->substr(at, static_cast<std::size_t>(size)), m_file);
                }
                return std::make_unique<ChainBytes>(m_file, std::move(sectors), m_sectorSize, size);
            }
        // A package protected by password is kept in a compound file too.
        if (hasEntry("EncryptionInfo")) damaged(ReadFailure::Encrypted, "");
        throw SheetReadError(ReadFailure::NotThisFormat, "");
    }

private:
    static constexpr std::uint64_t kNoSize = UINT64_MAX;

    // The bytes of file sector `n`: all of them, or fewer for the file's last.
    // How many bytes file sector `n` holds: all of them, or fewer for the file's last.
    std::size_t sectorLength(std::uint32_t n) const {
        const std::uint64_t at = (std::uint64_t(n) + 1) * m_sectorSize;
        if (n >= m_sectorCount || at >= m_fileSize) damaged(ReadFailure::BadOffset, msg::kCompoundSectorBeyondEnd);
        return static_cast<std::size_t>(std::min<std::uint64_t>(m_sectorSize, m_fileSize - at));
    }
    std::string sector(std::uint32_t n) const {
        const std::size_t length = sectorLength(n);
        std::string buffer;
        const std::string_view got = m_file->bytes((std::uint64_t(n) + 1) * m_sectorSize, length, buffer);
        if (got.size() < length) damaged(ReadFailure::Truncated, msg::kCompoundFileChanged);
        return std::string(got);
    }

    // At most `entries` numbers of 4 bytes; a short last sector holds fewer.
    static void appendTable(std::vector<std::uint32_t>& table, std::string_view bytes, std::size_t entries) {
        for (std::size_t i = 0; i < entries && i < bytes.size() / 4; ++i) table.push_back(le32(bytes, i * 4));
    }

    // The allocation table, from the sector list in the header and its continuation sectors.
    void readFat(std::string_view header) {
        std::size_t fatSectors = le32(header, 0x2C);
        if (fatSectors > m_sectorCount) damaged(ReadFailure::TooLarge, msg::kCompoundFatTooLarge);
        std::vector<std::uint32_t> fatList;
        appendTable(fatList, header.substr(0x4C), std::min(fatSectors, kHeaderDifatEntries));
        std::uint32_t next = le32(header, 0x44);
        std::size_t perSector = m_sectorSize / 4 - 1;
        for (std::size_t hops = 0; fatList.size() < fatSectors; ++hops) {
            if (hops > m_sectorCount) damaged(ReadFailure::ChainLoop, msg::kCompoundFatChain);
            if (next >= kFreeSector - 3) damaged(ReadFailure::BadOffset, msg::kCompoundFatChainBroken);
            const std::string s = sector(next);
            if (s.size() < m_sectorSize) damaged(ReadFailure::Truncated, msg::kCompoundFatTruncated);
            appendTable(fatList, s, std::min(perSector, fatSectors - fatList.size()));
            next = le32(s, perSector * 4);
        }
        for (std::uint32_t n : fatList) appendTable(m_fat, sector(n), m_sectorSize / 4);
    }

    // The sectors of a chain of the allocation table: each once, enough for
    // `size` bytes (kNoSize: to the chain's end). `unit` is the sector size,
    // or 64 for the mini stream's sectors.
    std::vector<std::uint32_t> sectorsOf(const std::vector<std::uint32_t>& table, std::uint32_t start, std::size_t unit,
                                         std::uint64_t size) const {
        std::vector<std::uint32_t> sectors;
        std::vector<bool> seen(table.size());
        std::uint64_t length = 0;
        for (std::uint32_t n = start; n != kEndOfChain && length < size; n = table[n]) {
            if (n >= table.size()) damaged(ReadFailure::BadOffset, msg::kCompoundChainBeyondTable);
            if (seen[n]) damaged(ReadFailure::ChainLoop, msg::kCompoundChain);
            seen[n] = true;
            const std::size_t piece = unit == m_sectorSize ? sectorLength(n) : miniSectorLength(n);
            // Only the file's last sector may be short, and only where the data ends in it.
            if (piece < unit && (size == kNoSize ? table[n] != kEndOfChain : length + piece < size))
                damaged(ReadFailure::Truncated, msg::kCompoundSectorCut);
            sectors.push_back(n);
            length += piece;
        }
        if (size != kNoSize && length < size) damaged(ReadFailure::Truncated, msg::kCompoundStreamShort);
        return sectors;
    }

    // The bytes of a chain of file sectors, kept whole: bounded by kMaxHeld.
    std::string held(const std::vector<std::uint32_t>& sectors, std::size_t unit, std::uint64_t size) const {
        if (std::uint64_t(sectors.size()) * unit > kMaxHeld) damaged(ReadFailure::TooLarge, msg::kCompoundTooLarge);
        std::string out;
        for (std::uint32_t n : sectors) out += sector(n);
        if (size != kNoSize) out.resize(static_cast<std::size_t>(std::min<std::uint64_t>(size, out.size())));
        return out;
    }

    std::size_t miniSectorLength(std::uint32_t n) const {
        std::size_t at = std::size_t(n) * 64;
        if (at >= m_miniStream.size()) damaged(ReadFailure::BadOffset, msg::kCompoundMiniBeyondEnd);
        return std::min<std::size_t>(64, m_miniStream.size() - at);
    }

    std::string miniChain(std::uint32_t start, std::uint64_t size) const {
        std::vector<std::uint32_t> miniFat;
        appendTable(miniFat, m_miniFat, m_miniFat.size() / 4);
        std::string out;
        for (std::uint32_t n : sectorsOf(miniFat, start, 64, size)) out.append(m_miniStream, std::size_t(n) * 64, 64);
        out.resize(static_cast<std::size_t>(size));
        return out;
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

    std::shared_ptr<const ByteSource> m_file;
    std::uint64_t m_fileSize;
    std::size_t m_sectorSize = 512;
    std::size_t m_sectorCount = 0;
    std::uint64_t m_miniCutoff = 4096;
    std::vector<std::uint32_t> m_fat;
    std::string m_directory;
    std::string m_miniFat;
    std::string m_miniStream;
};

}  // namespace

std::unique_ptr<ByteSource> compoundFileStream(std::shared_ptr<const ByteSource> file,
                                               std::initializer_list<std::string_view> names) {
    return Container(std::move(file)).stream(names);
}

std::string compoundFileStream(std::string_view file, std::initializer_list<std::string_view> names) {
    const std::unique_ptr<ByteSource> stream = compoundFileStream(memoryBytes(file), names);
    std::string buffer;
    return std::string(stream->bytes(0, static_cast<std::size_t>(stream->size()), buffer));
}

}  // namespace tessaro7::import_excel
