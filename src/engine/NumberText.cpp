#include "engine/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

namespace sorvane {

namespace {

bool isSkipped(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// Cursor over the text that steps over blanks, tabs and line feeds.
class Reader {
public:
    explicit Reader(std::string_view text) : m_text(text) {}
    char peek() {
        while (m_pos < m_text.size() && isSkipped(m_text[m_pos]))
            ++m_pos;
        return m_pos < m_text.size() ? m_text[m_pos] : '\0';
    }
    void next() { ++m_pos; }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

double radixNumber(Reader& in, int radix) {
    double value = 0;
    for (;;) {
        const char c = in.peek();
        int digit = -1;
        if (isDigit(c))
            digit = c - '0';
        else if (radix == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (radix == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0 || digit >= radix)
            break;
        value = value * radix + digit;
        in.next();
    }
    return std::isfinite(value) ? value : std::numeric_limits<double>::max();
}

} // namespace

double numberFromText(std::string_view text) {
    Reader in(text);
    if (in.peek() == '&') {
        in.next();
        const char kind = in.peek();
        if (kind == 'h' || kind == 'H') {
            in.next();
            return radixNumber(in, 16);
        }
        if (kind == 'o' || kind == 'O') {
            in.next();
            return radixNumber(in, 8);
        }
        return 0;
    }

    // Gather the digits and note where the point stands; the exponent is
    // read as a (saturating) integer.
    std::string digits;
    bool negative = false;
    if (in.peek() == '+' || in.peek() == '-') {
        negative = in.peek() == '-';
        in.next();
    }
    std::size_t intDigits = 0;
    while (isDigit(in.peek())) {
        digits += in.peek();
        ++intDigits;
        in.next();
    }
    if (in.peek() == '.') {
        in.next();
        while (isDigit(in.peek())) {
            digits += in.peek();
            in.next();
        }
    }
    if (digits.empty())
        return 0;

    // Far beyond any double, yet far from overflowing when the position of
    // the point (at most a few million digits) is added.
    constexpr int64_t kExponentLimit = 1'000'000'000'000'000;
    int64_t exponent = 0;
    const char e = in.peek();
    if (e == 'e' || e == 'E' || e == 'd' || e == 'D') {
        in.next();
        bool expNegative = false;
        if (in.peek() == '+' || in.peek() == '-') {
            expNegative = in.peek() == '-';
            in.next();
        }
        while (isDigit(in.peek())) {
            if (exponent < kExponentLimit)
                exponent = exponent * 10 + (in.peek() - '0');
            in.next();
        }
        if (expNegative)
            exponent = -exponent;
    }

    // The value is 0.d1d2d3... times ten to the power `scale`, where d1 is the
    // first digit that is not 0.  Its real magnitude decides between the
    // largest double and 0 when it lies beyond the double range.
    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos)
        return 0;
    const int64_t scale = exponent + static_cast<int64_t>(intDigits) - static_cast<int64_t>(first);
    double value = 0;
    if (scale > 400) {
        value = std::numeric_limits<double>::max();
    } else if (scale < -400) {
        value = 0;
    } else {
        // from_chars (which never looks at the locale) rounds correctly.
        std::string canonical = "0.";
        canonical.append(digits, first, std::string::npos);
        canonical += 'e';
        canonical += std::to_string(scale);
        const auto [ptr, ec] = std::from_chars(canonical.data(), canonical.data() + canonical.size(), value);
        (void)ptr;
        if (ec == std::errc::result_out_of_range)
            value = scale > 0 ? std::numeric_limits<double>::max() : 0.0;
        else if (ec != std::errc())
            value = 0;
    }
    if (!std::isfinite(value))
        value = std::numeric_limits<double>::max();
    return negative ? -value : value;
}

namespace {

// Shared formatting: `significant` digits at most, no trailing zeros, no 0
// before the point, exponent form outside [1e-5, 10^significant).
template <typename T> std::string formatNumber(T value, int significant, bool leadingBlank) {
    if (std::isnan(value))
        value = 0;
    if (value == 0)
        value = 0; // no negative zero
    std::string out;
    if (std::signbit(value))
        out += '-';
    else if (leadingBlank)
        out += ' ';
    const T magnitude = std::fabs(value);
    if (std::isinf(magnitude)) {
        // Never produced by the program's own conversions; write the largest
        // finite value so that the text reads back as a number.
        return out + formatNumber(std::numeric_limits<T>::max(), significant, false);
    }
    if (magnitude == 0)
        return out + '0';

    char buf[64];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, significant - 1);
    const std::string sci(buf, res.ptr);
    const auto ePos = sci.find('e');
    std::string mantissa = sci.substr(0, ePos);
    const int exponent = std::atoi(sci.c_str() + ePos + 1);
    mantissa.erase(std::remove(mantissa.begin(), mantissa.end(), '.'), mantissa.end());
    while (mantissa.size() > 1 && mantissa.back() == '0')
        mantissa.pop_back();

    if (exponent >= significant || exponent < -5) {
        out += mantissa[0];
        if (mantissa.size() > 1) {
            out += '.';
            out += mantissa.substr(1);
        }
        out += 'E';
        out += exponent < 0 ? '-' : '+';
        const int absExp = std::abs(exponent);
        if (absExp < 10)
            out += '0';
        out += std::to_string(absExp);
        return out;
    }
    if (exponent < 0) {
        out += '.';
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += mantissa;
        return out;
    }
    const std::size_t intDigits = static_cast<std::size_t>(exponent) + 1;
    if (mantissa.size() <= intDigits) {
        out += mantissa;
        out.append(intDigits - mantissa.size(), '0');
    } else {
        out += mantissa.substr(0, intDigits);
        out += '.';
        out += mantissa.substr(intDigits);
    }
    return out;
}

} // namespace

std::string textFromSingle(float value) {
    return formatNumber(value, 7, true);
}
std::string textFromDouble(double value) {
    return formatNumber(value, 15, true);
}
std::string bareTextFromSingle(float value) {
    return formatNumber(value, 7, false);
}
std::string bareTextFromDouble(double value) {
    return formatNumber(value, 15, false);
}

double roundHalfEven(double value) {
    if (!std::isfinite(value))
        return value;
    const double lower = std::floor(value);
    const double diff = value - lower;
    if (diff < 0.5)
        return lower;
    if (diff > 0.5)
        return lower + 1;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

namespace {
template <typename I> I toInteger(double value) {
    if (std::isnan(value))
        return 0;
    const double r = roundHalfEven(value);
    if (r <= static_cast<double>(std::numeric_limits<I>::min()))
        return std::numeric_limits<I>::min();
    if (r >= static_cast<double>(std::numeric_limits<I>::max()))
        return std::numeric_limits<I>::max();
    return static_cast<I>(r);
}
} // namespace

int16_t toInt16(double value) {
    return toInteger<int16_t>(value);
}
int32_t toInt32(double value) {
    return toInteger<int32_t>(value);
}

float toSingle(double value) {
    if (std::isnan(value))
        return 0.0f;
    constexpr double maxFloat = std::numeric_limits<float>::max();
    if (value >= maxFloat)
        return std::numeric_limits<float>::max();
    if (value <= -maxFloat)
        return -std::numeric_limits<float>::max();
    return static_cast<float>(value);
}

} // namespace sorvane
