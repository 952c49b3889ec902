// Batches from an SQLite table of labels, through the kdx program as a user
// runs it: one multi-page PDF of every record, and one PNG file per record
// on one thread and on several. libzint writing the same PNG files is the
// peer of the PNG batch.

#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zint.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "Benchmarks.h"
#include "Summary.h"

extern char** environ;

namespace kdx::bench {

namespace {

namespace fs = std::filesystem;

constexpr const char* kQuery = "SELECT ean FROM labels ORDER BY id";

// Twelve digits for record I (the encoder adds the check digit).
std::string LabelData(int I) {
    std::string s = std::to_string(400000000000LL + 7919LL * I);
    return s.substr(0, 12);
}

// The label table: id and a 12-digit EAN per record, made once per run.
std::string MakeDatabase(const BenchSettings& S) {
    fs::create_directories(S.WorkDir);
    const std::string path = S.WorkDir + "/labels.db";
    fs::remove(path);
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) throw std::runtime_error("cannot create " + path);
    sqlite3_exec(db, "CREATE TABLE labels (id INTEGER PRIMARY KEY, ean TEXT NOT NULL); BEGIN", nullptr, nullptr,
                 nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO labels (id, ean) VALUES (?, ?)", -1, &insert, nullptr);
    for (int i = 1; i <= S.Records; ++i) {
        const std::string ean = LabelData(i);
        sqlite3_bind_int(insert, 1, i);
        sqlite3_bind_text(insert, 2, ean.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    const int rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw std::runtime_error("cannot fill " + path);
    return path;
}

// Runs the program with Args; the exit status, or -1 when it could not run.
int Run(const std::vector<std::string>& Args) {
    std::vector<char*> argv;
    for (const auto& a : Args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) < 0) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A fresh, empty directory.
void Renew(const std::string& Dir) {
    fs::remove_all(Dir);
    fs::create_directories(Dir);
}

size_t FilesIn(const std::string& Dir) {
    size_t n = 0;
    for (const auto& e : fs::directory_iterator(Dir)) n += e.is_regular_file() ? 1 : 0;
    return n;
}

// One PDF page per record, through the printer's PrintBarCode.
void BM_PdfBatch(benchmark::State& State, BenchSettings S, std::string Db) {
    const std::string out = S.WorkDir + "/labels.pdf";
    for (auto _ : State) {
        State.PauseTiming();
        fs::remove(out);
        State.ResumeTiming();
        const int rc = Run({S.Program, "print", "-s", "EAN_13", "--db", Db, "--sql", kQuery, "--field", "ean",
                            "--quality", "300", "-o", out});
        if (rc != 0 || !fs::exists(out)) {
            State.SkipWithError(("kdx print failed with status " + std::to_string(rc)).c_str());
            return;
        }
    }
    State.SetLabel(std::to_string(S.Records) + " pages, " + std::to_string(fs::file_size(out) / 1024) + " KiB");
}

// Where the PNG files go: a memory file system when there is one, so that
// the figures are the drawing's and the encoder's, not the disk's (creating
// a file on this machine's disk costs about 0.1 ms, more than a label).
std::string PngDirectory(const BenchSettings& S, const std::string& Name) {
    std::error_code ec;
    if (fs::is_directory("/dev/shm", ec)) return "/dev/shm/kdx-bench-" + std::to_string(getpid()) + "-" + Name;
    return S.WorkDir + "/" + Name;
}

// One PNG file per record on Jobs threads.
void BM_PngBatch(benchmark::State& State, BenchSettings S, std::string Db, int Jobs) {
    const std::string dir = PngDirectory(S, "png");
    for (auto _ : State) {
        State.PauseTiming();
        Renew(dir);
        State.ResumeTiming();
        const int rc =
            Run({S.Program, "render", "-s", "EAN_13", "--db", Db, "--sql", kQuery, "--field", "ean", "--density",
                 "Medium", "--height", "100", "--jobs", std::to_string(Jobs), "-o", dir + "/{recno}.png"});
        if (rc != 0) {
            State.SkipWithError(("kdx render failed with status " + std::to_string(rc)).c_str());
            return;
        }
    }
    const size_t files = FilesIn(dir);
    if (files != static_cast<size_t>(S.Records))
        State.SkipWithError(("wrote " + std::to_string(files) + " files").c_str());
    State.SetLabel(std::to_string(files) + " files");
    fs::remove_all(dir);
}

// libzint writing the same files from the same table on one thread: EAN-13
// at 2 px per module with its text.
void BM_ZintPngBatch(benchmark::State& State, BenchSettings S, std::string Db) {
    const std::string dir = PngDirectory(S, "zint");
    for (auto _ : State) {
        State.PauseTiming();
        Renew(dir);
        State.ResumeTiming();
        sqlite3* db = nullptr;
        sqlite3_open_v2(Db.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* query = nullptr;
        sqlite3_prepare_v2(db, kQuery, -1, &query, nullptr);
        zint_symbol* z = ZBarcode_Create();
        for (int recno = 1; sqlite3_step(query) == SQLITE_ROW; ++recno) {
            const auto* ean = sqlite3_column_text(query, 0);
            ZBarcode_Clear(z);
            z->symbology = BARCODE_EANX;
            z->height = 40;
            const std::string file = dir + "/" + std::to_string(recno) + ".png";
            std::snprintf(z->outfile, sizeof z->outfile, "%s", file.c_str());
            ZBarcode_Encode_and_Print(z, ean, sqlite3_column_bytes(query, 0), 0);
        }
        ZBarcode_Delete(z);
        sqlite3_finalize(query);
        sqlite3_close(db);
    }
    State.SetLabel(std::to_string(FilesIn(dir)) + " files");
    fs::remove_all(dir);
}

// What this machine gives two threads: the same fixed amount of plain
// arithmetic on one thread and split over Threads, for comparison with the
// PNG batch's speed-up.
void BM_Arithmetic(benchmark::State& State, int Threads) {
    constexpr long kSteps = 400'000'000;
    for (auto _ : State) {
        std::vector<std::thread> workers;
        for (int t = 0; t < Threads; ++t)
            workers.emplace_back([Threads] {
                double x = 1.0;
                for (long i = 0; i < kSteps / Threads; ++i) x = x * 1.0000001 + 1e-9;
                benchmark::DoNotOptimize(x);
            });
        for (auto& w : workers) w.join();
    }
}

}  // namespace

void RegisterBatchBenchmarks(const BenchSettings& Settings) {
    if (Settings.Records <= 0) return;
    const std::string db = MakeDatabase(Settings);
    auto batch = [&](benchmark::internal::Benchmark* b) {
        b->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->UseRealTime()->ReportAggregatesOnly(true);
    };
    batch(benchmark::RegisterBenchmark("batch/pdf", BM_PdfBatch, Settings, db));
    batch(benchmark::RegisterBenchmark("batch/png/jobs1", BM_PngBatch, Settings, db, 1));
    batch(benchmark::RegisterBenchmark("batch/png/jobs2", BM_PngBatch, Settings, db, 2));
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    if (cores > 2) batch(benchmark::RegisterBenchmark("batch/png/all-cores", BM_PngBatch, Settings, db, cores));
    batch(benchmark::RegisterBenchmark("zint-batch/png", BM_ZintPngBatch, Settings, db));
    batch(benchmark::RegisterBenchmark("machine/arithmetic/threads1", BM_Arithmetic, 1));
    batch(benchmark::RegisterBenchmark("machine/arithmetic/threads2", BM_Arithmetic, 2));

    const std::string n = std::to_string(Settings.Records);
    AddComparison({"batch/png/jobs1", "zint", "zint-batch/png", 0, n + " PNG files", ""});
    AddComparison({"batch/png/jobs2", "zint", "zint-batch/png", 0, n + " PNG files", ""});
    AddGoal({Goal::Kind::MaxSeconds, n + "-label PDF (kdx print)", "batch/pdf", "", "", 10.0});
    AddGoal({Goal::Kind::MinSpeedup, n + "-PNG batch, 2 threads over 1 (kdx render --jobs)", "batch/png/jobs2",
             "batch/png/jobs1", "", 1.7});
    AddGoal({Goal::Kind::Speedup, "this machine: plain arithmetic, 2 threads over 1", "machine/arithmetic/threads2",
             "machine/arithmetic/threads1", "", 0});
}

}  // namespace kdx::bench
