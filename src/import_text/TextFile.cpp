#include "import_text/TextFile.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace tessaro7::import_text {

namespace {

std::string cannotRead(const std::string& path, const std::string& why) {
    return "Impossibile leggere il file di testo '" + path + "': " + why + ".";
}

// Opens the file, or says why it cannot be opened.
std::optional<std::ifstream> openFile(const std::string& path, std::string& problem) {
    std::error_code ec;
    std::filesystem::path p(path);
    if (!std::filesystem::exists(p, ec)) {
        problem = cannotRead(path, "il file non esiste");
        return std::nullopt;
    }
    if (std::filesystem::is_directory(p, ec)) {
        problem = cannotRead(path, "è una cartella, non un file");
        return std::nullopt;
    }
    std::ifstream in(p, std::ios::binary);
    if (!in) {
        problem = cannotRead(path, std::strerror(errno));
        return std::nullopt;
    }
    return in;
}

}  // namespace

bool isTextFileName(std::string_view name) {
    if (name.size() < 3) return false;
    std::string_view end = name.substr(name.size() - 3);
    return std::tolower(static_cast<unsigned char>(end[0])) == 't' &&
           std::tolower(static_cast<unsigned char>(end[1])) == 'x' &&
           std::tolower(static_cast<unsigned char>(end[2])) == 't';
}

FileBytes readTextFile(const std::string& path) {
    FileBytes result;
    std::optional<std::ifstream> in = openFile(path, result.problem);
    if (!in) return result;
    try {
        // Reserved once and filled by large reads: growing the text byte by
        // byte, or zero-filling it first, costs more than the import itself.
        std::string bytes;
        std::error_code ec;
        std::uintmax_t size = std::filesystem::file_size(path, ec);
        if (!ec) bytes.reserve(static_cast<std::size_t>(size));
        std::vector<char> chunk(1 << 20);
        while (in->read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in->gcount() > 0)
            bytes.append(chunk.data(), static_cast<std::size_t>(in->gcount()));
        if (in->bad()) {
            result.problem = cannotRead(path, "errore di lettura");
            return result;
        }
        result.bytes = std::move(bytes);
    } catch (const std::exception&) {
        result.problem = cannotRead(path, "il file è troppo grande o non leggibile");
    }
    return result;
}

FileBytes readFirstLine(const std::string& path) {
    FileBytes result;
    std::optional<std::ifstream> in = openFile(path, result.problem);
    if (!in) return result;
    std::string line;
    char c;
    bool any = false;
    while (in->get(c)) {
        any = true;
        if (c == '\r' || c == '\n') break;
        line += c;
    }
    result.emptyFile = !any;
    if (in->bad()) {
        result.problem = cannotRead(path, "errore di lettura");
        return result;
    }
    result.bytes = std::move(line);
    return result;
}

}  // namespace tessaro7::import_text
