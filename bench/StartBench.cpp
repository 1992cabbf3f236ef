// Start time, from exec to a painted window, of the program against a bare
// dialog of the same toolkit: both carry the same first-paint hook and run
// in alternating pairs; prints the medians and their ratio.
//
//   start_bench <program> <bare dialog> [pairs, default 15]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/Spawn.h"

namespace {

// Milliseconds from spawning the program to its first painted window; -1 when it printed nothing.
double TimeToPaint(const std::vector<std::string>& args) {
    const bench::ChildResult run = bench::Spawn(args);
    const long long painted = std::atoll(run.out.c_str());
    return run.ran && painted > run.startedNs ? static_cast<double>(painted - run.startedNs) / 1e6 : -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: start_bench <program> <bare dialog> [pairs]\n");
        return 2;
    }
    const int pairs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 15;
    // A well-formed command line; the hook ends the program once its dialog has painted.
    const std::vector<std::string> program = {argv[1], "-http://127.0.0.1:9/dict.zip", "-/tmp/start-bench.zip",
                                              "-12#345", "-bench", "-1"};
    const std::vector<std::string> bare = {argv[2]};
    TimeToPaint(program);  // one of each first, so both meet a warm file cache
    TimeToPaint(bare);
    std::vector<double> p, b;
    for (int i = 0; i < pairs; ++i) {
        const bool programFirst = i % 2 == 0;
        const double first = TimeToPaint(programFirst ? program : bare);
        const double second = TimeToPaint(programFirst ? bare : program);
        const double tp = programFirst ? first : second, tb = programFirst ? second : first;
        if (tp < 0 || tb < 0) {
            std::fprintf(stderr, "pair %d: %s painted nothing\n", i + 1, tp < 0 ? "the program" : "the bare dialog");
            return 1;
        }
        p.push_back(tp);
        b.push_back(tb);
    }
    std::printf("start to painted dialog (median of %d alternating pairs): program %.1f ms, bare Qt dialog %.1f ms, "
                "ratio %.2f (goal <= 1.2)\n",
                pairs, bench::Median(p), bench::Median(b), bench::Median(p) / bench::Median(b));
    return 0;
}
