// Writes the seed corpora of the fuzz targets that need Qt into <out>/<target>/:
// fuzz_make_gui_seeds <out>. The skin seeds are the program's own skin archive and layout and
// small archives written by the toolkit tests' zip writer; the editor seeds type the texts the
// grid shows.

#include "model/DecimalSeparator.h"
#include "model/ToneCode.h"
#include "model/ValueText.h"
#include "resources/SkinResources.h"
#include "tests/support/TestZip.h"
#include "toolkit/ZipArchive.h"

// std
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

void Write(const fs::path& dir, const std::string& name, const Bytes& bytes)
{
    fs::create_directories(dir);
    std::ofstream out(dir / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes WithMode(std::uint8_t mode, const QByteArray& rest)
{
    Bytes b{mode};
    b.insert(b.end(), rest.begin(), rest.end());
    return b;
}

void SkinSeeds(const fs::path& root)
{
    const fs::path dir = root / "skin";
    fs::remove_all(dir);
    const QByteArray skin = vorlend::SkinArchive();
    Write(dir, "000-skin-archive", WithMode(0, skin));
    using vorlend::test::ZipEntry;
    Write(
        dir, "001-small-deflate",
        WithMode(0, vorlend::test::MakeZip(
                        {{QStringLiteral("Skin.xml"), QByteArray("<Window size=\"10,10\"/>"), true},
                         {QStringLiteral("a.png"), QByteArray(300, 'a'), true}})));
    Write(
        dir, "002-small-stored",
        WithMode(0, vorlend::test::MakeZip({{QStringLiteral("x"), QByteArray("stored"), false}})));
    Write(dir, "003-empty", WithMode(0, vorlend::test::MakeZip({})));
    // Edits of the real archive: none, then one in the first local header and one in the end
    // record.
    Write(dir, "004-skin-unchanged", {1});
    Write(dir, "005-skin-edits", {1, 0x1A, 0x00, 0x7F, 0xF0, 0xFF, 0x00});
    const auto xml = DuiLib::CZipArchive(skin).Read(QStringLiteral("Skin.xml"));
    if (xml)
        Write(dir, "006-skin-xml", WithMode(2, *xml));
    Write(dir, "007-small-layout",
          WithMode(2,
                   QByteArray("<Window size=\"300,200\"><Font id=\"0\" name=\"Arial\" size=\"12\"/>"
                              "<Default name=\"Label\" value=\"height=&quot;25&quot;\"/>"
                              "<VerticalLayout><Label name=\"a\" text=\"A\"/><Combo name=\"c\">"
                              "<ListLabelElement text=\"x\" selected=\"true\"/></Combo>"
                              "</VerticalLayout></Window>")));
}

// Typing scripts for the editor targets (see their action encodings).
void EditorSeeds(const fs::path& root)
{
    for (const char* name : {"freq_filter", "code_filter"})
        fs::remove_all(root / name);
    int n = 0;
    for (const char separator : {',', '.'}) {
        ApplyDecimalSeparator(separator);
        const std::uint8_t sepByte = separator == '.' ? 1 : 0;
        for (const std::uint32_t hz : {433075000u, 0u, 4294967295u, 136000000u}) {
            const std::string text = FormatFrequency(hz);
            Bytes b{sepByte, std::uint8_t(hz), std::uint8_t(hz >> 8), std::uint8_t(hz >> 16),
                    std::uint8_t(hz >> 24)};
            // Select everything, then type the text again key by key, then a few backspaces.
            b.insert(b.end(), {3, 0, 9});
            for (const char c : text) {
                if (c == separator)
                    b.insert(b.end(), {0, 2});
                else
                    b.insert(b.end(), {0, 0, std::uint8_t(c - '0')});
            }
            b.insert(b.end(), {0, 3, 0, 3, 2, 1, 0, 0, 7, 4, 2, 1, 5, 3, 2, 1});
            Write(root / "freq_filter", std::to_string(n++), b);
        }
        for (const ToneCode code :
             {ToneCode(0xFFFF), ToneCode(885), ToneCode(0x2017), ToneCode(0xA2F2), ToneCode(0)}) {
            Bytes b{sepByte, std::uint8_t(code), std::uint8_t(code >> 8)};
            b.insert(b.end(), {0, 0, 5, 3, 0, 3, 0, 0, 2, 0, 3, 1, 4, 7, 1, 4, 100, 0});
            Write(root / "code_filter", std::to_string(n++), b);
        }
    }
    ApplyDecimalSeparator(',');
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    SkinSeeds(argv[1]);
    EditorSeeds(argv[1]);
    return 0;
}
