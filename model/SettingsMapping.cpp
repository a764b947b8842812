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
