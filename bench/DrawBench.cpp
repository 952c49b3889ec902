// One symbol drawn by DrawBarCode on the raster surface, the same symbol
// rendered by libzint, and a memset of an image of our size; encoding alone
// on the recording surface and on a surface that keeps nothing, against
// libzint's encoding alone.

#include <zint.h>

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "Allocations.h"
#include "Benchmarks.h"
#include "Summary.h"
#include "platform/surfaces/RasterCanvas.h"
#include "platform/surfaces/RecordingCanvas.h"
#include "runtime/Kdx.h"

namespace kdx::bench {

namespace {

struct SymbolCase {
    const char* Name;
    TBarCodeType Symbology;
    const char* Data;
    int ZintType;
    int ZintOption2;  // Code 39: 1 adds the mod-43 check character, as ours does
};

// Code 128 in Zint's set-B type, so that both encode the same 134 modules
// (start B, nine data characters, check, stop).
const SymbolCase kSymbols[] = {
    {"EAN-13", TBarCodeType::EAN_13, "400638133393", BARCODE_EANX, 0},
    {"Code128", TBarCodeType::Code_128, "ABC123456", BARCODE_CODE128B, 0},
    {"Code39", TBarCodeType::Code_39, "CODE39", BARCODE_CODE39, 1},
};

// Module width and height in pixels: ours at Medium density (2 px per
// module at factor 1) with a control 100 px high; Zint's scale 1 is 2 px per
// module.
struct SizeCase {
    const char* Name;
    double Factor;
    float ZintScale;
};
const SizeCase kSizes[] = {
    {"2px", 1.0, 1.0f},
    {"4px", 2.0, 2.0f},
};
constexpr int kControlHeight = 100;

void Configure(TKordix& Control, const SymbolCase& S, bool Text) {
    TCode& c = Control.Code();
    c.SetCode(S.Symbology);
    c.SetCaption(S.Data);
    c.SetAutoSize(true);
    c.SetDensity(TDensity::Medium);
    c.SetDirection(TDirection::Horizontal);
    c.SetTextOn(Text);
    Control.SetHeight(kControlHeight);
}

// The extent DrawBarCode gives the symbol, learnt on the recording surface.
std::pair<int, int> Extent(TKordix& Control, double Factor) {
    RecordingCanvas probe;
    CodeWidth = CodeHeight = -1;
    Control.DrawBarCode(probe, 0, 0, Factor);
    if (CodeWidth <= 0 || CodeHeight <= 0) throw std::runtime_error("the benchmark symbol was refused");
    return {CodeWidth, CodeHeight};
}

// Heap allocations per iteration, as a counter of the benchmark.
class AllocationMeter {
public:
    AllocationMeter() : FStart(AllocationCount()) {}
    void Report(benchmark::State& State) const {
        State.counters["allocs"] =
            benchmark::Counter(static_cast<double>(AllocationCount() - FStart), benchmark::Counter::kAvgIterations);
    }

private:
    uint64_t FStart;
};

void BM_Raster(benchmark::State& State, SymbolCase S, SizeCase Z, bool Text) {
    TKordix control;
    Configure(control, S, Text);
    const auto [w, h] = Extent(control, Z.Factor);
    RasterCanvas canvas(w, h);
    control.DrawBarCode(canvas, 0, 0, Z.Factor);  // warms the glyph cache
    AllocationMeter allocations;
    for (auto _ : State) {
        control.DrawBarCode(canvas, 0, 0, Z.Factor);
        benchmark::DoNotOptimize(canvas.Data());
        benchmark::ClobberMemory();
    }
    allocations.Report(State);
    State.SetLabel(std::to_string(w) + " x " + std::to_string(h));
}

// A Zint symbol set up for a case, its bar height chosen so that the whole
// bitmap is as high as ours.
struct ZintSymbol {
    zint_symbol* Z = ZBarcode_Create();
    std::string Data;
    ~ZintSymbol() { ZBarcode_Delete(Z); }

