// A real spreadsheet (LibreOffice Calc, headless) reads the exported CSV, keeps it as a workbook
// and writes it out again; the import must give back the same channels and settings.
#include "file/CsvFile.h"

#include "model/SettingsMapping.h"
#include "model/ToneCode.h"
#include "tests/support/SeparatorGuard.h"

#include <gtest/gtest.h>

// std
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string Office()
{
    for (const char* name : {"soffice", "libreoffice"}) {
        if (std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0)
            return name;
    }
    return {};
}

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class Spreadsheet : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_office = Office();
        ASSERT_FALSE(m_office.empty())
            << "LibreOffice (soffice) is not installed: run tools/install-deps.sh, which "
               "installs libreoffice-calc";
        m_dir = fs::temp_directory_path() / ("vorlend-csv-" + std::to_string(getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // Converts `input` to `format` into a subfolder; `options` are the CSV filter's tokens
    // (separator, quote, character set, first line, column formats, language).
    fs::path convert(const fs::path& input, const std::string& format, const std::string& folder)
    {
        const std::string command = m_office + " -env:UserInstallation=file://" +
                                    (m_dir / "profile").string() + " --headless " + format +
                                    " --outdir " + (m_dir / folder).string() + " " +
                                    input.string() + " >" + (m_dir / "log").string() + " 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << ReadAll(m_dir / "log");
        return m_dir / folder / (input.stem().string() + (folder == "xlsx" ? ".xlsx" : ".csv"));
    }

    std::string m_office;
    fs::path m_dir;
};

RadioImage PlanImage()
{
    const auto& table = ToneTextTable();
    RadioImage image;
    for (int n = 0; n < kChannelCount; ++n) {
        ChannelRecord& channel = image.channels[n];
        channel.setRxHz(136000000 + 21712340 * n);
        channel.setTxHz(channel.rxHz() - 600000 + 10 * n);
        channel.setRxTone(ParseToneCode(table[n * 13 % table.size()]).code);
        channel.setTxTone(ParseToneCode(table[(n * 29 + 7) % table.size()]).code);
        channel.setPower(n % 2 ? 0xFF : 0x00);
        channel.setWidth(n % 3 ? 0xFF : 0x00);
        channel.setScan(n % 5 ? 0xFF : 0x00);
        channel.bytes[20] = static_cast<std::uint8_t>(n);
    }
    for (const SettingsField& field : SettingsFields())
        image.settings.bytes[field.offset] = ByteFromSelection(field, field.entryCount - 1);
    return image;
}

// A file written for a decimal-comma locale, opened by Calc in Russian, saved as a workbook and
// written out again as comma-separated text with decimal points, imports to the same image.
TEST_F(Spreadsheet, ExportedNumbersSurviveAWorkbook)
{
    SeparatorGuard guard(',');
    const RadioImage image = PlanImage();
    const fs::path csv = m_dir / "plan.csv";
    std::ofstream(csv, std::ios::binary) << ExportCsv(image, CsvStyle::Semicolon);

    const fs::path xlsx = convert(csv, "--infilter=CSV:59,34,76,1,,1049 --convert-to xlsx", "xlsx");
    const fs::path back =
        convert(xlsx, "--convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1'", "csv");
    const std::string text = ReadAll(back);
    ASSERT_FALSE(text.empty());
    // Calc held the frequencies as numbers: it writes them in its own form, not as exported.
    EXPECT_NE(text.find("\n1,136,135.4,"), std::string::npos) << text;

    const CsvImportResult result = ImportCsv(text, image);
    ASSERT_TRUE(result.image) << FormatCsvProblems(result.problems) << text;
    EXPECT_EQ(*result.image, image);
}

} // namespace
