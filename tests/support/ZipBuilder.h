#pragma once
// Zip packages built byte by byte for the tests of the package readers, so
// that each can be bent the way a damaged or hostile file is: entries
// stored or deflated (zlib), a central directory and end record that can be
// altered, duplicated or cut after the fact.
#include <zlib.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tessaro7::testing {

inline void putLe16(std::string& out, std::uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
inline void putLe32(std::string& out, std::uint32_t v) {
    putLe16(out, v & 0xFFFF);
    putLe16(out, v >> 16);
}

// Raw deflate of `data` (no zlib header), as zip entries hold it.
inline std::string deflateRaw(const std::string& data, int level = 6) {
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())) + 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// A deflate stream of `gigabytes` GB of zeros made from one repeated block,
// so the test need not compress gigabytes: about 1 KB per MB.
inline std::string deflatedZeros(std::uint64_t megabytes) {
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string zeros(1 << 20, '\0'), block(64 * 1024, '\0'), out;
    z.next_in = reinterpret_cast<Bytef*>(zeros.data());
    z.avail_in = static_cast<uInt>(zeros.size());
    z.next_out = reinterpret_cast<Bytef*>(block.data());
    z.avail_out = static_cast<uInt>(block.size());
    deflate(&z, Z_FULL_FLUSH);  // byte-aligned, with no reference before it: repeatable
    block.resize(block.size() - z.avail_out);
    for (std::uint64_t i = 0; i < megabytes; ++i) out += block;
    std::string end(64, '\0');
    z.next_out = reinterpret_cast<Bytef*>(end.data());
    z.avail_out = static_cast<uInt>(end.size());
    deflate(&z, Z_FINISH);
    end.resize(end.size() - z.avail_out);
    deflateEnd(&z);
    return out + end;
}

struct ZipPart {
    ZipPart(std::string n, std::string d, bool deflate = true) : name(std::move(n)), data(std::move(d)), deflated(deflate) {}
    std::string name;
    std::string data;       // unpacked
    bool deflated = true;
    std::string packed;     // set by build(); may be given to override
    std::uint32_t declaredSize = 0xFFFFFFFF;  // the unpacked size to declare; default the true one
    std::uint32_t crc = 0;
    bool crcGiven = false;
};

struct BuiltZip {
    std::string bytes;
    std::size_t directory = 0, end = 0;  // where the central directory and the end record start
};

inline BuiltZip buildZip(std::vector<ZipPart> parts) {
    BuiltZip zip;
    std::string directory;
    for (ZipPart& p : parts) {
        if (p.packed.empty()) p.packed = p.deflated ? deflateRaw(p.data) : p.data;
        if (!p.crcGiven)
            p.crc = static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(p.data.data()), static_cast<uInt>(p.data.size())));
        std::uint32_t size = p.declaredSize != 0xFFFFFFFF ? p.declaredSize : static_cast<std::uint32_t>(p.data.size());
        auto header = [&](std::string& out, bool central, std::uint32_t offset) {
            putLe32(out, central ? 0x02014b50 : 0x04034b50);
            if (central) putLe16(out, 20);
            putLe16(out, 20);
            putLe16(out, 0);
            putLe16(out, p.deflated ? 8 : 0);
            putLe32(out, 0);
            putLe32(out, p.crc);
            putLe32(out, static_cast<std::uint32_t>(p.packed.size()));
            putLe32(out, size);
            putLe16(out, static_cast<std::uint32_t>(p.name.size()));
            putLe16(out, 0);
            if (central) {
                putLe16(out, 0);
                putLe16(out, 0);
                putLe16(out, 0);
                putLe32(out, 0);
                putLe32(out, offset);
            }
            out += p.name;
        };
        std::uint32_t offset = static_cast<std::uint32_t>(zip.bytes.size());
        header(zip.bytes, false, 0);
        zip.bytes += p.packed;
        header(directory, true, offset);
    }
    zip.directory = zip.bytes.size();
    zip.bytes += directory;
    zip.end = zip.bytes.size();
    putLe32(zip.bytes, 0x06054b50);
    putLe16(zip.bytes, 0);
    putLe16(zip.bytes, 0);
    putLe16(zip.bytes, static_cast<std::uint32_t>(parts.size()));
    putLe16(zip.bytes, static_cast<std::uint32_t>(parts.size()));
    putLe32(zip.bytes, static_cast<std::uint32_t>(directory.size()));
    putLe32(zip.bytes, static_cast<std::uint32_t>(zip.directory));
    putLe16(zip.bytes, 0);
    return zip;
}

}  // namespace tessaro7::testing
