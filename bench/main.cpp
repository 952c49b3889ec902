// The benchmark program: runs every benchmark (or those --benchmark_filter
// picks) and writes the comparison table.
//
//   kdx_bench [--summary-dir=DIR] [--kdx=PROGRAM] [--records=N] [--quick]
//             [Google Benchmark options]

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>

#include "Benchmarks.h"
#include "Summary.h"

int main(int argc, char** argv) {
    using namespace kdx::bench;
    benchmark::Initialize(&argc, argv);

    BenchSettings settings;
    settings.Program = KDX_PROGRAM;
    std::string dir = "build/bench";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](const char* Prefix) { return arg.substr(std::strlen(Prefix)); };
        if (arg.rfind("--summary-dir=", 0) == 0) {
            dir = value("--summary-dir=");
        } else if (arg.rfind("--kdx=", 0) == 0) {
            settings.Program = value("--kdx=");
        } else if (arg.rfind("--records=", 0) == 0) {
            settings.Records = std::stoi(value("--records="));
        } else if (arg == "--quick") {
            settings.Repetitions = 3;
            settings.MinTime = 0.02;
        } else {
            std::cerr << "kdx_bench: unknown argument " << arg << "\n";
            return 2;
        }
    }
    std::filesystem::create_directories(dir);
    settings.WorkDir = dir + "/work";

    RegisterDrawBenchmarks(settings);
    RegisterBatchBenchmarks(settings);

    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const int missed = WriteSummary(dir, reporter);
    if (missed > 0) std::cout << missed << " target(s) missed\n";
    return 0;
}
