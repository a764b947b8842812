#pragma once

// Linux only: what the discovery and the hot-plug monitor read of a udev device.

#include "link/PortDiscovery.h"

// system
#include <libudev.h>

// Properties, the parent's driver and the UART type of a tty device.
inline UdevTtyDevice DescribeUdevDevice(udev_device* device)
{
    UdevTtyDevice d;
    for (udev_list_entry* e = udev_device_get_properties_list_entry(device); e;
         e = udev_list_entry_get_next(e)) {
        const char* value = udev_list_entry_get_value(e);
        d.properties[udev_list_entry_get_name(e)] = value ? value : "";
    }
    // Without a running udev daemon DEVNAME is relative; the device node is the full path.
    if (const char* node = udev_device_get_devnode(device))
        d.properties["DEVNAME"] = node;
    if (const char* path = udev_device_get_devpath(device))
        d.properties["DEVPATH"] = path;
    if (udev_device* parent = udev_device_get_parent(device)) {
        if (const char* driver = udev_device_get_driver(parent))
            d.parentDriver = driver;
    }
    if (const char* type = udev_device_get_sysattr_value(device, "type"))
        d.serialType = type;
    return d;
}
