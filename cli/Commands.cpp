#include "Commands.h"

#include "CliRadio.h"
#include "CliTexts.h"
#include "ImageFile.h"
#include "ImageText.h"
#include "RadioSteps.h"

// std
#include <cstdio>
#include <optional>

namespace {

// A CSV carries the grid's texts, not every byte behind them; a written one is checked by them.
bool IsCsv(const std::string& path)
{
    return ImageFileKindOf(path) == ImageFileKind::Csv;
}

// Writes the image into the file its name says; a failure is told and is the file's fault.
int SaveImage(const std::string& path, const RadioImage& image)
{
    if (const std::string error = WriteImageFile(path, image); !error.empty()) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return kExitUsage;
    }
    return kExitOk;
}

} // namespace

int RunPorts(const CliOptions& options)
{
    CCliRadio radio(options.showProgress);
    const std::vector<SerialPortInfo> ports = radio.Discover();
    if (ports.empty()) {
        std::fprintf(stderr, "%s\n", Texts::kNoSerialPorts);
        return kExitRadio;
    }
    bool any = false;
    for (const SerialPortInfo& port : ports) {
        radio.SelectPort(port.name);
        const bool answers = radio.Probe(false);
        any = any || answers;
        std::string line = port.name + "\t" + port.description;
        if (answers)
            line.append("\t").append(Texts::kRadioAnswers);
        else if (const char* reason = PortOpenReasonText(radio.LastRefusal()))
            line.append("\t").append(reason);
        std::printf("%s\n", line.c_str());
    }
    if (!any)
        std::fprintf(stderr, "%s\n%s\n", Texts::kNoRadioOnAnyPort, Texts::kCheckCable);
    return any ? kExitOk : kExitRadio;
}

int RunRead(const CliOptions& options, const std::string& port, const std::string& path)
{
    // Refused before the radio is touched: nothing could be saved.
    if (!ImageFileKindOf(path)) {
        std::fprintf(stderr, "%s\n", Texts::kUnknownFileKind);
        return kExitUsage;
    }
    CCliRadio radio(options.showProgress);
    if (!ChoosePort(radio, port))
        return kExitRadio;
    RadioImage image;
    const OperationOutcome outcome = radio.Read(image);
    if (outcome.result != OperationResult::Done)
        return ReportOutcome(outcome);
    if (const int saved = SaveImage(path, image); saved != kExitOk)
        return saved;
    return ReportOutcome(outcome);
}

int RunWrite(const CliOptions& options, const std::string& port, const std::string& path,
             bool verify)
{
    const std::optional<RadioImage> image = LoadFile(path);
    if (!image)
        return kExitUsage;
    CCliRadio radio(options.showProgress);
    if (!ChoosePort(radio, port))
        return kExitRadio;
    const OperationOutcome outcome = radio.Write(*image);
    const int code = ReportOutcome(outcome);
    if (code != kExitOk || !verify)
        return code;
    // Every byte was written: every byte is checked.
    return ReportVerify(VerifyRadio(radio, *image, false));
}

int RunVerify(const CliOptions& options, const std::string& port, const std::string& path)
{
    const std::optional<RadioImage> image = LoadFile(path);
    if (!image)
        return kExitUsage;
    CCliRadio radio(options.showProgress);
    if (!ChoosePort(radio, port))
        return kExitRadio;
    return ReportVerify(VerifyRadio(radio, *image, IsCsv(path)));
}

int RunConvert(const std::string& in, const std::string& out)
{
    const std::optional<RadioImage> image = LoadFile(in);
    if (!image)
        return kExitUsage;
    return SaveImage(out, *image);
}

int RunShow(const std::string& path)
{
    const std::optional<RadioImage> image = LoadFile(path);
    if (!image)
        return kExitUsage;
    std::fputs(ShowImageText(*image).c_str(), stdout);
    return kExitOk;
}
