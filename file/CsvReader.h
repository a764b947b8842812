#pragma once

#include "CsvFile.h"

#include "model/ChannelRecord.h"

// std
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The text layer under the CSV formats: decoding, RFC 4180 records, problem collection.

// Collects the first kMaxCsvProblems problems and counts the rest.
class CsvProblems
{
public:
    void add(int line, std::string message);
    [[nodiscard]] bool any() const { return m_count > 0; }
    [[nodiscard]] std::vector<CsvProblem> take() { return std::move(m_list); }

private:
    std::vector<CsvProblem> m_list;
    std::size_t m_count = 0;
};

struct CsvRow
{
    int line = 0; // the line the record starts on
    std::vector<std::string> fields;

    // The field at `index` without surrounding blanks; empty past the last field.
    [[nodiscard]] std::string field(std::size_t index) const;
    [[nodiscard]] bool blank() const;
    // Fields up to the last non-empty one: spreadsheets pad every row to the widest.
    [[nodiscard]] std::size_t usedCount() const;
};

struct CsvTable
{
    char separator = ',';
    std::vector<CsvRow> rows;
};

// The bytes as UTF-8 text without a byte order mark: UTF-8 when they are valid UTF-8 or start
// with the mark, Windows-1251 otherwise. Control characters and bytes that neither encoding
// gives a character are problems; nothing is returned then.
[[nodiscard]] std::optional<std::string> DecodeCsvText(std::string_view bytes,
                                                       CsvProblems& problems);

// Splits text into records by RFC 4180, with ';' as the separator when the first line holds one
// and ',' otherwise. A quote inside an unquoted field or an unclosed quote is a problem.
[[nodiscard]] CsvTable SplitCsv(std::string_view text, CsvProblems& problems);

// Hertz of a megahertz text of the file ("433,075" with mark ','): digits with at most one mark,
// read exactly in decimal (digits past the sixth decimal are cut off), below 2^32 Hz. The
// grid's reading through a double loses a hertz on some five-decimal texts; a file must give
// back the frequencies it was written from.
[[nodiscard]] std::optional<std::uint32_t> ExactHertz(std::string_view text, char mark);

// A number text of the file ("433,075" with mark ',') in the held decimal separator, when it is
// digits with at most one decimal mark and nothing else.
[[nodiscard]] std::optional<std::string> HeldNumberText(std::string_view text, char mark);

// Stores the text of a code, power, width or scan cell (kColRxCode..kColScan; codes as "Нет",
// "88,5", "023N") as the grid does: a text the record already shows changes nothing, so a byte
// such as a power of 0x01 survives. False when ParseToneCode rejects a code, or when the code it
// gives would show as "Нет" (a tone whose tenths end in 0xFF): a file must not lose a tone
// silently.
[[nodiscard]] bool ApplyShownText(ChannelRecord& record, int column, std::string_view text);

// «text», the way messages name a value.
[[nodiscard]] std::string Quote(std::string_view text);

// A whole decimal number and nothing else.
[[nodiscard]] std::optional<int> WholeNumber(std::string_view text);

// True when the row has at least `count` fields and none used past them; otherwise a problem.
[[nodiscard]] bool HasFields(const CsvRow& row, std::size_t count, CsvProblems& problems);
