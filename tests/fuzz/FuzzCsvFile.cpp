// Fuzz target: the CSV import. Any bytes give either a whole image without problems or no image
// with at most the first problems, each on a line of the file; an image that an import gives
// exports and imports again to itself.
// (A cell that shows what the base shows keeps its bytes, so the rounding of frequencies to five
// decimals costs nothing.)

#include "FuzzSupport.h"
#include "file/CsvFile.h"

// std
#include <algorithm>
#include <string_view>

namespace {

RadioImage Base()
{
    RadioImage image;
    for (auto& channel : image.channels)
        channel.bytes.fill(0xA5);
    return image;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const RadioImage base = Base();
    const CsvImportResult result = ImportCsv(bytes, base);
    int lines = 1; // line ends: CR LF, LF, a lone CR
    for (std::size_t i = 0; i < size; ++i)
        lines += bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == size || bytes[i + 1] != '\n'));
    if (!result.image) {
        FUZZ_CHECK(!result.problems.empty() && result.problems.size() <= kMaxCsvProblems);
        for (const CsvProblem& problem : result.problems)
            FUZZ_CHECK(problem.line >= 1 && problem.line <= lines && !problem.message.empty());
        return 0;
    }
    FUZZ_CHECK(result.problems.empty());
    for (CsvStyle style : {CsvStyle::Semicolon, CsvStyle::Comma}) {
        const CsvImportResult again = ImportCsv(ExportCsv(*result.image, style), *result.image);
        FUZZ_CHECK(again.image && *again.image == *result.image);
    }
    return 0;
}
