// Fuzz target: key names over every pair of 16-bit key code and shift mask.
// Each four bytes of the input are one pair.  Every name must be a short,
// non-empty text (printable ASCII but for the characters that codes above 128
// stand for), and only code 0 may depend on the mask.
#include "hotkeys/KeyNames.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void fail(const char* what, int code, int shift, const std::string& text) {
    std::fprintf(stderr, "property broken: %s [code %d shift %d text \"%s\"]\n", what, code, shift,
                 text.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (size_t at = 0; at + 4 <= size; at += 4) {
        int16_t code;
        int16_t shift;
        std::memcpy(&code, data + at, 2);
        std::memcpy(&shift, data + at + 2, 2);
        const std::string text = sorvane::hotKeyText(code, shift);
        if (text.empty() || text.size() > 20)
            fail("name is non-empty and short", code, shift, text);
        // Codes 129 to 255 without a name of their own are the one character
        // of code - 128, control characters included; every other name is
        // printable ASCII.
        const bool controlCharacter = code > 128 && code <= 255 && text.size() == 1 &&
                                      static_cast<unsigned char>(text[0]) == code - 128;
        if (!controlCharacter)
            for (const char c : text)
                if (c < 32 || c > 126)
                    fail("name is printable ASCII", code, shift, text);
        if (code != 0 && text != sorvane::hotKeyText(code, 0))
            fail("only code 0 depends on the shift mask", code, shift, text);
        if (text == "None" && !(code == 0 && shift == 0))
            fail("only code 0 without modifiers is None", code, shift, text);
    }
    return 0;
}
