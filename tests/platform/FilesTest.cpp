#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "tests/support/EnvScope.h"
#include "tests/support/TempDir.h"

using testsupport::Fingerprint;
using testsupport::Listing;
using testsupport::NameOf;
using testsupport::CanPlant;
using testsupport::Plant;
using testsupport::Planted;
using testsupport::PrintTo;
using testsupport::EnvScope;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WrittenInto;

namespace {



void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

std::string TempPath() {
    char buffer[PATH_MAX + 1];
    const DWORD n = GetTempPathA(sizeof buffer, buffer);
    return n == 0 ? std::string("<failed>") : std::string(buffer, n);
}

size_t OpenDescriptorCount() {
    size_t count = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d)) ++count;
        closedir(d);
    }
    return count;
}

// ---- GetTempPathA

TEST(GetTempPath, FollowsTmpdirAndEndsWithSlash) {
    {
        EnvScope env("TMPDIR", nullptr);
        EXPECT_EQ(TempPath(), "/tmp/");
    }
    {
        EnvScope env("TMPDIR", "");
        EXPECT_EQ(TempPath(), "/tmp/");
    }
    {
        EnvScope env("TMPDIR", "/var/scratch/");
        EXPECT_EQ(TempPath(), "/var/scratch/");
    }
    {
        EnvScope env("TMPDIR", "/var/scratch");
        EXPECT_EQ(TempPath(), "/var/scratch/");
    }
}

TEST(GetTempPath, ShortBufferGetsTheSizeWithTerminatorAndStaysUntouched) {
    EnvScope env("TMPDIR", "/abc");
    EXPECT_EQ(GetTempPathA(0, nullptr), 6u);

    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(GetTempPathA(5, buffer), 6u);
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(8, '#'));

    EXPECT_EQ(GetTempPathA(6, buffer), 5u);
    EXPECT_STREQ(buffer, "/abc/");
}

TEST(GetTempPath, FolderMustFitThePathLimit) {
    std::string buffer(PATH_MAX + 8, '\0');
    // With the slash added this is exactly the longest path the system takes.
    const std::string longest = "/" + std::string(PATH_MAX - 3, 'a');
    {
        EnvScope env("TMPDIR", longest.c_str());
        EXPECT_EQ(GetTempPathA(static_cast<DWORD>(buffer.size()), buffer.data()), static_cast<DWORD>(PATH_MAX - 1));
        EXPECT_EQ(std::string(buffer.c_str()), longest + "/");
    }
    {
        const std::string tooLong = longest + "a";
        EnvScope env("TMPDIR", tooLong.c_str());
        EXPECT_EQ(GetTempPathA(static_cast<DWORD>(buffer.size()), buffer.data()), 0u);
        EXPECT_EQ(GetTempPathA(0, nullptr), 0u);
    }
}

// ---- CreateFileA and the file size

HANDLE OpenForReading(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                       nullptr);
}

TEST(CreateFile, SizeOfEmptyAndOfSmallFile) {
    TempDir dir;
    ASSERT_TRUE(dir.Made());
    WriteFile((dir / "empty"), "");
    WriteFile((dir / "five"), "hello");

    LARGE_INTEGER size{};
    size.QuadPart = -1;
    CHandle empty(OpenForReading((dir / "empty")));
    ASSERT_NE(static_cast<HANDLE>(empty), INVALID_HANDLE_VALUE);
    ASSERT_TRUE(GetFileSizeEx(empty, &size));
    EXPECT_EQ(size.QuadPart, 0);

    CHandle five(OpenForReading((dir / "five")));
    ASSERT_NE(static_cast<HANDLE>(five), INVALID_HANDLE_VALUE);
    ASSERT_TRUE(GetFileSizeEx(five, &size));
    EXPECT_EQ(size.QuadPart, 5);
}

TEST(CreateFile, SizeBeyondFourGigabytes) {
    TempDir dir;
    ASSERT_TRUE(dir.Made());
    const std::string path = (dir / "sparse");
    const off_t expected = (off_t{5} << 30) + 3;
    {
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0);
        const int r = ftruncate(fd, expected);
        const int err = errno;
        close(fd);
        if (r != 0) GTEST_SKIP() << "the file system refused a sparse 5 GiB file: " << std::strerror(err);
    }
    CHandle file(OpenForReading(path));
    ASSERT_NE(static_cast<HANDLE>(file), INVALID_HANDLE_VALUE);
    LARGE_INTEGER size{};
    ASSERT_TRUE(GetFileSizeEx(file, &size));
    EXPECT_EQ(size.QuadPart, static_cast<int64_t>(expected));
}

