#pragma once

#include "model/RadioImage.h"

// std
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The channel plan as CSV for spreadsheets, and the generic CSV of other programmers.
//
// How the window uses it:
// - "Экспорт в CSV...": write the bytes of ExportCsv(image, style) to the chosen file, where
//   `image` holds the rows' records and the settings collected from the combos, and `style` is
//   CsvStyle::Semicolon when the held decimal separator is ',' (CsvStyleForHeldSeparator()
//   decides it that way), so that the user's spreadsheet reads the numbers as numbers.
// - "Импорт из CSV...": read the whole file and call ImportCsv(bytes, image) with the current
//   image as the base. With a result image, replace all 16 records and set the combos from it,
//   exactly as opening a ".kt" file does; otherwise show FormatCsvProblems(result.problems) in
//   an error box and change nothing.
// Plain functions over bytes: no file system, no UI, no state beyond the held separator.

// Field separator and decimal mark of an exported file.
enum class CsvStyle
{
    Semicolon, // ';' between fields, ',' as the decimal mark (locales with a decimal comma)
    Comma      // ',' between fields, '.' as the decimal mark
};

// Semicolon when the held decimal separator is ',', Comma otherwise.
[[nodiscard]] CsvStyle CsvStyleForHeldSeparator();

// UTF-8 with a byte order mark, CRLF line ends, fields quoted as RFC 4180 asks: a header of the
// grid's eight column captions, one row per channel with the cells as the grid shows them, a
// blank row, then "Настройка;Значение" and one row per setting (label and combo entry text).
[[nodiscard]] std::string ExportCsv(const RadioImage& image, CsvStyle style);

struct CsvProblem
{
    int line = 0; // 1 for the first line of the file
    std::string message;
};

inline constexpr std::size_t kMaxCsvProblems = 10;

struct CsvImportResult
{
    // Set only when the whole file was understood; `problems` is then empty.
    std::optional<RadioImage> image;
    // The first kMaxCsvProblems problems, in file order.
    std::vector<CsvProblem> problems;
};

// Reads the program's own CSV (either style) or the generic CSV of other programmers
// (recognised by its "Location" and "Frequency" columns), in UTF-8 with or without a byte order
// mark or, when the bytes are not UTF-8, in Windows-1251. Fields the file does not carry
// (channel bytes 15..23, and for a generic file the settings and the channels past its rows)
// keep their values from `base`.
[[nodiscard]] CsvImportResult ImportCsv(std::string_view bytes, const RadioImage& base);

// The grid's eight column captions, as the header of an exported file.
[[nodiscard]] const std::array<std::string_view, 8>& ChannelColumnTitles();

// A setting as the window's settings column shows it: the label and the selected entry.
struct ShownSetting
{
    std::string_view label;
    std::string_view value;
};
// The seven settings of an image, in the order of the window's settings column.
[[nodiscard]] std::array<ShownSetting, 7> ShownSettings(const RadioImage& image);

// One line per problem, "Строка 5: ...", for an error box.
[[nodiscard]] std::string FormatCsvProblems(const std::vector<CsvProblem>& problems);
