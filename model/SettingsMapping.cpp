#include "SettingsMapping.h"

#include "SettingsRecord.h"

const std::array<SettingsField, 7>& SettingsFields()
{
    using O = SettingsRecord::Offset;
    static const std::array<SettingsField, 7> fields{{
        {O::SquelchLevel, 10, 1, 4},
        {O::TimeOut, 4, 60, 1},
        {O::Voice, 3, 1, 2},
        {O::Pf1, 3, 1, 1},
        {O::Pf2, 3, 1, 0},
        {O::Scan, 2, 1, 1},
        {O::SavePower, 2, 1, 1},
    }};
    return fields;
}

int SelectionFromByte(const SettingsField& field, std::uint8_t value)
{
    const int index = value / field.multiplier;
    return index < field.entryCount ? index : field.entryCount - 1;
}

std::uint8_t ByteFromSelection(const SettingsField& field, int index)
{
    if (index < 1)
        return 0;
    if (index >= field.entryCount)
        index = field.entryCount - 1;
    return static_cast<std::uint8_t>(index * field.multiplier);
}

SettingsSelections SelectionsFromSettings(const std::uint8_t* frame)
{
    const auto& fields = SettingsFields();
    SettingsSelections selections{};
    for (std::size_t i = 0; i < fields.size(); ++i)
        selections[i] = SelectionFromByte(fields[i], frame[fields[i].offset]);
    return selections;
}

void StoreSelections(const SettingsSelections& selections, std::uint8_t* frame)
{
    const auto& fields = SettingsFields();
    for (std::size_t i = 0; i < fields.size(); ++i)
        frame[fields[i].offset] = ByteFromSelection(fields[i], selections[i]);
}

SettingsSelections DefaultSelections()
{
    const auto& fields = SettingsFields();
    SettingsSelections selections{};
    for (std::size_t i = 0; i < fields.size(); ++i)
        selections[i] = fields[i].defaultIndex;
    return selections;
}

RadioImage GridImage(const std::array<ChannelRecord, kChannelCount>& rows,
                     const SettingsSelections& selections)
{
    RadioImage image;
    image.channels = rows;
    StoreSelections(selections, image.settings.bytes.data());
    return image;
}
