// An archive on a disk that fills up during a 25000-row import (a small tmpfs
// mounted by the test): the message says what the table really holds, as an
// independent reader counts it, and the database stays intact.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "faults/Faults.h"

namespace {

using namespace tessaro7;
using namespace tessaro7::testing;

// A tmpfs of `size` mounted on `folder` for as long as this lives.
struct SmallDisk {
    SmallDisk(const std::string& folder, const char* size) : path(folder) {
        std::filesystem::create_directories(folder);
        if (mount("tessaro7-test", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, size) != 0)
            problem = std::strerror(errno);
    }
    ~SmallDisk() {
        if (problem.empty()) umount2(path.c_str(), MNT_DETACH);
    }
    std::string path;
    std::string problem;
};

TEST(DiskFull, AnImportSaysWhatTheFullDiskLeft) {
    FaultArchive a;
    SmallDisk disk(a.folder() + "/pieno", "size=512k");
    if (!disk.problem.empty())
        GTEST_SKIP() << "a small tmpfs cannot be mounted here (" << disk.problem
                     << "): the test needs root with the right to mount, as CI has";
    for (const char* name : {"Tessaro7.mdb", "Tessaro7a.mdb"})
        std::filesystem::copy_file(a.folder() + "/" + name, disk.path + "/" + name);
    app::Archive full = app::archiveFromFolder(disk.path);
    const std::string businessDb = disk.path + "/Tessaro7.mdb";
    auto customers = [&] { return std::stol(TextArchive::query(businessDb, "select count(*) from clienti")[0][0]); };
    const std::string text = a.textFile("c.txt", kBigRun);  // on the ordinary disk

    for (bool excel : {false, true}) {
        SCOPED_TRACE(excel ? "Excel" : "text");
        long before = customers();
        std::string message;
        long added = 0;
        if (excel) {
            import_excel::ExcelMappingStore mapping;
            mapping.choose(full.mappingDatabasePath(), *import_excel::findExcelTable("clienti"));
            import_excel::ImportOutcome o = import_excel::ImportFromExcel(full.DatabasePath, mapping, a.grid(kBigRun));
            EXPECT_FALSE(o.completed);
            for (int i = 1; i <= 3; ++i) message += o.notice.lines[static_cast<std::size_t>(i)] + "\n";
            added = o.added;
        } else {
            import_text::TextImportOutcome o = import_text::ImportCustomersFromText(full, text);
            EXPECT_FALSE(o.completed);
            message = o.message + "\n";
            added = o.added;
        }
        // Either import names the file as it is on disk.
        const std::string database = businessDb;
        EXPECT_NE(message.find("Spazio su disco esaurito scrivendo il database '" + database +
                               "': liberare spazio sul disco che lo contiene e ripetere l'operazione (database or disk "
                               "is full)."),
                  std::string::npos)
            << message;
        long kept = customers() - before;
        EXPECT_EQ(added, kept);
        std::string closing = "Record aggiunti alla tabella Clienti: " + std::to_string(kept) + ".\n";
        EXPECT_EQ(message.substr(message.size() - closing.size()), closing) << message;
        if (kept == 0)
            EXPECT_NE(message.find("Nessun record di questa importazione è rimasto nella tabella"), std::string::npos);
        else
            EXPECT_NE(message.find("Sono salvati nella tabella i record fino alla riga " + std::to_string(kept)),
                      std::string::npos);
        EXPECT_EQ(TextArchive::query(businessDb, "pragma integrity_check")[0][0], "ok");
    }
}

}  // namespace