TEST(CreateFile, MissingFileAndFolderDoNotOpen) {
    TempDir dir;
    ASSERT_TRUE(dir.Made());
    EXPECT_EQ(OpenForReading((dir / "absent")), INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenForReading(dir.Path()), INVALID_HANDLE_VALUE);
    LARGE_INTEGER size{};
    EXPECT_FALSE(GetFileSizeEx(INVALID_HANDLE_VALUE, &size));
    EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
}

TEST(CreateFile, HandlesReleaseTheirDescriptor) {
    TempDir dir;
    ASSERT_TRUE(dir.Made());
    WriteFile((dir / "f"), "x");
    const size_t before = OpenDescriptorCount();
    {
        CHandle owned(OpenForReading((dir / "f")));
        ASSERT_NE(static_cast<HANDLE>(owned), INVALID_HANDLE_VALUE);
        EXPECT_EQ(OpenDescriptorCount(), before + 1);
    }
    EXPECT_EQ(OpenDescriptorCount(), before);

    CHandle early(OpenForReading((dir / "f")));
    EXPECT_EQ(OpenDescriptorCount(), before + 1);
    early.Close();
    EXPECT_EQ(static_cast<HANDLE>(early), INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenDescriptorCount(), before);

    HANDLE raw = OpenForReading((dir / "f"));
    ASSERT_NE(raw, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(raw));
    EXPECT_EQ(OpenDescriptorCount(), before);
}

// ---- MoveFileA

struct timespec At(time_t seconds, long nanoseconds) {
    struct timespec t {};
    t.tv_sec = seconds;
    t.tv_nsec = nanoseconds;
    return t;
}

void Stamp(const std::string& path, struct timespec atime, struct timespec mtime) {
    const struct timespec times[2] = {atime, mtime};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << std::strerror(errno);
}

struct stat StatOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st;
}

std::string Pattern(size_t size) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 131 + i / 7) & 0xFF);
    return s;
}

TEST(MoveFile, SameFileSystemMovesAndKeepsTheTime) {
    TempDir dir;
    ASSERT_TRUE(dir.Made());
    const std::string from = (dir / "from"), to = (dir / "to");
    WriteFile(from, "payload");
    Stamp(from, At(1000000000, 0), At(1100000000, 0));

    ASSERT_TRUE(MoveFileA(from.c_str(), to.c_str()));
    EXPECT_FALSE(Exists(from));
    EXPECT_EQ(StatOf(to).st_mtime, 1100000000);
    EXPECT_EQ(ReadFile(to), "payload");
}

TEST(MoveFile, SameFileSystemNeverReplaces) {
    TempDir dir;
    ASSERT_TRUE(dir.Made());
    const std::string from = (dir / "from"), to = (dir / "to");
    WriteFile(from, "new");
    WriteFile(to, "old");

    EXPECT_FALSE(MoveFileA(from.c_str(), to.c_str()));
    EXPECT_EQ(ReadFile(to), "old");
    EXPECT_EQ(ReadFile(from), "new");
}

TEST(MoveFile, MissingSourceOrDestinationFolderFails) {
    TempDir dir;
    ASSERT_TRUE(dir.Made());
    const std::string from = (dir / "from");
    WriteFile(from, "kept");

    EXPECT_FALSE(MoveFileA((dir / "absent").c_str(), (dir / "to").c_str()));
    EXPECT_FALSE(Exists((dir / "to")));
    EXPECT_FALSE(MoveFileA(from.c_str(), (dir / "no-such-folder/to").c_str()));
    EXPECT_EQ(ReadFile(from), "kept");
}

// This test program's mounts, apart from the machine's from the first call
// on: what it mounts nobody else sees, and it all goes when it ends.
bool PrivateMounts() {
    static const bool entered =
        unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return entered;
}

