#include "ImageText.h"

#include "CliTexts.h"
#include "file/CsvFile.h"
#include "model/CellText.h"

// std
#include <algorithm>
#include <array>
#include <cstdio>

namespace {

// Characters, not bytes: the texts are UTF-8 and mostly Cyrillic.
std::size_t Width(const std::string& text)
{
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string Hex(std::uint8_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

std::string Quoted(std::string_view text)
{
    return "«" + std::string(text) + "»";
}

std::string Difference(const std::string& where, const std::string& inFile,
                       const std::string& inRadio)
{
    return where + ": " + Texts::kInFile + " " + inFile + ", " + Texts::kInRadio + " " + inRadio;
}

} // namespace

std::vector<std::string> ImageDifferences(const RadioImage& file, const RadioImage& radio,
                                          bool textsOnly)
{
    std::vector<std::string> lines;
    const auto& titles = ChannelColumnTitles();
    for (int row = 0; row < kChannelCount; ++row) {
        const ChannelRecord& a = file.channels[row];
        const ChannelRecord& b = radio.channels[row];
        if (a == b)
            continue;
        const std::string channel = std::string(Texts::kChannel) + " " + std::to_string(row + 1);
        bool shown = false;
        for (int column = kColRxFreq; column < kColumnCount; ++column) {
            const std::string left = CellTextFromRecord(a, column);
            const std::string right = CellTextFromRecord(b, column);
            if (left != right) {
                lines.push_back(Difference(channel + ", " + Quoted(titles[column]), left, right));
                shown = true;
            }
        }
        // Bytes the grid does not show, or shows alike, differ: name them.
        for (std::size_t i = 0; !shown && !textsOnly && i < a.bytes.size(); ++i) {
            if (a.bytes[i] != b.bytes[i])
                lines.push_back(
                    Difference(channel + ", " + Texts::kRecordByte + " " + std::to_string(i),
                               Hex(a.bytes[i]), Hex(b.bytes[i])));
        }
    }
    const auto left = ShownSettings(file);
    const auto right = ShownSettings(radio);
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (left[i].value != right[i].value)
            lines.push_back(Difference(std::string(Texts::kSetting) + " " + Quoted(left[i].label),
                                       std::string(left[i].value), std::string(right[i].value)));
    }
    return lines;
}

std::string ShowImageText(const RadioImage& image)
{
    std::array<std::vector<std::string>, kColumnCount> cells;
    const auto& titles = ChannelColumnTitles();
    for (int column = 0; column < kColumnCount; ++column)
        cells[column].emplace_back(titles[column]);
    for (int row = 0; row < kChannelCount; ++row) {
        cells[kColNumber].push_back(std::to_string(row + 1));
        for (int column = kColRxFreq; column < kColumnCount; ++column)
            cells[column].push_back(CellTextFromRecord(image.channels[row], column));
    }
    std::array<std::size_t, kColumnCount> widths{};
    for (int column = 0; column < kColumnCount; ++column) {
        for (const std::string& text : cells[column])
            widths[column] = std::max(widths[column], Width(text));
    }
    std::string out;
    for (std::size_t line = 0; line < cells[0].size(); ++line) {
        std::string text;
        for (int column = 0; column < kColumnCount; ++column) {
            const std::string& cell = cells[column][line];
            text += cell;
            if (column + 1 < kColumnCount)
                text.append(widths[column] - Width(cell) + 2, ' ');
        }
        out += text + "\n";
    }
    out += std::string("\n") + Texts::kSettingsHeading + "\n";
    for (const ShownSetting& setting : ShownSettings(image))
        out += std::string(setting.label) + ": " + std::string(setting.value) + "\n";
    return out;
}