    ZintSymbol(const SymbolCase& S, const SizeCase& Size, bool Text, int TargetHeight) : Data(S.Data) {
        Z->symbology = S.ZintType;
        Z->option_2 = S.ZintOption2;
        Z->scale = Size.ZintScale;
        Z->show_hrt = Text ? 1 : 0;
        const float pxPerX = 2.0f * Size.ZintScale;
        Z->height = static_cast<float>(TargetHeight) / pxPerX;
        for (int pass = 0; pass < 3; ++pass) {
            Render();
            Z->height -= static_cast<float>(Z->bitmap_height - TargetHeight) / pxPerX;
        }
        Render();
    }
    void Render() {
        ZBarcode_Clear(Z);
        const int rc = ZBarcode_Encode_and_Buffer(Z, reinterpret_cast<const unsigned char*>(Data.data()),
                                                  static_cast<int>(Data.size()), 0);
        if (rc >= ZINT_ERROR) throw std::runtime_error(std::string("libzint: ") + Z->errtxt);
    }
};

void BM_Zint(benchmark::State& State, SymbolCase S, SizeCase Z, bool Text) {
    TKordix control;
    Configure(control, S, Text);
    const int ourHeight = Extent(control, Z.Factor).second;
    ZintSymbol sym(S, Z, Text, ourHeight);
    AllocationMeter allocations;
    for (auto _ : State) {
        ZBarcode_Clear(sym.Z);
        ZBarcode_Encode_and_Buffer(sym.Z, reinterpret_cast<const unsigned char*>(sym.Data.data()),
                                   static_cast<int>(sym.Data.size()), 0);
        benchmark::DoNotOptimize(sym.Z->bitmap);
        benchmark::ClobberMemory();
    }
    allocations.Report(State);
    State.SetLabel(std::to_string(sym.Z->bitmap_width) + " x " + std::to_string(sym.Z->bitmap_height));
}

// The floor: writing every byte of an RGB image of our size once.
void BM_Memset(benchmark::State& State, SymbolCase S, SizeCase Z) {
    TKordix control;
    Configure(control, S, true);
    const auto [w, h] = Extent(control, Z.Factor);
    std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 3);
    for (auto _ : State) {
        std::memset(pixels.data(), 0xFF, pixels.size());
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    State.SetLabel(std::to_string(w) + " x " + std::to_string(h));
}

// Driver and encoder with text, every call kept but no pixel written.
void BM_Encode(benchmark::State& State, SymbolCase S) {
    TKordix control;
    Configure(control, S, true);
    RecordingCanvas canvas;
    control.DrawBarCode(canvas, 0, 0, 1.0);
    AllocationMeter allocations;
    for (auto _ : State) {
        canvas.Clear();
        control.DrawBarCode(canvas, 0, 0, 1.0);
        benchmark::DoNotOptimize(canvas.Calls.data());
    }
    allocations.Report(State);
    State.SetLabel(std::to_string(canvas.Calls.size()) + " calls");
}

// A surface that takes every call and keeps nothing: what the driver and
// encoder cost by themselves, one FillRect call per element and no pixels.
class DiscardingCanvas : public TCanvas {
public:
    int Width() const override { return 1 << 20; }
    int Height() const override { return 1 << 20; }

protected:
    void DoFillRect(const TRect& R, TColor) override { benchmark::DoNotOptimize(R); }
};

// Driver and encoder without text on the discarding surface: the part of
// every no-text raster row that is not pixel writing.
void BM_Discard(benchmark::State& State, SymbolCase S) {
    TKordix control;
    Configure(control, S, false);
    DiscardingCanvas canvas;
    AllocationMeter allocations;
    for (auto _ : State) {
        control.DrawBarCode(canvas, 0, 0, 1.0);
        benchmark::ClobberMemory();
    }
    allocations.Report(State);
}

// Zint's encoding alone: the modules, no bitmap.
void BM_ZintEncode(benchmark::State& State, SymbolCase S) {
    zint_symbol* z = ZBarcode_Create();
    z->symbology = S.ZintType;
    z->option_2 = S.ZintOption2;
    const std::string data = S.Data;
    for (auto _ : State) {
        ZBarcode_Clear(z);
        ZBarcode_Encode(z, reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
        benchmark::DoNotOptimize(z->encoded_data);
        benchmark::ClobberMemory();
    }
    ZBarcode_Delete(z);
}

std::string ImageOf(const SymbolCase& S, const SizeCase& Z) {
    TKordix control;
    Configure(control, S, true);
    const auto [w, h] = Extent(control, Z.Factor);
    return std::to_string(w) + " x " + std::to_string(h);
}

}  // namespace

void RegisterDrawBenchmarks(const BenchSettings& Settings) {
    auto micro = [&](benchmark::internal::Benchmark* b) {
        b->Unit(benchmark::kMicrosecond)
            ->MinTime(Settings.MinTime)
            ->Repetitions(Settings.Repetitions)
            ->ReportAggregatesOnly(true);
    };
    for (const SizeCase& z : kSizes) {
        for (const SymbolCase& s : kSymbols) {
            const std::string id = std::string(s.Name) + "/" + z.Name;
            const std::string image = ImageOf(s, z);
            micro(benchmark::RegisterBenchmark(("memset/" + id).c_str(), BM_Memset, s, z));
            for (bool text : {true, false}) {
                const std::string variant = id + (text ? "/text" : "/no-text");
                micro(benchmark::RegisterBenchmark(("raster/" + variant).c_str(), BM_Raster, s, z, text));
                micro(benchmark::RegisterBenchmark(("zint/" + variant).c_str(), BM_Zint, s, z, text));
                AddComparison({"raster/" + variant, "zint", "zint/" + variant, 0.5, image, "memset/" + id});
                AddComparison({"raster/" + variant, "memset", "memset/" + id, text ? 0.0 : 3.0, image, ""});
            }
        }
    }
    AddGoal({Goal::Kind::MaxCounter, "heap allocations per raster drawing (so none per element)", "raster/", "",
             "allocs", 0});
    for (const SymbolCase& s : kSymbols) {
        micro(benchmark::RegisterBenchmark((std::string("encode/") + s.Name).c_str(), BM_Encode, s));
        micro(benchmark::RegisterBenchmark((std::string("zint-encode/") + s.Name).c_str(), BM_ZintEncode, s));
        AddComparison(
            {std::string("encode/") + s.Name, "zint", std::string("zint-encode/") + s.Name, 0, "no pixels", ""});
        micro(benchmark::RegisterBenchmark((std::string("discard/") + s.Name).c_str(), BM_Discard, s));
        AddComparison({std::string("discard/") + s.Name, "zint", std::string("zint-encode/") + s.Name, 0,
                       "no text, no pixels", ""});
    }
}

}  // namespace kdx::bench