// A memory file system of the given size on a folder of the test's own.
class MemoryFileSystem {
public:
    explicit MemoryFileSystem(const std::string& size) {
        const std::string options = "size=" + size + ",mode=0700";
        m_mounted = PrivateMounts() && m_dir.Made() &&
                    mount("tmpfs", m_dir.Path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
    }
    ~MemoryFileSystem() {
        if (m_mounted) umount2(m_dir.Path().c_str(), MNT_DETACH);
    }
    MemoryFileSystem(const MemoryFileSystem&) = delete;
    MemoryFileSystem& operator=(const MemoryFileSystem&) = delete;

    bool Mounted() const { return m_mounted; }
    const std::string& Path() const { return m_dir.Path(); }
    std::string operator/(const std::string& name) const { return m_dir / name; }

private:
    TempDir m_dir;
    bool m_mounted = false;
};

// A folder on a memory file system of the test's own and one under /tmp.
class MoveAcross : public testing::Test {
protected:
    void SetUp() override {
        if (!m_memory.Mounted() || !m_disk.Made()) GTEST_SKIP() << "mounting a file system is not permitted here";
        if (StatOf(m_memory.Path()).st_dev == StatOf(m_disk.Path()).st_dev)
            GTEST_SKIP() << "the mount did not give a second file system";
    }

    MemoryFileSystem m_memory{"512m"};
    TempDir m_disk{"/tmp"};
};

// Where the copy is written before it is named: unnamed, or under a hidden
// name as on a file system that has no unnamed files, and maybe no hard
// links either.
enum class Copy { Unnamed, Hidden, HiddenWithoutLinks };

const char* NameOf(Copy copy) {
    return copy == Copy::Unnamed ? "Unnamed" : copy == Copy::Hidden ? "Hidden" : "HiddenWithoutLinks";
}
void PrintTo(Copy copy, std::ostream* os) {
    *os << NameOf(copy);
}

// Makes this process's system calls fail as such a file system makes them
// fail: opens of unnamed files, and for `links` hard links too.
bool RefuseUnnamedFiles(bool links) {
#if defined(__x86_64__)
    const __u32 arch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
    const __u32 arch = AUDIT_ARCH_AARCH64;
#else
    return false;
#endif
    const __u32 unnamed = O_TMPFILE & ~O_DIRECTORY;
    std::vector<sock_filter> code = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, arch, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, nr)),
    };
    std::vector<__u32> linkCalls = {__NR_linkat};
#ifdef __NR_link
    linkCalls.push_back(__NR_link);
#endif
    for (const __u32 call : links ? linkCalls : std::vector<__u32>{}) {
        code.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, call, 0, 1));
        code.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM));
    }
    const std::vector<sock_filter> opens = {
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_openat, 0, 3),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, args[2])),  // the flags' low half
        BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, unnamed, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EOPNOTSUPP),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    code.insert(code.end(), opens.begin(), opens.end());
    struct sock_fprog program {};
    program.len = static_cast<unsigned short>(code.size());
    program.filter = code.data();
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// A flag that a child process reads while this one sets it.
class SharedFlag {
public:
    SharedFlag() {
        void* memory =
            mmap(nullptr, sizeof(std::atomic<bool>), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        if (memory != MAP_FAILED) m_flag = new (memory) std::atomic<bool>(false);
    }
    ~SharedFlag() {
        if (m_flag) munmap(m_flag, sizeof *m_flag);
    }
    SharedFlag(const SharedFlag&) = delete;
    SharedFlag& operator=(const SharedFlag&) = delete;
    std::atomic<bool>* get() const { return m_flag; }

private:
    std::atomic<bool>* m_flag = nullptr;
};

const int kMoved = 0, kNotMoved = 1, kNoFilter = 2;

// MoveFileA in a child process of its own, which may be stopped and ended
// midway; its exit code is kMoved, kNotMoved or kNoFilter.
pid_t StartMove(const std::string& from, const std::string& to, Copy copy, const std::atomic<bool>* cancel) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    if (copy != Copy::Unnamed && !RefuseUnnamedFiles(copy == Copy::HiddenWithoutLinks)) _exit(kNoFilter);
    _exit(MoveFileA(from.c_str(), to.c_str(), cancel) ? kMoved : kNotMoved);
}

