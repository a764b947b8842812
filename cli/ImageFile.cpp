#include "ImageFile.h"

#include "CliTexts.h"
#include "file/CsvFile.h"
#include "file/DiskFile.h"
#include "file/KtFile.h"
#include "model/CellText.h"
#include "model/SettingsMapping.h"

// std
#include <algorithm>
#include <cctype>

namespace {

// A channel plan is a few kilobytes; anything this large is not one (as the window says).
constexpr std::size_t kMaxCsvSize = 1 << 20;

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string FileError(const char* what, const std::string& path, const std::string& why)
{
    return std::string(what) + "\n" + path + "\n" + why;
}

} // namespace

std::optional<ImageFileKind> ImageFileKindOf(const std::string& path)
{
    const std::string name = Lower(path);
    if (EndsWith(name, ".kt"))
        return ImageFileKind::Kt;
    if (EndsWith(name, ".csv"))
        return ImageFileKind::Csv;
    return std::nullopt;
}

ImageFileRead ReadImageFile(const std::string& path)
{
    ImageFileRead result;
    const std::optional<ImageFileKind> kind = ImageFileKindOf(path);
    if (!kind) {
        result.error = Texts::kUnknownFileKind;
        return result;
    }
    const bool kt = *kind == ImageFileKind::Kt;
    // The window takes a data file's first 420 bytes; a CSV is taken whole or refused.
    const DiskFileRead file = ReadDiskFile(path, kt ? kKtFileSize : kMaxCsvSize, !kt);
    if (!file.error.empty()) {
        result.error = FileError(Texts::kCannotOpenFile, path, file.error);
        return result;
    }
    if (kt) {
        RadioImage image;
        switch (DecodeKtFile(file.bytes, image)) {
        case KtDecodeStatus::Ok:
            result.image = ShownImage(image);
            break;
        case KtDecodeStatus::WrongIdentification:
            result.error = Texts::kBadFileFormat;
            break;
        case KtDecodeStatus::WrongChecksum:
            result.error = Texts::kBadFileCrc;
            break;
        }
        return result;
    }
    const RadioImage base = GridImage(DefaultChannelRecords(), DefaultSelections());
    const CsvImportResult csv =
        ImportCsv({reinterpret_cast<const char*>(file.bytes.data()), file.bytes.size()}, base);
    if (csv.image)
        result.image = ShownImage(*csv.image);
    else
        result.error = std::string(Texts::kCsvNotImported) + "\n" + FormatCsvProblems(csv.problems);
    return result;
}

std::string WriteImageFile(const std::string& path, const RadioImage& image)
{
    const std::optional<ImageFileKind> kind = ImageFileKindOf(path);
    if (!kind)
        return Texts::kUnknownFileKind;
    std::string error;
    if (*kind == ImageFileKind::Kt) {
        error = WriteDiskFileSafely(path, EncodeKtFile(image));
    } else {
        const std::string csv = ExportCsv(image, CsvStyleForHeldSeparator());
        error = WriteDiskFileSafely(
            path, {reinterpret_cast<const std::uint8_t*>(csv.data()), csv.size()});
    }
    return error.empty() ? error : FileError(Texts::kCannotSaveFile, path, error);
}
