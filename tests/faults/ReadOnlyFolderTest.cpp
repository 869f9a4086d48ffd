// An archive folder, or a database file, that cannot be written (the
// immutable attribute, which binds root too): the database still opens, the
// import writes nothing and says why in Italian.
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include "faults/Faults.h"

namespace {

using namespace tessaro7::testing;

// `path` made immutable for as long as this lives; `problem` says why it could not be.
struct Immutable {
    explicit Immutable(const std::string& path) : fd(open(path.c_str(), O_RDONLY)) {
        int flags = 0;
        if (fd < 0 || ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) {
            problem = std::strerror(errno);
            return;
        }
        flags |= FS_IMMUTABLE_FL;
        if (ioctl(fd, FS_IOC_SETFLAGS, &flags) != 0) problem = std::strerror(errno);
    }
    ~Immutable() {
        int flags = 0;
        if (problem.empty() && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags &= ~FS_IMMUTABLE_FL;
            ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        if (fd >= 0) close(fd);
    }
    int fd;
    std::string problem;
};

TEST(ReadOnlyFolder, ImportsWriteNothingAndNameTheFolderOrTheFile) {
    FaultArchive a;
    std::string file = a.textFile("c.txt", 3);
    // The text import names the database "\tessaro7.mdb": the messages show the file as it is on disk.
    ASSERT_NE(a.archive.textImportDatabasePath().find("\\tessaro7.mdb"), std::string::npos);
    const std::string db = a.businessDb();
    const std::string none =
        "Nessun record di questa importazione è rimasto nella tabella: correggere la causa e ripetere l'importazione "
        "per intero.\nRecord aggiunti alla tabella Clienti: 0.";
    struct Case {
        std::string path;  // made immutable
        std::function<std::string(const std::string& database)> engine;
    };
    const Case cases[] = {
        {a.folder(),
         [&](const std::string& database) {
             return "Impossibile scrivere il database '" + database + "': nella cartella '" + a.folder() +
                    "' non si può creare il file di appoggio (journal) che il database usa durante le scritture; "
                    "controllare che la cartella non sia di sola lettura e di avere il permesso di scriverci (unable "
                    "to open database file).";
         }},
        {a.businessDb(),
         [](const std::string& database) {
             return "Il database '" + database + "' è di sola lettura: controllare che il file non sia protetto "
                                                 "dalla scrittura e di avere il permesso di modificarlo (attempt to "
                                                 "write a readonly database).";
         }},
    };
    long before = a.customers();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        Immutable locked(c.path);
        if (!locked.problem.empty())
            GTEST_SKIP() << "the immutable attribute cannot be set on " << c.path << " (" << locked.problem
                         << "): it needs root, or CAP_LINUX_IMMUTABLE, on a file system that has it";
        tessaro7::import_text::TextImportOutcome o = tessaro7::import_text::ImportCustomersFromText(a.archive, file);
        // The write lock is taken; the first record cannot be written.
        EXPECT_EQ(o.message,
                  "Importazione interrotta alla riga 1 del file '" + file + "': errore 3000 - " + c.engine(db) + "\n" + none);
        tessaro7::import_excel::ExcelMappingStore mapping;
        mapping.choose(a.archive.mappingDatabasePath(), *tessaro7::import_excel::findExcelTable("clienti"));
        tessaro7::import_excel::ImportOutcome e = ImportFromExcel(a.archive.DatabasePath, mapping, a.grid(3));
        EXPECT_EQ(e.notice.lines[1], "Riga 2 del foglio: " + c.engine(db) + " (errore 3000)");
        EXPECT_EQ(e.notice.lines[3], "Record aggiunti alla tabella Clienti: 0.");
        EXPECT_EQ(a.customers(), before);
    }
}

}  // namespace
