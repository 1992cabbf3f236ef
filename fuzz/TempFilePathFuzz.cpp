// The temporary path for any temporary folder and destination: the folder
// (TMPDIR, else /tmp, ending in a slash) followed by the destination's last
// path component, shorter than a path buffer, or empty when that does not fit.
//
// Input: a byte that says whether TMPDIR is set, the folder up to the first
// line feed, then the destination.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/Check.h"
#include "transfer/Placement.h"

namespace {

std::string TempFolder(bool set, const std::string& tmpdir) {
    std::string folder = set && !tmpdir.empty() ? tmpdir : "/tmp";
    if (folder.back() != '/') folder += '/';
    return folder;
}

std::string LastComponent(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool set = data[0] & 1;
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const size_t feed = rest.find('\n');
    std::string tmpdir = rest.substr(0, feed);
    tmpdir = tmpdir.substr(0, tmpdir.find('\0'));  // what the environment can hold
    const CStringA dest = feed == std::string::npos ? CStringA() : rest.substr(feed + 1);
    if (set)
        setenv("TMPDIR", tmpdir.c_str(), 1);
    else
        unsetenv("TMPDIR");

    const std::string folder = TempFolder(set, tmpdir);
    const CStringA path = MakeTempFilePath(dest);
    if (path.empty()) {
        // Only a folder and name too long together for a path buffer give nothing.
        FUZZ_CHECK(folder.size() + LastComponent(dest).size() >= MAX_PATH);
        return 0;
    }
    FUZZ_CHECK(path.size() < MAX_PATH);
    FUZZ_CHECK(path.compare(0, folder.size(), folder) == 0);
    const std::string name = path.substr(folder.size());
    FUZZ_CHECK(name.find('/') == std::string::npos);
    FUZZ_CHECK(EndsWith(dest, name));
    FUZZ_CHECK(name.size() == dest.size() || dest[dest.size() - name.size() - 1] == '/');
    // The destination's folder plays no part.
    FUZZ_CHECK(MakeTempFilePath("/elsewhere/" + name) == path);
    return 0;
}
