#include "CsvFile.h"

#include "CsvReader.h"
#include "GenericCsv.h"

#include "model/CellText.h"
#include "model/DecimalSeparator.h"
#include "model/SettingsMapping.h"
#include "model/SettingsRecord.h"

// std
#include <algorithm>
#include <array>
#include <charconv>

namespace {

// The grid's column captions, as the window's layout gives them.
constexpr std::array<std::string_view, kColumnCount> kColumnTitles = {
    "№ канала",        "Частота RX",  "Частота TX",    "Код QT/DQT (RX)",
    "Код QT/DQT (TX)", "Мощность TX", "Модуляция W/N", "Сканирование"};

constexpr std::string_view kSettingTitle = "Настройка";
constexpr std::string_view kValueTitle = "Значение";

// A settings combo as the window shows it: its label and its entries, index 0 first.
struct SettingText
{
    std::size_t offset; // the settings byte (see SettingsRecord)
    std::string_view label;
    std::vector<std::string_view> entries;
};

// In the order of the window's settings column.
const std::array<SettingText, 7>& SettingTexts()
{
    using O = SettingsRecord::Offset;
    static const std::array<SettingText, 7> texts{{
        {O::TimeOut, "Таймер TOT", {"Отключен", "60", "120", "180"}},
        {O::SquelchLevel, "Уровень SQ", {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}},
        {O::SavePower, "Энергосбережение", {"Отключить", "Включить"}},
        {O::Scan, "Сканирование", {"Отключить", "Включить"}},
        {O::Pf1, "Кнопка PF1", {"Нет", "Монитор", "Мощность H/L"}},
        {O::Pf2, "Кнопка PF2", {"Нет", "Монитор", "Мощность H/L"}},
        {O::Voice, "Оповещение", {"Отключить", "Китайский", "Английский"}},
    }};
    return texts;
}

const SettingsField& FieldOf(const SettingText& text)
{
    const auto& fields = SettingsFields();
    return *std::find_if(fields.begin(), fields.end(),
                         [&](const SettingsField& f) { return f.offset == text.offset; });
}

char FieldSeparator(CsvStyle style)
{
    return style == CsvStyle::Semicolon ? ';' : ',';
}

char DecimalMark(char separator)
{
    return separator == ';' ? ',' : '.';
}

std::string Quoted(std::string_view field, char separator)
{
    const bool plain =
        field.find_first_of(std::string{separator, '"', '\r', '\n'}) == std::string_view::npos &&
        (field.empty() || (field.front() != ' ' && field.back() != ' '));
    if (plain)
        return std::string(field);
    std::string out = "\"";
    for (char c : field) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + '"';
}

void AppendRow(std::string& out, const std::vector<std::string>& fields, char separator)
{
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += separator;
        out += Quoted(fields[i], separator);
    }
    out += "\r\n";
}

// A model number text with the file's decimal mark in place of the held separator.
std::string WithMark(std::string text, char mark)
{
    const std::string held = DecimalSeparator();
    for (std::size_t at = text.find(held); at != std::string::npos; at = text.find(held, at + 1))
        text.replace(at, held.size(), 1, mark);
    return text;
}

// A code cell in the model's form: "Нет", a tone with the held separator, or digits and N or I.
std::optional<std::string> CodeText(const std::string& text, char mark)
{
    if (text == kNoToneText)
        return text;
    if (std::optional<std::string> tone = HeldNumberText(text, mark))
        return tone;
    const bool dcs = text.size() >= 2 && (text.back() == 'N' || text.back() == 'I') &&
                     // With no decimal mark to accept, digits only.
                     HeldNumberText(std::string_view(text).substr(0, text.size() - 1), '\0');
    return dcs ? std::optional<std::string>(text) : std::nullopt;
}

// A cell as the file holds it: the grid's text, numbers with the file's decimal mark.
std::string FileCellText(const ChannelRecord& record, int column, char mark)
{
    std::string text = CellTextFromRecord(record, column);
    return column <= kColTxCode ? WithMark(std::move(text), mark) : text;
}

