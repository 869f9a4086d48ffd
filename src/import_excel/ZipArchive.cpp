#include "import_excel/ZipArchive.h"

#include <zlib.h>

#include <algorithm>
#include <memory>

#include "app/Messages.h"
#include "db/FilledText.h"
#include "import_excel/Crc32.h"
#include "import_excel/LittleEndian.h"

namespace tessaro7::import_excel {

namespace {

namespace msg = app::msg;
using F = ReadFailure;

// A failure naming one entry ({voce}), and a number ({n}) where the text has one.
[[noreturn]] void entryFailure(ReadFailure cause, const char* text, std::string_view entry, const std::string& n = {}) {
    throw ZipError(cause, db::filledText(text, {{"voce", entry.substr(0, 60)}, {"n", n}}));
}

constexpr std::uint32_t kEndSignature = 0x06054b50, kEntrySignature = 0x02014b50, kLocalSignature = 0x04034b50;
constexpr std::size_t kEndSize = 22, kEntrySize = 46, kLocalSize = 30;
constexpr std::uint16_t kStored = 0, kDeflated = 8;
constexpr std::uint16_t kFlagEncrypted = 1, kFlagDescriptor = 8;

// A package whose parts would unpack to far more than a workbook of its
// size holds is refused before anything is unpacked: the time a preview
// takes stays bounded by the file.
std::uint64_t unpackedLimit(std::size_t fileSize) { return (std::uint64_t(64) << 20) + 50 * std::uint64_t(fileSize); }

std::string shown(std::string_view name) { return std::string(name.substr(0, 60)); }

struct Inflater {
    z_stream stream{};
    Inflater() {
        if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) throw ZipError(F::TooLarge, msg::kZipNoMemory);
    }
    ~Inflater() { inflateEnd(&stream); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
};

}  // namespace

std::string zipPartKey(std::string_view name) {
    std::string key(name);
    for (char& c : key) {
        if (c == '\\') c = '/';
        else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    std::size_t start = key.find_first_not_of('/');
    return start == std::string::npos ? std::string() : key.substr(start);
}

ZipArchive::ZipArchive(std::string_view file) : ZipArchive(memoryBytes(file)) {}

ZipArchive::ZipArchive(std::unique_ptr<ByteSource> file) : m_file(std::move(file)) {
    readDirectory(findEnd());
    checkLayout();
}

// The one end record: the format puts it last, followed only by its
// comment, so it is the record whose comment ends exactly at the end of the
// file. A second such record makes the package ambiguous.
std::size_t ZipArchive::findEnd() const {
    const std::uint64_t size = m_file->size();
    if (size < kEndSize) throw ZipError(F::Truncated, msg::kZipNoRoomForEnd);
    const std::size_t tailSize = static_cast<std::size_t>(std::min<std::uint64_t>(size, kEndSize + 0xFFFF));
    const std::size_t tailStart = static_cast<std::size_t>(size - tailSize);
    std::string buffer;
    const std::string_view tail = m_file->bytes(tailStart, tailSize, buffer);
    if (tail.size() != tailSize) throw ZipError(F::Truncated, msg::kZipNoEnd);
    std::size_t found = std::string_view::npos;
    for (std::size_t at = tail.size() - kEndSize + 1; at-- > 0;) {
        if (le32(tail, at) != kEndSignature || at + kEndSize + le16(tail, at + 20) != tail.size()) continue;
        if (found != std::string_view::npos) throw ZipError(F::TwoEndRecords, msg::kReadTwoEndRecords);
        found = at;
    }
    if (found == std::string_view::npos) throw ZipError(F::Truncated, msg::kZipNoEnd);
    return tailStart + found;
}

void ZipArchive::readDirectory(std::size_t end) {
    std::string endBuffer;
    const std::string_view record = m_file->bytes(end, kEndSize, endBuffer);
    std::uint16_t disk = le16(record, 4), directoryDisk = le16(record, 6);
    std::uint16_t here = le16(record, 8), count = le16(record, 10);
    std::uint32_t size = le32(record, 12), offset = le32(record, 16);
    if (count == 0xFFFF || size == 0xFFFFFFFF || offset == 0xFFFFFFFF)
        throw ZipError(F::Unsupported, msg::kZip64);
    if (disk != 0 || directoryDisk != 0 || here != count) throw ZipError(F::Unsupported, msg::kZipSplit);
    // The directory lies whole right before the end record: nothing hides between them.
    if (std::uint64_t(offset) + size != end) throw ZipError(F::BadOffset, msg::kZipDirectoryMisplaced);
    if (size > kMaxDirectory)
        throw ZipError(F::TooLarge, db::filledText(msg::kZipDirectoryTooLarge, {{"n", std::to_string(size >> 20)}}));
    m_directory = offset;
    std::string directoryBuffer;
    const std::string_view directory = m_file->bytes(offset, size, directoryBuffer);
    if (directory.size() != size) throw ZipError(F::Truncated, msg::kZipNoEnd);
    std::uint64_t unpacked = 0;
    std::size_t at = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (!fits(size, at, kEntrySize) || le32(directory, at) != kEntrySignature)
            entryFailure(F::Damaged, msg::kZipDirectoryDamaged, {}, std::to_string(i + 1));
        std::uint16_t flags = le16(directory, at + 8), nameLength = le16(directory, at + 28);
        std::size_t length = kEntrySize + nameLength + le16(directory, at + 30) + le16(directory, at + 32);
        if (!fits(size, at, length)) entryFailure(F::Damaged, msg::kZipDirectoryDamaged, {}, std::to_string(i + 1));
        ZipEntry entry;
        std::string_view rawName = directory.substr(at + kEntrySize, nameLength);
        entry.name.assign(rawName);
        std::replace(entry.name.begin(), entry.name.end(), '\\', '/');
        entry.method = le16(directory, at + 10);
        entry.crc = le32(directory, at + 16);
        entry.packed = le32(directory, at + 20);
        entry.unpacked = le32(directory, at + 24);
        entry.header = le32(directory, at + 42);
        if (le16(directory, at + 34) != 0) throw ZipError(F::Unsupported, msg::kZipSplit);
        if (flags & kFlagEncrypted) entryFailure(F::Encrypted, msg::kZipEncrypted, entry.name);
        checkLocalHeader(entry, rawName, flags);
        unpacked += entry.unpacked;
        m_entries.push_back(std::move(entry));
        at += length;
    }
    if (at != size) throw ZipError(F::Damaged, msg::kZipUncountedEntries);
    if (unpacked > unpackedLimit(static_cast<std::size_t>(m_file->size())))
        entryFailure(F::TooLarge, msg::kZipExpandsTo, {}, std::to_string(unpacked >> 20));
}

void ZipArchive::checkLocalHeader(ZipEntry& entry, std::string_view rawName, std::uint16_t flags) const {
    const std::string name = shown(entry.name);
    if (entry.method != kStored && entry.method != kDeflated)
        entryFailure(F::Unsupported, msg::kZipUnknownMethod, name, std::to_string(entry.method));
    if (entry.method == kStored && entry.packed != entry.unpacked)
        entryFailure(F::SizesDisagree, msg::kZipSizesDisagree, name);
    if (!fits(m_directory, entry.header, kLocalSize)) entryFailure(F::BadOffset, msg::kZipEntryMisplaced, name);
    std::string buffer;
    const std::string_view header = m_file->bytes(entry.header, kLocalSize + rawName.size(), buffer);
    if (header.size() < kLocalSize || le32(header, 0) != kLocalSignature)
        entryFailure(F::BadOffset, msg::kZipEntryMisplaced, name);
    const std::size_t at = entry.header;
    std::uint16_t nameLength = le16(header, 26), extraLength = le16(header, 28);
    if (le16(header, 8) != entry.method || !fits(m_directory, at + kLocalSize, nameLength) ||
        header.substr(kLocalSize) != rawName || nameLength != rawName.size())
        entryFailure(F::HeaderDisagrees, msg::kZipHeaderDisagrees, name);
    // With a data descriptor the local sizes may be left at zero; any other value must agree.
    std::uint32_t crc = le32(header, 14), packed = le32(header, 18), unpacked = le32(header, 22);
    bool deferred = (flags & kFlagDescriptor) && crc == 0 && packed == 0 && unpacked == 0;
    if (!deferred && (crc != entry.crc || packed != entry.packed || unpacked != entry.unpacked))
        entryFailure(F::SizesDisagree, msg::kZipHeaderSizesDisagree, name);
    entry.data = at + kLocalSize + nameLength + extraLength;
    if (!fits(m_directory, entry.data, entry.packed))
        entryFailure(F::BadOffset, msg::kZipBeyondEnd, name);
}

// Entries in file order: each one's header and data end before the next begins.
void ZipArchive::checkLayout() {
    std::vector<const ZipEntry*> order;
    for (const ZipEntry& e : m_entries) order.push_back(&e);
    std::sort(order.begin(), order.end(), [](const ZipEntry* a, const ZipEntry* b) { return a->header < b->header; });
    for (std::size_t i = 1; i < order.size(); ++i)
        if (order[i - 1]->data + order[i - 1]->packed > order[i]->header)
            throw ZipError(F::EntriesOverlap, db::filledText(msg::kZipOverlap, {{"voce", shown(order[i - 1]->name)},
                                                                               {"altra", shown(order[i]->name)}}));
    std::vector<std::string> keys;
    for (const ZipEntry& e : m_entries) keys.push_back(zipPartKey(e.name));
    std::sort(keys.begin(), keys.end());
    auto twice = std::adjacent_find(keys.begin(), keys.end());
    if (twice != keys.end()) entryFailure(F::EntryTwice, msg::kZipTwice, *twice);
}

const ZipEntry* ZipArchive::find(std::string_view name) const {
    std::string key = zipPartKey(name);
    for (const ZipEntry& e : m_entries)
        if (zipPartKey(e.name) == key) return &e;
    return nullptr;
}

void ZipArchive::read(const ZipEntry& entry, const std::function<bool(std::string_view)>& take) const {
    const std::string name = shown(entry.name);
    std::uint32_t crc = 0;
    std::uint64_t total = 0;
    auto give = [&](std::string_view piece) {
        total += piece.size();
        if (total > entry.unpacked) entryFailure(F::SizesDisagree, msg::kZipExpandsBeyond, name);
        crc = crc32Of(crc, piece);
        return take(piece);
    };
    // The packed data a piece at a time; a file cut since its directory was read is said so.
    std::string buffer;
    std::uint64_t read = 0;
    auto nextPacked = [&] {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, entry.packed - read));
        const std::string_view piece = m_file->bytes(entry.data + read, want, buffer);
        if (piece.size() != want) entryFailure(F::Truncated, msg::kZipFileChanged, name);
        read += piece.size();
        return piece;
    };
    if (entry.method == kStored) {
        while (read < entry.packed)
            if (!give(nextPacked())) return;
    } else {
        Inflater z;
        auto output = std::make_unique<unsigned char[]>(kPiece);
        for (;;) {
            if (z.stream.avail_in == 0 && read < entry.packed) {
                const std::string_view piece = nextPacked();
                z.stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.data()));
                z.stream.avail_in = static_cast<uInt>(piece.size());
            }
            const bool inputLeft = z.stream.avail_in > 0 || read < entry.packed;
            z.stream.next_out = output.get();
            z.stream.avail_out = static_cast<uInt>(kPiece);
            int status = inflate(&z.stream, Z_NO_FLUSH);
            std::size_t produced = kPiece - z.stream.avail_out;
            if (status == Z_DATA_ERROR || status == Z_NEED_DICT || status == Z_MEM_ERROR)
                entryFailure(F::Damaged, msg::kZipBadData, name);
            if (produced > 0 && !give(std::string_view(reinterpret_cast<const char*>(output.get()), produced))) return;
            if (status == Z_STREAM_END) break;
            if (status == Z_BUF_ERROR || (!inputLeft && produced == 0)) entryFailure(F::Truncated, msg::kZipDataCut, name);
        }
    }
    if (total != entry.unpacked) entryFailure(F::SizesDisagree, msg::kZipSizesDisagree, name);
#ifndef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    if (crc != entry.crc) entryFailure(F::BadChecksum, msg::kZipBadChecksum, name);
#endif
}

}  // namespace tessaro7::import_excel
