#pragma once
// Where the export year comes from: the system date, or a year fixed by a test.
namespace tessaro7::exporting {

class Clock {
public:
    virtual ~Clock() = default;
    virtual int currentYear() const = 0;
};

// The year of the system date, in local time.
class SystemClock : public Clock {
public:
    int currentYear() const override;
};

class FixedClock : public Clock {
public:
    explicit FixedClock(int year) : m_year(year) {}
    int currentYear() const override { return m_year; }

private:
    int m_year;
};

// The clock of the programs: the system date.
const Clock& systemClock();

}  // namespace tessaro7::exporting