int ExitCode(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// Stops the child while its copy into `folder` stands between the first and
// the last of `size` bytes; false when it ended before (it is then reaped).
bool StopMidCopy(pid_t pid, const std::string& folder, off_t size) {
    for (;;) {
        int status = 0;
        if (kill(pid, SIGSTOP) != 0 || waitpid(pid, &status, WUNTRACED) != pid || !WIFSTOPPED(status)) return false;
        const off_t written = WrittenInto(pid, folder);
        if (written > 0 && written < size) return true;
        kill(pid, SIGCONT);
    }
}

struct AcrossCase {
    const char* name;
    size_t size;           // of the package
    const char* existing;  // already at the destination, or null
    bool fullDestination;  // the destination's file system is smaller than the package
    bool cancelled;
    bool moved;
};

void PrintTo(const AcrossCase& c, std::ostream* os) {
    *os << c.name;
}

class MoveAcrossEach : public MoveAcross, public testing::WithParamInterface<std::tuple<AcrossCase, Copy>> {};

TEST_P(MoveAcrossEach, NamesOnlyAWholeCopyAndRemovesTheSourceOnlyThen) {
    const auto& [c, copy] = GetParam();
    std::optional<MemoryFileSystem> small;
    if (c.fullDestination) small.emplace("1m");
    if (small && !small->Mounted()) GTEST_SKIP() << "mounting a file system is not permitted here";
    const std::string folder = small ? small->Path() : m_disk.Path();
    const std::string from = small ? (m_disk / "from") : (m_memory / "from"), to = folder + "/to";
    const std::string content = Pattern(c.size);
    WriteFile(from, content);
    Stamp(from, At(1200000000, 123456789), At(1300000000, 987654321));
    if (c.existing) WriteFile(to, c.existing);
    SharedFlag cancel;
    ASSERT_TRUE(cancel.get());
    cancel.get()->store(c.cancelled);

    const int code = ExitCode(StartMove(from, to, copy, cancel.get()));
    ASSERT_NE(code, kNoFilter) << "unnamed files could not be refused here";
    EXPECT_EQ(code, c.moved ? kMoved : kNotMoved);
    if (c.moved) {
        // Times first: reading the copy may move its access time.
        const struct stat st = StatOf(to);
        EXPECT_EQ(st.st_atim.tv_sec, 1200000000);
        EXPECT_EQ(st.st_atim.tv_nsec, 123456789);
        EXPECT_EQ(st.st_mtim.tv_sec, 1300000000);
        EXPECT_EQ(st.st_mtim.tv_nsec, 987654321);
        EXPECT_TRUE(ReadFile(to) == content) << "copied content differs";
        EXPECT_FALSE(Exists(from));
        EXPECT_EQ(Listing(folder), "to");
    } else {
        EXPECT_EQ(Listing(folder), c.existing ? "to" : "");
        EXPECT_EQ(ReadFile(to), c.existing ? c.existing : "");
        EXPECT_TRUE(ReadFile(from) == content) << "the source is kept";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MoveAcrossEach,
    testing::Combine(testing::Values(AcrossCase{"Copied", 300 * 1024 + 17, nullptr, false, false, true},
                                     AcrossCase{"Empty", 0, nullptr, false, false, true},
                                     AcrossCase{"ExistingDestination", 5000, "old", false, false, false},
                                     AcrossCase{"FullDestination", 2 << 20, nullptr, true, false, false},
                                     AcrossCase{"Cancelled", 300 * 1024, nullptr, false, true, false}),
                     testing::Values(Copy::Unnamed, Copy::Hidden, Copy::HiddenWithoutLinks)),
    [](const auto& p) { return std::string(std::get<0>(p.param).name) + NameOf(std::get<1>(p.param)); });

// A copy cut short midway: the process ends (killed, or the dialog's end
// after its grace period), or the copy is told to stop. The destination's
// name is never left with part of the package, and neither is any other.
enum class Cut { Kill, Cancel };
void PrintTo(Cut cut, std::ostream* os) {
    *os << (cut == Cut::Kill ? "Kill" : "Cancel");
}

class CutShort : public MoveAcross, public testing::WithParamInterface<std::tuple<Cut, Copy>> {};

TEST_P(CutShort, LeavesNothingInTheDestinationFolder) {
    const auto& [cut, copy] = GetParam();
    const std::string from = (m_memory / "from"), to = (m_disk / "to");
    const off_t size = off_t{128} << 20;
    WriteFile(from, Pattern(static_cast<size_t>(size)));
    SharedFlag cancel;
    ASSERT_TRUE(cancel.get());

    const pid_t pid = StartMove(from, to, copy, cancel.get());
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(StopMidCopy(pid, m_disk.Path(), size)) << "the copy ended before it was seen midway";
    const std::string during = Listing(m_disk.Path());
    if (copy == Copy::Unnamed)
        EXPECT_EQ(during, "");
    else
        EXPECT_EQ(during.rfind(".to.", 0), 0u) << during;
    if (cut == Cut::Kill) {
        kill(pid, SIGKILL);
        ExitCode(pid);
    } else {
        cancel.get()->store(true);
        kill(pid, SIGCONT);
        EXPECT_EQ(ExitCode(pid), kNotMoved);
    }

    EXPECT_EQ(Listing(m_disk.Path()), "");
    EXPECT_EQ(StatOf(from).st_size, size) << "the source is kept";
}

// A process end leaves a hidden copy behind by its nature, so that case is not here.
INSTANTIATE_TEST_SUITE_P(Cuts, CutShort,
                         testing::Values(std::tuple{Cut::Kill, Copy::Unnamed}, std::tuple{Cut::Cancel, Copy::Unnamed},
                                         std::tuple{Cut::Cancel, Copy::Hidden}),
                         [](const auto& p) {
                             return std::string(std::get<0>(p.param) == Cut::Kill ? "Kill" : "Cancel") +
                                    NameOf(std::get<1>(p.param));
                         });

TEST_F(MoveAcross, MissingDestinationFolderFailsAndKeepsSource) {
    const std::string from = (m_memory / "from");
    WriteFile(from, "kept");

    EXPECT_FALSE(MoveFileA(from.c_str(), (m_disk / "no-such-folder/to").c_str()));
    EXPECT_EQ(ReadFile(from), "kept");
}

TEST_F(MoveAcross, SymbolicLinkAtDestinationIsNotWrittenThrough) {
    const std::string from = (m_memory / "from"), to = (m_disk / "to");
    const std::string target = (m_disk / "target");
    WriteFile(from, "new");
    WriteFile(target, "target");
    ASSERT_EQ(symlink(target.c_str(), to.c_str()), 0);

    EXPECT_FALSE(MoveFileA(from.c_str(), to.c_str()));
    EXPECT_EQ(ReadFile(target), "target");
    EXPECT_EQ(ReadFile(from), "new");
}

// ---- _futime64

// Stamps the file at path through a descriptor of its own.
int StampFile(const std::string& path, const __utimbuf64& times) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const int result = _futime64(fd, &times);
    if (fd >= 0) close(fd);
    return result;
}

TEST(Futime64, SetsBothTimesFromSeconds) {
    TempDir dir;
    ASSERT_TRUE(dir.Made());
    const std::string path = (dir / "f");
    WriteFile(path, "x");

    const __utimbuf64 early{-1 + 14400, -1 + 14400};
    ASSERT_EQ(StampFile(path, early), 0);
    EXPECT_EQ(StatOf(path).st_mtime, 14399);

    const __utimbuf64 distinct{1000, 2000};
    ASSERT_EQ(StampFile(path, distinct), 0);
    const struct stat st = StatOf(path);
    EXPECT_EQ(st.st_atime, 1000);
    EXPECT_EQ(st.st_mtime, 2000);

    EXPECT_EQ(StampFile(dir / "absent", distinct), -1);
}

TEST(Futime64, TimesPast2038) {
    if (sizeof(time_t) < 8) GTEST_SKIP() << "time_t is 32-bit on this build";
    TempDir dir;
    ASSERT_TRUE(dir.Made());
    const std::string path = (dir / "f");
    WriteFile(path, "x");

    const __utimbuf64 future{4102444800, 4102444800};
    ASSERT_EQ(StampFile(path, future), 0);
    EXPECT_EQ(static_cast<int64_t>(StatOf(path).st_mtime), 4102444800);
}

// ---- fopen_nofollow

TEST(FopenNofollow, CreatesAndTruncatesRegularFiles) {
    TempDir dir;
    ASSERT_TRUE(dir.Made());
    const std::string path = (dir / "download.tmp");
    {
        FileStream f(fopen_nofollow(path.c_str(), "wb"));
        ASSERT_TRUE(f);
        std::fputs("first, longer content", f.get());
    }
    EXPECT_EQ(ReadFile(path), "first, longer content");
    {
        FileStream f(fopen_nofollow(path.c_str(), "wb"));
        ASSERT_TRUE(f);
        std::fputs("2nd", f.get());
    }
    EXPECT_EQ(ReadFile(path), "2nd");
}

TEST(FopenNofollow, PlantedSymbolicLinkIsNotFollowed) {
    TempDir dir;
    ASSERT_TRUE(dir.Made());
    const std::string path = (dir / "download.tmp");
    const std::string target = (dir / "precious");
    WriteFile(target, "precious content");
    ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0);

    FileStream f(fopen_nofollow(path.c_str(), "wb"));
    EXPECT_FALSE(f);
    EXPECT_EQ(ReadFile(target), "precious content");

    // A dangling link must not create its target either.
    const std::string dangling = (dir / "dangling.tmp");
    const std::string nowhere = (dir / "nowhere");
    ASSERT_EQ(symlink(nowhere.c_str(), dangling.c_str()), 0);
    FileStream g(fopen_nofollow(dangling.c_str(), "wb"));
    EXPECT_FALSE(g);
    EXPECT_FALSE(Exists(nowhere));
}

