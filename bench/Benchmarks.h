#pragma once
// Registration of the benchmark families (called by main before running).

#include <string>

namespace kdx::bench {

struct BenchSettings {
    int Repetitions = 10;  // medians are taken over these
    double MinTime = 0.1;  // seconds per repetition of a short benchmark
    std::string Program;   // the kdx program, for the batches
    std::string WorkDir;   // scratch space for the batches
    int Records = 10000;   // rows of the batch table
};

void RegisterDrawBenchmarks(const BenchSettings& Settings);
void RegisterBatchBenchmarks(const BenchSettings& Settings);

}  // namespace kdx::bench
