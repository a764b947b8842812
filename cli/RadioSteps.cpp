#include "RadioSteps.h"

#include "CliTexts.h"
#include "Commands.h"
#include "ImageFile.h"
#include "ImageText.h"

// std
#include <cstdio>
#include <utility>

std::optional<RadioImage> LoadFile(const std::string& path)
{
    ImageFileRead file = ReadImageFile(path);
    if (!file.image)
        std::fprintf(stderr, "%s\n", file.error.c_str());
    return std::move(file.image);
}

bool ChoosePort(CCliRadio& radio, const std::string& port)
{
    if (!port.empty()) {
        radio.SelectPort(port);
        return true;
    }
    radio.Discover();
    if (radio.Probe(true))
        return true;
    std::fprintf(stderr, "%s\n%s\n", Texts::kNoRadioOnAnyPort, Texts::kCheckCable);
    return false;
}

int ReportOutcome(const OperationOutcome& outcome)
{
    const std::optional<SessionMessage> message = OutcomeMessage(outcome);
    const bool done = outcome.result == OperationResult::Done;
    if (message)
        std::fprintf(done ? stdout : stderr, "%s\n", message->text.c_str());
    std::fflush(stdout);
    return done ? kExitOk : kExitRadio;
}

VerifyResult VerifyRadio(CCliRadio& radio, const RadioImage& expected, bool textsOnly)
{
    VerifyResult result;
    RadioImage image;
    result.read = radio.Read(image);
    if (result.read.result == OperationResult::Done)
        result.differences = ImageDifferences(expected, image, textsOnly);
    return result;
}

int ReportVerify(const VerifyResult& result)
{
    if (result.read.result != OperationResult::Done) {
        ReportOutcome(result.read);
        std::fprintf(stderr, "%s\n", Texts::kVerifyFailed);
        return kExitRadio;
    }
    for (const std::string& line : result.differences)
        std::printf("%s\n", line.c_str());
    if (result.differences.empty()) {
        std::printf("%s\n", Texts::kNoDifferences);
    } else {
        std::string summary = Texts::kDifferencesFound;
        summary.replace(summary.find("%1"), 2, std::to_string(result.differences.size()));
        std::printf("%s\n", summary.c_str());
    }
    std::fflush(stdout);
    return result.differences.empty() ? kExitOk : kExitRadio;
}
