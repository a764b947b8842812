#include "model/CellCommit.h"

#include "model/CellText.h"
#include "model/ValueText.h"

namespace {

// F(T): the leading number of a typed frequency, written with five decimals.
std::string MegahertzText(std::string_view typed)
{
    return FormatMegahertz(LeadingNumber(typed));
}

} // namespace

std::string NewChannelText(int column)
{
    switch (column) {
    case kColRxCode:
    case kColTxCode:
        return kNoToneText;
    case kColPower:
        return kPowerHigh;
    case kColWidth:
        return kWidthWide;
    case kColScan:
        return kScanYes;
    default:
        return {};
    }
}

std::optional<std::vector<CellAssignment>> CommitCellTexts(bool inUse, int column,
                                                           std::string_view text)
{
    std::vector<CellAssignment> texts;
    if (column == kColRxFreq) {
        if (text.empty()) {
            const int last = inUse ? kColScan : kColRxFreq;
            for (int c = kColRxFreq; c <= last; ++c)
                texts.push_back({c, {}});
        } else if (inUse) {
            texts.push_back({kColRxFreq, MegahertzText(text)});
        } else {
            const std::string frequency = MegahertzText(text);
            // A frequency the record cannot hold must not half-fill a new channel.
            if (!ParseFrequency(frequency))
                return std::nullopt;
            texts.push_back({kColRxFreq, frequency});
            texts.push_back({kColTxFreq, frequency});
            for (int c = kColRxCode; c <= kColScan; ++c)
                texts.push_back({c, NewChannelText(c)});
        }
    } else if (!inUse) {
        return std::nullopt;
    } else if (column == kColTxFreq) {
        texts.push_back({kColTxFreq, MegahertzText(text)});
    } else if (column >= kColRxCode && column <= kColScan) {
        texts.push_back({column, text.empty() ? NewChannelText(column) : std::string(text)});
    }
    return texts;
}
