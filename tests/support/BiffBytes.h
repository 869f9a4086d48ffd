#pragma once
// Workbook bytes laid out by hand from the published formats, for the cases
// no writer at hand produces: BIFF records, and a compound file of 512-byte
// sectors holding one stream.
#include <cstdint>
#include <string>
#include <vector>

namespace tessaro7::testing {

inline std::string le16s(std::uint32_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }
inline std::string le32s(std::uint32_t v) { return le16s(v & 0xFFFF) + le16s(v >> 16); }

inline std::string biffRecord(std::uint16_t id, const std::string& body) {
    return le16s(id) + le16s(static_cast<std::uint32_t>(body.size())) + body;
}

// A compound file: header, one allocation-table sector (0), one directory
// sector (1), then the stream's sectors from 2 on, chained in order.
// `fat` may be changed by the caller before `bytes()`.
struct CompoundFileBytes {
    std::string stream;
    std::string streamName = "Workbook";
    std::vector<std::uint32_t> fat;

    explicit CompoundFileBytes(std::string data) : stream(std::move(data)) {
        std::size_t sectors = (stream.size() + 511) / 512;
        fat = {0xFFFFFFFD, 0xFFFFFFFE};
        for (std::size_t i = 0; i < sectors; ++i)
            fat.push_back(i + 1 == sectors ? 0xFFFFFFFE : static_cast<std::uint32_t>(i + 3));
        fat.resize(128, 0xFFFFFFFF);
    }

    static std::string entry(const std::string& name, int type, std::uint32_t start, std::uint32_t size) {
        std::string e;
        for (char c : name) e += std::string{c, '\0'};
        e += std::string(2, '\0');
        e.resize(64, '\0');
        e += le16s(static_cast<std::uint32_t>(name.size() + 1) * 2);
        e += static_cast<char>(type);
        e += static_cast<char>(1);
        e += le32s(0xFFFFFFFF) + le32s(0xFFFFFFFF) + le32s(type == 5 ? 1 : 0xFFFFFFFF);
        e.resize(116, '\0');
        return e + le32s(start) + le32s(size) + le32s(0);
    }

    // The file; its stream's last sector is kept whole (padded) unless `shortLast`.
    std::string bytes(bool shortLast = false) const {
        std::string header("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
        header.resize(0x18, '\0');
        header += le16s(0x3E) + le16s(3) + le16s(0xFFFE) + le16s(9) + le16s(6);
        header.resize(0x2C, '\0');
        header += le32s(1) + le32s(1) + le32s(0) + le32s(4096) + le32s(0xFFFFFFFE) + le32s(0) + le32s(0xFFFFFFFE) + le32s(0);
        header += le32s(0);
        while (header.size() < 512) header += le32s(0xFFFFFFFF);
        std::string fatSector;
        for (std::uint32_t n : fat) fatSector += le32s(n);
        std::string directory = entry("Root Entry", 5, 0xFFFFFFFE, 0) +
                                entry(streamName, 2, 2, static_cast<std::uint32_t>(stream.size()));
        directory.resize(512, '\0');
        std::string data = stream;
        if (!shortLast) data.resize((stream.size() + 511) / 512 * 512, '\0');
        return header + fatSector + directory + data;
    }
};

}  // namespace tessaro7::testing
