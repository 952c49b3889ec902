#pragma once
// Unit KdxData: the drawing state that the driver sets up and the encoders
// advance, and the constant pattern tables of the symbologies. The state is
// per thread: one drawing runs start to end on one thread, and threads that
// draw separate controls do not disturb each other.

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/graphics/Graphics.h"
#include "runtime/Kdx.h"
#include "runtime/Round.h"

namespace kdx {

// ---- Drawing state (all distances in pixels of the target canvas).
// constinit: no dynamic initialisation, so an access is a plain thread-local
// load rather than a call through the initialisation wrapper.
extern thread_local constinit std::array<uint8_t, 16> Pole;  // digits for the EAN/UPC check routine
extern thread_local constinit int K;                         // conversion error of each digit there
extern thread_local constinit int L;                         // pattern number of Out_char / Out_char8
extern thread_local constinit uint16_t CS;                   // running check sum
extern thread_local constinit int ModulHeight;               // bar length across the reading direction
extern thread_local constinit int ModulWidth;                // width of one module
extern thread_local constinit int CurX;                      // horizontal: left edge of the next element
extern thread_local constinit int CurY;                      // vertical: lowest row of the next element
extern thread_local constinit int TextH;                     // band reserved for the text
extern thread_local constinit int FirstPos;                  // text positions of the encoders
extern thread_local constinit int SecondPos;
extern thread_local constinit std::array<uint8_t, 6> Matr;   // parity row of the EAN-13 leading digit
extern thread_local constinit TRect Rec;                     // last rectangle filled by an element
extern thread_local constinit int ECode;                     // error position of the last numeric conversion
extern thread_local constinit float StepXReal;               // advance per module
extern thread_local constinit float CurXReal;                // reading-direction coordinate as a real

// Moves the reading-direction position by Modules steps of StepXReal:
// rightwards when horizontal, upwards when vertical. Inline: every element
// of a symbol ends with it.
inline void Advance(TDirection Dir, int Modules) {
    if (Dir == TDirection::Horizontal) {
        CurXReal = CurXReal + static_cast<float>(Modules) * StepXReal;
        CurX = RoundInt(CurXReal);
    } else {
        CurXReal = CurXReal - static_cast<float>(Modules) * StepXReal;
        CurY = RoundInt(CurXReal);
    }
}

// ---- Element alphabet: "A".."D" bars of 1..4 modules, "1".."4" spaces.
constexpr int BarModules(char C) { return static_cast<unsigned char>(C) - 64; }
constexpr int SpaceModules(char C) { return static_cast<unsigned char>(C) - 48; }

// ---- Code 39: the published character set, and its patterns in the same
// order (1 = wide element; bar, space, bar, ... bar).
inline constexpr std::string_view Bar39Char = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. *$/+%";
constexpr int kCode39StartStopRow = 39;
extern const std::array<std::array<uint8_t, 9>, 44> BarMap39;
static_assert(Bar39Char.size() == 44, "one Code 39 pattern row per character");

// ---- Code 93: the text of each value (43..46 are the shift characters) and
// the published patterns by value (bar, space, ... widths in modules).
extern const std::string_view Bar93Char;
extern const std::array<std::array<uint8_t, 6>, 48> BarMap93;

// ---- Code 128: the published symbol characters by value 0..102 (bar,
// space, ... widths in modules).
extern const std::array<std::array<uint8_t, 6>, 103> BarMap128;

// ---- Codabar: per row the character, then its seven elements (1 = wide).
extern const std::array<std::array<uint8_t, 8>, 20> CodaBarMap;

// ---- Two-of-five digit patterns (1 = wide), rows for digits 0..9.
extern const std::array<std::array<uint8_t, 5>, 10> ITFMatr;

// ---- EAN/UPC number sets (ISO/IEC 15420) as element strings of 4 elements
// and 7 modules per digit. patern: sets R, G, L; patern8: sets L, R.
extern const std::string_view patern;
extern const std::string_view patern8;
// EAN-13 parity of the six left-half digits by leading digit (0 = L, 1 = G).
extern const std::array<std::array<uint8_t, 6>, 10> Sada;
// Five-digit add-on: per check value, the set offset of each digit (10 = G,
// 20 = L) added to the digit character for Out_char.
extern const std::array<std::array<uint8_t, 5>, 10> Add5Matr;

}  // namespace kdx
