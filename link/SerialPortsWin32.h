#pragma once

// std
#include <string>
#include <string_view>
#include <vector>

// The COM name inside a device's friendly name: the text between the first "(" and the next
// ")", cut to its leading run of the characters "COM0123456789", kept only when longer than
// three characters. "USB Serial Port (COM3)" gives "COM3"; a name without parentheses gives "".
[[nodiscard]] std::string PortNameFromFriendlyName(std::string_view friendlyName);

// Rebuilds `names` from the present devices of the Windows ports class, in the order the
// device set returns them (a name may repeat; the port list removes duplicates). False when
// the device set could not be had or its enumeration ended with an error.
bool EnumerateSerialPortsWin32(std::vector<std::string>& names);
