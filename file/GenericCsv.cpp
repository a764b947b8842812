#include "GenericCsv.h"

#include "model/CellText.h"
#include "model/ValueText.h"

// std
#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <map>

namespace {

constexpr std::array<std::string_view, 10> kRequiredColumns = {
    "Location",  "Frequency", "Duplex",   "Offset",       "Tone",
    "rToneFreq", "cToneFreq", "DtcsCode", "DtcsPolarity", "Mode"};

// The fields of one row by column name; an absent optional column reads as empty.
class GenericRow
{
public:
    GenericRow(const CsvRow& row, const std::map<std::string, std::size_t>& columns)
        : m_row(row), m_columns(columns)
    {}
    [[nodiscard]] std::string operator[](const std::string& name) const
    {
        const auto it = m_columns.find(name);
        return it == m_columns.end() ? std::string() : m_row.field(it->second);
    }
    [[nodiscard]] int line() const { return m_row.line; }

private:
    const CsvRow& m_row;
    const std::map<std::string, std::size_t>& m_columns;
};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Watts of a power text such as "5.0W", or nothing.
std::optional<double> Watts(const std::string& text, char mark)
{
    if (text.size() < 2 || (text.back() != 'W' && text.back() != 'w'))
        return std::nullopt;
    const std::optional<std::string> held = HeldNumberText(text.substr(0, text.size() - 1), mark);
    return held ? std::optional<double>(LeadingNumber(*held)) : std::nullopt;
}

// Converts one row onto a channel record, reporting what it cannot express.
class RowReader
{
public:
    RowReader(const GenericRow& row, char mark, double highestWatts, CsvProblems& problems)
        : m_row(row), m_mark(mark), m_highestWatts(highestWatts), m_problems(problems)
    {}

    void apply(ChannelRecord& record)
    {
        const std::optional<std::uint32_t> rx = ExactHertz(m_row["Frequency"], m_mark);
        if (!rx) {
            fail("неверная частота " + Quote(m_row["Frequency"]));
            return;
        }
        record.setRxHz(*rx);
        if (const std::optional<std::uint32_t> tx = transmitHertz(*rx))
            record.setTxHz(*tx);
        applyTones(record);
        applyChoice(record, kColWidth, "Mode", {{"FM", kWidthWide}, {"NFM", kWidthNarrow}});
        applyChoice(record, kColScan, "Skip", {{"", kScanYes}, {"S", kScanNo}, {"P", kScanYes}});
        applyPower(record);
    }

private:
    void fail(std::string message) { m_problems.add(m_row.line(), std::move(message)); }

    std::optional<std::uint32_t> transmitHertz(std::uint32_t rx)
    {
        const std::string duplex = Lower(m_row["Duplex"]);
        if (duplex.empty())
            return rx;
        const std::optional<std::uint32_t> offset = ExactHertz(m_row["Offset"], m_mark);
        if (!offset) {
            fail("неверный сдвиг " + Quote(m_row["Offset"]));
            return std::nullopt;
        }
        const std::uint64_t up = std::uint64_t{rx} + *offset;
        if (duplex == "split")
            return offset;
        if (duplex == "+" && up <= UINT32_MAX)
            return static_cast<std::uint32_t>(up);
        if (duplex == "-" && *offset <= rx)
            return rx - *offset;
        if (duplex == "+" || duplex == "-")
            fail("частота передачи вне допустимых пределов");
        else
            fail("неизвестный вид сдвига " + Quote(m_row["Duplex"]));
        return std::nullopt;
    }

    // A CTCSS tone ("88.5") as the model's code text.
    std::optional<std::string> tone(const std::string& column)
    {
        std::optional<std::string> text = HeldNumberText(m_row[column], m_mark);
        if (!text)
            fail("неверный тон " + Quote(m_row[column]) + " в столбце " + Quote(column));
        return text;
    }

