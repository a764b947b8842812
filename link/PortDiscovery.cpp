#include "link/PortDiscovery.h"

// std
#include <algorithm>

std::string ComNameFromFriendlyName(std::string_view friendlyName)
{
    std::string_view text = friendlyName;
    if (const std::size_t open = text.find('('); open != std::string_view::npos)
        text = text.substr(open + 1);
    const std::size_t close = text.find(')');
    if (close == std::string_view::npos)
        return {};
    text = text.substr(0, close);
    const std::size_t run = text.find_first_not_of("COM0123456789");
    const std::string_view name = text.substr(0, run);
    return name.size() > 3 ? std::string(name) : std::string();
}

std::vector<std::string> ExtraPortsFromList(std::string_view value,
                                            const std::function<bool(const std::string&)>& exists)
{
    std::vector<std::string> ports;
    while (!value.empty()) {
        const std::size_t colon = value.find(':');
        const std::string path(value.substr(0, colon));
        if (!path.empty() && exists(path))
            ports.push_back(path);
        if (colon == std::string_view::npos)
            break;
        value.remove_prefix(colon + 1);
    }
    return ports;
}

bool EnumerateSerialPorts(std::vector<std::string>& portNames)
{
    std::vector<SerialPortInfo> ports;
    const bool ok = EnumerateSerialPortInfos(ports);
    portNames.clear();
    for (const SerialPortInfo& port : ports)
        portNames.push_back(port.name);
    return ok;
}

namespace {

std::string Property(const UdevTtyDevice& device, const char* key)
{
    const auto it = device.properties.find(key);
    return it == device.properties.end() ? std::string() : it->second;
}

// udev encodes blanks in ID_MODEL and ID_VENDOR as underscores.
std::string Readable(std::string text)
{
    std::replace(text.begin(), text.end(), '_', ' ');
    return text;
}

} // namespace

std::optional<SerialPortInfo> SerialPortFromUdev(const UdevTtyDevice& device)
{
    const std::string devName = Property(device, "DEVNAME");
    const std::string subsystem = Property(device, "SUBSYSTEM");
    const std::string devPath = Property(device, "DEVPATH");
    if (devName.rfind("/dev/", 0) != 0 || (!subsystem.empty() && subsystem != "tty"))
        return std::nullopt;
    if (devPath.find("/virtual/") != std::string::npos)
        return std::nullopt; // tty0..63, console, ptmx: no hardware
    if (device.parentDriver.empty())
        return std::nullopt;
    if (device.serialType == "0")
        return std::nullopt; // the serial core says there is no UART
    if (device.parentDriver == "serial8250" && device.serialType.empty())
        return std::nullopt; // a legacy placeholder nobody confirmed

    std::string model = Property(device, "ID_MODEL_FROM_DATABASE");
    if (model.empty())
        model = Readable(Property(device, "ID_MODEL"));
    std::string vendor = Property(device, "ID_VENDOR_FROM_DATABASE");
    if (vendor.empty())
        vendor = Readable(Property(device, "ID_VENDOR"));
    std::string description = model;
    if (!vendor.empty())
        description = description.empty() ? vendor : description + " (" + vendor + ")";
    return SerialPortInfo{devName, description};
}

std::optional<std::pair<PortChange, SerialPortInfo>> PortChangeFromUdev(std::string_view action,
                                                                        const UdevTtyDevice& device)
{
    if (action == "add") {
        if (auto port = SerialPortFromUdev(device))
            return std::pair{PortChange::Arrival, *port};
        return std::nullopt;
    }
    if (action == "remove") {
        const std::string devName = Property(device, "DEVNAME");
        if (devName.rfind("/dev/", 0) != 0 ||
            Property(device, "DEVPATH").find("/virtual/") != std::string::npos)
            return std::nullopt;
        return std::pair{PortChange::Removal, SerialPortInfo{devName, {}}};
    }
    return std::nullopt;
}
