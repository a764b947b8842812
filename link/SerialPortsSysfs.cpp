// Serial port discovery without udev: the kernel's sysfs tty class, or where there is none a
// scan of /dev for USB adapters' nodes, as minimal systems and containers need.

#include "link/PortDiscovery.h"

// std
#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

// system
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The first line of a sysfs attribute; empty when it cannot be read.
std::string ReadAttribute(const fs::path& path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == ' '))
        line.pop_back();
    return line;
}

} // namespace

std::vector<SerialPortInfo> SerialPortsFromSysfs(const std::string& classDir,
                                                 const std::string& devDir)
{
    std::vector<SerialPortInfo> ports;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(classDir, error)) {
        const fs::path& tty = entry.path();
        UdevTtyDevice device;
        device.properties["DEVNAME"] = devDir + "/" + tty.filename().string();
        device.properties["SUBSYSTEM"] = "tty";
        // The class entry links to the device's place in the tree (…/virtual/tty/tty0, …).
        device.properties["DEVPATH"] = fs::canonical(tty, error).string();
        const fs::path driver = fs::read_symlink(tty / "device" / "driver", error);
        if (!error)
            device.parentDriver = driver.filename().string();
        device.serialType = ReadAttribute(tty / "type");
        // A USB adapter's names are on its USB device, the interface's parent.
        const fs::path usb = tty / "device" / "..";
        device.properties["ID_MODEL"] = ReadAttribute(usb / "product");
        device.properties["ID_VENDOR"] = ReadAttribute(usb / "manufacturer");
        if (auto port = SerialPortFromUdev(device))
            ports.push_back(*port);
        error.clear();
    }
    std::sort(ports.begin(), ports.end(),
              [](const SerialPortInfo& a, const SerialPortInfo& b) { return a.name < b.name; });
    return ports;
}

std::vector<SerialPortInfo> SerialPortsFromDevScan(const std::string& devDir)
{
    // USB-serial adapters on Linux, FreeBSD and macOS; on-board ports cannot be told from
    // placeholders here, so they are left out.
    static constexpr std::array<std::string_view, 4> kPrefixes = {"ttyUSB", "ttyACM", "cuaU",
                                                                  "cu.usb"};
    std::vector<SerialPortInfo> ports;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(devDir, error)) {
        const std::string name = entry.path().filename().string();
        const bool adapter = std::any_of(kPrefixes.begin(), kPrefixes.end(), [&](auto prefix) {
            return name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0;
        });
        if (adapter && !entry.is_directory(error))
            ports.push_back({devDir + "/" + name, {}});
    }
    std::sort(ports.begin(), ports.end(),
              [](const SerialPortInfo& a, const SerialPortInfo& b) { return a.name < b.name; });
    return ports;
}

std::vector<SerialPortInfo> SerialPortsWithoutUdev()
{
    if (fs::is_directory("/sys/class/tty"))
        return SerialPortsFromSysfs("/sys/class/tty", "/dev");
    return SerialPortsFromDevScan("/dev");
}

void AppendExtraPorts(std::vector<SerialPortInfo>& ports)
{
    if (const char* extra = std::getenv(kExtraPortsVariable)) {
        const auto exists = [](const std::string& path) { return access(path.c_str(), F_OK) == 0; };
        for (const std::string& path : ExtraPortsFromList(extra, exists))
            ports.push_back({path, {}});
    }
}
