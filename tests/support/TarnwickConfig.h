#pragma once
// The dictionary application's language settings, in folders of the test's
// own: the per-user configuration file below $XDG_CONFIG_HOME and the
// installation's registry key below the first folder of $XDG_CONFIG_DIRS.
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/EnvScope.h"
#include "tests/support/TempDir.h"

namespace testsupport {

class TarnwickConfig {
public:
    TarnwickConfig() : m_home("XDG_CONFIG_HOME", m_dir / "home"), m_machine("XDG_CONFIG_DIRS", m_dir / "machine") {}

    std::string AppData() const { return m_dir / "home"; }  // not made until the program makes it
    std::string ConfigFolder() const { return AppData() + "/brindlecor/Tarnwick/config"; }
    std::string ConfigFile() const { return ConfigFolder() + "/codepage.conf"; }
    std::string RegistryFile() const {
        return m_dir / "machine/registry/HKEY_LOCAL_MACHINE/SOFTWARE/Brindlecor/Tarnwick09PRO";
    }

    void WriteConfig(const std::string& content) const { Write(ConfigFile(), content); }
    // `content` is the key file's "name=value" lines.
    void WriteRegistry(const std::string& content) const { Write(RegistryFile(), content); }
    // Anything at `path` (a file), with its folders.
    static void Write(const std::string& path, const std::string& content) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << content;
    }

private:
    TempDir m_dir;
    EnvScope m_home;
    EnvScope m_machine;
};

}  // namespace testsupport
