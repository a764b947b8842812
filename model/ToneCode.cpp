#include "ToneCode.h"

#include "DecimalSeparator.h"
#include "ValueText.h"

// std
#include <cmath>
#include <cstdio>
#include <map>
#include <mutex>

namespace {

const char* const kTones[] = {
    "62,5",  "67,0",  "69,3",  "71,9",  "74,4",  "77,0",  "79,7",  "82,5",  "85,4",
    "88,5",  "91,5",  "94,8",  "97,4",  "100,0", "103,5", "107,2", "110,9", "114,8",
    "118,8", "123,0", "127,3", "131,8", "136,5", "141,3", "146,2", "151,4", "156,7",
    "159,8", "162,2", "165,5", "167,9", "171,3", "173,8", "177,3", "179,9", "183,5",
    "186,2", "189,9", "192,8", "196,6", "199,5", "203,5", "206,5", "210,7", "218,1",
    "225,7", "229,1", "233,6", "241,8", "250,3", "254,1"};

const char* const kDcsCodes[] = {
    "023", "025", "026", "031", "032", "043", "047", "051", "054", "065", "071", "072",
    "073", "074", "114", "115", "116", "125", "131", "132", "134", "143", "152", "155",
    "156", "162", "165", "172", "174", "205", "223", "226", "243", "244", "245", "251",
    "261", "263", "265", "271", "306", "311", "315", "331", "343", "346", "351", "364",
    "365", "371", "411", "412", "413", "423", "431", "432", "445", "464", "465", "466",
    "503", "506", "516", "532", "546", "565", "606", "612", "624", "627", "631", "632",
    "654", "662", "664", "703", "712", "723", "731", "732", "734", "743", "754"};

static_assert(1 + std::size(kTones) + 2 * std::size(kDcsCodes) == kToneTextCount);

constexpr char kNone[] = "Нет";
// The code editor passes at most this many characters; the parse looks at no more.
constexpr std::size_t kMaxParsedChars = 19;

// The first `count` UTF-8 characters of a text.
std::string_view FirstChars(std::string_view text, std::size_t count)
{
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) != 0x80 && chars++ == count)
            return text.substr(0, i);
    }
    return text;
}

std::string Dcs(unsigned number, char suffix)
{
    char text[16];
    std::snprintf(text, sizeof text, "%03u%c", number, suffix);
    return text;
}

} // namespace

const std::vector<std::string>& ToneTextTable(char32_t separator)
{
    // Node-based, so a table handed out stays where it is when another separator's is added.
    static std::mutex mutex;
    static std::map<char32_t, std::vector<std::string>> tables;
    const std::lock_guard lock(mutex);
    auto [at, added] = tables.try_emplace(separator);
    if (added) {
        const std::string written = EncodeUtf8(separator);
        std::vector<std::string>& t = at->second;
        t.reserve(kToneTextCount);
        t.emplace_back(kNone);
        for (const char* tone : kTones) {
            std::string text = tone;
            text.replace(text.find(','), 1, written);
            t.push_back(std::move(text));
        }
        for (char suffix : {'N', 'I'}) {
            for (const char* code : kDcsCodes)
                t.push_back(std::string(code) + suffix);
        }
    }
    return at->second;
}

const std::vector<std::string>& ToneTextTable()
{
    return ToneTextTable(DecimalSeparatorChar());
}

std::string FormatToneCode(ToneCode code)
{
    if ((code & 0xFF) == 0xFF || (code >> 8) == 0xFF)
        return kNone;
    const unsigned number = code & 0x0FFFu;
    switch (code >> 12) {
    case 0xA:
        return Dcs(number, 'I');
    case 0x2:
        return Dcs(number, 'N');
    case 0x0:
        return FormatFixed(number / 10.0, 1);
    default:
        return kNone;
    }
}

ParsedTone ParseToneCode(std::string_view text)
{
    if (text == kNone)
        return {kNoTone, true};
    // A longer text is more than the editor lets through: never taken as typed.
    const std::string_view parsed = FirstChars(text, kMaxParsedChars);
    bool valid = parsed.size() == text.size();
    const std::string separator = DecimalSeparator();
    std::string buffer;
    for (std::size_t i = 0; i < parsed.size(); ++i) {
        const char c = parsed[i];
        if (c >= '0' && c <= '9') {
            buffer += c;
            continue;
        }
        if (parsed.substr(i).starts_with(separator)) {
            buffer += separator;
            i += separator.size() - 1;
            continue;
        }
        if (c == 'N' || c == 'I') {
            // The DCS number is the buffer's leading run of digits; at most 19 of them fit 64 bits.
            std::uint64_t n = 0;
            for (const char d : buffer) {
                if (d < '0' || d > '9')
                    break;
                n = n * 10 + static_cast<std::uint64_t>(d - '0');
            }
            const unsigned base = c == 'N' ? 0x2000u : 0xA000u;
            if (n < 4095)
                return {static_cast<ToneCode>(base + n), valid};
            return {static_cast<ToneCode>(base + n % 4096), false};
        }
        valid = false;
        break;
    }
    // A tone: rounded to one decimal first, then counted in tenths, truncated.
    const double x = LeadingNumber(buffer);
    const double rounded = LeadingNumber(FormatFixed(x, 1));
    const double tenths = std::trunc(rounded * 10.0);
    if (!(tenths < 4095.0))
        return {4094, false};
    return {static_cast<ToneCode>(tenths), valid};
}
