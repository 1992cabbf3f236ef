#pragma once
// Sets or clears one environment variable for a scope and puts it back after.
#include <cstdlib>
#include <optional>
#include <string>

namespace testsupport {

class EnvScope {
public:
    EnvScope(const char* name, std::optional<std::string> value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_previous = old;
        Set(value);
    }
    ~EnvScope() { Set(m_previous); }
    EnvScope(const EnvScope&) = delete;
    EnvScope& operator=(const EnvScope&) = delete;

private:
    void Set(const std::optional<std::string>& value) {
        if (value)
            setenv(m_name.c_str(), value->c_str(), 1);
        else
            unsetenv(m_name.c_str());
    }
    std::string m_name;
    std::optional<std::string> m_previous;
};

}  // namespace testsupport
