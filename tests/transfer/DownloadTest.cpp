// Whole downloads behind the real dialog: the service's answer, the transfer
// from a loopback package server, the progress posts and the placement.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "framework/Thread.h"
#include "platform/Files.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/DownloadScene.h"
#include "tests/support/LocaleScope.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TempDir.h"
#include "transfer/Placement.h"
#include "transfer/Progress.h"
#include "transfer/TransferRequest.h"
#include "ui/DAzOredavedidEzi.h"

using namespace testsupport;

namespace {

const int64_t kLastModified = 1620284889;  // 2021-05-06 07:08:09 UTC

class RecordingDialog : public DAzOredavedidEzi {
public:
    using DAzOredavedidEzi::DAzOredavedidEzi;
    std::vector<int> posts;

protected:
    LRESULT OnRecordProgress(WPARAM wParam, LPARAM lParam) {
        posts.push_back(static_cast<int>(wParam));
        return OnDownloadProgress(wParam, lParam);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(RecordingDialog, DAzOredavedidEzi)
    ON_MESSAGE(WM_DOWNLOAD_PROGRESS, OnRecordProgress)
END_MESSAGE_MAP()

// The finished state as the user meets it: the button reads "完成" and the
// worker that put it there has ended.
bool Done() {
    HWND w = FindShown("词典下载");
    return w && ControlText(w, IDCANCEL) == L"完成" && AfxWaitForRunningThreads(0);
}

bool Exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

// Pages of the file at path that are not on the disk yet (dirty or being
// written); -1 where the kernel cannot tell, or in memory (tmpfs) they never are.
long UnwrittenPages(const std::string& path) {
    struct statfs fs {};
    if (statfs(path.c_str(), &fs) != 0 || fs.f_type == 0x01021994 /* tmpfs */) return -1;
    uint64_t range[2] = {0, 0};  // offset, length: the whole file
    uint64_t pages[5] = {};      // cached, dirty, writeback, evicted, recently evicted
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const long rc = fd < 0 ? -1 : syscall(451 /* cachestat */, fd, range, pages, 0);
    if (fd >= 0) close(fd);
    return rc == 0 ? static_cast<long>(pages[1] + pages[2]) : -1;
}

// One download run: a package server that is also the download service (as
// the proxy the service is reached through), a destination folder and a
// temporary folder of the test's own.
class Download : public testing::Test, protected DownloadScene {
protected:
    void SetUp() override {
        ASSERT_TRUE(Enter());
        ProgressHighWater = 0;
    }
    void TearDown() override { Leave(); }

    // The service names the package; the package requests get `package`.
    void Serve(std::function<void(const HttpRequest&, HttpConnection&, int attempt)> package) {
        server.SetHandler([this, package](const HttpRequest& request, HttpConnection& conn) {
            if (request.target.find("dict.php") != std::string::npos) {
                SendReply(conn, Reply{.body = server.BaseUrl() + "/packages/dict.zip"});
                return;
            }
            package(request, conn, ++attempts);
        });
    }

    void ServePackage(Reply reply) {
        Serve([reply](const HttpRequest&, HttpConnection& conn, int) { SendReply(conn, reply); });
    }

    // Runs the dialog from the command line's values until it ends.
    void Run(const std::string& destPath, std::function<void(RecordingDialog&)> script) {
        RecordingDialog dlg("http://127.0.0.1:9/unused.zip", destPath, "12#345", "测试词典");
        script(dlg);
        dlg.DoModal();
        ASSERT_TRUE(AfxWaitForRunningThreads(10000)) << "the worker ends with the run";
        posts = dlg.posts;
    }

    // Waits for the finished state, reads the button, then leaves through
    // the install step.
    void FinishAndLeave() {
        WhenTrue(Done, [this] { LeaveFinished(); });
    }
    void LeaveFinished() {
        WhenShown("安装", [](HWND install) { PressKey(install, VK_RETURN); });
        HWND w = FindShown("词典下载");
        button = ControlText(w, IDCANCEL);
        PressKey(w, VK_ESCAPE);
    }

    // For a run that ought to fail but may not: it ends either way, and the
    // count of errors tells which way it went.
    void ExitOnErrorOrLeave() {
        WhenTrue([] { return FindShown("错误") || Done(); },
                 [this] {
                     if (HWND w = FindShown("错误")) {
                         ++errors;
                         PressKey(w, VK_ESCAPE);
                     } else {
                         LeaveFinished();
                     }
                 });
    }

    std::atomic<int> attempts{0};
    std::vector<int> posts;
    int errors = 0;
    std::wstring button;
};

TEST_F(Download, ServiceAnswerIsDownloadedPlacedAndStamped) {
    std::string body = Pattern(5000);
    ServePackage(Reply{.headers = {{"Last-Modified", HttpDate(kLastModified)}}, .body = body});
    Run(dest / "dict.zip", [this](RecordingDialog&) { FinishAndLeave(); });

    EXPECT_EQ(button, L"完成");
    EXPECT_EQ(button, L"完成");
    struct stat st {};
    ASSERT_EQ(stat((dest / "dict.zip").c_str(), &st), 0);  // before reading it, which moves its access time
    EXPECT_EQ(st.st_mtime, kLastModified + 14400);
    EXPECT_EQ(st.st_atime, kLastModified + 14400);
    EXPECT_LE(UnwrittenPages(dest / "dict.zip"), 0) << "named before its data were on the disk";
    EXPECT_EQ(ReadFile(dest / "dict.zip"), body);
    EXPECT_FALSE(Exists(tmp / "dict.zip")) << "the temporary file was moved, not copied";
    ASSERT_FALSE(posts.empty());
    EXPECT_EQ(posts.back(), 100);

    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].target, "/packages/dict.zip");
    EXPECT_EQ(requests[1].Header("Connection"), "close");
}

TEST_F(Download, WithoutLastModifiedTheFileIsStampedFromMinusOne) {
    ServePackage(Reply{.body = Pattern(2000)});
    Run(dest / "dict.zip", [this](RecordingDialog&) { FinishAndLeave(); });
    struct stat st {};
    ASSERT_EQ(stat((dest / "dict.zip").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 14399) << "1970-01-01 03:59:59 UTC";
}

// Lets files of this process grow to `bytes` only, for as long as it lives;
// a write beyond fails (EFBIG) as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : m_oldHandler(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit{bytes, m_old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    void (*m_oldHandler)(int);
    rlimit m_old{};
};

// The temporary file takes all but the package's last bytes (as on a full
// disk): wherever they were held back, no cut-short package is placed.
class NoRoomForTheLastBytes : public Download, public testing::WithParamInterface<size_t> {};

TEST_P(NoRoomForTheLastBytes, FailsTheAttempt) {
    const size_t size = GetParam();
    ServePackage(Reply{.body = Pattern(size)});
    {
        FileSizeLimit limit(size - 100);
        Run(dest / "dict.zip", [&](RecordingDialog&) { ExitOnErrorOrLeave(); });
    }
    EXPECT_FALSE(Exists(dest / "dict.zip"));
    EXPECT_EQ(errors, 1);
}

INSTANTIATE_TEST_SUITE_P(Sizes, NoRoomForTheLastBytes, testing::Values(size_t{64} << 10, size_t{3} << 20));

class SizeCheck : public Download, public testing::WithParamInterface<std::pair<size_t, bool>> {};

TEST_P(SizeCheck, MoreThan1024BytesIsAPackage) {
    auto [size, moved] = GetParam();
    ServePackage(Reply{.body = Pattern(size)});
    Run(dest / "dict.zip", [this](RecordingDialog&) { ExitOnErrorOrLeave(); });
    EXPECT_EQ(Exists(dest / "dict.zip"), moved);
    EXPECT_EQ(Exists(tmp / "dict.zip"), !moved) << "a rejected file stays in the temporary folder";
    EXPECT_EQ(errors, moved ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Boundary, SizeCheck,
                         testing::Values(std::pair<size_t, bool>{1024, false}, std::pair<size_t, bool>{1025, true}));

struct ServerAnswer {
    int status;
    const char* reason;
    size_t size;
    std::pair<const char*, const char*> header{"Location", "/elsewhere.zip"};
};
void PrintTo(const ServerAnswer& a, std::ostream* os) {
    *os << a.status << " with " << a.size << " bytes and " << a.header.first << ": " << a.header.second;
}

// An error page, a redirect, a part of the package or the package in an
// encoding nobody asked for.
class AnswerThatIsNotThePackage : public Download, public testing::WithParamInterface<ServerAnswer> {};

TEST_P(AnswerThatIsNotThePackage, IsNeverPlacedAsThePackage) {
    const ServerAnswer& a = GetParam();
    ServePackage(Reply{.status = a.status, .reason = a.reason, .headers = {a.header}, .body = Pattern(a.size)});
    Run(dest / "dict.zip", [this](RecordingDialog&) { ExitOnErrorOrLeave(); });
    EXPECT_EQ(errors, 1);
    EXPECT_FALSE(Exists(dest / "dict.zip"));
    EXPECT_EQ(attempts.load(), 1) << "a redirect is not followed";
}

INSTANTIATE_TEST_SUITE_P(Statuses, AnswerThatIsNotThePackage,
                         testing::Values(ServerAnswer{404, "Not Found", 20}, ServerAnswer{404, "Not Found", 5000},
                                         ServerAnswer{500, "Internal Server Error", 5000},
                                         ServerAnswer{301, "Moved Permanently", 5000}, ServerAnswer{302, "Found", 5000},
                                         ServerAnswer{
                                             206, "Partial Content", 5000, {"Content-Range", "bytes 0-4999/9000"}},
                                         ServerAnswer{200, "OK", 5000, {"Content-Encoding", "gzip"}}));

// What may lie at the destination already: only exactly the package counts
// as placed, and nothing there is ever replaced.
struct AtDestination {
    const char* name;
    bool (*plant)(const std::string& path, const std::string& elsewhere);
    bool placed;
};

bool WriteAt(const std::string& path, const std::string& content) {
    return static_cast<bool>(std::ofstream(path, std::ios::binary) << content);
}

class ExistingDestination : public Download, public testing::WithParamInterface<AtDestination> {};

TEST_P(ExistingDestination, IsNeverReplaced) {
    const std::string at = dest / "dict.zip";
    ASSERT_TRUE(GetParam().plant(at, dest / "elsewhere.zip"));
    auto identity = [&at] {
        struct stat st {};
        return lstat(at.c_str(), &st) == 0 ? st.st_ino : 0;
    };
    const std::string before = Fingerprint(at);
    const ino_t inode = identity();
    ServePackage(Reply{.body = Pattern(3000)});
    Run(at, [this](RecordingDialog&) { ExitOnErrorOrLeave(); });
    EXPECT_EQ(errors, GetParam().placed ? 0 : 1);
    EXPECT_EQ(button, GetParam().placed ? L"完成" : L"");
    EXPECT_EQ(Fingerprint(at), before);
    EXPECT_EQ(identity(), inode) << "replaced";
    EXPECT_EQ(ReadFile(tmp / "dict.zip"), GetParam().placed ? "" : Pattern(3000));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ExistingDestination,
    testing::Values(
        AtDestination{"OtherFile", [](const std::string& p, const std::string&) { return WriteAt(p, "old"); }, false},
        AtDestination{"SameSizeOtherBytes",
                      [](const std::string& p, const std::string&) { return WriteAt(p, Pattern(2999) + "?"); }, false},
        AtDestination{"SamePackage", [](const std::string& p, const std::string&) { return WriteAt(p, Pattern(3000)); },
                      true},
        AtDestination{"LinkToTheSamePackage",
                      [](const std::string& p, const std::string& e) {
                          return WriteAt(e, Pattern(3000)) && symlink(e.c_str(), p.c_str()) == 0;
                      },
                      false},
        AtDestination{"Fifo", [](const std::string& p, const std::string&) { return mkfifo(p.c_str(), 0600) == 0; },
                      false}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(Download, WithoutContentLengthEveryPostIs100) {
    ServePackage(Reply{.body = Pattern(200000), .length = Reply::Length::None});
    Run(dest / "dict.zip", [this](RecordingDialog&) { FinishAndLeave(); });
    EXPECT_EQ(button, L"完成");
    ASSERT_FALSE(posts.empty());
    for (int p : posts) EXPECT_EQ(p, 100);
}

TEST_F(Download, BrokenTransferOffersRetryWhichStartsAgainFromByteZero) {
    const size_t size = 400000;
    Serve([size](const HttpRequest&, HttpConnection& conn, int attempt) {
        if (attempt == 1) {
            conn.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n");
            conn.Send(Pattern(size).substr(0, size / 2));
            conn.Close();
        } else {
            SendReply(conn, Reply{.body = Pattern(size)});
        }
    });
    size_t postsAtError = 0;
    int highWaterAtError = 0;
    Run(dest / "dict.zip", [&](RecordingDialog& dlg) {
        WhenShown("错误", [&](HWND w) {
            ++errors;
            postsAtError = dlg.posts.size();
            highWaterAtError = ProgressHighWater.load();
            PressKey(w, VK_RETURN);  // 重试
            FinishAndLeave();
        });
    });
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(attempts.load(), 2);
    EXPECT_EQ(ReadFile(dest / "dict.zip"), Pattern(size)) << "the second attempt rewrote the file from byte 0";
    EXPECT_GE(highWaterAtError, 1);
    EXPECT_LT(highWaterAtError, 100);
    for (size_t i = postsAtError; i < posts.size(); ++i)
        EXPECT_GE(posts[i], highWaterAtError) << "post " << i << " fell below the earlier attempt";
}

TEST_F(Download, TemporaryFolderOnAnotherFileSystem) {
    TempDir shm("/dev/shm");
    struct stat a {
    }, b{};
    if (!shm.Made() || stat(shm.Path().c_str(), &a) != 0 || stat(dest.Path().c_str(), &b) != 0 || a.st_dev == b.st_dev)
        GTEST_SKIP() << "no second file system for the temporary folder";
    setenv("TMPDIR", shm.Path().c_str(), 1);
    std::string body = Pattern(300000);
    ServePackage(Reply{.headers = {{"Last-Modified", HttpDate(kLastModified)}}, .body = body});
    Run(dest / "dict.zip", [this](RecordingDialog&) { FinishAndLeave(); });
    EXPECT_EQ(ReadFile(dest / "dict.zip"), body);
    EXPECT_FALSE(Exists(shm / "dict.zip"));
    struct stat st {};
    ASSERT_EQ(stat((dest / "dict.zip").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, kLastModified + 14400);
}

// Another local user may have made the temporary file first: nothing of
// theirs is written, and nothing is placed.
class PlantedAtTheTemporaryPath : public Download, public testing::WithParamInterface<Planted> {};

TEST_P(PlantedAtTheTemporaryPath, IsNeitherWrittenNorPlaced) {
    if (!CanPlant(GetParam())) GTEST_SKIP() << "only root can plant another user's file";
    ASSERT_TRUE(Plant(GetParam(), tmp / "dict.zip", dest / "victim"));
    const std::string before = Fingerprint(tmp / "dict.zip");
    ServePackage(Reply{.body = Pattern(5000)});
    Run(dest / "dict.zip", [this](RecordingDialog&) { ExitOnErrorOrLeave(); });
    EXPECT_EQ(errors, 1);
    EXPECT_FALSE(Exists(dest / "dict.zip"));
    EXPECT_EQ(Fingerprint(tmp / "dict.zip"), before);
    EXPECT_TRUE(ReadFile(dest / "victim") == "the victim's own content") << "written through a second name";
}

INSTANTIATE_TEST_SUITE_P(Kinds, PlantedAtTheTemporaryPath,
                         testing::Values(Planted::OtherOwner, Planted::HardLink, Planted::SymbolicLink, Planted::Fifo,
                                         Planted::Folder),
                         [](const auto& p) { return std::string(NameOf(p.param)); });

// Two runs for the same file name share the temporary file: a second one
// that starts while the first writes it is turned away, and the first places
// its own package whole.
TEST_F(Download, SecondRunForTheSameNameIsTurnedAwayWhileTheFirstWrites) {
    const size_t size = 400000;
    std::atomic<IDownloadDialog*> first{nullptr};
    std::atomic<int> second{kDownloadDone};
    Serve([&](const HttpRequest& request, HttpConnection& conn, int) {
        if (request.target.find("second") != std::string::npos) {
            SendReply(conn, Reply{.body = std::string(size, 'B')});
            return;
        }
        conn.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n");
        conn.Send(Pattern(size).substr(0, size / 2));
        // The second run starts once the first one has its file open (its
        // bytes may still be on their way to it).
        struct stat st {};
        for (int i = 0; i < 10000 && stat((tmp / "dict.zip").c_str(), &st) != 0; ++i) usleep(1000);
        CurlEasy handle(curl_easy_init());
        second = DownloadToFile(handle.get(), (server.BaseUrl() + "/second.zip").c_str(), (tmp / "dict.zip").c_str(),
                                first.load());
        conn.Send(Pattern(size).substr(size / 2));
    });
    Run(dest / "dict.zip", [&](RecordingDialog& dlg) {
        first = &dlg;
        FinishAndLeave();
    });
    EXPECT_EQ(second.load(), kDownloadFileNotOpened) << "the second run opened the temporary file the first one writes";
    EXPECT_EQ(button, L"完成");
    EXPECT_TRUE(ReadFile(dest / "dict.zip") == Pattern(size)) << "the first run placed a package not its own";
}

// A transferred package is held until it is placed: a second run for the
// same name that comes in between is turned away, and the placement lets go
// of it whether it places it or not. Run while the dialog shows its error.
TEST_F(Download, TransferredFileIsHeldUntilThePlacementEnds) {
    server.SetHandler([](const HttpRequest& request, HttpConnection& conn) {
        const bool service = request.target.find("dict.php") != std::string::npos;  // names nothing to fetch
        SendReply(conn, {.body = service ? "http://127.0.0.1:9/x" : Pattern(request.target == "/small" ? 1000 : 5000)});
    });
    const std::string temp = tmp / "dict.zip", placed = dest / "dict.zip";
    Run(dest / "unused", [&](RecordingDialog& dlg) {
        WhenShown("错误", [&](HWND w) {
            for (std::string target : {"/large", "/small"}) {
                TempFileHold hold;
                CurlEasy handle(curl_easy_init());
                EXPECT_EQ(DownloadToFile(handle.get(), (server.BaseUrl() + target).c_str(), temp.c_str(),
                                         static_cast<IDownloadDialog*>(&dlg)),
                          0);
                errno = 0;
                EXPECT_FALSE(FileStream(fopen_nofollow(temp.c_str(), "wb"))) << "opened again before the placement";
                EXPECT_EQ(errno, EWOULDBLOCK);
                const bool large = target == "/large";
                EXPECT_EQ(VerifyAndMoveDownload(temp, placed), large);
                EXPECT_TRUE(ReadFile(large ? placed : temp) == Pattern(large ? 5000 : 1000)) << "not its own package";
                CHandle again(
                    CreateFileA((large ? placed : temp).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
                EXPECT_NE(again, INVALID_HANDLE_VALUE) << "still held once the placement has ended";
            }
            PressKey(w, VK_ESCAPE);
        });
    });
}

TEST_F(Download, DestinationEndingInASlashCannotBeWritten) {
    ServePackage(Reply{.body = Pattern(5000)});
    Run(dest.Path() + "/", [this](RecordingDialog&) { ExitOnErrorOrLeave(); });
    EXPECT_EQ(errors, 1);
}

TEST_F(Download, ProgressFiguresReachTheDialogThroughTheLibrarysCallback) {
    // The package address answers nothing; while the error dialog is open the
    // download dialog is alive and the library's callback is fed by hand.
    server.SetHandler([](const HttpRequest& request, HttpConnection& conn) {
        SendReply(conn,
                  Reply{.body = request.target.find("dict.php") != std::string::npos ? "http://127.0.0.1:9/x" : ""});
    });
    std::vector<int> fed;
    Run(dest / "dict.zip", [&](RecordingDialog& dlg) {
        WhenShown("错误", [&](HWND w) {
            size_t before = dlg.posts.size();
            ProgressHook hook{OnTransferProgress, static_cast<IDownloadDialog*>(&dlg)};
            // expected, received: in the library's order
            for (auto [expected, received] : std::vector<std::pair<double, double>>{
                     {0, 10}, {1000, 500}, {1000, 300}, {1000, 1500}, {0, 20}, {1000, 999}})
                EXPECT_EQ(ProgressTrampoline(&hook, expected, received, 0, 0), 0);
            PumpUntil([&] { return dlg.posts.size() >= before + 6; });
            fed.assign(dlg.posts.begin() + static_cast<long>(before), dlg.posts.end());
            PressKey(w, VK_ESCAPE);
        });
    });
    EXPECT_EQ(fed, (std::vector<int>{100, 50, 50, 150, 100, 150}));
}

// The names of the files in a folder, as bytes.
std::set<std::string> Names(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// A destination whose name is in another encoding than the locale's, as on a
// shared disk. The worker hands the temporary path on as wide text; the file
// system must still see the same bytes where it writes and where it looks.
struct ForeignName {
    const char* name;
    const char* locale;
    std::string fileName;
};
void PrintTo(const ForeignName& f, std::ostream* os) {
    *os << f.name;
}

class ForeignDestination : public Download, public testing::WithParamInterface<ForeignName> {};

TEST_P(ForeignDestination, IsWrittenAndPlacedUnderExactlyItsBytes) {
    LocaleScope locale(GetParam().locale);
    if (!locale.ok()) GTEST_SKIP() << "locale " << GetParam().locale << " is not installed";
    const std::string& name = GetParam().fileName;
    const std::string body = Pattern(5000);
    ServePackage(Reply{.body = body});
    Run(dest / name, [this](RecordingDialog&) { ExitOnErrorOrLeave(); });
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(button, L"完成");
    EXPECT_EQ(Names(dest.Path()), std::set<std::string>{name});
    EXPECT_TRUE(ReadFile(dest / name) == body) << "the whole package is in place";
    EXPECT_EQ(Names(tmp.Path()), std::set<std::string>{}) << "the file was written under the name it was moved from";
}

INSTANTIATE_TEST_SUITE_P(Names, ForeignDestination,
                         testing::Values(ForeignName{"Latin1UnderUtf8", "C.UTF-8", "caf\xE9.zip"},
                                         ForeignName{"Utf8CutOffUnderUtf8", "C.UTF-8", "\xE8\xAF.zip"},
                                         ForeignName{"BytesGbkLacksUnderGbk", "zh_CN.GBK", "\xB4\xCA\xFF.zip"},
                                         ForeignName{"Name244BytesLong", "C.UTF-8", std::string(240, 'n') + ".zip"}),
                         [](const testing::TestParamInfo<ForeignName>& p) { return std::string(p.param.name); });

TEST(Placement, TemporaryPathIsTheTemporaryFolderAndTheFileName) {
    setenv("TMPDIR", "/var/tmp", 1);
    EXPECT_EQ(MakeTempFilePath("/home/u/dicts/a.zip"), "/var/tmp/a.zip");
    EXPECT_EQ(MakeTempFilePath("a.zip"), "/var/tmp/a.zip") << "no folder: the whole path is the name";
    EXPECT_EQ(MakeTempFilePath("/home/u/dicts/"), "/var/tmp/");
    EXPECT_EQ(MakeTempFilePath("C:\\dicts\\a.zip"), "/var/tmp/C:\\dicts\\a.zip") << "a backslash is ordinary";
    EXPECT_EQ(MakeTempFilePath("/x/a.zip"), MakeTempFilePath("/y/a.zip"));
    EXPECT_EQ(MakeTempFilePath("/var/./tmp/a.zip"), "/var/tmp/.a.zip.part") << "beside it: never its own name";
    EXPECT_EQ(MakeTempFilePath("/x/" + std::string(300, 'n')), "") << "too long for the path buffer";
    unsetenv("TMPDIR");
}

TEST(Placement, MissingTemporaryFileIsNotMoved) {
    TempDir dir;
    EXPECT_FALSE(VerifyAndMoveDownload(dir / "absent", dir / "dest"));
    EXPECT_FALSE(VerifyAndMoveDownload(dir.Path(), dir / "dest")) << "a folder is no package";
}

TEST(Placement, TemporaryFileHeldByAnotherRunIsNotMoved) {
    TempDir dir;
    { std::ofstream(dir / "dict.zip") << Pattern(5000); }
    FileStream writing(fopen_nofollow((dir / "dict.zip").c_str(), "wb"));
    ASSERT_TRUE(writing);
    EXPECT_FALSE(VerifyAndMoveDownload(dir / "dict.zip", dir / "dest.zip"));
    EXPECT_FALSE(Exists(dir / "dest.zip"));
    writing.reset();
    EXPECT_TRUE(Exists(dir / "dict.zip"));
}

// Leaving while the package is copied to another file system: the dialog's
// end waits for the copy, which stops and takes what it made with it, rather
// than ending the process in the middle of it.
TEST(Placement, DialogEndDuringACopyAcrossFileSystemsAbandonsIt) {
    TempDir shm("/dev/shm"), dest;
    struct stat a {
    }, b{};
    if (!shm.Made() || stat(shm.Path().c_str(), &a) != 0 || stat(dest.Path().c_str(), &b) != 0 || a.st_dev == b.st_dev)
        GTEST_SKIP() << "no second file system for the temporary folder";
    setenv("TMPDIR", shm.Path().c_str(), 1);
    const size_t size = size_t{128} << 20;
    { std::ofstream(shm / "dict.zip") << std::string(size, 'p'); }

    auto* dlg = new DAzOredavedidEzi("", dest / "dict.zip", "1#2", "");
    AfxBeginThread(
        [](LPVOID p) -> UINT {
            static_cast<DAzOredavedidEzi*>(p)->OnDownloadComplete();
            return 0;
        },
        dlg);
    bool copying = false;
    for (int i = 0; i < 100000 && !copying; ++i) {
        const off_t written = WrittenInto(getpid(), dest.Path());
        copying = written > 0 && written < static_cast<off_t>(size);
    }
    delete dlg;
    unsetenv("TMPDIR");

    ASSERT_TRUE(copying) << "the copy was not seen midway";
    EXPECT_EQ(Listing(dest.Path()), "");
    struct stat kept {};
    EXPECT_EQ(stat((shm / "dict.zip").c_str(), &kept), 0);
    EXPECT_EQ(kept.st_size, static_cast<off_t>(size)) << "the temporary file is kept";
}

TEST(Transfer, MissingArgumentsAndUnopenableFilesFailBeforeAnyRequest) {
    LoopbackServer server;
    TempDir dir;
    CurlEasy handle(curl_easy_init());
    std::string url = server.BaseUrl() + "/p";
    EXPECT_EQ(DownloadToFile(nullptr, url.c_str(), (dir / "f").c_str(), nullptr), kDownloadArgumentMissing);
    EXPECT_EQ(DownloadToFile(handle.get(), nullptr, (dir / "f").c_str(), nullptr), kDownloadArgumentMissing);
    EXPECT_EQ(DownloadToFile(handle.get(), url.c_str(), nullptr, nullptr), kDownloadArgumentMissing);
    EXPECT_EQ(DownloadToFile(handle.get(), url.c_str(), (dir / "no/such/folder").c_str(), nullptr),
              kDownloadFileNotOpened);
    EXPECT_EQ(server.RequestCount(), 0u);
    TransferRequest request{nullptr, L"/tmp/x", handle.get()};
    EXPECT_EQ(request.RunTransfer(nullptr), kTransferFailed);
}

TEST(Transfer, OnlyHttpAddressesAreFetched) {
    TempDir dir;
    CurlEasy handle(curl_easy_init());
    DAzOredavedidEzi windowless("", "", "1#2", "");  // progress posts to it go nowhere
    int rc = DownloadToFile(handle.get(), "file:///etc/passwd", (dir / "f").c_str(),
                            static_cast<IDownloadDialog*>(&windowless));
    EXPECT_NE(rc, kDownloadDone);
    struct stat st {};
    ASSERT_EQ(stat((dir / "f").c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 0) << "no local file is copied";
}

}  // namespace
