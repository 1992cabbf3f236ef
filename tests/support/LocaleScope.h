#pragma once
// Switches the whole locale for one test and puts the previous one back.
#include <clocale>
#include <string>

namespace testsupport {

class LocaleScope {
public:
    explicit LocaleScope(const char* name) {
        const char* current = std::setlocale(LC_ALL, nullptr);
        m_previous = current ? current : "C";
        m_ok = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~LocaleScope() { std::setlocale(LC_ALL, m_previous.c_str()); }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;
    bool ok() const { return m_ok; }

private:
    std::string m_previous;
    bool m_ok = false;
};

}  // namespace testsupport
