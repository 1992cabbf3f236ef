#include "platform/ToolHelp.h"

#include <dirent.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "platform/CodePage.h"
#include "platform/posix/Handles.h"
#include "platform/posix/ProcessSnapshot.h"

namespace {

// One process as the snapshot keeps it. The snapshot is an anonymous file of
// these records, so that its handle is a descriptor like every other handle
// of the layer, its file offset is the walk's position, and CloseHandle frees it.
struct ProcessRecord {
    uint32_t pid;
    char comm[16];  // the kernel's name: at most 15 bytes and a terminator
};

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

// The pid a /proc entry stands for, 0 for entries that are not processes.
uint32_t PidOf(const char* name) {
    if (*name < '1' || *name > '9') return 0;
    char* end = nullptr;
    const unsigned long pid = std::strtoul(name, &end, 10);
    return *end == '\0' && pid <= UINT32_MAX ? static_cast<uint32_t>(pid) : 0;
}

// False when the process ended before its name could be read.
bool ReadComm(const std::string& path, ProcessRecord& record) {
    std::ifstream in(path, std::ios::binary);
    std::string name;
    if (!in || !std::getline(in, name)) return false;
    std::memset(record.comm, 0, sizeof record.comm);
    std::memcpy(record.comm, name.data(), std::min(name.size(), sizeof record.comm - 1));
    return true;
}

// Whether the process has ended and waits only to be reaped (a zombie): it
// runs no more, though its folder and name stay until its parent reaps it,
// which for an orphan may take a while. Folders without a "stat" file count
// as running.
bool HasEnded(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string stat;
    if (!in || !std::getline(in, stat)) return false;
    const size_t nameEnd = stat.rfind(')');  // the name itself may hold ')'
    if (nameEnd == std::string::npos || nameEnd + 2 >= stat.size()) return false;
    const char state = stat[nameEnd + 2];
    return state == 'Z' || state == 'X';
}

// Whether the process runs as this program's user: /proc gives each
// process's folder the owner the process runs as.
bool OwnedByThisUser(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && info.st_uid == geteuid();
}

bool WriteRecords(DIR* dir, const std::string& folder, int fd) {
    while (const dirent* entry = readdir(dir)) {
        ProcessRecord record{PidOf(entry->d_name), {}};
        if (record.pid == 0) continue;
        const std::string process = folder + "/" + entry->d_name;
        if (!OwnedByThisUser(process)) continue;
        if (!ReadComm(process + "/comm", record) || HasEnded(process + "/stat")) continue;
        if (!WriteAll(fd, &record, sizeof record)) return false;
    }
    return true;
}

BOOL ReadEntry(HANDLE snapshot, PROCESSENTRY32W* entry) {
    const int fd = DescriptorOfHandle(snapshot);
    if (fd < 0 || !entry) return FALSE;
    ProcessRecord record{};
    ssize_t n;
    do n = read(fd, &record, sizeof record);
    while (n < 0 && errno == EINTR);
    if (n != static_cast<ssize_t>(sizeof record)) return FALSE;
    // The caller's size field is kept, not checked: the record has one layout here.
    const DWORD size = entry->dwSize;
    *entry = PROCESSENTRY32W{};
    entry->dwSize = size;
    entry->th32ProcessID = record.pid;
    if (MultiByteToWideChar(CP_ACP, 0, record.comm, -1, entry->szExeFile, MAX_PATH) == 0) entry->szExeFile[0] = 0;
    return TRUE;
}

}  // namespace

HANDLE SnapshotProcessesUnder(const char* procFolder) {
    std::unique_ptr<DIR, DirCloser> dir(opendir(procFolder));
    if (!dir) return INVALID_HANDLE_VALUE;
    const int fd = memfd_create("process-snapshot", MFD_CLOEXEC);
    if (fd < 0) return INVALID_HANDLE_VALUE;
    if (!WriteRecords(dir.get(), procFolder, fd)) {
        close(fd);
        return INVALID_HANDLE_VALUE;
    }
    return HandleOfDescriptor(fd);
}

HANDLE CreateToolhelp32Snapshot(DWORD dwFlags, DWORD) {
    if (!(dwFlags & TH32CS_SNAPPROCESS)) return INVALID_HANDLE_VALUE;
    return SnapshotProcessesUnder("/proc");
}

BOOL Process32FirstW(HANDLE hSnapshot, PROCESSENTRY32W* lppe) {
    const int fd = DescriptorOfHandle(hSnapshot);
    if (fd < 0 || lseek(fd, 0, SEEK_SET) != 0) return FALSE;
    return ReadEntry(hSnapshot, lppe);
}

BOOL Process32NextW(HANDLE hSnapshot, PROCESSENTRY32W* lppe) {
    return ReadEntry(hSnapshot, lppe);
}
