#pragma once

// std
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

class CPortGate;
class ICommPort;

// Orders port names by their UTF-16 code units, exactly and case-sensitively (COM10 before
// COM2, /dev/ttyUSB10 before /dev/ttyUSB2). Names are UTF-8; <0, 0, >0 like strcmp.
[[nodiscard]] int ComparePortNames(std::string_view a, std::string_view b);

// The port list rules over a plain list of names, which the window's combo mirrors.
// Inserts `name` at its sorted place unless it is there already; returns its index.
int InsertPortSorted(std::vector<std::string>& list, const std::string& name);
// Removes the first entry equal to `name`; false when there is none.
bool RemovePort(std::vector<std::string>& list, const std::string& name);

// What the radio probe needs of the port list ("cboCOM").
//
// Threads: called from the probe thread while the UI thread may be busy (even waiting for the
// gate), so an implementation must answer without waiting for the UI thread, for example from
// a mutex-protected mirror of the combo (CPortListMirror) and by posting the selection change
// to the UI thread.
class IPortList
{
public:
    [[nodiscard]] virtual int PortCount() = 0;
    // The text of entry `index`; empty when there is no such entry.
    [[nodiscard]] virtual std::string PortText(int index) = 0;
    // The selected entry, or -1.
    [[nodiscard]] virtual int SelectedPort() = 0;
    // Selects entry `index` without taking the focus.
    virtual void SelectPort(int index) = 0;

protected:
    ~IPortList() = default;
};

// A thread-safe port list: the names in sorted order and the selection. The window keeps one
// as the mirror of its combo and hands it to the probe; tests use it as the whole list.
class CPortListMirror : public IPortList
{
public:
    virtual ~CPortListMirror() = default;

    // Called after every change of the selection (UI or probe), with the new index, outside
    // the mirror's lock. The window forwards it to its combo; a combo handler that is told of
    // a selection it already holds here must not start another probe.
    void SetOnSelect(std::function<void(int)> onSelect);

    int InsertPortSorted(const std::string& name);
    // Removes the entry; a selection after it moves up by one, the selection of the entry
    // itself becomes -1 (without a notification: removal starts no probe).
    bool RemovePort(const std::string& name);
    [[nodiscard]] std::vector<std::string> Names() const;
    // Index of the entry equal to `name`, or -1.
    [[nodiscard]] int IndexOf(const std::string& name) const;

    int PortCount() override;
    std::string PortText(int index) override;
    int SelectedPort() override;
    void SelectPort(int index) override;

private:
    mutable std::mutex m_mutex; // guards m_names and m_selected
    std::vector<std::string> m_names;
    int m_selected = -1;
    std::function<void(int)> m_onSelect; // set once before use
};

// Fills the list at start-up: the discovered names inserted under the exclusive gate (500 ms).
void FillPortList(CPortGate& gate, CPortListMirror& list, const std::vector<std::string>& names);
// A serial device arrived: insert it under the exclusive gate and, when no port is open,
// select it (whose selection handler starts a probe). Returns the entry's index or -1.
int HandlePortArrival(CPortGate& gate, CPortListMirror& list, const ICommPort& port,
                      const std::string& name);
// A serial device went away: remove its entry under the exclusive gate. An open port on it
// ends its reader by itself.
bool HandlePortRemoval(CPortGate& gate, CPortListMirror& list, const std::string& name);