// ---- The temporary file: one run at a time, and only the user's own

// The two opens of the temporary file: the transfer's, which writes it, and
// the placement's (no sharing), which holds it from the size check to the
// move. Each gives something that keeps the file open, or null.
struct Opener {
    const char* name;
    std::shared_ptr<void> (*open)(const std::string& path);
};
void PrintTo(const Opener& o, std::ostream* os) {
    *os << o.name;
}

std::shared_ptr<void> OpenToWrite(const std::string& path) {
    FILE* f = fopen_nofollow(path.c_str(), "wb");
    if (!f) return nullptr;
    return std::shared_ptr<void>(f, [](FILE* p) { std::fclose(p); });
}
std::shared_ptr<void> OpenToPlace(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::shared_ptr<void>(h, [](HANDLE p) { CloseHandle(p); });
}
const Opener kWriter{"Writer", OpenToWrite};
const Opener kPlacer{"Placer", OpenToPlace};

class TwoRuns : public testing::TestWithParam<std::pair<Opener, Opener>> {};

TEST_P(TwoRuns, TheSecondIsTurnedAwayAndTheFileStaysAsTheFirstLeftIt) {
    const auto& [first, second] = GetParam();
    TempDir dir;
    ASSERT_TRUE(dir.Made());
    const std::string path = (dir / "dict.zip");
    WriteFile(path, "the first run's package");
    std::shared_ptr<void> held = first.open(path);
    ASSERT_TRUE(held);
    if (first.open == OpenToWrite) {
        FILE* f = static_cast<FILE*>(held.get());
        std::fputs("the first run's package", f);
        std::fflush(f);
    }
    const std::string before = Fingerprint(path);

    errno = 0;
    EXPECT_FALSE(second.open(path)) << "the second run opened the file the first one holds";
    EXPECT_EQ(errno, EWOULDBLOCK);
    EXPECT_EQ(Fingerprint(path), before);

    held.reset();
    EXPECT_TRUE(second.open(path)) << "free again once the first has let go";
}

