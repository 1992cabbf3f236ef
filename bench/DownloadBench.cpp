// Download throughput of the real path (query, worker, progress posts to a
// live dialog, placement) against the curl command-line tool, from the same
// server in alternating pairs; CPU time of both, the program's peak memory
// for a small and a large package, the bar's repaints and the interface
// thread's CPU time, and what the placement's flush of the package to the
// disk costs. scripts/bench.sh serves the packages from nginx.
//
//   download_bench <package URL> <its size in MiB> <1 MiB package URL> [pairs, default 7] [folder, default /tmp]
//
// Both sides write into the folder given (the program's temporary folder and
// destination are there too), so both meet the same file system.
#include <sys/resource.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench/BarPaints.h"
#include "bench/Spawn.h"
#include "framework/Gdi.h"
#include "framework/Thread.h"
#include "platform/Files.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TempDir.h"
#include "ui/DAzOredavedidEzi.h"

namespace {

using bench::ChildResult;
using bench::Median;
using bench::Spawn;
using Clock = std::chrono::steady_clock;

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Until the whole package is in, the end is looked for seldom: a timer waking
// the interface thread often would take the worker's processor, which the
// program itself never does.
const int kSlowPollMs = 200;
const int kQuickPollMs = 2;

class CountingDialog : public DAzOredavedidEzi {
public:
    using DAzOredavedidEzi::DAzOredavedidEzi;
    long posts = 0;
    Clock::time_point startedAt;
    Clock::time_point finishedAt;
    double cpuAtStart = 0;   // the interface thread's own CPU seconds
    QTimer* poll = nullptr;  // looks for the end; quick only once the last byte is in

protected:
    // The clock starts with the download's own steps (query, worker), not
    // with making the window.
    BOOL OnInitDialog() override {
        startedAt = Clock::now();
        cpuAtStart = ThreadCpuSeconds();
        return DAzOredavedidEzi::OnInitDialog();
    }

    LRESULT OnCountProgress(WPARAM wParam, LPARAM lParam) {
        ++posts;
        if (wParam >= 100 && poll && poll->interval() != kQuickPollMs) poll->setInterval(kQuickPollMs);
        return OnDownloadProgress(wParam, lParam);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CountingDialog, DAzOredavedidEzi)
    ON_MESSAGE(WM_DOWNLOAD_PROGRESS, OnCountProgress)
END_MESSAGE_MAP()

// The program's side, in a process of its own so its peak memory is its own.
int RunChild(const char* url, const char* dest) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int argc = 1;
    char name[] = "download_bench";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    CountingDialog dlg(url, dest, "12#345", "bench");
    BarPaints paints;
    double cpu = 0;
    bool finished = false;
    // Leaves as soon as the package is placed: the worker has ended without
    // the error dialog.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&dlg, &poll, &cpu, &finished] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowTitle() == QString::fromUtf8("错误")) {
                std::printf("0 0 0 0\n");  // the download failed
                std::fflush(stdout);
                _exit(2);
            }
        if (!AfxWaitForRunningThreads(0)) return;
        finished = true;
        dlg.finishedAt = Clock::now();
        cpu = ThreadCpuSeconds() - dlg.cpuAtStart;
        poll.stop();
        dlg.EndDialog(IDOK);
    });
    dlg.poll = &poll;
    poll.start(kSlowPollMs);
    CRect bar;
    QTimer::singleShot(0, [&] {  // the bar's control, as the window system has it
        for (QWidget* window : QApplication::topLevelWidgets())
            for (QWidget* control : window->findChildren<QWidget*>())
                if (control->property("afxControlId").toInt() == IDC_PROGRESS)
                    bar = CRect(0, 0, control->width(), control->height());
    });
    dlg.DoModal();
    AfxWaitForRunningThreads(10000);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    double seconds = std::chrono::duration<double>(dlg.finishedAt - dlg.startedAt).count();
    std::printf("%.6f %ld %ld %d %ld %ld %.6f\n", seconds, dlg.posts, usage.ru_maxrss, finished ? 1 : 0, paints.count,
                static_cast<long>(bar.Width()), cpu);
    return 0;
}

