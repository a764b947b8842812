#pragma once

#include "RadioImage.h"

// std
#include <array>
#include <cstddef>
#include <cstdint>

// One setting as the window shows it, a choice of entries, and the settings-frame byte behind
// it. The entry index is the stored value, except for the time-out, which stores index x 60.
struct SettingsField
{
    std::size_t offset; // from the frame's first byte (see SettingsRecord); names the setting
    int entryCount;
    int multiplier;   // 60 for the time-out, 1 otherwise
    int defaultIndex; // the layout's preselection, what a fresh window shows
};

// In the order the window shows and collects them: squelch level, time-out, voice prompt, PF1,
// PF2, scan, battery saving.
[[nodiscard]] const std::array<SettingsField, 7>& SettingsFields();

// The combo entry a stored byte selects: byte / multiplier, and an index past the last entry
// selects the last entry (a time-out of 90 selects "60", a squelch of 12 selects "9").
[[nodiscard]] int SelectionFromByte(const SettingsField& field, std::uint8_t value);

// The byte a selection stores: index x multiplier; no selection (-1) or the first entry give 0.
[[nodiscard]] std::uint8_t ByteFromSelection(const SettingsField& field, int index);

// The seven selections, in the order of SettingsFields(); -1 is no selection.
using SettingsSelections = std::array<int, 7>;

// The selections the settings bytes of a frame or record show (`frame` indexed by the offsets).
[[nodiscard]] SettingsSelections SelectionsFromSettings(const std::uint8_t* frame);
// Stores the bytes of the selections at their offsets; the other bytes stay as they are.
void StoreSelections(const SettingsSelections& selections, std::uint8_t* frame);
// The selections of a fresh window: each combo's preselection.
[[nodiscard]] SettingsSelections DefaultSelections();

// What the window saves and writes for rows and selections: the records as they are, and a
// settings record that is zero but for the bytes of the selections.
[[nodiscard]] RadioImage GridImage(const std::array<ChannelRecord, kChannelCount>& rows,
                                   const SettingsSelections& selections);
// An image as the window holds it after showing it: the settings bytes go through the combos
// (a time-out of 90 becomes 60, bytes no combo shows become zero).
[[nodiscard]] inline RadioImage ShownImage(const RadioImage& image)
{
    return GridImage(image.channels, SelectionsFromSettings(image.settings.bytes.data()));
}
