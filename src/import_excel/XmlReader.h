#pragma once
// The XML of the workbook packages (.xlsx and .ods parts), read as a stream:
// the part's bytes are fed in pieces as they are unpacked, and the handler
// gets each element (by local name, without namespace prefix), its
// attributes and its text in document order. One pass, no recursion, what
// is kept between pieces bounded (one element's tag, the open elements). A
// part that is not well-formed, that holds a document type declaration (the
// formats allow none), or that ends before its root element is closed is
// refused with an XmlError.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "import_excel/WorkbookReader.h"

namespace tessaro7::import_excel {

// Why an XML part cannot be read: Truncated when the part ends before its
// root element is closed, Dtd for a document type, BadXml for any other
// fault; what() is the Italian reason.
class XmlError : public std::runtime_error {
public:
    XmlError(ReadFailure cause, const std::string& reason) : std::runtime_error(reason), m_cause(cause) {}
    ReadFailure cause() const { return m_cause; }

private:
    ReadFailure m_cause;
};

// Local names and decoded values.
using XmlAttributes = std::vector<std::pair<std::string_view, std::string_view>>;

// The value of the attribute of that local name; empty when absent.
std::string_view xmlAttribute(const XmlAttributes& attributes, std::string_view name);

class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    virtual void open(std::string_view name, const XmlAttributes& attributes) = 0;
    virtual void close(std::string_view name) = 0;
    // Decoded text of the open element; one text may arrive in several pieces.
    virtual void text(std::string_view) {}
    // True once the handler has all it needs: the rest of the part is not read.
    virtual bool done() const { return false; }
    // A handler that reads only some elements' attributes, or no text, says
    // so: the reader then only skims the rest (still checking its form).
    virtual bool wantsAttributes(std::string_view /*name*/) const { return true; }
    virtual bool wantsText() const { return true; }
};

class XmlReader {
public:
    explicit XmlReader(XmlHandler& handler) : m_handler(handler) {}
    // The next piece of the part; false once the handler is done.
    bool feed(std::string_view piece);
    // The part has ended: refuses it unless its root element was closed
    // (or the handler stopped reading earlier).
    void finish();

    // The longest tag, comment or CDATA section kept whole.
    static constexpr std::size_t kMaxToken = std::size_t(4) << 20;
    static constexpr std::size_t kMaxDepth = 256;
    static constexpr std::size_t kMaxAttributes = 64;

private:
    std::size_t parse(std::string_view x);
    // Each returns the bytes used from `at`, or 0 when the token is not complete yet.
    std::size_t markup(std::string_view x, std::size_t at);
    std::size_t element(std::string_view x, std::size_t at);
    std::size_t closing(std::string_view x, std::size_t at);
    std::size_t text(std::string_view x, std::size_t at);
    std::size_t attributes(std::string_view x, std::size_t j, bool& empty);
    std::size_t skimAttributes(std::string_view x, std::size_t j, bool& empty);
    void closeTop();
    [[noreturn]] void fail(const char* why, std::size_t at, ReadFailure cause = ReadFailure::BadXml) const;

    XmlHandler& m_handler;
    std::string m_pending;       // the start of a token the last piece cut
    std::uint64_t m_offset = 0;  // of the first byte not yet parsed, in the part
    // The open elements' names as written (prefix and all), one after another.
    std::string m_names;
    struct OpenName {
        std::size_t start, local;  // in m_names: the name, its local part
    };
    std::vector<OpenName> m_nameStarts;
    XmlAttributes m_attributes;
    std::vector<std::string> m_values;
    std::string m_decoded;
    bool m_rootClosed = false, m_stopped = false;
};

// `raw` with its entity and character references replaced (`out` holds
// the result), or `raw` itself when it has none; an unknown or unclosed
// reference throws XmlError. A reference to NUL, a surrogate or beyond
// U+10FFFF gives U+FFFD.
std::string_view decodeXmlText(std::string_view raw, std::string& out);

// The .xlsx escapes of characters XML cannot hold ("_x000D_", "_x005F_" for
// an underscore) in `text` from `from` on, turned back into the characters.
void decodeOoxmlEscapes(std::string& text, std::size_t from = 0);

}  // namespace tessaro7::import_excel
