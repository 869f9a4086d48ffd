// The zip reader against packages bent as damaged and hostile files are:
// each is refused with its reason, or read within what it declares.
#include "import_excel/ZipArchive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>
#include <utility>

#include "support/TempDir.h"
#include "support/ZipBuilder.h"

namespace {

using namespace tessaro7::import_excel;
using namespace tessaro7::testing;

void patch32(std::string& bytes, std::size_t at, std::uint32_t value) {
    std::string le;
    putLe32(le, value);
    bytes.replace(at, 4, le);
}
void patch16(std::string& bytes, std::size_t at, std::uint32_t value) {
    std::string le;
    putLe16(le, value);
    bytes.replace(at, 2, le);
}

// Every entry unpacked whole; throws ZipError when the package or an entry is refused.
std::string readEntries(const ZipArchive& zip) {
    std::string all;
    for (const ZipEntry& e : zip.entries())
        zip.read(e, [&](std::string_view piece) {
            all += piece;
            return true;
        });
    return all;
}
std::string readAll(const std::string& bytes) { return readEntries(ZipArchive(bytes)); }

const std::string kText = "<a>" + std::string(5000, 'x') + "</a>";

// The cause a package is refused for, and the reason's text.
std::pair<ReadFailure, std::string> refusal(const std::string& bytes) {
    try {
        readAll(bytes);
    } catch (const ZipError& e) {
        return {e.cause(), e.what()};
    }
    ADD_FAILURE() << "read without a refusal";
    return {};
}

TEST(ZipArchive, EachDamageIsRefusedWithItsCause) {
    struct Case {
        const char* what;
        std::function<std::string()> make;
        ReadFailure cause;
        const char* named;  // the entry names (or size) the reason must give
    };
    const Case cases[] = {
        {"a third entry in the directory that the end record does not count",
         [] {
             BuiltZip z = buildZip({{"a.xml", "<a/>"}, {"b.xml", "<b/>"}, {"c.xml", std::string(100, 'c')}});
             patch16(z.bytes, z.end + 8, 2);
             patch16(z.bytes, z.end + 10, 2);
             return z.bytes;
         },
         ReadFailure::Damaged, ""},
        {"a directory smaller than the space before the end record",
         [] {
             BuiltZip z = buildZip({{"a.xml", "<a/>"}, {"b.xml", "<b/>"}});
             patch32(z.bytes, z.end + 12, static_cast<std::uint32_t>(z.end - z.directory - 10));
             return z.bytes;
         },
         ReadFailure::BadOffset, ""},
        {"two end records, both ending at the end of the file",
         [] {
             BuiltZip z = buildZip({{"a.xml", "<a/>"}});
             std::string second = z.bytes.substr(z.end);
             patch16(z.bytes, z.end + 20, 22);
             return z.bytes + second;
         },
         ReadFailure::TwoEndRecords, ""},
        {"no end record", [] { return buildZip({{"a.xml", "<a/>"}}).bytes.substr(0, 40); },
         ReadFailure::Truncated, ""},
        {"a local header whose size disagrees with the directory",
         [] {
             BuiltZip z = buildZip({{"a.xml", kText}});
             patch32(z.bytes, 22, 7);
             return z.bytes;
         },
         ReadFailure::SizesDisagree, "a.xml"},
        {"a local header of another name",
         [] {
             BuiltZip z = buildZip({{"a.xml", kText}});
             z.bytes[30] = 'b';
             return z.bytes;
         },
         ReadFailure::HeaderDisagrees, "a.xml"},
        {"an entry whose data reaches into the next entry",
         [] {
             BuiltZip z = buildZip({{"a.xml", kText, false}, {"b.xml", kText, false}});
             std::uint32_t longer = static_cast<std::uint32_t>(kText.size() + 10);
             for (std::size_t at : {std::size_t(18), std::size_t(22), z.directory + 20, z.directory + 24}) patch32(z.bytes, at, longer);
             return z.bytes;
         },
         ReadFailure::EntriesOverlap, "a.xml e b.xml"},
        {"two directory entries naming one local header",
         [] {
             BuiltZip z = buildZip({{"a.xml", "<a/>"}, {"a.xml", "<a/>"}});
             patch32(z.bytes, z.end - 4 - 5 + 0, 0);  // the second entry's header offset -> the first
             return z.bytes;
         },
         ReadFailure::EntriesOverlap, "a.xml e a.xml"},
        {"two entries whose names differ only in letter case",
         [] { return buildZip({{"Content.xml", "<a/>"}, {"content.XML", "<b/>"}}).bytes; },
         ReadFailure::EntryTwice, "content.xml"},
        {"an entry reaching past the directory",
         [] {
             BuiltZip z = buildZip({{"a.xml", kText}});
             patch32(z.bytes, 18, 0xFFFFFDF0);
             patch32(z.bytes, z.directory + 20, 0xFFFFFDF0);
             return z.bytes;
         },
         ReadFailure::BadOffset, "a.xml"},
        {"a package declaring gigabytes",
         [] {
             ZipPart p{"a.xml", kText};
             p.declaredSize = 0xFFFFFF00;
             return buildZip({p}).bytes;
         },
         ReadFailure::TooLarge, "4095"},
        {"an entry unpacking to more than it declares",
         [] {
             ZipPart p{"a.xml", kText};
             p.declaredSize = 100;
             return buildZip({p}).bytes;
         },
         ReadFailure::SizesDisagree, "a.xml"},
        {"an entry unpacking to less than it declares",
         [] {
             ZipPart p{"a.xml", kText};
             p.declaredSize = static_cast<std::uint32_t>(kText.size() + 1);
             return buildZip({p}).bytes;
         },
         ReadFailure::SizesDisagree, "a.xml"},
        {"a deflate stream cut in the middle",
         [] {
             ZipPart p{"a.xml", std::string(20000, 'x') + "y"};
             p.packed = deflateRaw(p.data, 0);
             p.packed.resize(p.packed.size() / 2);
             return buildZip({p}).bytes;
         },
         ReadFailure::Truncated, "a.xml"},
        {"bytes that are no deflate stream",
         [] {
             ZipPart p{"a.xml", kText};
             p.packed = std::string(64, '\xFF');
             return buildZip({p}).bytes;
         },
         ReadFailure::Damaged, "a.xml"},
        {"a wrong checksum",
         [] {
             ZipPart p{"a.xml", kText};
             p.crc = 1234;
             p.crcGiven = true;
             return buildZip({p}).bytes;
         },
         ReadFailure::BadChecksum, "a.xml"},
        {"an encrypted entry",
         [] {
             BuiltZip z = buildZip({{"a.xml", kText}});
             z.bytes[z.directory + 8] = 1;
             return z.bytes;
         },
         ReadFailure::Encrypted, "a.xml"},
        {"an unknown compression method",
         [] {
             BuiltZip z = buildZip({{"a.xml", kText}});
             z.bytes[8] = z.bytes[z.directory + 10] = 12;
             return z.bytes;
         },
         ReadFailure::Unsupported, "a.xml"},
    };
    for (const Case& c : cases) {
        const auto [cause, reason] = refusal(c.make());
        EXPECT_EQ(cause, c.cause) << c.what << ": " << reason;
        EXPECT_NE(reason.find(c.named), std::string::npos) << c.what << ": " << reason;
    }
}

TEST(ZipArchive, SoundPackagesAreRead) {
    EXPECT_EQ(readAll(buildZip({{"a.xml", kText}, {"b.xml", "<b/>", false}}).bytes), kText + "<b/>");
    EXPECT_EQ(readAll(buildZip({}).bytes), "");
    // A comment after the end record.
    BuiltZip commented = buildZip({{"a.xml", "<a/>"}});
    patch16(commented.bytes, commented.end + 20, 5);
    EXPECT_EQ(readAll(commented.bytes + "12345"), "<a/>");
}

TEST(ZipArchive, PartNamesAreComparedAsThePackageFormatsCompareThem) {
    BuiltZip z = buildZip({{"xl\\Worksheets\\Sheet1.XML", "<a/>"}, {"_rels/.rels", "<r/>"}});
    ZipArchive zip(z.bytes);
    struct Case {
        const char* name;
        bool found;
    };
    const Case cases[] = {{"xl/worksheets/sheet1.xml", true}, {"/XL/WORKSHEETS/SHEET1.xml", true},
                          {"xl\\worksheets\\sheet1.xml", true}, {"_rels/.rels", true},
                          {"xl/worksheets/sheet2.xml", false},  {"sheet1.xml", false}};
    for (const Case& c : cases) EXPECT_EQ(zip.find(c.name) != nullptr, c.found) << c.name;
    EXPECT_EQ(zip.find("xl/worksheets/sheet1.xml")->name, "xl/Worksheets/Sheet1.XML");
}

TEST(ZipArchive, AReaderThatStopsIsGivenNoMore) {
    // Gigabytes declared nowhere: the entry is read only as far as asked.
    ZipPart p{"big.xml", std::string(4 * ZipArchive::kPiece, 'x')};
    BuiltZip z = buildZip({p});
    ZipArchive zip(z.bytes);
    std::size_t given = 0, calls = 0;
    zip.read(zip.entries()[0], [&](std::string_view piece) {
        given += piece.size();
        return ++calls < 2;
    });
    EXPECT_EQ(calls, 2u);
    EXPECT_EQ(given, 2 * ZipArchive::kPiece);
}

// A package read from its file a piece at a time gives what it gives from
// memory, parts of many pieces included; a file cut after its directory was
// read is said to be, not read as damaged data.
TEST(ZipArchive, AFileIsReadInPiecesAndACutFileIsSaidToBe) {
    std::mt19937 random(3);
    std::string noise(5 * ZipArchive::kPiece + 123, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    const BuiltZip z = buildZip({{"rumore.bin", noise}, {"testo.xml", kText, false}, {"rumore2.bin", noise, false}});
    TempDir dir;
    const auto path = dir / "pacchetto.zip";
    dir.write("pacchetto.zip", z.bytes);
    EXPECT_EQ(readEntries(ZipArchive(fileBytes(path.string()))), noise + kText + noise);

    for (std::size_t cutAt : {std::size_t(40), std::size_t(3 * ZipArchive::kPiece), z.directory - 10}) {
        dir.write("pacchetto.zip", z.bytes);
        ZipArchive zip(fileBytes(path.string()));
        std::filesystem::resize_file(path, cutAt);
        try {
            readEntries(zip);
            ADD_FAILURE() << "a file cut at " << cutAt << " was read";
        } catch (const ZipError& e) {
            EXPECT_EQ(e.cause(), ReadFailure::Truncated) << cutAt;
            EXPECT_NE(std::string(e.what()).find("più corto"), std::string::npos) << cutAt << ": " << e.what();
        }
    }
}

}  // namespace
