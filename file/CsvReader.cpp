#include "CsvReader.h"

#include "model/CellText.h"
#include "model/DecimalSeparator.h"
#include "model/ToneCode.h"

// std
#include <algorithm>
#include <array>
#include <charconv>

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// Windows-1251 bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order. 0x98 has no character.
constexpr std::array<char16_t, 64> kCp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

// Length of the valid UTF-8 sequence at `at`, 0 when none starts there.
std::size_t Utf8Length(std::string_view text, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80)
        return 1;
    std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                         : lead >= 0xE0 && lead <= 0xEF ? 3
                         : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                        : 0;
    if (length == 0 || at + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
            return 0;
    }
    // Overlong forms, surrogates and code points past U+10FFFF.
    const auto second = static_cast<unsigned char>(text[at + 1]);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))
        return 0;
    return length;
}

bool IsValidUtf8(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8Length(text, at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

bool IsControl(unsigned char c)
{
    return (c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F;
}

// Lines end with CR LF, LF or a lone CR; true at the character that ends one.
bool EndsLine(std::string_view text, std::size_t at)
{
    return text[at] == '\n' ||
           (text[at] == '\r' && (at + 1 == text.size() || text[at + 1] != '\n'));
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

void CsvProblems::add(int line, std::string message)
{
    if (m_count++ < kMaxCsvProblems)
        m_list.push_back({line, std::move(message)});
}

std::string CsvRow::field(std::size_t index) const
{
    if (index >= fields.size())
        return {};
    std::string_view text = fields[index];
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

bool CsvRow::blank() const
{
    return usedCount() == 0;
}

std::size_t CsvRow::usedCount() const
{
    std::size_t count = fields.size();
    while (count > 0 && field(count - 1).empty())
        --count;
    return count;
}

std::optional<std::string> DecodeCsvText(std::string_view bytes, CsvProblems& problems)
{
    const bool marked = bytes.starts_with(kBom);
    if (marked)
        bytes.remove_prefix(kBom.size());
    const bool utf8 = marked || IsValidUtf8(bytes);
    std::string text;
    text.reserve(bytes.size() * (utf8 ? 1 : 2));
    int line = 1;
    for (std::size_t at = 0; at < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        std::size_t length = 1;
        if (IsControl(byte)) {
            problems.add(line, "недопустимый символ в файле");
        } else if (utf8) {
            length = Utf8Length(bytes, at);
            if (length == 0)
                problems.add(line, "недопустимые байты: файл не в кодировке UTF-8");
            length = std::max<std::size_t>(length, 1);
            text.append(bytes.substr(at, length));
        } else if (byte < 0x80) {
            text += static_cast<char>(byte);
        } else {
            const char32_t c = byte >= 0xC0 ? U'\u0410' + (byte - 0xC0) : kCp1251High[byte - 0x80];
            if (c == 0)
                problems.add(line, "недопустимый символ в файле");
            text += EncodeUtf8(c);
        }
        if (EndsLine(bytes, at))
            ++line;
        at += length;
    }
    if (problems.any())
        return std::nullopt;
    return text;
}

CsvTable SplitCsv(std::string_view text, CsvProblems& problems)
{
    CsvTable table;
    const std::string_view firstLine = text.substr(0, text.find_first_of("\r\n"));
    table.separator = firstLine.find(';') != std::string_view::npos ? ';' : ',';

    int line = 1;
    CsvRow row{line, {}};
    std::string field;
    bool inQuotes = false;
    bool afterQuote = false; // a quoted field has been closed; only a separator may follow
    bool reported = false;   // one problem per record is enough
    auto problem = [&](std::string message) {
        if (!reported)
            problems.add(line, std::move(message));
        reported = true;
    };
    auto endField = [&] {
        row.fields.push_back(std::move(field));
        field.clear();
        afterQuote = false;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inQuotes) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                inQuotes = false;
                afterQuote = true;
            } else {
                line += EndsLine(text, i) ? 1 : 0;
                field += c;
            }
        } else if (c == table.separator) {
            endField();
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            endField();
            table.rows.push_back(std::move(row));
            row = CsvRow{++line, {}};
            reported = false;
        } else if (c == '"' && field.empty() && !afterQuote) {
            inQuotes = true;
        } else if (c == '"') {
            problem("кавычка внутри поля без кавычек");
        } else if (afterQuote && !IsBlank(c)) {
            problem("текст после закрывающей кавычки");
        } else if (!afterQuote) {
            field += c;
        }
    }
    if (inQuotes)
        problems.add(row.line, "кавычка не закрыта до конца файла");
    if (!field.empty() || !row.fields.empty() || afterQuote) {
        endField();
        table.rows.push_back(std::move(row));
    }
    return table;
}

std::optional<std::string> HeldNumberText(std::string_view text, char mark)
{
    std::size_t digits = 0;
    std::size_t marks = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            ++digits;
        else if (c == mark)
            ++marks;
        else
            return std::nullopt;
    }
    if (digits == 0 || marks > 1)
        return std::nullopt;
    std::string held;
    for (char c : text) {
        if (c == mark)
            held += DecimalSeparator();
        else
            held += c;
    }
    return held;
}

std::optional<std::uint32_t> ExactHertz(std::string_view text, char mark)
{
    if (!HeldNumberText(text, mark))
        return std::nullopt;
    const std::size_t point = std::min(text.find(mark), text.size());
    std::string decimals(point < text.size() ? text.substr(point + 1) : std::string_view());
    decimals.resize(6, '0'); // whole hertz: cut or padded to six decimals
    std::uint64_t hz = 0;
    for (char c : std::string(text.substr(0, point)) + decimals) {
        hz = hz * 10 + static_cast<std::uint64_t>(c - '0');
        if (hz > UINT32_MAX * std::uint64_t{1000000})
            return std::nullopt;
    }
    if (hz > UINT32_MAX)
        return std::nullopt;
    return static_cast<std::uint32_t>(hz);
}

std::string Quote(std::string_view text)
{
    return "«" + std::string(text) + "»";
}

std::optional<int> WholeNumber(std::string_view text)
{
    int value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool HasFields(const CsvRow& row, std::size_t count, CsvProblems& problems)
{
    if (row.usedCount() <= count && row.fields.size() >= count)
        return true;
    problems.add(row.line, "ожидалось полей: " + std::to_string(count) +
                               ", в строке: " + std::to_string(row.usedCount()));
    return false;
}

bool ApplyShownText(ChannelRecord& record, int column, std::string_view text)
{
    if (CellTextFromRecord(record, column) == text)
        return true;
    const std::optional<std::string> kept = ApplyCellText(record, column, text);
    if (!kept || *kept != text)
        return false;
    if (column != kColRxCode && column != kColTxCode)
        return true;
    const ToneCode code = column == kColRxCode ? record.rxTone() : record.txTone();
    return text == kNoToneText || FormatToneCode(code) != kNoToneText;
}
