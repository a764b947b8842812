#pragma once

// std
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One serial port found on the machine: the name used everywhere (list entry, Open, the port
// label) and what the platform says it is.
struct SerialPortInfo
{
    std::string name;        // COM3 on Windows, the device path (/dev/ttyUSB0) elsewhere
    std::string description; // "FT232R USB UART (FTDI)", may be empty

    bool operator==(const SerialPortInfo&) const = default;
};

// Rebuilds `portNames` with the machine's serial ports, in the order the platform reports
// them, followed by the existing paths of VORLEND_SERIAL_PORTS (a colon-separated list of
// device paths for virtual ports). May hold a name twice; the port list removes duplicates.
// True when the enumeration itself ended normally.
bool EnumerateSerialPorts(std::vector<std::string>& portNames);
// The same with descriptions.
bool EnumerateSerialPortInfos(std::vector<SerialPortInfo>& ports);

// Where udev is absent (POSIX only): the ports among the tty devices of a sysfs class folder
// (/sys/class/tty), judged by SerialPortFromUdev's rule from their links and attributes, named
// in `devDir`; sorted by name.
[[nodiscard]] std::vector<SerialPortInfo> SerialPortsFromSysfs(const std::string& classDir,
                                                               const std::string& devDir);
// Where sysfs is absent too: the USB adapters' nodes in a /dev folder, sorted by name.
[[nodiscard]] std::vector<SerialPortInfo> SerialPortsFromDevScan(const std::string& devDir);
// The machine's sysfs if it has one, else the /dev scan.
[[nodiscard]] std::vector<SerialPortInfo> SerialPortsWithoutUdev();
// Appends the existing paths of VORLEND_SERIAL_PORTS.
void AppendExtraPorts(std::vector<SerialPortInfo>& ports);

// Windows: the COM name in a device's friendly name, "USB Serial Port (COM3)" -> "COM3": the
// text after the first "(" (all of it when there is none), up to its first ")" (nothing when
// there is none), then its leading run of characters from "COM0123456789"; empty unless that
// run is longer than 3 characters.
[[nodiscard]] std::string ComNameFromFriendlyName(std::string_view friendlyName);

// The paths of a VORLEND_SERIAL_PORTS value that `exists` accepts, in order.
[[nodiscard]] std::vector<std::string>
ExtraPortsFromList(std::string_view value, const std::function<bool(const std::string&)>& exists);
inline constexpr const char* kExtraPortsVariable = "VORLEND_SERIAL_PORTS";

// What udev reports of one tty device, enough to tell a real serial port from the rest.
struct UdevTtyDevice
{
    std::map<std::string, std::string> properties; // DEVNAME, DEVPATH, SUBSYSTEM, ID_MODEL, ...
    std::string parentDriver; // driver of the parent device: ftdi_sio, cdc_acm, serial, ...
    std::string serialType;   // the sysfs "type" attribute of a UART port; "0" = no UART
};

// A real serial port or nothing: virtual terminals, consoles and pseudo-terminals, devices
// with no driver behind them and the placeholder ttyS* ports of the 8250 driver (type 0, or
// no type to confirm them) are not ports.
[[nodiscard]] std::optional<SerialPortInfo> SerialPortFromUdev(const UdevTtyDevice& device);

// A serial device that came or went, as the hot-plug monitor reports it.
enum class PortChange
{
    Arrival,
    Removal
};

// Turns a udev event on a tty device into a port change: "add" of a real serial port is an
// arrival; "remove" of any non-virtual tty device node is a removal (its parent is gone by
// then, so it cannot be checked; removing a name that is not listed does nothing). Other
// actions are nothing.
[[nodiscard]] std::optional<std::pair<PortChange, SerialPortInfo>>
PortChangeFromUdev(std::string_view action, const UdevTtyDevice& device);
