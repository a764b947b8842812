#pragma once

#include "UIBase.h"

// std
#include <functional>
#include <vector>

namespace DuiLib {

// A window's table of notification handlers. An entry names a notification type and, or not,
// a control; for a notification the entry whose type and control name both match wins over
// the entry with the matching type and no control name. Types compare without regard to case,
// control names exactly.
class CNotifyPump
{
public:
    using Handler = std::function<void(TNotifyUI&)>;

    virtual ~CNotifyPump() = default;

    // An empty control name makes the entry apply to any control.
    void AddNotifyEntry(const QString& type, const QString& controlName, Handler handler);
    // Runs the entry that matches; false when none does.
    bool NotifyPump(TNotifyUI& msg) const;

private:
    struct Entry
    {
        QString type;
        QString name;
        Handler handler;
    };
    std::vector<Entry> m_entries;
};

} // namespace DuiLib
