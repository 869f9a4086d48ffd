#include "import_excel/ByteSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "app/Messages.h"
#include "import_excel/WorkbookReader.h"

namespace tessaro7::import_excel {

namespace {

// Bytes in memory: someone else's, or a string the source keeps.
class MemoryBytes : public ByteSource {
public:
    MemoryBytes(std::string_view bytes, std::shared_ptr<const ByteSource> owner)
        : m_owner(std::move(owner)), m_bytes(bytes) {}
    explicit MemoryBytes(std::string bytes) : m_kept(std::move(bytes)), m_bytes(m_kept) {}
    MemoryBytes(const MemoryBytes&) = delete;
    MemoryBytes& operator=(const MemoryBytes&) = delete;

    std::uint64_t size() const override { return m_bytes.size(); }
    std::string_view bytes(std::uint64_t offset, std::size_t length, std::string&) const override {
        if (offset >= m_bytes.size()) return {};
        return m_bytes.substr(static_cast<std::size_t>(offset), length);
    }
    std::optional<std::string_view> whole() const override { return m_bytes; }

private:
    std::shared_ptr<const ByteSource> m_owner;
    std::string m_kept;
    std::string_view m_bytes;
};

class FileBytes : public ByteSource {
public:
    explicit FileBytes(const std::string& path) : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        struct stat st {};
        if (m_fd < 0 || ::fstat(m_fd, &st) != 0) {
            if (m_fd >= 0) ::close(m_fd);
            throw SheetReadError(app::msg::kFileNotFoundOrUnreadable);
        }
        m_size = static_cast<std::uint64_t>(st.st_size);
    }
    ~FileBytes() override { ::close(m_fd); }
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    std::uint64_t size() const override { return m_size; }
    std::string_view bytes(std::uint64_t offset, std::size_t length, std::string& buffer) const override {
        if (offset >= m_size) return {};
        length = static_cast<std::size_t>(std::min<std::uint64_t>(length, m_size - offset));
        buffer.resize(length);
        std::size_t got = 0;
        while (got < length) {
            const ssize_t n = ::pread(m_fd, buffer.data() + got, length - got, static_cast<off_t>(offset + got));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) throw SheetReadError(app::msg::kFileReadError);
            if (n == 0) break;  // the file is shorter than it was: what is there
            got += static_cast<std::size_t>(n);
        }
        return std::string_view(buffer.data(), got);
    }

private:
    int m_fd;
    std::uint64_t m_size = 0;
};

}  // namespace

std::unique_ptr<ByteSource> memoryBytes(std::string_view bytes, std::shared_ptr<const ByteSource> owner) {
    return std::make_unique<MemoryBytes>(bytes, std::move(owner));
}
std::unique_ptr<ByteSource> memoryBytes(std::string bytes) { return std::make_unique<MemoryBytes>(std::move(bytes)); }
std::unique_ptr<ByteSource> fileBytes(const std::string& path) { return std::make_unique<FileBytes>(path); }

}  // namespace tessaro7::import_excel
