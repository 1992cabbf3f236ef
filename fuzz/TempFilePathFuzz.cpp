// The temporary path for any temporary folder and destination: the folder
// (TMPDIR, else /tmp, ending in a slash) followed by the destination's last
// path component, or by a hidden name of its own when the folder is the
// destination's, never the destination itself; within the platform's path
// and name limits, or empty when it is not.
//
// Input: a byte that says whether TMPDIR is set, the folder up to the first
// line feed, then the destination.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/Check.h"
#include "platform/Files.h"
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

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
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
    const std::string last = LastComponent(dest);
    const bool beside =
        !last.empty() && (folder + last == dest || IsSameFileA(folder.c_str(), FolderOf(dest).c_str()));
    const std::string name = beside ? "." + last + ".part" : last;
    const CStringA path = MakeTempFilePath(dest);
    if (path.empty()) {
        // Only a path or a name the platform cannot take gives nothing.
        FUZZ_CHECK(folder.size() + name.size() >= MAX_TEMP_PATH || name.size() > MAX_TEMP_NAME);
        return 0;
    }
    FUZZ_CHECK(path.size() < MAX_TEMP_PATH && name.size() <= MAX_TEMP_NAME);
    FUZZ_CHECK(path == folder + name);
    FUZZ_CHECK(last.empty() || path != dest);  // a destination ending in a slash is a folder
    // Elsewhere the destination's folder plays no part.
    const std::string elsewhere = folder == "/elsewhere/" ? "/other/" : "/elsewhere/";
    FUZZ_CHECK(beside || MakeTempFilePath(elsewhere + last) == path);
    return 0;
}
