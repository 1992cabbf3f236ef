#pragma once
// A folder of the test's own, removed with everything in it at the end.
#include <cstdlib>
#include <filesystem>
#include <string>

namespace testsupport {

class TempDir {
public:
    explicit TempDir(const std::string& parent = "") {
        std::string base = parent.empty() ? std::filesystem::temp_directory_path().string() : parent;
        std::string pattern = base + "/deravizizivu-XXXXXX";
        if (char* made = mkdtemp(pattern.data())) m_path = made;
    }
    ~TempDir() {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    bool Made() const { return !m_path.empty(); }
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

}  // namespace testsupport
