#pragma once

#include "model/SettingsMapping.h"
#include "model/SettingsRecord.h"

// The layout names in "Skin.xml" of the controls the program binds by name, kept beside the
// layout so the model stays free of widget names. Plain C++: the Qt-free layers' tests use it.

// The settings combo that shows a settings byte ("cboSQLev" for the squelch level, ...);
// empty for an offset no combo shows.
[[nodiscard]] inline const char* SettingsComboName(const SettingsField& field)
{
    using O = SettingsRecord::Offset;
    switch (field.offset) {
    case O::SquelchLevel:
        return "cboSQLev";
    case O::TimeOut:
        return "cboTOT";
    case O::Voice:
        return "cboVoice";
    case O::Pf1:
        return "cboPF1";
    case O::Pf2:
        return "cboPF2";
    case O::Scan:
        return "cboScan";
    case O::SavePower:
        return "cboSavePower";
    default:
        return "";
    }
}
