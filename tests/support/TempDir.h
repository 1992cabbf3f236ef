#pragma once
// A folder of the test's own, removed with everything in it at the end.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

class TempDir {
public:
    explicit TempDir(const std::string& parent = "/tmp") {
        std::string pattern = parent + "/deravizizivu-XXXXXX";
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

// The whole content of a file ("" when it cannot be read).
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// What another local user may have left at a path before the program opens
// it: a file of theirs, a second name of a file elsewhere, a symbolic link,
// a FIFO, a folder.
enum class Planted { OtherOwner, HardLink, SymbolicLink, Fifo, Folder };

inline const char* NameOf(Planted kind) {
    switch (kind) {
        case Planted::OtherOwner:
            return "OtherOwner";
        case Planted::HardLink:
            return "HardLink";
        case Planted::SymbolicLink:
            return "SymbolicLink";
        case Planted::Fifo:
            return "Fifo";
        case Planted::Folder:
            return "Folder";
    }
    return "?";
}

inline void PrintTo(Planted kind, std::ostream* os) {
    *os << NameOf(kind);
}

// Another user's file can be planted by root only.
inline bool CanPlant(Planted kind) {
    return kind != Planted::OtherOwner || geteuid() == 0;
}

// Plants `kind` at path; links point at `victim`, a file made here. False
// when it could not be made.
inline bool Plant(Planted kind, const std::string& path, const std::string& victim) {
    std::ofstream(victim, std::ios::binary) << "the victim's own content";
    switch (kind) {
        case Planted::OtherOwner:
            std::ofstream(path, std::ios::binary) << "planted by nobody";
            return chown(path.c_str(), 65534, 65534) == 0 && chmod(path.c_str(), 0666) == 0;
        case Planted::HardLink:
            return link(victim.c_str(), path.c_str()) == 0;
        case Planted::SymbolicLink:
            return symlink(victim.c_str(), path.c_str()) == 0;
        case Planted::Fifo:
            return mkfifo(path.c_str(), 0666) == 0;
        case Planted::Folder:
            return mkdir(path.c_str(), 0777) == 0;
    }
    return false;
}

// What a user may keep at a settings file's path: `content` in a file there,
// or in a file beside it that a symbolic link there names; or what is no
// settings file. False when it could not be made.
enum class Kept { File, LinkToFile, Nothing, Folder, Fifo, LinkToDevZero };

inline bool Keep(Kept kind, const std::string& path, const std::string& content) {
    const std::string elsewhere = path + ".elsewhere";
    switch (kind) {
        case Kept::File:
            return static_cast<bool>(std::ofstream(path, std::ios::binary) << content);
        case Kept::LinkToFile:
            return std::ofstream(elsewhere, std::ios::binary) << content &&
                   symlink(elsewhere.c_str(), path.c_str()) == 0;
        case Kept::Nothing:
            return true;
        case Kept::Folder:
            return mkdir(path.c_str(), 0777) == 0;
        case Kept::Fifo:
            return mkfifo(path.c_str(), 0666) == 0;
        case Kept::LinkToDevZero:
            return symlink("/dev/zero", path.c_str()) == 0;
    }
    return false;
}

// Kind, owner, link count, size and content of what is at path (a link's
// own, not its target's): equal before and after means untouched.
inline std::string Fingerprint(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return "nothing";
    std::ostringstream s;
    s << "mode " << std::oct << st.st_mode << std::dec << ", owner " << st.st_uid << ", links " << st.st_nlink
      << ", size " << st.st_size;
    if (S_ISREG(st.st_mode)) s << ", content \"" << ReadFile(path) << '"';
    return s.str();
}

// The names in a folder, sorted, joined with spaces ("" when empty).
inline std::string Listing(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const auto& n : names) joined += (joined.empty() ? "" : " ") + n;
    return joined;
}

// How far a process has written into a file in `folder`: the offset of its
// descriptor there, -1 when it has none.
inline off_t WrittenInto(pid_t pid, const std::string& folder) {
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
    off_t written = -1;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(fds, ignored)) {
        const std::string target = std::filesystem::read_symlink(entry.path(), ignored).string();
        if (target.rfind(folder + "/", 0) != 0) continue;
        std::ifstream info("/proc/" + std::to_string(pid) + "/fdinfo/" + entry.path().filename().string());
        std::string key;
        long long pos = -1;
        while (info >> key && key != "pos:") {
        }
        if (info >> pos) written = std::max<off_t>(written, static_cast<off_t>(pos));
    }
    return written;
}

}  // namespace testsupport
