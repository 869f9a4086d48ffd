#include "db/FilledText.h"

namespace tessaro7::db {

std::string filledText(std::string_view text,
                       std::initializer_list<std::pair<std::string_view, std::string_view>> values) {
    std::string out;
    while (!text.empty()) {
        std::size_t open = text.find('{');
        std::size_t close = open == std::string_view::npos ? open : text.find('}', open);
        if (close == std::string_view::npos) break;
        out += text.substr(0, open);
        std::string_view place = text.substr(open, close - open + 1);
        std::string_view value = place;
        for (const auto& [name, given] : values)
            if (place.substr(1, place.size() - 2) == name) value = given;
        out += value;
        text.remove_prefix(close + 1);
    }
    return out += text;
}

}  // namespace tessaro7::db