// One channel row onto its record. An empty cell keeps its field, as an empty grid cell does,
// and so does a cell that shows what the record already shows.
void ApplyChannelRow(ChannelRecord& record, const CsvRow& row, char mark, CsvProblems& problems)
{
    for (int column = kColRxFreq; column <= kColScan; ++column) {
        const std::string text = row.field(column);
        if (text.empty() || text == FileCellText(record, column, mark))
            continue;
        const std::string where = " в столбце " + Quote(kColumnTitles[column]);
        if (column == kColRxFreq || column == kColTxFreq) {
            const std::optional<std::uint32_t> hz = ExactHertz(text, mark);
            if (!hz)
                problems.add(row.line, "неверная частота " + Quote(text) + where);
            else
                column == kColRxFreq ? record.setRxHz(*hz) : record.setTxHz(*hz);
        } else if (column == kColRxCode || column == kColTxCode) {
            const std::optional<std::string> code = CodeText(text, mark);
            if (!code || !ApplyShownText(record, column, *code))
                problems.add(row.line, "неизвестный код QT/DQT " + Quote(text) + where);
        } else {
            const std::array<std::string_view, 2> choices =
                column == kColPower   ? std::array<std::string_view, 2>{kPowerHigh, kPowerLow}
                : column == kColWidth ? std::array<std::string_view, 2>{kWidthWide, kWidthNarrow}
                                      : std::array<std::string_view, 2>{kScanYes, kScanNo};
            if ((text != choices[0] && text != choices[1]) || !ApplyShownText(record, column, text))
                problems.add(row.line, "неизвестное значение " + Quote(text) + where);
        }
    }
}

std::optional<RadioImage> ImportOwnCsv(const CsvTable& table, std::size_t header,
                                       const RadioImage& base, CsvProblems& problems)
{
    const char mark = DecimalMark(table.separator);
    RadioImage image = base;
    std::array<int, kChannelCount> channelLine{}; // 0 until the channel's row is seen
    std::size_t i = header + 1;
    for (; i < table.rows.size() && table.rows[i].field(0) != kSettingTitle; ++i) {
        const CsvRow& row = table.rows[i];
        if (row.blank() || !HasFields(row, kColumnCount, problems))
            continue;
        const std::optional<int> number = WholeNumber(row.field(0));
        if (!number || *number < 1 || *number > kChannelCount) {
            problems.add(row.line, "неверный номер канала " + Quote(row.field(0)));
            continue;
        }
        int& seen = channelLine[*number - 1];
        if (seen != 0) {
            problems.add(row.line, "канал " + std::to_string(*number) + " уже был в строке " +
                                       std::to_string(seen));
            continue;
        }
        seen = row.line;
        ApplyChannelRow(image.channels[*number - 1], row, mark, problems);
    }
    const int end = i < table.rows.size() ? table.rows[i].line
                    : table.rows.empty()  ? 1
                                          : table.rows.back().line;
    for (int n = 0; n < kChannelCount; ++n) {
        if (channelLine[n] == 0)
            problems.add(end, "нет строки канала " + std::to_string(n + 1));
    }
    if (i == table.rows.size()) {
        problems.add(end, "нет раздела настроек " + Quote(kSettingTitle));
        return std::nullopt;
    }
    if (HasFields(table.rows[i], 2, problems) && table.rows[i].field(1) != kValueTitle)
        problems.add(table.rows[i].line, "ожидался заголовок " + Quote(kValueTitle));

    const auto& texts = SettingTexts();
    std::array<int, 7> settingLine{};
    for (++i; i < table.rows.size(); ++i) {
        const CsvRow& row = table.rows[i];
        if (row.blank() || !HasFields(row, 2, problems))
            continue;
        const std::string label = row.field(0);
        const auto text = std::find_if(texts.begin(), texts.end(),
                                       [&](const SettingText& t) { return t.label == label; });
        if (text == texts.end()) {
            problems.add(row.line, "неизвестная настройка " + Quote(label));
            continue;
        }
        int& seen = settingLine[text - texts.begin()];
        if (seen != 0) {
            problems.add(row.line, "настройка " + Quote(label) + " уже была в строке " +
                                       std::to_string(seen));
            continue;
        }
        seen = row.line;
        const std::string value = row.field(1);
        const auto entry = std::find(text->entries.begin(), text->entries.end(), value);
        if (entry == text->entries.end()) {
            problems.add(row.line,
                         "недопустимое значение " + Quote(value) + " настройки " + Quote(label));
            continue;
        }
        const SettingsField& field = FieldOf(*text);
        image.settings.bytes[field.offset] =
            ByteFromSelection(field, static_cast<int>(entry - text->entries.begin()));
    }
    for (std::size_t n = 0; n < texts.size(); ++n) {
        if (settingLine[n] == 0)
            problems.add(table.rows.back().line, "нет настройки " + Quote(texts[n].label));
    }
    if (problems.any())
        return std::nullopt;
    return image;
}

} // namespace

