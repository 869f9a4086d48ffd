#include "import_text/FieldValue.h"

#include <algorithm>

#include "app/Messages.h"
#include "db/FieldType.h"
#include "db/RegionalText.h"

namespace tessaro7::import_text {

namespace {

// The engine stores a blank text in a number field as Null and refuses a text
// that is not a number; the same conversion decides here, before writing.
bool convertsToNumber(std::string_view text) {
    db::Value stored;
    return db::convertForColumn(db::Value(std::string(text)), db::FieldType::Number, stored);
}

}  // namespace

FieldValue fieldValue(const TextLine& line, const FieldMapping& mapping, const TextField& field) {
    if (!mapping.assigned) {
        if (field.unassigned == WhenUnassigned::Zero) return {"0", true};
        return {};
    }
    if (!field.number) return {cutField(line, mapping.start, mapping.width, field.maximum), true};
    auto from = static_cast<std::size_t>(mapping.start - 1);
    std::string_view number = db::trimBlanks(line.columns(from, static_cast<std::size_t>(mapping.width)));
    if (columnCount(number) > static_cast<std::size_t>(field.maximum)) return {number, true, Refusal::NumberTooLong};
    if (!convertsToNumber(number)) return {number, true, Refusal::NotANumber};
    return {number, true};
}

std::string refusalReason(const FieldValue& value, const TextField& field) {
    switch (value.refusal) {
    case Refusal::None: return {};
    case Refusal::NumberTooLong:
        return app::msg::kTextNumberTooLong + std::to_string(field.maximum) + app::msg::kTextNumberWouldBeCut;
    case Refusal::NotANumber: return app::msg::kTextNotANumber;
    }
    return {};
}

std::size_t columnsNeeded(const std::vector<FieldMapping>& mappings, const TextTableFields& list) {
    std::size_t needed = 0;
    for (std::size_t k = 0; k < mappings.size() && k < list.fields.size(); ++k) {
        const FieldMapping& m = mappings[k];
        if (!m.assigned) continue;
        // A number is looked for across its whole width; a text never beyond its maximum.
        int used = list.fields[k].number ? m.width : std::min(m.width, list.fields[k].maximum);
        needed = std::max(needed, static_cast<std::size_t>(m.start - 1 + std::max(used, 0)));
    }
    return needed;
}

}  // namespace tessaro7::import_text
