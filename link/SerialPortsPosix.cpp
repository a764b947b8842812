// Serial port discovery on POSIX systems without udev: sysfs or a /dev scan, plus the paths
// listed in VORLEND_SERIAL_PORTS.

#include "link/PortDiscovery.h"

bool EnumerateSerialPortInfos(std::vector<SerialPortInfo>& ports)
{
    ports = SerialPortsWithoutUdev();
    AppendExtraPorts(ports);
    return true;
}