CsvStyle CsvStyleForHeldSeparator()
{
    return DecimalSeparatorChar() == U',' ? CsvStyle::Semicolon : CsvStyle::Comma;
}

std::string ExportCsv(const RadioImage& image, CsvStyle style)
{
    const char separator = FieldSeparator(style);
    const char mark = DecimalMark(separator);
    std::string out = "\xEF\xBB\xBF";
    AppendRow(out, {kColumnTitles.begin(), kColumnTitles.end()}, separator);
    for (int n = 0; n < kChannelCount; ++n) {
        std::vector<std::string> fields{std::to_string(n + 1)};
        for (int column = kColRxFreq; column <= kColScan; ++column)
            fields.push_back(FileCellText(image.channels[n], column, mark));
        AppendRow(out, fields, separator);
    }
    out += "\r\n";
    AppendRow(out, {std::string(kSettingTitle), std::string(kValueTitle)}, separator);
    for (const ShownSetting& setting : ShownSettings(image))
        AppendRow(out, {std::string(setting.label), std::string(setting.value)}, separator);
    return out;
}

const std::array<std::string_view, kColumnCount>& ChannelColumnTitles()
{
    return kColumnTitles;
}

std::array<ShownSetting, 7> ShownSettings(const RadioImage& image)
{
    std::array<ShownSetting, 7> shown;
    const auto& texts = SettingTexts();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const SettingsField& field = FieldOf(texts[i]);
        const int index = SelectionFromByte(field, image.settings.bytes[field.offset]);
        shown[i] = {texts[i].label, texts[i].entries[static_cast<std::size_t>(index)]};
    }
    return shown;
}

CsvImportResult ImportCsv(std::string_view bytes, const RadioImage& base)
{
    CsvProblems problems;
    std::optional<RadioImage> image;
    if (const std::optional<std::string> text = DecodeCsvText(bytes, problems)) {
        const CsvTable table = SplitCsv(*text, problems);
        const auto header = std::find_if(table.rows.begin(), table.rows.end(),
                                         [](const CsvRow& row) { return !row.blank(); });
        const std::size_t index = static_cast<std::size_t>(header - table.rows.begin());
        std::vector<std::string> titles;
        for (std::size_t i = 0; header != table.rows.end() && i < header->usedCount(); ++i)
            titles.push_back(header->field(i));
        if (problems.any()) {
            // The records are not reliable enough to judge the header.
        } else if (header == table.rows.end()) {
            problems.add(1, "файл пуст");
        } else if (std::equal(titles.begin(), titles.end(), kColumnTitles.begin(),
                              kColumnTitles.end())) {
            image = ImportOwnCsv(table, index, base, problems);
        } else if (IsGenericCsvHeader(titles)) {
            image = ImportGenericCsv(table, index, titles, base, problems);
        } else {
            problems.add(header->line,
                         "Неправильный формат файла: это не заголовок таблицы каналов");
        }
    }
    if (problems.any())
        image.reset();
    return {image, problems.take()};
}

std::string FormatCsvProblems(const std::vector<CsvProblem>& problems)
{
    std::string text;
    for (const CsvProblem& problem : problems)
        text += "Строка " + std::to_string(problem.line) + ": " + problem.message + "\n";
    return text;
}
