// Serial port discovery on Linux: udev's tty devices that have hardware behind them (sysfs or a
// /dev scan where udev cannot be used), plus the paths listed in VORLEND_SERIAL_PORTS.

#include "link/PortDiscovery.h"
#include "link/UdevDevice.h"

bool EnumerateSerialPortInfos(std::vector<SerialPortInfo>& ports)
{
    ports.clear();
    bool ok = false;
    if (udev* u = udev_new()) {
        if (udev_enumerate* e = udev_enumerate_new(u)) {
            if (udev_enumerate_add_match_subsystem(e, "tty") >= 0 &&
                udev_enumerate_scan_devices(e) >= 0) {
                ok = true;
                for (udev_list_entry* entry = udev_enumerate_get_list_entry(e); entry;
                     entry = udev_list_entry_get_next(entry)) {
                    udev_device* device =
                        udev_device_new_from_syspath(u, udev_list_entry_get_name(entry));
                    if (!device)
                        continue;
                    if (auto port = SerialPortFromUdev(DescribeUdevDevice(device)))
                        ports.push_back(*port);
                    udev_device_unref(device);
                }
            }
            udev_enumerate_unref(e);
        }
        udev_unref(u);
    }

    if (!ok) {
        ports = SerialPortsWithoutUdev();
        ok = true;
    }
    AppendExtraPorts(ports);
    return ok;
}
