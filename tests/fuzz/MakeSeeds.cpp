// Writes the seed corpus of every fuzz target, made with the program's own encoders and
// texts, into <out>/<target>/: fuzz_make_seeds <out>

#include "file/Crc16.h"
#include "file/CsvFile.h"
#include "file/KtFile.h"
#include "link/RadioProtocol.h"
#include "model/CellText.h"
#include "model/DecimalSeparator.h"
#include "model/ToneCode.h"
#include "model/ValueText.h"

// std
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

// One target's seed folder; seeds are numbered in the order they are added.
class CSeedFolder
{
public:
    CSeedFolder(const fs::path& root, const std::string& target) : m_dir(root / target)
    {
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void Add(const std::string& name, const Bytes& bytes)
    {
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "%03d-", m_count++);
        std::ofstream out(m_dir / (prefix + name), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    // A text input: the separator byte (0 ',', 1 '.'), then `prefix` bytes, then the text.
    void AddText(const std::string& name, char separator, std::string_view text,
                 const Bytes& prefix = {})
    {
        Bytes bytes{static_cast<std::uint8_t>(separator == '.' ? 1 : 0)};
        bytes.insert(bytes.end(), prefix.begin(), prefix.end());
        bytes.insert(bytes.end(), text.begin(), text.end());
        Add(name, bytes);
    }

private:
    fs::path m_dir;
    int m_count = 0;
};

// The image a fresh window holds: the default cell texts encoded into the records.
RadioImage DefaultImage()
{
    RadioImage image;
    const auto texts = DefaultChannelTexts();
    for (int row = 0; row < kChannelCount; ++row) {
        for (int column = kColRxFreq; column <= kColScan; ++column)
            (void)ApplyCellText(image.channels[row], column, texts[row][column - 1]);
    }
    image.settings.bytes[SettingsRecord::Offset::TimeOut] = 60;
    image.settings.bytes[SettingsRecord::Offset::SquelchLevel] = 5;
    return image;
}

RadioImage RandomImage(std::mt19937& random)
{
    RadioImage image;
    for (auto& channel : image.channels) {
        for (auto& b : channel.bytes)
            b = static_cast<std::uint8_t>(random());
    }
    for (std::size_t offset : {4, 14, 15, 16, 17, 18, 19})
        image.settings.bytes[offset] = static_cast<std::uint8_t>(random());
    return image;
}

// A text written with ',' as it reads with the given separator.
std::string WithSeparator(std::string text, char separator)
{
    for (char& c : text) {
        if (c == ',')
            c = separator;
    }
    return text;
}

Bytes ToBytes(const KtFileBytes& file)
{
    return Bytes(file.begin(), file.end());
}

void KtSeeds(const fs::path& root)
{
    CSeedFolder seeds(root, "kt_file");
    const Bytes fresh = ToBytes(EncodeKtFile(DefaultImage()));
    seeds.Add("default.kt", fresh);
    std::mt19937 random(20261208);
    seeds.Add("random.kt", ToBytes(EncodeKtFile(RandomImage(random))));
    seeds.Add("zero-image.kt", ToBytes(EncodeKtFile(RadioImage{})));

    Bytes longer = fresh;
    longer.push_back(0x42);
    seeds.Add("421-bytes.kt", longer);
    seeds.Add("short.kt", Bytes(fresh.begin(), fresh.begin() + 200));
    seeds.Add("id-only.kt", Bytes(fresh.begin(), fresh.begin() + 6));
    seeds.Add("empty.kt", {});

    Bytes swapped = fresh;
    std::swap(swapped[418], swapped[419]);
    seeds.Add("crc-swapped.kt", swapped);
    Bytes lower = fresh;
    for (int i = 0; i < 3; ++i)
        lower[i] = static_cast<std::uint8_t>(lower[i] + ('a' - 'A'));
    seeds.Add("id-lower-case.kt", lower);

    // A nonzero settings header with a matching checksum: accepted, the header is not kept.
    Bytes header = fresh;
    header[390] = 'W';
    header[391] = 0x05;
    header[393] = 0x20;
    const auto crc = ComputeCrc16(header.data(), 418);
    header[418] = crc[0];
    header[419] = crc[1];
    seeds.Add("settings-header.kt", header);
}

void CsvSeeds(const fs::path& root)
{
    CSeedFolder seeds(root, "csv_file");
    const auto add = [&](const std::string& name, const std::string& text) {
        seeds.Add(name, Bytes(text.begin(), text.end()));
    };
    std::mt19937 random(20261209);
    add("default-semicolon.csv", ExportCsv(DefaultImage(), CsvStyle::Semicolon));
    add("random-comma.csv", ExportCsv(RandomImage(random), CsvStyle::Comma));
    add("generic.csv",
        "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
        "RxDtcsCode,CrossMode,Mode,TStep,Skip,Power\n"
        "1,\"A, \"\"B\"\"\",146.52,+,0.6,Tone,88.5,88.5,023,NN,023,Tone->Tone,FM,5,,5.0W\n"
        "2,B,145.6,split,145.0,DTCS,88.5,88.5,754,NR,023,Tone->Tone,NFM,5,S,1.0W\n"
        "3,C,433.5,,0,Cross,67.0,71.9,047,RN,131,Tone->DTCS,FM,5,P,Low\n");
    add("cp1251.csv", "\xB9 \xEA\xE0\xED\xE0\xEB\xE0;\xD7\xE0\xF1\xF2\xEE\xF2\xE0 RX\n");
}

void ToneSeeds(const fs::path& root)
{
    CSeedFolder seeds(root, "tone_code");
    for (const char separator : {',', '.'}) {
        ApplyDecimalSeparator(separator);
        const auto& table = ToneTextTable();
        // A selection of the table, the codes it names as the stored code.
        for (std::size_t i = 0; i < table.size(); i += 7) {
            const ToneCode code = ParseToneCode(table[i]).code;
            seeds.AddText("table-" + std::to_string(i), separator, table[i],
                          {static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(code >> 8)});
        }
        // Written with ',', the held separator replaces it.
        for (const char* text : {"023N",
                                 "754I",
                                 "23N",
                                 "0023N",
                                 "N",
                                 "12,3N",
                                 "88,56",
                                 "-5",
                                 "500",
                                 "5000N",
                                 "023n",
                                 " 1",
                                 "409,4",
                                 "409,5",
                                 "25,5",
                                 "1234567890123456789012N",
                                 "0,05",
                                 "Нет",
                                 "Нетт",
                                 "",
                                 "9,99999999999999999999",
                                 "88.5"}) {
            seeds.AddText("typed", separator, WithSeparator(text, separator), {0xFF, 0xFF});
        }
    }
    ApplyDecimalSeparator(',');
}

void FrequencySeeds(const fs::path& root)
{
    CSeedFolder seeds(root, "frequency");
    for (const char separator : {',', '.'}) {
        ApplyDecimalSeparator(separator);
        for (const std::uint32_t hz : {433075000u, 433450000u, 136000000u, 480000000u, 0u,
                                       4294967295u, 256000750u, 705032704u})
            seeds.AddText("formatted", separator, FormatFrequency(hz));
        for (const char* text : {"5000", "433,1", "4294,967296", "4294,967295", "-1", "-0,0000001",
                                 "1e3", "1e400", "1e-400", " \t433", "433,,1", "", "+-1", "0x1p8",
                                 "inf", "nan", "433,07500x", "433.075"})
            seeds.AddText("typed", separator, WithSeparator(text, separator));
    }
    ApplyDecimalSeparator(',');
}

// A script for the protocol target (see FuzzProtocol.cpp): the 16 row records, then actions.
class CProtocolScript
{
public:
    CProtocolScript()
    {
        for (int i = 0; i < kChannelCount * 24; ++i)
            m_bytes.push_back(static_cast<std::uint8_t>(i * 7 + 1));
    }
    CProtocolScript& Start(bool isRead, std::uint8_t port = 0, std::uint8_t failAt = 0)
    {
        return Add({0, static_cast<std::uint8_t>(isRead), port, failAt});
    }
    CProtocolScript& Deliver(const Bytes& bytes)
    {
        Add({1, static_cast<std::uint8_t>(bytes.size())});
        return Add(bytes);
    }
    CProtocolScript& Identify() { return Add({3, 0}); }
    // `count` correct answers; each channel or settings reply takes 28 payload bytes.
    CProtocolScript& Good(int count)
    {
        Add({4, static_cast<std::uint8_t>(count)});
        for (int i = 0; i < count * 28; ++i)
            m_bytes.push_back(static_cast<std::uint8_t>(0x30 + i % 64));
        return *this;
    }
    CProtocolScript& Damaged(std::uint8_t index, std::uint8_t value, std::uint8_t length)
    {
        Add({5});
        for (int i = 0; i < 28; ++i)
            m_bytes.push_back(static_cast<std::uint8_t>(i));
        return Add({index, value, length});
    }
    CProtocolScript& Tick() { return Add({6}); }
    CProtocolScript& EndDialog() { return Add({7, 1}); }
    const Bytes& bytes() const { return m_bytes; }

private:
    CProtocolScript& Add(const Bytes& b)
    {
        m_bytes.insert(m_bytes.end(), b.begin(), b.end());
        return *this;
    }
    Bytes m_bytes;
};

void ProtocolSeeds(const fs::path& root)
{
    CSeedFolder seeds(root, "protocol");
    const auto ident = CRadioProtocol::kIdentification;
    seeds.Add("read", CProtocolScript().Start(true).Identify().Good(18).EndDialog().bytes());
    seeds.Add("write", CProtocolScript().Start(false).Identify().Good(18).EndDialog().bytes());
    seeds.Add("read-then-write", CProtocolScript()
                                     .Start(true)
                                     .Identify()
                                     .Good(18)
                                     .EndDialog()
                                     .Start(false)
                                     .Identify()
                                     .Good(18)
                                     .EndDialog()
                                     .bytes());
    seeds.Add("read-stalls",
              CProtocolScript().Start(true).Identify().Good(6).Tick().Tick().EndDialog().bytes());
    seeds.Add("write-stalls",
              CProtocolScript().Start(false).Identify().Good(9).Tick().Tick().EndDialog().bytes());
    seeds.Add("no-answer", CProtocolScript().Start(true).Tick().EndDialog().bytes());
    seeds.Add(
        "ident-midway",
        CProtocolScript().Start(true).Identify().Good(8).Identify().Good(18).EndDialog().bytes());
    seeds.Add("wrong-block", CProtocolScript()
                                 .Start(true)
                                 .Identify()
                                 .Good(4)
                                 .Damaged(2, 9, 34)
                                 .Good(14)
                                 .EndDialog()
                                 .bytes());
    seeds.Add("settings-without-05", CProtocolScript()
                                         .Start(true)
                                         .Identify()
                                         .Good(17)
                                         .Damaged(1, 0, 34)
                                         .Tick()
                                         .Tick()
                                         .EndDialog()
                                         .bytes());
    seeds.Add("short-replies", CProtocolScript()
                                   .Start(true)
                                   .Identify()
                                   .Good(3)
                                   .Damaged(0, 'W', 3)
                                   .Damaged(0, 'W', 1)
                                   .Good(4)
                                   .bytes());
    seeds.Add("port-fails",
              CProtocolScript().Start(false, 250, 5).Identify().Good(10).EndDialog().bytes());
    seeds.Add(
        "port-cancels",
        CProtocolScript().Start(true, 210).Identify().Good(5).Tick().Tick().EndDialog().bytes());
    seeds.Add("handshake-fails", CProtocolScript().Start(true, 250, 0).EndDialog().bytes());
    seeds.Add("probe-answer", CProtocolScript().Identify().Deliver({0x06}).bytes());
    seeds.Add("noise", CProtocolScript()
                           .Start(false)
                           .Deliver({0x00, 0x13, 0xFE, 0x55, 0xAA, 0x06})
                           .Deliver(Bytes(ident.begin(), ident.end()))
                           .Good(2)
                           .Deliver({'W', 0x05, 0x00, 0x20})
                           .Good(20)
                           .bytes());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const fs::path root = argv[1];
    KtSeeds(root);
    CsvSeeds(root);
    ToneSeeds(root);
    FrequencySeeds(root);
    ProtocolSeeds(root);
    return 0;
}
