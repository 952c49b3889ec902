#include "runtime/KdxData.h"

#include "runtime/Round.h"

namespace kdx {

thread_local constinit std::array<uint8_t, 16> Pole{};
thread_local constinit int K = 0;
thread_local constinit int L = 0;
thread_local constinit uint16_t CS = 0;
thread_local constinit int ModulHeight = 0;
thread_local constinit int ModulWidth = 0;
thread_local constinit int CurX = 0;
thread_local constinit int CurY = 0;
thread_local constinit int TextH = 0;
thread_local constinit int FirstPos = 0;
thread_local constinit int SecondPos = 0;
thread_local constinit std::array<uint8_t, 6> Matr{};
thread_local constinit TRect Rec{};
thread_local constinit int ECode = 0;
thread_local constinit float StepXReal = 0;
thread_local constinit float CurXReal = 0;

// Code 39 character patterns, rows in the order of Bar39Char.
const std::array<std::array<uint8_t, 9>, 44> BarMap39 = {{
    {0, 0, 0, 1, 1, 0, 1, 0, 0},  // 0  "0"
    {1, 0, 0, 1, 0, 0, 0, 0, 1},  //    "1"
    {0, 0, 1, 1, 0, 0, 0, 0, 1},  //    "2"
    {1, 0, 1, 1, 0, 0, 0, 0, 0},  //    "3"
    {0, 0, 0, 1, 1, 0, 0, 0, 1},  //    "4"
    {1, 0, 0, 1, 1, 0, 0, 0, 0},  // 5  "5"
    {0, 0, 1, 1, 1, 0, 0, 0, 0},  //    "6"
    {0, 0, 0, 1, 0, 0, 1, 0, 1},  //    "7"
    {1, 0, 0, 1, 0, 0, 1, 0, 0},  //    "8"
    {0, 0, 1, 1, 0, 0, 1, 0, 0},  //    "9"
    {1, 0, 0, 0, 0, 1, 0, 0, 1},  // 10 "A"
    {0, 0, 1, 0, 0, 1, 0, 0, 1},  //    "B"
    {1, 0, 1, 0, 0, 1, 0, 0, 0},  //    "C"
    {0, 0, 0, 0, 1, 1, 0, 0, 1},  //    "D"
    {1, 0, 0, 0, 1, 1, 0, 0, 0},  //    "E"
    {0, 0, 1, 0, 1, 1, 0, 0, 0},  // 15 "F"
    {0, 0, 0, 0, 0, 1, 1, 0, 1},  //    "G"
    {1, 0, 0, 0, 0, 1, 1, 0, 0},  //    "H"
    {0, 0, 1, 0, 0, 1, 1, 0, 0},  //    "I"
    {0, 0, 0, 0, 1, 1, 1, 0, 0},  //    "J"
    {1, 0, 0, 0, 0, 0, 0, 1, 1},  // 20 "K"
    {0, 0, 1, 0, 0, 0, 0, 1, 1},  //    "L"
    {1, 0, 1, 0, 0, 0, 0, 1, 0},  //    "M"
    {0, 0, 0, 0, 1, 0, 0, 1, 1},  //    "N"
    {1, 0, 0, 0, 1, 0, 0, 1, 0},  //    "O"
    {0, 0, 1, 0, 1, 0, 0, 1, 0},  // 25 "P"
    {0, 0, 0, 0, 0, 0, 1, 1, 1},  //    "Q"
    {1, 0, 0, 0, 0, 0, 1, 1, 0},  //    "R"
    {0, 0, 1, 0, 0, 0, 1, 1, 0},  //    "S"
    {0, 0, 0, 0, 1, 0, 1, 1, 0},  //    "T"
    {1, 1, 0, 0, 0, 0, 0, 0, 1},  // 30 "U"
    {0, 1, 1, 0, 0, 0, 0, 0, 1},  //    "V"
    {1, 1, 1, 0, 0, 0, 0, 0, 0},  //    "W"
    {0, 1, 0, 0, 1, 0, 0, 0, 1},  //    "X"
    {1, 1, 0, 0, 1, 0, 0, 0, 0},  //    "Y"
    {0, 1, 1, 0, 1, 0, 0, 0, 0},  // 35 "Z"
    {0, 1, 0, 0, 0, 0, 1, 0, 1},  //    "-"
    {1, 1, 0, 0, 0, 0, 1, 0, 0},  //    "."
    {0, 1, 1, 0, 0, 0, 1, 0, 0},  //    " "
    {0, 1, 0, 0, 1, 0, 1, 0, 0},  //    "*" start/stop
    {0, 1, 0, 1, 0, 1, 0, 0, 0},  // 40 "$"
    {0, 1, 0, 1, 0, 0, 0, 1, 0},  //    "/"
    {0, 1, 0, 0, 0, 1, 0, 1, 0},  //    "+"
    {0, 0, 0, 1, 0, 1, 0, 1, 0},  //    "%"
}};

// EAN/UPC number sets: R (set C), G (set B), L (set A); digits 0..9 each.
const std::string_view patern =
    "C2A1B2B1B1B2A4A1A1C2A2C1A1A4A3A2A2A3C1A2"   // R 0..9
    "1A2C1B2B2B1B1A4A2C1A1C2A4A1A2A3A3A2A2A1C"   // G 0..9
    "3B1A2B2A2A2B1D1A1A3B1B3A1A1D1C1B1B1C3A1B";  // L 0..9

// The L and R sets again, for EAN-8 and UPC-A.
const std::string_view patern8 =
    "3B1A2B2A2A2B1D1A1A3B1B3A1A1D1C1B1B1C3A1B"   // L 0..9
    "C2A1B2B1B1B2A4A1A1C2A2C1A1A4A3A2A2A3C1A2";  // R 0..9

}  // namespace kdx
