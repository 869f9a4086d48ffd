#include "db/Value.h"

namespace tessaro7::db {

std::string Value::toText() const {
    switch (kind()) {
    case Kind::Null: return "";
    case Kind::Text: return text();
    case Kind::Number: return numberToText(number());
    case Kind::Whole: return std::to_string(whole());
    case Kind::Date: return dateToText(date());
    case Kind::YesNo: return yes() ? "Vero" : "Falso";
    }
    return "";
}

std::optional<double> Value::toNumber() const {
    switch (kind()) {
    case Kind::Null: return std::nullopt;
    case Kind::Text: return textToNumber(text());
    case Kind::Number: return number();
    case Kind::Whole: return static_cast<double>(whole());
    case Kind::Date: return std::nullopt;
    case Kind::YesNo: return yes() ? -1.0 : 0.0;
    }
    return std::nullopt;
}

}  // namespace tessaro7::db
