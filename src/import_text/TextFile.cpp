#include "import_text/TextFile.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "app/Messages.h"
#include "db/FilledText.h"

namespace tessaro7::import_text {

namespace {

namespace msg = app::msg;

std::string cannotRead(const std::string& path, const std::string& why) {
    return db::filledText(msg::kTextCannotRead, {{"file", path}, {"motivo", why}});
}

std::string notText(const std::string& path, const TextScan& scan) {
    std::string what = scan.flawIsNul ? msg::kTextNulCharacter
                                       : msg::kTextInvalidSequence + std::string(encodingName(scan.encoding));
    return msg::kTextNotTextFile + path + msg::kTextNotTextWhy + std::to_string(scan.flawedLine) + what + ".\n" +
           msg::kTextNotTextAdvice;
}

}  // namespace

bool isTextFileName(std::string_view name) {
    if (name.size() < 3) return false;
    std::string_view end = name.substr(name.size() - 3);
    return std::tolower(static_cast<unsigned char>(end[0])) == 't' &&
           std::tolower(static_cast<unsigned char>(end[1])) == 'x' &&
           std::tolower(static_cast<unsigned char>(end[2])) == 't';
}

TextReader TextFile::lines(std::size_t keepColumns) {
    in.clear();
    in.seekg(0);
    return TextReader(in, scan.encoding, keepColumns);
}

TextFile openTextFile(const std::string& path) {
    TextFile file;
    std::error_code ec;
    std::filesystem::path p(path);
    if (!std::filesystem::exists(p, ec)) {
        file.problem = cannotRead(path, msg::kTextFileMissing);
        return file;
    }
    if (std::filesystem::is_directory(p, ec)) {
        file.problem = cannotRead(path, msg::kTextFileIsFolder);
        return file;
    }
    file.in.open(p, std::ios::binary);
    if (!file.in) {
        file.problem = cannotRead(path, std::strerror(errno));
        return file;
    }
    file.scan = scanText(file.in, kMaxLines);
    if (file.scan.failed)
        file.problem = cannotRead(path, msg::kTextReadError);
    else if (file.scan.flawedLine > 0)
        file.problem = notText(path, file.scan);
    return file;
}

}  // namespace tessaro7::import_text
