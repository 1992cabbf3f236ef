#pragma once
// Sets or clears environment variables for a scope and puts the old values
// back after, last changed first.
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

class EnvScope {
public:
    EnvScope() = default;
    EnvScope(const char* name, std::optional<std::string> value) { Set(name, std::move(value)); }
    // A null value clears the variable.
    EnvScope(const char* name, const char* value)
        : EnvScope(name, value ? std::optional<std::string>(value) : std::nullopt) {}
    ~EnvScope() {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) Apply(it->first, it->second);
    }
    EnvScope(const EnvScope&) = delete;
    EnvScope& operator=(const EnvScope&) = delete;

    void Set(const std::string& name, std::optional<std::string> value) {
        const char* old = std::getenv(name.c_str());
        m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        Apply(name, value);
    }
    void Unset(const std::string& name) { Set(name, std::nullopt); }

private:
    static void Apply(const std::string& name, const std::optional<std::string>& value) {
        if (value)
            setenv(name.c_str(), value->c_str(), 1);
        else
            unsetenv(name.c_str());
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

}  // namespace testsupport
