#pragma once
// Number <-> text conversions used on every control text and file field.
// Locale is never consulted: the decimal point is always a full stop.

#include <cstdint>
#include <string>
#include <string_view>

namespace sorvane {

// Lenient reading of a number from the left of a text.  Blanks, tabs and line
// feeds are skipped wherever they stand; an optional sign, digits, one full
// stop and an exponent (E or D, optional sign, digits) are read, or &H / &O
// followed by hexadecimal / octal digits.  Reading stops at the first
// character that cannot continue the number; a text without a number is 0.
// A value whose magnitude is too large for a double saturates at the largest
// finite double; one too small for a double reads as 0.
double numberFromText(std::string_view text);

// Display text of a number: a blank in front of values >= 0, '-' in front of
// negative ones, at most 7 (single) or 15 (double) significant digits, no
// trailing zeros, no 0 in front of the point, exponent form (1.5E+07) where
// the plain form would need more digits than that or too many leading zeros.
std::string textFromSingle(float value);
std::string textFromDouble(double value);

// The same without the leading blank (how the settings file writes numbers).
std::string bareTextFromSingle(float value);
std::string bareTextFromDouble(double value);

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double value);

// Rounded (halves to even) and clamped into the type's range; NaN gives 0.
int16_t toInt16(double value);
int32_t toInt32(double value);

// Rounded to single precision; values beyond the float range saturate at the
// largest finite float and NaN gives 0, so no infinity ever reaches a table.
float toSingle(double value);

} // namespace sorvane
