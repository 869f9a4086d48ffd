#include "app/Messages.h"
#include "import_excel/WorkbookReader.h"

namespace tessaro7::import_excel {

namespace {

namespace msg = app::msg;

struct FailureText {
    ReadFailure cause;
    const char* text;
};
constexpr FailureText kFailureTexts[] = {
    {ReadFailure::Damaged, msg::kReadDamaged},
    {ReadFailure::Truncated, msg::kReadTruncated},
    {ReadFailure::BadOffset, msg::kReadBadOffset},
    {ReadFailure::ChainLoop, msg::kReadChainLoop},
    {ReadFailure::TooLarge, msg::kReadTooLarge},
    {ReadFailure::Encrypted, msg::kReadEncrypted},
    {ReadFailure::NotThisFormat, msg::kReadNotThisFormat},
    {ReadFailure::UnknownCodePage, msg::kReadUnknownCodePage},
    {ReadFailure::Unsupported, msg::kReadUnsupported},
    {ReadFailure::CellsUnreadable, msg::kReadCellsUnreadable},
    {ReadFailure::TwoEndRecords, msg::kReadTwoEndRecords},
    {ReadFailure::EntriesOverlap, msg::kReadEntriesOverlap},
    {ReadFailure::EntryTwice, msg::kReadEntryTwice},
    {ReadFailure::SizesDisagree, msg::kReadSizesDisagree},
    {ReadFailure::HeaderDisagrees, msg::kReadHeaderDisagrees},
    {ReadFailure::BadChecksum, msg::kReadBadChecksum},
    {ReadFailure::BadXml, msg::kReadBadXml},
    {ReadFailure::Dtd, msg::kReadDtd},
};

std::string sentence(ReadFailure cause, const std::string& detail) {
    std::string text = readFailureText(cause);
    return detail.empty() ? text : text + " (" + detail + ")";
}

}  // namespace

const char* readFailureText(ReadFailure cause) {
    for (const FailureText& entry : kFailureTexts)
        if (entry.cause == cause) return entry.text;
    return msg::kReadDamaged;
}

SheetReadError::SheetReadError(ReadFailure cause, const std::string& detail)
    : std::runtime_error(sentence(cause, detail)), m_cause(cause) {}

SheetReadError SheetReadError::withReason(ReadFailure cause, const std::string& reason) {
    return SheetReadError(Whole{}, cause, reason);
}

}  // namespace tessaro7::import_excel
