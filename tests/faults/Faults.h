#pragma once
// What the fault tests share: an archive ready for both imports, the files a
// 25000-row import reads, child processes of tessaro7-batch, and the checks of
// the database after a fault.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "db/DataSource.h"
#include "import_excel/ExcelImport.h"
#include "import_text/TextArchive.h"
#include "import_excel/ExcelMappingStore.h"
#include "import_excel/ExcelTables.h"
#include "import_text/TextImport.h"

namespace tessaro7::testing {

inline constexpr long kBigRun = 25000;

// A demo archive whose customers' first text field and first sheet column go to `nominativo`.
struct FaultArchive : TextArchive {
    FaultArchive() {
        assign(import_text::TextTable::Clienti, 1, 1, 80);
        exec(mappingDb(), "update clienti set colonna = 0, utilizzato = 1 where rowid = 1");
    }
    long customers() const { return count("clienti"); }
    std::string integrity() const { return business("pragma integrity_check")[0][0]; }

    // `lines` customers, one a line (CRLF), each name 80 characters long.
    std::string textFile(const std::string& name, long lines) const {
        std::string bytes;
        for (long i = 1; i <= lines; ++i) bytes += padded("CLIENTE " + std::to_string(i), 80) + "\r\n";
        return file(name, bytes);
    }
    // A workbook written by python3-xlwt: a heading row, then `rows` customers.
    std::string workbook(const std::string& name, long rows) const {
        std::string path = folder() + "/" + name;
        std::string command = "/usr/bin/python3 -c \"import sys, xlwt\nwb = xlwt.Workbook(); ws = wb.add_sheet('A')\n"
                              "ws.write(0, 0, 'Nome')\nfor r in range(1, " +
                              std::to_string(rows + 1) + "): ws.write(r, 0, 'CLIENTE %d' % r)\nwb.save(sys.argv[1])\" '" +
                              path + "'";
        if (std::system(command.c_str()) != 0) throw std::runtime_error("xlwt could not write " + path);
        return path;
    }
    // The tessaro7-batch arguments of a 25000-row text import and Excel
    // import, with their files `name`.txt and `name`.xls written.
    std::vector<std::vector<std::string>> bigImports(const std::string& name) const {
        textFile(name + ".txt", kBigRun);
        workbook(name + ".xls", kBigRun);
        return {{"import-text", "clienti", name + ".txt"},
                {"import-excel", "clienti", name + ".xls", "1", std::to_string(kBigRun + 1)}};
    }
    // The preview grid an Excel import of `rows` customers reads.
    import_excel::PreviewGrid grid(long rows) const {
        import_excel::PreviewGrid g(rows + 1, 1);
        g.setCell(0, 0, "Nome");
        for (long r = 1; r <= rows; ++r) g.setCell(static_cast<std::size_t>(r), 0, padded("CLIENTE " + std::to_string(r), 80));
        return g;
    }
};

// tessaro7-batch run in `folder` (where its TS7Rete.dat is), its messages
// into `folder`/batch-PID.txt.
class BatchChild {
public:
    BatchChild(const std::string& folder, std::vector<std::string> args) : m_folder(folder) {
        args.insert(args.begin(), TESSARO7_BATCH_EXE);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        m_pid = fork();
        if (m_pid == 0) {
            std::string log = "batch-" + std::to_string(getpid()) + ".txt";
            int out = chdir(folder.c_str()) == 0 ? open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644) : -1;
            if (out < 0) _exit(127);
            dup2(out, 1);
            dup2(out, 2);
            execv(argv[0], argv.data());
            _exit(127);
        }
    }
    // The exit status (-1 when killed); the child's messages in `messages`.
    int wait() {
        int status = 0;
        waitpid(m_pid, &status, 0);
        std::ifstream in(m_folder + "/batch-" + std::to_string(m_pid) + ".txt");
        messages.assign(std::istreambuf_iterator<char>(in), {});
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void kill() { ::kill(m_pid, SIGKILL); }

    std::string messages;

private:
    std::string m_folder;
    pid_t m_pid = -1;
};

// Shorter waits for the lock tests, the usual ones again at the end.
struct ShortWaits {
    ShortWaits(int readMs, int writeMs) {
        db::DataSource::setBusyTimeoutMs(readMs);
        db::DataSource::setWriteTimeoutMs(writeMs);
    }
    ~ShortWaits() {
        db::DataSource::setBusyTimeoutMs(5000);
        db::DataSource::setWriteTimeoutMs(30000);
    }
};

// The engine's message for a locked database, as a failed run repeats it.
inline std::string lockedText(const std::string& database) {
    return "errore 3260 - Il database '" + database +
           "' è bloccato da un altro utente o programma: attendere che finisca, o chiuderlo, e ripetere "
           "l'operazione (database is locked).";
}

}  // namespace tessaro7::testing
