#pragma once
// The dictionary application's settings files as the layer reads them (the
// profile file, the registry's key files). They belong to someone else and
// may be anything; reading one never waits and never takes more than
// kSettingsFileLimit bytes.
#include <cstddef>
#include <optional>
#include <string>

inline constexpr size_t kSettingsFileLimit = 64 * 1024;

// The whole content of the file at `path`, when what the path finally names
// (through symbolic links) is a regular file of at most kSettingsFileLimit
// bytes. Anything else (no file, a folder, a FIFO, a device, a longer file,
// one that cannot be read at once) is no file: nothing.
std::optional<std::string> ReadSettingsFile(const std::string& path);