struct ProgramRun {
    double seconds = 0;  // the download's own steps: query, transfer, placement
    long posts = 0;
    bool placed = false;
    long paints = 0;
    long barWidth = 0;
    double interfaceCpu = 0;  // seconds
    ChildResult process;
};

ProgramRun RunProgram(const std::string& self, const std::string& url, const testsupport::TempDir& dir) {
    std::string dest = dir / "dicts/dict.zip";  // not the temporary folder itself
    unlink(dest.c_str());
    ProgramRun run;
    long rss = 0;
    int finished = 0;
    run.process = Spawn({self, "--child", url, dest});
    std::sscanf(run.process.out.c_str(), "%lf %ld %ld %d %ld %ld %lf", &run.seconds, &run.posts, &rss, &finished,
                &run.paints, &run.barWidth, &run.interfaceCpu);
    run.placed = finished == 1 && access(dest.c_str(), F_OK) == 0;
    unlink(dest.c_str());
    return run;
}

struct CurlRun {
    double seconds = -1;  // its own transfer time (-w time_total); -1 when it failed
    ChildResult process;
};

CurlRun RunCurl(const std::string& url, const testsupport::TempDir& dir) {
    std::string out = dir / "curl.bin";
    CurlRun run;
    run.process = Spawn({"curl", "-s", "--noproxy", "*", "-o", out, "-w", "%{http_code} %{time_total}", url});
    int code = 0;
    double total = 0;
    if (std::sscanf(run.process.out.c_str(), "%d %lf", &code, &total) == 2 && code == 200) run.seconds = total;
    unlink(out.c_str());
    return run;
}

// The package address and size: given by the caller (the same nginx for both
// sides), or else served by an in-process loopback server.
struct Packages {
    std::string large, small, paced;
    double largeMiB = 0;
};

