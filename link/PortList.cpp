#include "link/PortList.h"

#include "link/ICommPort.h"
#include "link/PortGate.h"

// std
#include <algorithm>
#include <cstdint>

namespace {

constexpr std::uint32_t kUiGateTimeoutMs = 500;

// Decodes one UTF-8 sequence at `i` into UTF-16 code units. A byte that starts no valid
// sequence stands for itself (as a lone low surrogate, like Python's surrogateescape) so that
// every byte string still has one order.
int NextUnits(std::string_view s, std::size_t& i, std::uint16_t units[2])
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    auto cont = [&](std::size_t k) {
        return i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
    };
    auto at = [&](std::size_t k) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(s[i + k]) & 0x3F);
    };
    std::uint32_t cp = 0;
    std::size_t len = 0;
    if (b0 < 0x80) {
        cp = b0;
        len = 1;
    } else if ((b0 & 0xE0) == 0xC0 && cont(1)) {
        cp = ((b0 & 0x1Fu) << 6) | at(1);
        len = cp >= 0x80 ? 2 : 0;
    } else if ((b0 & 0xF0) == 0xE0 && cont(1) && cont(2)) {
        cp = ((b0 & 0x0Fu) << 12) | (at(1) << 6) | at(2);
        len = cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF) ? 3 : 0;
    } else if ((b0 & 0xF8) == 0xF0 && cont(1) && cont(2) && cont(3)) {
        cp = ((b0 & 0x07u) << 18) | (at(1) << 12) | (at(2) << 6) | at(3);
        len = cp >= 0x10000 && cp <= 0x10FFFF ? 4 : 0;
    }
    if (len == 0) {
        units[0] = static_cast<std::uint16_t>(0xDC00 + b0);
        i += 1;
        return 1;
    }
    i += len;
    if (cp < 0x10000) {
        units[0] = static_cast<std::uint16_t>(cp);
        return 1;
    }
    cp -= 0x10000;
    units[0] = static_cast<std::uint16_t>(0xD800 + (cp >> 10));
    units[1] = static_cast<std::uint16_t>(0xDC00 + (cp & 0x3FF));
    return 2;
}

} // namespace

int ComparePortNames(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    std::uint16_t ua[2] = {};
    std::uint16_t ub[2] = {};
    int na = 0;
    int nb = 0;
    int ka = 0;
    int kb = 0;
    for (;;) {
        if (ka == na) {
            if (i >= a.size()) {
                na = 0;
            } else {
                na = NextUnits(a, i, ua);
            }
            ka = 0;
        }
        if (kb == nb) {
            if (j >= b.size()) {
                nb = 0;
            } else {
                nb = NextUnits(b, j, ub);
            }
            kb = 0;
        }
        if (na == 0 || nb == 0)
            return (na == 0 ? 0 : 1) - (nb == 0 ? 0 : 1);
        if (ua[ka] != ub[kb])
            return ua[ka] < ub[kb] ? -1 : 1;
        ++ka;
        ++kb;
    }
}

int InsertPortSorted(std::vector<std::string>& list, const std::string& name)
{
    std::size_t index = 0;
    for (; index < list.size(); ++index) {
        const int c = ComparePortNames(list[index], name);
        if (c == 0)
            return static_cast<int>(index);
        if (c > 0)
            break;
    }
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(index), name);
    return static_cast<int>(index);
}

bool RemovePort(std::vector<std::string>& list, const std::string& name)
{
    const auto it = std::find(list.begin(), list.end(), name);
    if (it == list.end())
        return false;
    list.erase(it);
    return true;
}

void CPortListMirror::SetOnSelect(std::function<void(int)> onSelect)
{
    m_onSelect = std::move(onSelect);
}

int CPortListMirror::InsertPortSorted(const std::string& name)
{
    std::lock_guard lock(m_mutex);
    const std::size_t before = m_names.size();
    const int index = ::InsertPortSorted(m_names, name);
    if (m_names.size() != before && m_selected >= index)
        ++m_selected;
    return index;
}

bool CPortListMirror::RemovePort(const std::string& name)
{
    std::lock_guard lock(m_mutex);
    const auto it = std::find(m_names.begin(), m_names.end(), name);
    if (it == m_names.end())
        return false;
    const int index = static_cast<int>(it - m_names.begin());
    m_names.erase(it);
    if (m_selected == index)
        m_selected = -1;
    else if (m_selected > index)
        --m_selected;
    return true;
}

std::vector<std::string> CPortListMirror::Names() const
{
    std::lock_guard lock(m_mutex);
    return m_names;
}

int CPortListMirror::IndexOf(const std::string& name) const
{
    std::lock_guard lock(m_mutex);
    const auto it = std::find(m_names.begin(), m_names.end(), name);
    return it == m_names.end() ? -1 : static_cast<int>(it - m_names.begin());
}

int CPortListMirror::PortCount()
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_names.size());
}

std::string CPortListMirror::PortText(int index)
{
    std::lock_guard lock(m_mutex);
    if (index < 0 || index >= static_cast<int>(m_names.size()))
        return {};
    return m_names[static_cast<std::size_t>(index)];
}

int CPortListMirror::SelectedPort()
{
    std::lock_guard lock(m_mutex);
    return m_selected;
}

void CPortListMirror::SelectPort(int index)
{
    {
        std::lock_guard lock(m_mutex);
        if (index < -1 || index >= static_cast<int>(m_names.size()))
            return;
        m_selected = index;
    }
    // Like the combo, which notifies every selection, also one that changes nothing.
    if (m_onSelect)
        m_onSelect(index);
}

void FillPortList(CPortGate& gate, CPortListMirror& list, const std::vector<std::string>& names)
{
    const bool locked = gate.Lock(CPortGate::Exclusive, kUiGateTimeoutMs);
    for (const std::string& name : names)
        list.InsertPortSorted(name);
    if (locked)
        gate.Unlock();
}

int HandlePortArrival(CPortGate& gate, CPortListMirror& list, const ICommPort& port,
                      const std::string& name)
{
    const bool locked = gate.Lock(CPortGate::Exclusive, kUiGateTimeoutMs);
    const int index = list.InsertPortSorted(name);
    const bool select = index >= 0 && !port.IsOpen();
    if (locked)
        gate.Unlock();
    // Selected after the gate is free again: the selection starts a probe, which takes it.
    if (select)
        list.SelectPort(index);
    return index;
}

bool HandlePortRemoval(CPortGate& gate, CPortListMirror& list, const std::string& name)
{
    const bool locked = gate.Lock(CPortGate::Exclusive, kUiGateTimeoutMs);
    const bool removed = list.RemovePort(name);
    if (locked)
        gate.Unlock();
    return removed;
}
