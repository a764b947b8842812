#include "CellText.h"

#include "ToneCode.h"
#include "ValueText.h"

std::string CellTextFromRecord(const ChannelRecord& record, int column)
{
    switch (column) {
    case kColRxFreq:
        return FormatFrequency(record.rxHz());
    case kColTxFreq:
        return FormatFrequency(record.txHz());
    case kColRxCode:
        return FormatToneCode(record.rxTone());
    case kColTxCode:
        return FormatToneCode(record.txTone());
    case kColPower:
        return record.power() != 0 ? kPowerHigh : kPowerLow;
    case kColWidth:
        return record.width() != 0 ? kWidthWide : kWidthNarrow;
    case kColScan:
        return record.scan() != 0 ? kScanYes : kScanNo;
    default:
        return {};
    }
}

std::optional<std::string> ApplyCellText(ChannelRecord& record, int column, std::string_view text)
{
    if (text.empty())
        return std::string(text);
    switch (column) {
    case kColRxFreq:
    case kColTxFreq: {
        const auto hz = ParseFrequency(text);
        if (!hz)
            return std::nullopt;
        column == kColRxFreq ? record.setRxHz(*hz) : record.setTxHz(*hz);
        return std::string(text);
    }
    case kColRxCode:
    case kColTxCode: {
        const ParsedTone parsed = ParseToneCode(text);
        column == kColRxCode ? record.setRxTone(parsed.code) : record.setTxTone(parsed.code);
        return parsed.valid ? std::string(text) : FormatToneCode(parsed.code);
    }
    case kColPower:
        record.setPower(text == kPowerLow ? 0x00 : ChannelRecord::kOn);
        return std::string(text);
    case kColWidth:
        record.setWidth(text == kWidthNarrow ? 0x00 : ChannelRecord::kOn);
        return std::string(text);
    case kColScan:
        record.setScan(text == kScanNo ? 0x00 : ChannelRecord::kOn);
        return std::string(text);
    default:
        return std::string(text);
    }
}

std::array<std::array<std::string, 7>, kChannelCount> DefaultChannelTexts()
{
    const auto& table = ToneTextTable();
    std::array<std::array<std::string, 7>, kChannelCount> rows;
    double mhz = 433.075;
    for (int row = 0; row < kChannelCount; ++row) {
        // Channels 1-5 have no code; from channel 6 on, a pattern of five tones repeats.
        std::string code = table[0];
        if (row >= 5) {
            switch (row % 5) {
            case 0:
                code = table[10]; // 88.5 Hz
                break;
            case 1:
                code = table[21]; // 127.3 Hz
                break;
            case 2:
                code = table[35]; // 179.9 Hz
                break;
            case 3:
                code = FormatToneCode(1231); // 123.1 Hz, not one of the table's tones
                break;
            default:
                code = table[47]; // 229.1 Hz
                break;
            }
        }
        const std::string frequency = FormatMegahertz(mhz);
        rows[row] = {frequency, frequency, code, code, kPowerHigh, kWidthWide, kScanYes};
        // Repeated addition, as the original defaults were made; the sum still rounds to the
        // intended five decimals.
        mhz += 0.025;
    }
    return rows;
}

std::array<ChannelRecord, kChannelCount> DefaultChannelRecords()
{
    const auto texts = DefaultChannelTexts();
    std::array<ChannelRecord, kChannelCount> records{};
    for (int row = 0; row < kChannelCount; ++row) {
        for (int column = kColRxFreq; column < kColumnCount; ++column)
            (void)ApplyCellText(records[row], column, texts[row][column - 1]);
    }
    return records;
}
