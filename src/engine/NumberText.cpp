#include "engine/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
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

    // Gather the number in a canonical form and let from_chars (which never
    // looks at the locale) do the correctly rounded conversion.
    std::string digits;
    bool negative = false;
    if (in.peek() == '+' || in.peek() == '-') {
        negative = in.peek() == '-';
        in.next();
    }
    bool anyDigit = false;
    while (isDigit(in.peek())) {
        digits += in.peek();
        anyDigit = true;
        in.next();
    }
    if (in.peek() == '.') {
        in.next();
        digits += '.';
        while (isDigit(in.peek())) {
            digits += in.peek();
            anyDigit = true;
            in.next();
        }
    }
    if (!anyDigit)
        return 0;

    const char e = in.peek();
    if (e == 'e' || e == 'E' || e == 'd' || e == 'D') {
        in.next();
        std::string exponent;
        if (in.peek() == '+' || in.peek() == '-') {
            if (in.peek() == '-')
                exponent += '-';
            in.next();
        }
        bool expDigit = false;
        while (isDigit(in.peek())) {
            // Leading zeros carry nothing and would only make the text long.
            if (!(in.peek() == '0' && (exponent.empty() || exponent == "-")))
                exponent += in.peek();
            expDigit = true;
            in.next();
        }
        if (expDigit) {
            if (exponent.empty() || exponent == "-")
                exponent += '0';
            if (exponent.size() > 12) // far beyond any double: saturate below
                exponent = exponent[0] == '-' ? "-999999" : "999999";
            digits += 'e';
            digits += exponent;
        }
    }

    double value = 0;
    const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        // from_chars leaves value alone: decide between overflow and underflow
        // from the exponent's sign.
        const auto ePos = digits.find('e');
        const bool tiny = ePos != std::string::npos && digits[ePos + 1] == '-';
        value = tiny ? 0.0 : std::numeric_limits<double>::max();
    } else if (ec != std::errc()) {
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
