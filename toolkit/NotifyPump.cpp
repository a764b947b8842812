#include "NotifyPump.h"

namespace DuiLib {

void CNotifyPump::AddNotifyEntry(const QString& type, const QString& controlName, Handler handler)
{
    m_entries.push_back({type, controlName, std::move(handler)});
}

bool CNotifyPump::NotifyPump(TNotifyUI& msg) const
{
    const Entry* anyControl = nullptr;
    for (const Entry& e : m_entries) {
        if (!EqualsNoCase(e.type, msg.sType))
            continue;
        if (e.name.isEmpty()) {
            if (anyControl == nullptr)
                anyControl = &e;
        } else if (e.name == msg.sName) {
            const Handler handler = e.handler; // the handler may add entries
            handler(msg);
            return true;
        }
    }
    if (anyControl == nullptr)
        return false;
    const Handler handler = anyControl->handler;
    handler(msg);
    return true;
}

} // namespace DuiLib
