// Fuzz target: ParseToneCode and FormatToneCode. Input: one byte choosing the decimal separator
// (even ',', odd '.'), two bytes of a stored code, then the typed text.

#include "FuzzSupport.h"
#include "model/DecimalSeparator.h"
#include "model/ToneCode.h"

// std
#include <string>

namespace {

constexpr std::string_view kNone = "Нет";

bool SameResult(const ParsedTone& a, const ParsedTone& b)
{
    return a.code == b.code && a.valid == b.valid;
}

// The codes a parse may produce: none, a CTCSS tone of at most 409.4 Hz, or a DCS code whose
// number is below 4095 (valid) or was reduced modulo 4096 (invalid).
bool IsStorableResult(const ParsedTone& parsed)
{
    const unsigned kind = parsed.code >> 12;
    const unsigned number = parsed.code & 0x0FFFu;
    if (parsed.code == kNoTone)
        return parsed.valid;
    if (kind == 0x0)
        return number <= 4094;
    if (kind == 0x2 || kind == 0xA)
        return !parsed.valid || number <= 4094;
    return false;
}

// The first `count` UTF-8 characters of a text.
std::string_view FirstChars(std::string_view text, std::size_t count)
{
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && chars++ == count)
            return text.substr(0, i);
    }
    return text;
}

// Every code that renders as something other than "Нет" reads back as itself from that text.
void CheckRendersBack(ToneCode code)
{
    const std::string text = FormatToneCode(code);
    if (text == kNone)
        return;
    const ParsedTone back = ParseToneCode(text);
    FUZZ_CHECK(back.code == code);
    FUZZ_CHECK(back.valid);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CFuzzInput input(data, size);
    ApplyDecimalSeparator(input.Bool() ? '.' : ',');
    CheckRendersBack(input.Le16());

    const std::string_view text = input.RestAsText();
    const ParsedTone parsed = ParseToneCode(text);
    FUZZ_CHECK(SameResult(parsed, ParseToneCode(text)));
    FUZZ_CHECK(IsStorableResult(parsed));
    // "No code" comes only from the text "Нет" itself; no number reaches 0xFFFF.
    FUZZ_CHECK((parsed.code == kNoTone) == (text == kNone));
    // The code editor passes at most 19 characters: more never change the code, and a longer
    // text is never valid.
    const std::string_view first = FirstChars(text, 19);
    const ParsedTone head = ParseToneCode(first);
    FUZZ_CHECK(parsed.code == head.code);
    FUZZ_CHECK(parsed.valid == (head.valid && first.size() == text.size()));
    if (parsed.valid)
        CheckRendersBack(parsed.code);
    return 0;
}
