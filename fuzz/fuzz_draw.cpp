// libFuzzer target: every setting of a barcode, its colours, size, factor
// and caption bytes, drawn through DrawBarCode.

#include "fuzz/FuzzCases.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    kdx::fuzz::RunDrawCase(kdx::fuzz::DecodeDrawCase(Data, Size));
    return 0;
}
