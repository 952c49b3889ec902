#pragma once
// What the driver asks of the encoder families before anything is drawn.

#include <cstddef>
#include <string_view>

#include "runtime/Kdx.h"

namespace kdx {

constexpr size_t kAllEncodable = std::string_view::npos;

// Position of the first character of Data that the symbology's encoder
// cannot encode, or kAllEncodable.
size_t FirstUnencodable(TBarCodeType Symbology, std::string_view Data);

// Per family (each in its encoder's file).
size_t Code39FirstUnencodable(std::string_view Data);
size_t Code93FirstUnencodable(std::string_view Data);
size_t Code128FirstUnencodable(std::string_view Data);
size_t CodabarFirstUnencodable(std::string_view Data);
size_t FirstNonDigit(std::string_view Data);  // two-of-five and EAN/UPC

}  // namespace kdx