INSTANTIATE_TEST_SUITE_P(Opens, TwoRuns,
                         testing::Values(std::pair{kWriter, kWriter}, std::pair{kWriter, kPlacer},
                                         std::pair{kPlacer, kWriter}),
                         [](const auto& p) { return std::string(p.param.first.name) + p.param.second.name; });

class PlantedTemporaryFile : public testing::TestWithParam<std::tuple<Planted, Opener>> {};

TEST_P(PlantedTemporaryFile, IsRefusedAndLeftUntouched) {
    const auto& [kind, opener] = GetParam();
    TempDir dir;
    ASSERT_TRUE(dir.Made());
    const std::string path = (dir / "dict.zip"), victim = (dir / "victim");
    if (!CanPlant(kind)) GTEST_SKIP() << "only root can plant another user's file";
    ASSERT_TRUE(Plant(kind, path, victim)) << std::strerror(errno);
    const std::string before = Fingerprint(path);

    EXPECT_FALSE(opener.open(path));
    EXPECT_EQ(Fingerprint(path), before);
    EXPECT_EQ(ReadFile(victim), "the victim's own content");
}

INSTANTIATE_TEST_SUITE_P(Kinds, PlantedTemporaryFile,
                         testing::Combine(testing::Values(Planted::OtherOwner, Planted::HardLink, Planted::SymbolicLink,
                                                          Planted::Fifo, Planted::Folder),
                                          testing::Values(kWriter, kPlacer)),
                         [](const auto& p) {
                             return std::string(NameOf(std::get<0>(p.param))) + std::get<1>(p.param).name;
                         });

}  // namespace
