#pragma once

#include "UIBase.h"

// std
#include <initializer_list>
#include <vector>

namespace DuiLib {

// What a control does with the layout's attributes, as one table per class instead of a chain
// of name comparisons: each entry names an attribute and what its value sets. A class looks in
// its own table first and hands the names it lacks on to its base class. Names compare without
// regard to case.
template <class Target>
class CAttributeTable
{
public:
    using Setter = void (*)(Target& target, const QString& value);
    struct Entry
    {
        const char* name;
        Setter set;
    };

    CAttributeTable(std::initializer_list<Entry> entries) : m_entries(entries) {}

    // Runs the entry of the name; false when the table has none.
    bool Apply(Target& target, const QString& name, const QString& value) const
    {
        for (const Entry& entry : m_entries) {
            if (EqualsNoCase(name, QLatin1String(entry.name))) {
                entry.set(target, value);
                return true;
            }
        }
        return false;
    }

private:
    std::vector<Entry> m_entries;
};

} // namespace DuiLib