    // A DCS code ("023") with the polarity letter at `side` of DtcsPolarity (0 transmit,
    // 1 receive) as the model's code text ("023N", or "023I" for R).
    std::optional<std::string> dcs(const std::string& column, std::size_t side)
    {
        const std::string code = m_row[column];
        const std::string polarity = m_row["DtcsPolarity"];
        const bool digits =
            !code.empty() && code.size() <= 3 &&
            std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '7'; });
        if (!digits) {
            fail("неверный код DCS " + Quote(code) + " в столбце " + Quote(column));
            return std::nullopt;
        }
        if (polarity.size() != 2 || (polarity[side] != 'N' && polarity[side] != 'R')) {
            fail("неверная полярность DCS " + Quote(polarity));
            return std::nullopt;
        }
        return std::string(3 - code.size(), '0') + code + (polarity[side] == 'N' ? "N" : "I");
    }

    void applyTones(ChannelRecord& record)
    {
        const std::string mode = m_row["Tone"];
        std::optional<std::string> rx = kNoToneText;
        std::optional<std::string> tx = kNoToneText;
        if (mode == "Tone") {
            tx = tone("rToneFreq");
        } else if (mode == "TSQL") {
            rx = tx = tone("cToneFreq");
        } else if (mode == "DTCS") {
            tx = dcs("DtcsCode", 0);
            rx = dcs("DtcsCode", 1);
        } else if (mode == "Cross") {
            // "transmit kind->receive kind", each side "", "Tone" or "DTCS".
            const std::string cross = m_row["CrossMode"];
            const std::size_t arrow = cross.find("->");
            const std::string txKind = cross.substr(0, arrow);
            const std::string rxKind = arrow == std::string::npos ? "?" : cross.substr(arrow + 2);
            const bool known = (txKind.empty() || txKind == "Tone" || txKind == "DTCS") &&
                               (rxKind.empty() || rxKind == "Tone" || rxKind == "DTCS");
            if (!known) {
                fail("неизвестный режим Cross " + Quote(cross));
                return;
            }
            if (!txKind.empty())
                tx = txKind == "Tone" ? tone("rToneFreq") : dcs("DtcsCode", 0);
            if (!rxKind.empty())
                rx = rxKind == "Tone" ? tone("cToneFreq") : dcs("RxDtcsCode", 1);
        } else if (!mode.empty()) {
            fail("неизвестный режим тона " + Quote(mode));
            return;
        }
        if (rx && !ApplyShownText(record, kColRxCode, *rx))
            fail("код " + Quote(*rx) + " не подходит для радиостанции");
        if (tx && !ApplyShownText(record, kColTxCode, *tx))
            fail("код " + Quote(*tx) + " не подходит для радиостанции");
    }

    void applyChoice(ChannelRecord& record, int column, const std::string& name,
                     const std::map<std::string, const char*>& texts)
    {
        const auto it = texts.find(m_row[name]);
        if (it == texts.end())
            fail("неизвестное значение " + Quote(m_row[name]) + " в столбце " + Quote(name));
        else
            static_cast<void>(ApplyShownText(record, column, it->second));
    }

    // "High"/"Low" and their first letters, or watts: the highest figure of the file is high.
    void applyPower(ChannelRecord& record)
    {
        const std::string text = m_row["Power"];
        const std::string lower = Lower(text);
        const std::optional<double> watts = Watts(text, m_mark);
        bool low = false;
        if (watts)
            low = *watts < m_highestWatts;
        else if (lower == "low" || lower == "l")
            low = true;
        else if (!lower.empty() && lower != "high" && lower != "h") {
            fail("неизвестная мощность " + Quote(text));
            return;
        }
        static_cast<void>(ApplyShownText(record, kColPower, low ? kPowerLow : kPowerHigh));
    }

    const GenericRow& m_row;
    char m_mark;
    double m_highestWatts;
    CsvProblems& m_problems;
};

} // namespace

bool IsGenericCsvHeader(const std::vector<std::string>& titles)
{
    return std::find(titles.begin(), titles.end(), "Location") != titles.end() &&
           std::find(titles.begin(), titles.end(), "Frequency") != titles.end();
}

std::optional<RadioImage> ImportGenericCsv(const CsvTable& table, std::size_t header,
                                           const std::vector<std::string>& titles,
                                           const RadioImage& base, CsvProblems& problems)
{
    const int headerLine = table.rows[header].line;
    std::map<std::string, std::size_t> columns;
    for (std::size_t i = 0; i < titles.size(); ++i)
        columns.emplace(titles[i], i);
    for (std::string_view name : kRequiredColumns) {
        if (!columns.contains(std::string(name)))
            problems.add(headerLine, "нет столбца " + Quote(name));
    }
    if (problems.any())
        return std::nullopt;

    const char mark = table.separator == ';' ? ',' : '.';
    std::map<int, const CsvRow*> byLocation;
    for (std::size_t i = header + 1; i < table.rows.size(); ++i) {
        const CsvRow& row = table.rows[i];
        if (row.blank() || !HasFields(row, titles.size(), problems))
            continue;
        const std::string location = GenericRow(row, columns)["Location"];
        const std::optional<int> number = WholeNumber(location);
        if (!number || *number < 0) {
            problems.add(row.line, "неверный номер ячейки " + Quote(location));
        } else if (const auto [at, added] = byLocation.emplace(*number, &row); !added) {
            problems.add(row.line, "ячейка " + location + " уже была в строке " +
                                       std::to_string(at->second->line));
        }
    }
    if (byLocation.empty() && !problems.any())
        problems.add(headerLine, "в файле нет ни одного канала");

    std::vector<const CsvRow*> rows;
    for (const auto& [location, row] : byLocation) {
        if (rows.size() < kChannelCount)
            rows.push_back(row);
    }
    double highestWatts = 0.0;
    for (const CsvRow* row : rows) {
        if (const std::optional<double> watts = Watts(GenericRow(*row, columns)["Power"], mark))
            highestWatts = std::max(highestWatts, *watts);
    }
    RadioImage image = base;
    for (std::size_t n = 0; n < rows.size(); ++n) {
        const GenericRow row(*rows[n], columns);
        RowReader(row, mark, highestWatts, problems).apply(image.channels[n]);
    }
    if (problems.any())
        return std::nullopt;
    return image;
}
