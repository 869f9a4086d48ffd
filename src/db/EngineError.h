#pragma once
// A failure of the database engine, with the engine's number and an Italian text.
#include <stdexcept>
#include <string>

namespace tessaro7::db {

namespace engine_error {
constexpr int kNoCurrentRecord = 3021;
constexpr int kDuplicateValue = 3022;
constexpr int kFileNotFound = 3024;
constexpr int kTableNotFound = 3078;
constexpr int kFieldNotFound = 3265;
constexpr int kNotConvertible = 3421;
constexpr int kDatabaseLocked = 3260;
constexpr int kTableLocked = 3218;
constexpr int kNotUpdatable = 3027;
constexpr int kUpdateWithoutEdit = 3020;
constexpr int kNullNotAllowed = 3314;
constexpr int kRowChanged = 3197;
constexpr int kConnectionFailed = 3151;
constexpr int kOther = 3000;
}  // namespace engine_error

class EngineError : public std::runtime_error {
public:
    EngineError(int number, const std::string& text) : std::runtime_error(text), m_number(number) {}
    int number() const { return m_number; }
    std::string text() const { return what(); }

private:
    int m_number;
};

}  // namespace tessaro7::db