// The placement's flush, alone: a package of `mib` MiB written as the
// transfer writes it (64 KiB at a time, into the page cache), then put on
// the disk as the placement does before it gives the name. -1 on failure.
double FlushSeconds(const testsupport::TempDir& dir, double mib) {
    const std::string path = dir / "flush.bin";
    FileStream file(fopen_nofollow(path.c_str(), "wb"));
    if (!file) return -1;
    const std::vector<char> block(size_t{64} << 10, 'p');
    bool written = true;
    for (double bytes = 0; written && bytes < mib * 1024 * 1024; bytes += static_cast<double>(block.size()))
        written = std::fwrite(block.data(), 1, block.size(), file.get()) == block.size();
    written = written && std::fflush(file.get()) == 0;
    const Clock::time_point start = Clock::now();
    const bool flushed = written && FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(fileno(file.get()))));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    file.reset();
    unlink(path.c_str());
    return flushed ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--child") return RunChild(argv[2], argv[3]);
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: download_bench <package URL> <its size in MiB> <1 MiB package URL> [pairs] [folder]\n");
        return 2;
    }
    Packages packages{argv[1], argv[3], "", std::strtod(argv[2], nullptr)};
    int pairs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 7;

    testsupport::TempDir dir(argc > 5 ? argv[5] : "/tmp");
    if (!dir.Made()) {
        std::fprintf(stderr, "cannot make a folder in %s\n", argc > 5 ? argv[5] : "/tmp");
        return 2;
    }
    mkdir((dir / "dicts").c_str(), 0700);
    setenv("TMPDIR", dir.Path().c_str(), 1);
    setenv("http_proxy", "http://127.0.0.1:9", 1);  // the service is not reached: the command line's address is used
    setenv("no_proxy", "127.0.0.1", 1);
    // 64 MiB in 16 KiB pieces, as a slower link delivers them, so the
    // library reports progress often.
    testsupport::LoopbackServer server;
    server.SetHandler([](const testsupport::HttpRequest&, testsupport::HttpConnection& conn) {
        const uint64_t size = 64ull * 1024 * 1024, piece = 16 * 1024;
        conn.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\nConnection: close\r\n\r\n");
        for (uint64_t sent = 0; sent < size; sent += piece) {
            if (!conn.SendPattern(piece)) break;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        conn.Finish();
    });
    packages.paced = server.BaseUrl() + "/paced";
    std::string self = "/proc/self/exe";
    char path[4096] = {};
    if (readlink("/proc/self/exe", path, sizeof path - 1) > 0) self = path;

    ProgramRun smallRun = RunProgram(self, packages.small, dir);
    ProgramRun pacedRun = RunProgram(self, packages.paced, dir);
    std::vector<double> ratios, programSeconds, curlSeconds, programCpu, curlCpu, programWall, curlWall;
    ProgramRun largeRun;
    for (int i = 0; i < pairs; ++i) {
        // Alternating who goes first, so neither always meets a warm or a cold cache.
        ProgramRun r;
        CurlRun c;
        if (i % 2 == 0) {
            r = RunProgram(self, packages.large, dir);
            c = RunCurl(packages.large, dir);
        } else {
            c = RunCurl(packages.large, dir);
            r = RunProgram(self, packages.large, dir);
        }
        if (!r.placed || c.seconds <= 0) {
            std::fprintf(stderr, "pair %d: %s failed\n", i + 1, r.placed ? "curl" : "the program");
            return 1;
        }
        std::printf("pair %d: program %.3f s, curl %.3f s\n", i + 1, r.seconds, c.seconds);
        ratios.push_back(c.seconds / r.seconds);
        programSeconds.push_back(r.seconds);
        curlSeconds.push_back(c.seconds);
        programCpu.push_back(r.process.cpu);
        curlCpu.push_back(c.process.cpu);
        programWall.push_back(r.process.wall);
        curlWall.push_back(c.process.wall);
        largeRun = r;
    }
    const double mib = packages.largeMiB, gib = mib / 1024.0;
    std::printf("package: %.0f MiB into %s, %d alternating pairs, medians\n", mib, dir.Path().c_str(), pairs);
    std::printf("program: %.1f MiB/s (%.3f s transfer), %.3f CPU s per GiB, %.3f s whole process\n",
                mib / Median(programSeconds), Median(programSeconds), Median(programCpu) / gib, Median(programWall));
    std::printf("curl:    %.1f MiB/s (%.3f s transfer), %.3f CPU s per GiB, %.3f s whole process\n",
                mib / Median(curlSeconds), Median(curlSeconds), Median(curlCpu) / gib, Median(curlWall));
    std::vector<double> flushes;
    for (int i = 0; i < 3; ++i) flushes.push_back(FlushSeconds(dir, mib));
    std::printf("placement's flush to disk: %.3f s for the %.0f MiB package (median of 3), beside %.3f s transfer\n",
                Median(flushes), mib, Median(programSeconds));
    std::printf("throughput program/curl: %.3f (median of the pairs' ratios; goal >= 1.0)\n", Median(ratios));
    std::printf("progress posts: %ld; bar: %ld repaints for a bar %ld px wide\n", largeRun.posts, largeRun.paints,
                largeRun.barWidth);
    std::printf("interface thread: %.3f CPU s per GiB\n", largeRun.interfaceCpu / gib);
    std::printf(
        "paced 64 MiB in 16 KiB pieces: %ld progress posts, %ld repaints, %.3f CPU s per GiB on the interface "
        "thread\n",
        pacedRun.posts, pacedRun.paints, pacedRun.interfaceCpu * 16);
    std::printf("peak RSS: %ld KiB for 1 MiB, %ld KiB for %.0f MiB (difference %.1f %%, goal within 10 %%)\n",
                smallRun.process.maxRssKb, largeRun.process.maxRssKb, mib,
                100.0 * static_cast<double>(largeRun.process.maxRssKb - smallRun.process.maxRssKb) /
                    static_cast<double>(smallRun.process.maxRssKb));
    return 0;
}
