#pragma once
// A field value as the engine hands it out: Null, text, number, whole number,
// date or Yes/No.
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "db/RegionalText.h"

namespace tessaro7::db {

struct Null {
    bool operator==(const Null&) const = default;
};

class Value {
public:
    enum class Kind { Null, Text, Number, Whole, Date, YesNo };

    Value() = default;
    Value(Null) {}
    Value(std::string text) : m_v(std::move(text)) {}
    Value(const char* text) : m_v(std::string(text)) {}
    Value(double number) : m_v(number) {}
    Value(std::int64_t whole) : m_v(whole) {}
    Value(int whole) : m_v(static_cast<std::int64_t>(whole)) {}
    Value(DateTime date) : m_v(date) {}
    static Value yesNo(bool b) {
        Value v;
        v.m_v = YesNoValue{b};
        return v;
    }

    // Makes this value the text, reusing the storage of a text it holds.
    void assignText(std::string_view text) {
        if (auto* held = std::get_if<std::string>(&m_v))
            held->assign(text);
        else
            m_v.emplace<std::string>(text);
    }

    Kind kind() const { return static_cast<Kind>(m_v.index()); }
    bool isNull() const { return kind() == Kind::Null; }

    const std::string& text() const { return std::get<std::string>(m_v); }
    double number() const { return std::get<double>(m_v); }
    std::int64_t whole() const { return std::get<std::int64_t>(m_v); }
    const DateTime& date() const { return std::get<DateTime>(m_v); }
    bool yes() const { return std::get<YesNoValue>(m_v).value; }

    // The regional text form: numbers with a decimal comma, dates dd/mm/yyyy,
    // Yes/No as "Vero"/"Falso", Null as the empty text.
    std::string toText() const;
    // The numeric value of numbers, whole numbers and Yes/No (True is -1);
    // a text is read in the regional form. Empty when there is none.
    std::optional<double> toNumber() const;

    bool operator==(const Value& other) const = default;

private:
    struct YesNoValue {
        bool value;
        bool operator==(const YesNoValue&) const = default;
    };
    std::variant<Null, std::string, double, std::int64_t, DateTime, YesNoValue> m_v;
};

}  // namespace tessaro7::db
