#include "file/CsvFile.h"

#include "model/SettingsMapping.h"
#include "model/ToneCode.h"
#include "resources/SkinNames.h"
#include "tests/support/SeparatorGuard.h"

#include <gtest/gtest.h>

// std
#include <fstream>
#include <random>
#include <regex>
#include <sstream>

namespace {

const std::vector<std::uint8_t> kSettingOffsets = {4, 14, 15, 16, 17, 18, 19};

// Fields the grid shows take their values from `shown`, everything else from `base`.
RadioImage Overlay(const RadioImage& base, const RadioImage& shown)
{
    RadioImage image = base;
    for (int n = 0; n < kChannelCount; ++n) {
        std::copy_n(shown.channels[n].bytes.begin(), 15, image.channels[n].bytes.begin());
    }
    for (std::uint8_t offset : kSettingOffsets)
        image.settings.bytes[offset] = shown.settings.bytes[offset];
    return image;
}

// Every field at a value the grid and the combos show as they are stored.
RadioImage RandomShownImage(std::mt19937& random)
{
    const auto& table = ToneTextTable();
    RadioImage image;
    for (auto& channel : image.channels) {
        for (auto& byte : channel.bytes)
            byte = static_cast<std::uint8_t>(random());
        // Whole tens of hertz: the grid shows five decimals of a megahertz.
        channel.setRxHz(10 * std::uniform_int_distribution<std::uint32_t>(0, 429496729)(random));
        channel.setTxHz(10 * std::uniform_int_distribution<std::uint32_t>(0, 429496729)(random));
        const auto code = [&] { return ParseToneCode(table[random() % table.size()]).code; };
        channel.setRxTone(code());
        channel.setTxTone(code());
        channel.setPower(random() % 2 ? 0xFF : 0x00);
        channel.setWidth(random() % 2 ? 0xFF : 0x00);
        channel.setScan(random() % 2 ? 0xFF : 0x00);
    }
    for (const SettingsField& field : SettingsFields()) {
        const int index = static_cast<int>(random() % field.entryCount);
        image.settings.bytes[field.offset] = ByteFromSelection(field, index);
    }
    return image;
}

std::string ReadSkin()
{
    std::ifstream in(std::string(VORLEND_SOURCE_DIR) + "/resources/skin/Skin.xml");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The line of `csv` numbered `line` (from 1), without its line end.
std::string Line(const std::string& csv, int line)
{
    std::istringstream in(csv);
    std::string text;
    for (int i = 0; i < line; ++i)
        std::getline(in, text);
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    return text;
}

std::string ReplaceLine(const std::string& csv, int line, const std::string& with)
{
    std::istringstream in(csv);
    std::string out;
    std::string text;
    for (int i = 1; std::getline(in, text); ++i)
        out += (i == line ? with : text) + "\n";
    return out;
}

TEST(CsvFile, ExportThenImportReproducesEveryFieldAndSetting)
{
    std::mt19937 random(20261209);
    for (const std::string separator : {",", ".", "\u066B"}) {
        SeparatorGuard guard(separator);
        for (CsvStyle style : {CsvStyle::Semicolon, CsvStyle::Comma}) {
            for (int i = 0; i < 50; ++i) {
                const RadioImage shown = RandomShownImage(random);
                const RadioImage base = RandomShownImage(random);
                const std::string csv = ExportCsv(shown, style);
                const CsvImportResult result = ImportCsv(csv, base);
                ASSERT_TRUE(result.image) << FormatCsvProblems(result.problems) << csv;
                ASSERT_EQ(*result.image, Overlay(base, shown)) << csv;
            }
        }
    }
    // Over its own image a file changes no byte, even those the texts do not pin down: a power
    // of 0x01, a frequency between tens of hertz.
    RadioImage odd = RandomShownImage(random);
    odd.channels[3].setPower(0x01);
    odd.channels[4].setRxHz(433075005);
    const CsvImportResult result = ImportCsv(ExportCsv(odd, CsvStyle::Comma), odd);
    ASSERT_TRUE(result.image);
    EXPECT_EQ(*result.image, odd);
}

// The captions and the settings texts are the window's own, taken from its layout.
TEST(CsvFile, ExportUsesTheTextsOfTheWindow)
{
    const std::string skin = ReadSkin();
    ASSERT_FALSE(skin.empty());
    std::string captions;
    const std::regex caption("<ListHeaderItem text=\"([^\"]*)\"");
    for (std::sregex_iterator it(skin.begin(), skin.end(), caption), end; it != end; ++it)
        captions += (captions.empty() ? "" : ";") + (*it)[1].str();

    RadioImage image;
    image.channels[0].setRxHz(433075000);
    image.channels[0].setTxHz(433075000);
    image.channels[0].setRxTone(kNoTone);
    image.channels[0].setTxTone(885);
    image.channels[0].setPower(0xFF);
    image.channels[0].setWidth(0xFF);
    image.channels[0].setScan(0xFF);
    image.channels[1].setRxTone(0x2017);
    image.channels[1].setTxTone(0xA2F2);
    const std::string csv = ExportCsv(image, CsvStyle::Semicolon);
    EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(Line(csv, 1).substr(3), captions);
    EXPECT_EQ(Line(csv, 2), "1;433,07500;433,07500;Нет;88,5;Высокая;Широкая (W);Да");
    EXPECT_EQ(Line(csv, 3), "2;0,00000;0,00000;023N;754I;Низкая;Узкая (N);Нет");
    EXPECT_EQ(Line(ExportCsv(image, CsvStyle::Comma), 2),
              "1,433.07500,433.07500,Нет,88.5,Высокая,Широкая (W),Да");
    EXPECT_EQ(Line(csv, 18), "");
    EXPECT_EQ(Line(csv, 19), "Настройка;Значение");
    EXPECT_NE(csv.find("\r\n"), std::string::npos);

    // Each settings combo of the layout: its label, then its entries; every entry exports as
    // "label;entry" and that row imports as the byte of that entry.
    const std::regex combo(
        "<Label text=\"([^\"]*)\"[^>]*/>\\s*<Combo name=\"(\\w+)\">([^]*?)</Combo>");
    const std::regex item("<ListLabelElement text=\"([^\"]*)\"");
    int combos = 0;
    for (std::sregex_iterator it(skin.begin(), skin.end(), combo), end; it != end; ++it) {
        ++combos;
        const std::string label = (*it)[1];
        const std::string name = (*it)[2];
        const std::string items = (*it)[3];
        const auto& fields = SettingsFields();
        const auto field = std::find_if(fields.begin(), fields.end(), [&](const SettingsField& f) {
            return SettingsComboName(f) == name;
        });
        ASSERT_NE(field, fields.end()) << name;
        int index = 0;
        for (std::sregex_iterator e(items.begin(), items.end(), item); e != end; ++e, ++index) {
            RadioImage set;
            set.settings.bytes[field->offset] = ByteFromSelection(*field, index);
            const std::string exported = ExportCsv(set, CsvStyle::Semicolon);
            EXPECT_NE(exported.find("\r\n" + label + ";" + (*e)[1].str() + "\r\n"),
                      std::string::npos)
                << label << " " << index;
        }
        EXPECT_EQ(index, field->entryCount) << name;
    }
    EXPECT_EQ(combos, 7);
}

TEST(CsvFile, GenericCsvOfOtherProgrammersImportsByLocation)
{
    // Locations out of order, a quoted name with a comma, quotes and a line break, and a
    // location past the 7 rows that still takes the next channel.
    const std::string csv =
        "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
        "RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE\n"
        "3,RPT,438.500000,+,7.600000,TSQL,88.5,127.3,023,NN,023,Tone->Tone,FM,12.50,,High,,,,,\n"
        "0,CALL,146.520000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,5.0W,,,,,\n"
        "20,LAST,446.006250,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,NFM,6.25,S,Low,,,,,\n"
        "1,\"Peak, \"\"North\"\"\nsecond line\",145.600000,-,0.600000,Tone,100.0,88.5,023,NN,"
        "023,Tone->Tone,NFM,12.50,S,1.0W,,,,,\n"
        "5,DCS,440.100000,split,445.100000,DTCS,88.5,88.5,754,NR,023,Tone->Tone,FM,12.50,,"
        "5.0W,,,,,\n"
        "7,X1,433.500000,,0.000000,Cross,67.0,88.5,047,RN,023,Tone->DTCS,FM,12.50,P,5.0W,,,,,\n"
        "6,X2,433.600000,,0.000000,Cross,88.5,88.5,047,RN,131,DTCS->,FM,12.50,,5.0W,,,,,\n";
    std::mt19937 random(7);
    const RadioImage base = RandomShownImage(random);
    const CsvImportResult result = ImportCsv(csv, base);
    ASSERT_TRUE(result.image) << FormatCsvProblems(result.problems);

    struct Expected
    {
        std::uint32_t rx, tx;
        ToneCode rxTone, txTone;
        std::uint8_t power, width, scan;
    };
    const Expected expected[] = {
        {146520000, 146520000, kNoTone, kNoTone, 0xFF, 0xFF, 0xFF},           // 0
        {145600000, 145000000, kNoTone, 1000, 0x00, 0x00, 0x00},              // 1
        {438500000, 446100000, 1273, 1273, 0xFF, 0xFF, 0xFF},                 // 3
        {440100000, 445100000, 0xA000 + 754, 0x2000 + 754, 0xFF, 0xFF, 0xFF}, // 5
        {433600000, 433600000, kNoTone, 0xA000 + 47, 0xFF, 0xFF, 0xFF},       // 6
        {433500000, 433500000, 0x2000 + 23, 670, 0xFF, 0xFF, 0xFF},           // 7
        {446006250, 446006250, kNoTone, kNoTone, 0x00, 0x00, 0x00},           // 20
    };
    for (int n = 0; n < kChannelCount; ++n) {
        const ChannelRecord& got = result.image->channels[n];
        SCOPED_TRACE(n + 1);
        EXPECT_TRUE(std::equal(got.bytes.begin() + 15, got.bytes.end(),
                               base.channels[n].bytes.begin() + 15));
        if (n >= 7) {
            EXPECT_EQ(got, base.channels[n]);
            continue;
        }
        const Expected& e = expected[n];
        EXPECT_EQ(got.rxHz(), e.rx);
        EXPECT_EQ(got.txHz(), e.tx);
        EXPECT_EQ(got.rxTone(), e.rxTone);
        EXPECT_EQ(got.txTone(), e.txTone);
        EXPECT_EQ(got.power(), e.power);
        EXPECT_EQ(got.width(), e.width);
        EXPECT_EQ(got.scan(), e.scan);
    }
    EXPECT_EQ(result.image->settings, base.settings);
}

// Only what the exported file holds, in code page 1251: Cyrillic, "Ё", "ё" and "№".
std::string ToCp1251(const std::string& utf8)
{
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        char32_t u = 0;
        if ((c & 0xE0) == 0xC0) {
            u = ((c & 0x1F) << 6) | (utf8[i + 1] & 0x3F);
            i += 1;
        } else {
            u = ((c & 0x0F) << 12) | ((utf8[i + 1] & 0x3F) << 6) | (utf8[i + 2] & 0x3F);
            i += 2;
        }
        out += u == U'№'   ? '\xB9'
               : u == U'Ё' ? '\xA8'
               : u == U'ё' ? '\xB8'
                           : static_cast<char>(0xC0 + (u - U'А'));
    }
    return out;
}

TEST(CsvFile, AWindows1251FileImportsLikeItsUtf8Form)
{
    SeparatorGuard guard(',');
    std::mt19937 random(1251);
    const RadioImage shown = RandomShownImage(random);
    const std::string utf8 = ExportCsv(shown, CsvStyle::Semicolon).substr(3);
    const std::string cp1251 = ToCp1251(utf8);
    ASSERT_NE(cp1251, utf8);
    for (const std::string& bytes : {utf8, cp1251}) {
        const CsvImportResult result = ImportCsv(bytes, RadioImage{});
        ASSERT_TRUE(result.image) << FormatCsvProblems(result.problems);
        EXPECT_EQ(*result.image, Overlay(RadioImage{}, shown));
    }
}

TEST(CsvFile, BrokenFilesGiveLineNumberedProblemsAndNoImage)
{
    SeparatorGuard guard(',');
    RadioImage image;
    for (int n = 0; n < kChannelCount; ++n) {
        image.channels[n].setRxHz(433075000 + 25000 * n);
        image.channels[n].setTxTone(885);
    }
    const std::string good = ExportCsv(image, CsvStyle::Semicolon);
    const std::string generic =
        "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
        "RxDtcsCode,CrossMode,Mode,TStep,Skip,Power\n"
        "1,A,146.520000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,5.0W\n";
    struct Case
    {
        std::string name, bytes;
        int line;
        std::string message;
    };
    const Case cases[] = {
        {"bad number",
         ReplaceLine(good, 2, "1;433,0x500;433,07500;Нет;88,5;Высокая;Широкая (W);Да"), 2,
         "неверная частота «433,0x500» в столбце «Частота RX»"},
        {"point in a comma file",
         ReplaceLine(good, 3, "2;433.10000;433,10000;Нет;88,5;Высокая;Широкая (W);Да"), 3,
         "неверная частота"},
        {"frequency beyond 32 bits",
         ReplaceLine(good, 3, "2;4294,96730;433,10000;Нет;88,5;Высокая;Широкая (W);Да"), 3,
         "неверная частота"},
        {"unknown tone", ReplaceLine(good, 4, "3;433,1;433,1;Нет;88,5Гц;Высокая;Широкая (W);Да"), 4,
         "неизвестный код QT/DQT «88,5Гц»"},
        {"tone that shows as none",
         ReplaceLine(good, 4, "3;433,1;433,1;25,5;Нет;Высокая;Широкая (W);Да"), 4,
         "неизвестный код QT/DQT «25,5»"},
        {"unknown choice", ReplaceLine(good, 5, "4;433,1;433,1;Нет;Нет;Средняя;Широкая (W);Да"), 5,
         "неизвестное значение «Средняя» в столбце «Мощность TX»"},
        {"wrong column count", ReplaceLine(good, 6, "5;433,1;433,1;Нет;Нет;Высокая;Да"), 6,
         "ожидалось полей: 8, в строке: 7"},
        {"too few rows", ReplaceLine(good, 17, ""), 19, "нет строки канала 16"},
        {"channel twice", ReplaceLine(good, 17, Line(good, 2)), 17, "канал 1 уже был в строке 2"},
        {"garbage bytes", ReplaceLine(good, 7, "6;433\xFF\xFE\x01;"), 7, "недопустимые байты"},
        {"control character without a mark", ReplaceLine(good.substr(3), 8, "7;\x01"), 8,
         "недопустимый символ"},
        {"unclosed quote", ReplaceLine(good, 9, "8;\"433,1;433,1"), 9, "кавычка не закрыта"},
        {"quote inside a field", ReplaceLine(good, 9, "8;43\"3;433,1"), 9, "кавычка внутри"},
        {"bad setting", ReplaceLine(good, 20, "Таймер TOT;90"), 20,
         "недопустимое значение «90» настройки «Таймер TOT»"},
        {"no settings", good.substr(0, good.find("\r\n\r\n") + 2), 17, "нет раздела настроек"},
        {"not a channel table", std::string("\x89PNG\x1a\n\0\0", 8), 1, "недопустимый символ"},
        {"foreign text", "a;b;c\n1;2;3\n", 1, "Неправильный формат файла"},
        {"empty file", "", 1, "файл пуст"},
        {"unknown tone mode",
         ReplaceLine(generic, 2,
                     "1,A,146.52,,0,Foo,88.5,88.5,023,NN,023,,"
                     "FM,5.00,,5.0W"),
         2, "неизвестный режим тона «Foo»"},
        {"transmit off",
         ReplaceLine(generic, 2,
                     "1,A,146.52,off,0,,88.5,88.5,023,NN,023,,"
                     "FM,5.00,,5.0W"),
         2, "неизвестный вид сдвига «off»"},
        {"bad polarity",
         ReplaceLine(generic, 2,
                     "1,A,146.52,,0,DTCS,88.5,88.5,023,NX,023,,"
                     "FM,5.00,,5.0W"),
         2, "неверная полярность DCS «NX»"},
        {"amplitude modulation",
         ReplaceLine(generic, 2,
                     "1,A,146.52,,0,,88.5,88.5,023,NN,023,,"
                     "AM,5.00,,5.0W"),
         2, "неизвестное значение «AM» в столбце «Mode»"},
        {"missing column", "Location,Frequency,Mode\n1,146.52,FM\n", 1, "нет столбца «Duplex»"},
    };
    ASSERT_TRUE(ImportCsv(good, image).image);
    ASSERT_TRUE(ImportCsv(generic, image).image);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CsvImportResult result = ImportCsv(c.bytes, image);
        EXPECT_FALSE(result.image);
        ASSERT_FALSE(result.problems.empty());
        EXPECT_EQ(result.problems[0].line, c.line) << FormatCsvProblems(result.problems);
        EXPECT_NE(result.problems[0].message.find(c.message), std::string::npos)
            << FormatCsvProblems(result.problems);
    }

    // Only the first problems are kept, in file order.
    std::string many = good;
    for (int line = 2; line <= 17; ++line)
        many = ReplaceLine(many, line, Line(many, line) + ";x");
    const CsvImportResult result = ImportCsv(many, image);
    ASSERT_EQ(result.problems.size(), kMaxCsvProblems);
    EXPECT_EQ(result.problems.back().line, 11);
    EXPECT_TRUE(FormatCsvProblems(result.problems).starts_with("Строка 2: "));
}

} // namespace
