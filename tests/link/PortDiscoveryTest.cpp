// Port names: sorting and de-duplication, the Windows friendly-name rule, the list of extra
// ports, and udev's property sets recorded from real machines turned into entries.

#include "link/PortDiscovery.h"
#include "link/PortGate.h"
#include "link/PortList.h"

#include <gtest/gtest.h>

// std
#include <cctype>
#include <set>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

struct InsertCase
{
    const char* name;
    Names inserted;
    Names expected;
    std::vector<int> indexes; // what each insertion returned
};

class PortListInsert : public ::testing::TestWithParam<InsertCase>
{};

TEST_P(PortListInsert, KeepsExactOrderWithoutDuplicates)
{
    Names list;
    std::vector<int> indexes;
    for (const std::string& n : GetParam().inserted)
        indexes.push_back(InsertPortSorted(list, n));
    EXPECT_EQ(list, GetParam().expected);
    EXPECT_EQ(indexes, GetParam().indexes);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, PortListInsert,
    ::testing::Values(
        InsertCase{"UsbTenBeforeTwo",
                   {"/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyUSB1"},
                   {"/dev/ttyUSB1", "/dev/ttyUSB10", "/dev/ttyUSB2"},
                   {0, 0, 0}},
        InsertCase{"ComNames", {"COM4", "COM10", "COM1"}, {"COM1", "COM10", "COM4"}, {0, 0, 0}},
        InsertCase{"Duplicates",
                   {"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyACM0", "/dev/ttyS0"},
                   {"/dev/ttyACM0", "/dev/ttyS0"},
                   {0, 1, 0, 1}},
        InsertCase{"CaseSensitive",
                   {"/dev/ttyusb0", "/dev/ttyUSB0", "COM1", "com1"},
                   {"/dev/ttyUSB0", "/dev/ttyusb0", "COM1", "com1"},
                   {0, 0, 2, 3}},
        // U+10000 is D800 DC00 in UTF-16 and so sorts before U+E000, unlike in UTF-8.
        InsertCase{"Utf16CodeUnits",
                   {"\xEE\x80\x80", "\xF0\x90\x80\x80", "z"},
                   {"z", "\xF0\x90\x80\x80", "\xEE\x80\x80"},
                   {0, 0, 0}},
        InsertCase{"PrefixFirst", {"COM10", "COM1", "COM"}, {"COM", "COM1", "COM10"}, {0, 0, 0}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(PortList, CompareIsAnOrder)
{
    EXPECT_EQ(ComparePortNames("a", "a"), 0);
    EXPECT_LT(ComparePortNames("", "a"), 0);
    EXPECT_GT(ComparePortNames("a", ""), 0);
    EXPECT_LT(ComparePortNames("A", "a"), 0);
    // An invalid byte still orders consistently.
    EXPECT_EQ(ComparePortNames("\xFF", "\xFF"), 0);
    EXPECT_NE(ComparePortNames("\xFF", "\xFE"), 0);
}

TEST(PortList, RemoveTakesTheExactName)
{
    Names list = {"/dev/ttyS0", "/dev/ttyUSB0"};
    EXPECT_FALSE(RemovePort(list, "/dev/ttyusb0"));
    EXPECT_TRUE(RemovePort(list, "/dev/ttyUSB0"));
    EXPECT_FALSE(RemovePort(list, "/dev/ttyUSB0"));
    EXPECT_EQ(list, Names{"/dev/ttyS0"});
}

TEST(PortListMirror, SelectionFollowsInsertAndRemove)
{
    CPortListMirror list;
    std::vector<int> notified;
    list.SetOnSelect([&](int i) { notified.push_back(i); });
    list.InsertPortSorted("/dev/ttyUSB1");
    list.InsertPortSorted("/dev/ttyUSB3");
    list.SelectPort(1);
    EXPECT_EQ(list.PortText(list.SelectedPort()), "/dev/ttyUSB3");
    list.InsertPortSorted("/dev/ttyUSB0"); // before the selection
    EXPECT_EQ(list.PortText(list.SelectedPort()), "/dev/ttyUSB3");
    list.InsertPortSorted("/dev/ttyUSB3"); // already there: nothing moves
    EXPECT_EQ(list.SelectedPort(), 2);
    EXPECT_TRUE(list.RemovePort("/dev/ttyUSB0"));
    EXPECT_EQ(list.PortText(list.SelectedPort()), "/dev/ttyUSB3");
    EXPECT_TRUE(list.RemovePort("/dev/ttyUSB3"));
    EXPECT_EQ(list.SelectedPort(), -1);
    EXPECT_EQ(list.PortText(5), "");
    list.SelectPort(7); // no such entry: ignored
    EXPECT_EQ(list.SelectedPort(), -1);
    EXPECT_EQ(notified, std::vector<int>{1});
}

TEST(PortListMirror, FillUnderTheGateAndGiveItBack)
{
    CPortGate gate;
    CPortListMirror list;
    FillPortList(gate, list, {"/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyUSB2"});
    EXPECT_EQ(list.Names(), (Names{"/dev/ttyUSB10", "/dev/ttyUSB2"}));
    EXPECT_EQ(gate.State(), 0);
}

struct FriendlyCase
{
    const char* friendlyName;
    const char* expected;
};

class FriendlyName : public ::testing::TestWithParam<FriendlyCase>
{};

TEST_P(FriendlyName, GivesTheComName)
{
    EXPECT_EQ(ComNameFromFriendlyName(GetParam().friendlyName), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, FriendlyName,
    ::testing::Values(FriendlyCase{"Communications Port (COM1)", "COM1"},
                      FriendlyCase{"USB Serial Port (COM10)", "COM10"},
                      FriendlyCase{"USB Serial Port (COM4)", "COM4"},
                      FriendlyCase{"Prolific USB-to-Serial Comm Port (COM12)", "COM12"},
                      FriendlyCase{"Standard Serial over Bluetooth link (COM5 in)", "COM5"},
                      FriendlyCase{"Two (COM3) (COM4)", "COM3"},
                      FriendlyCase{"ECP Printer Port (LPT1)", ""}, FriendlyCase{"Port (COM)", ""},
                      FriendlyCase{"Port (com3)", ""}, FriendlyCase{"Port (COM3", ""},
                      FriendlyCase{"COM7", ""}, FriendlyCase{"COM7)", "COM7"},
                      FriendlyCase{"", ""}));

TEST(ExtraPorts, KeepsExistingPathsInOrder)
{
    const std::set<std::string> present = {"/dev/pts/3", "/dev/pts/7", "/tmp/radio"};
    const auto exists = [&](const std::string& p) { return present.count(p) != 0; };
    EXPECT_EQ(ExtraPortsFromList("/dev/pts/7:/dev/none::/tmp/radio:/dev/pts/3", exists),
              (Names{"/dev/pts/7", "/tmp/radio", "/dev/pts/3"}));
    EXPECT_EQ(ExtraPortsFromList("", exists), Names{});
    EXPECT_EQ(ExtraPortsFromList(":", exists), Names{});
    EXPECT_EQ(ExtraPortsFromList("/dev/pts/3:", exists), Names{"/dev/pts/3"});
}

// Property sets as `udevadm info` shows them, with the parent's driver and the UART type.
struct UdevCase
{
    const char* name;
    UdevTtyDevice device;
    std::optional<SerialPortInfo> expected;
};

class UdevRecorded : public ::testing::TestWithParam<UdevCase>
{};

TEST_P(UdevRecorded, TurnsIntoAnEntryOrNothing)
{
    EXPECT_EQ(SerialPortFromUdev(GetParam().device), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Machines, UdevRecorded,
    ::testing::Values(
        UdevCase{
            "FtdiAdapter",
            {{{"DEVNAME", "/dev/ttyUSB0"},
              {"DEVPATH", "/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/ttyUSB0/tty/ttyUSB0"},
              {"SUBSYSTEM", "tty"},
              {"ID_BUS", "usb"},
              {"ID_VENDOR", "FTDI"},
              {"ID_VENDOR_ID", "0403"},
              {"ID_MODEL", "FT232R_USB_UART"},
              {"ID_MODEL_ID", "6001"},
              {"ID_SERIAL", "FTDI_FT232R_USB_UART_A50285BI"},
              {"ID_USB_DRIVER", "ftdi_sio"}},
             "ftdi_sio",
             ""},
            SerialPortInfo{"/dev/ttyUSB0", "FT232R USB UART (FTDI)"}},
        UdevCase{
            "Ch340FromDatabase",
            {{{"DEVNAME", "/dev/ttyUSB1"},
              {"DEVPATH", "/devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.0/ttyUSB1/tty/ttyUSB1"},
              {"SUBSYSTEM", "tty"},
              {"ID_VENDOR", "1a86"},
              {"ID_MODEL", "USB_Serial"},
              {"ID_VENDOR_FROM_DATABASE", "QinHeng Electronics"},
              {"ID_MODEL_FROM_DATABASE", "CH340 serial converter"}},
             "ch341-uart",
             ""},
            SerialPortInfo{"/dev/ttyUSB1", "CH340 serial converter (QinHeng Electronics)"}},
        UdevCase{"CdcAcm",
                 {{{"DEVNAME", "/dev/ttyACM0"},
                   {"DEVPATH", "/devices/pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.0/tty/ttyACM0"},
                   {"SUBSYSTEM", "tty"}},
                  "cdc_acm",
                  ""},
                 SerialPortInfo{"/dev/ttyACM0", ""}},
        UdevCase{"OnBoardPnp",
                 {{{"DEVNAME", "/dev/ttyS0"},
                   {"DEVPATH", "/devices/pnp0/00:04/tty/ttyS0"},
                   {"SUBSYSTEM", "tty"}},
                  "serial",
                  "4"},
                 SerialPortInfo{"/dev/ttyS0", ""}},
        UdevCase{"Confirmed8250",
                 {{{"DEVNAME", "/dev/ttyS0"},
                   {"DEVPATH", "/devices/platform/serial8250/tty/ttyS0"},
                   {"SUBSYSTEM", "tty"}},
                  "serial8250",
                  "4"},
                 SerialPortInfo{"/dev/ttyS0", ""}},
        UdevCase{"Phantom8250",
                 {{{"DEVNAME", "/dev/ttyS7"},
                   {"DEVPATH", "/devices/platform/serial8250/tty/ttyS7"},
                   {"SUBSYSTEM", "tty"}},
                  "serial8250",
                  "0"},
                 std::nullopt},
        // Kernels from 6.5 on put a serial-base "port" device between the UART and its tty.
        UdevCase{
            "SerialBasePort",
            {{{"DEVNAME", "/dev/ttyS0"},
              {"DEVPATH", "/devices/platform/serial8250/serial8250:0/serial8250:0.0/tty/ttyS0"},
              {"SUBSYSTEM", "tty"}},
             "port",
             "4"},
            SerialPortInfo{"/dev/ttyS0", ""}},
        UdevCase{
            "SerialBasePhantom",
            {{{"DEVNAME", "/dev/ttyS1"},
              {"DEVPATH", "/devices/platform/serial8250/serial8250:0/serial8250:0.1/tty/ttyS1"},
              {"SUBSYSTEM", "tty"}},
             "port",
             "0"},
            std::nullopt},
        UdevCase{"Unconfirmed8250",
                 {{{"DEVNAME", "/dev/ttyS9"},
                   {"DEVPATH", "/devices/platform/serial8250/tty/ttyS9"},
                   {"SUBSYSTEM", "tty"}},
                  "serial8250",
                  ""},
                 std::nullopt},
        UdevCase{"VirtualConsole",
                 {{{"DEVNAME", "/dev/tty1"},
                   {"DEVPATH", "/devices/virtual/tty/tty1"},
                   {"SUBSYSTEM", "tty"}},
                  "",
                  ""},
                 std::nullopt},
        UdevCase{"Ptmx",
                 {{{"DEVNAME", "/dev/ptmx"},
                   {"DEVPATH", "/devices/virtual/tty/ptmx"},
                   {"SUBSYSTEM", "tty"}},
                  "",
                  ""},
                 std::nullopt},
        UdevCase{"NoDriverBehind",
                 {{{"DEVNAME", "/dev/ttyS3"},
                   {"DEVPATH", "/devices/pnp0/00:09/tty/ttyS3"},
                   {"SUBSYSTEM", "tty"}},
                  "",
                  "4"},
                 std::nullopt},
        UdevCase{"RelativeDevName",
                 {{{"DEVNAME", "ttyUSB0"},
                   {"DEVPATH", "/devices/pci0000:00/usb1/1-2/1-2:1.0/ttyUSB0/tty/ttyUSB0"}},
                  "ftdi_sio",
                  ""},
                 std::nullopt}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(UdevChange, AddOfAPortIsAnArrivalAndRemoveOfAnyNodeARemoval)
{
    const UdevTtyDevice adapter{
        {{"DEVNAME", "/dev/ttyUSB0"},
         {"DEVPATH", "/devices/pci0000:00/usb1/1-2/1-2:1.0/ttyUSB0/tty/ttyUSB0"},
         {"SUBSYSTEM", "tty"}},
        "ftdi_sio",
        ""};
    const auto arrival = PortChangeFromUdev("add", adapter);
    ASSERT_TRUE(arrival.has_value());
    EXPECT_EQ(arrival->first, PortChange::Arrival);
    EXPECT_EQ(arrival->second.name, "/dev/ttyUSB0");

    UdevTtyDevice gone = adapter;
    gone.parentDriver.clear(); // the parent is gone at removal
    const auto removal = PortChangeFromUdev("remove", gone);
    ASSERT_TRUE(removal.has_value());
    EXPECT_EQ(removal->first, PortChange::Removal);
    EXPECT_EQ(removal->second.name, "/dev/ttyUSB0");

    EXPECT_FALSE(PortChangeFromUdev("change", adapter).has_value());
    EXPECT_FALSE(PortChangeFromUdev("add", gone).has_value());
    const UdevTtyDevice console{
        {{"DEVNAME", "/dev/tty5"}, {"DEVPATH", "/devices/virtual/tty/tty5"}}, "", ""};
    EXPECT_FALSE(PortChangeFromUdev("remove", console).has_value());
}

} // namespace

#ifdef __linux__
namespace {

// This machine's own ports through udev: whatever it has, never a console or a pseudo-terminal.
TEST(EnumerateSerialPorts, ListsNoVirtualTerminals)
{
    std::vector<SerialPortInfo> ports;
    if (!EnumerateSerialPortInfos(ports))
        GTEST_SKIP() << "udev cannot enumerate here";
    for (const SerialPortInfo& p : ports) {
        EXPECT_EQ(p.name.rfind("/dev/", 0), 0u) << p.name;
        EXPECT_NE(p.name, "/dev/console");
        EXPECT_NE(p.name, "/dev/ptmx");
        EXPECT_NE(p.name, "/dev/tty");
        EXPECT_EQ(p.name.rfind("/dev/pts/", 0), std::string::npos) << p.name;
        const bool virtualConsole = p.name.size() > 8 && p.name.rfind("/dev/tty", 0) == 0 &&
                                    std::isdigit(static_cast<unsigned char>(p.name[8]));
        EXPECT_FALSE(virtualConsole) << p.name;
    }
}

} // namespace
#endif

#ifndef _WIN32
// std
#include <filesystem>
#include <fstream>

namespace {

// Without udev, a sysfs tree gives the same ports udev would (an adapter with its names, a
// confirmed UART; no console, no placeholder, no pseudo-terminal), and without sysfs the /dev
// scan finds the adapters' nodes.
TEST(DiscoveryWithoutUdev, SysfsJudgesAsUdevAndDevScanFindsAdapters)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("vorlend-sysfs-" + std::to_string(getpid()));
    fs::remove_all(root);
    const fs::path devices = root / "devices";
    const fs::path tty = root / "class" / "tty";
    fs::create_directories(tty);
    const auto write = [](const fs::path& path, const std::string& text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << text << "\n";
    };
    // A device node in the tree, its driver link and its class entry.
    const auto device = [&](const std::string& name, const std::string& place,
                            const std::string& driver) {
        const fs::path node = devices / place / name;
        fs::create_directories(node);
        if (!driver.empty()) {
            fs::create_directories(root / "drivers" / driver);
            fs::create_directories(node / "device");
            fs::create_symlink(root / "drivers" / driver, node / "device" / "driver");
        }
        fs::create_directory_symlink(node, tty / name);
        return node;
    };
    const fs::path usb = device("ttyUSB0", "usb1/1-1/1-1:1.0", "ftdi_sio");
    write(usb / "device" / ".." / "product", "FT232R USB UART");
    write(usb / "device" / ".." / "manufacturer", "FTDI");
    write(device("ttyS0", "platform/serial8250", "serial8250") / "type", "4");
    write(device("ttyS1", "platform/serial8250", "serial8250") / "type", "0");
    device("ttyS2", "platform/serial8250", "serial8250"); // no type: a placeholder
    device("tty1", "virtual/tty", "");
    device("console", "virtual/tty", "");

    const std::vector<SerialPortInfo> found = SerialPortsFromSysfs(tty.string(), "/dev");
    const std::vector<SerialPortInfo> want{{"/dev/ttyS0", ""},
                                           {"/dev/ttyUSB0", "FT232R USB UART (FTDI)"}};
    EXPECT_EQ(found, want);

    const fs::path dev = root / "dev";
    fs::create_directories(dev / "pts");
    for (const char* name : {"ttyUSB1", "ttyACM0", "ttyS0", "tty1", "console", "ttyUSB"})
        write(dev / name, "");
    const std::vector<SerialPortInfo> scanned = SerialPortsFromDevScan(dev.string());
    const std::vector<SerialPortInfo> adapters{{(dev / "ttyACM0").string(), ""},
                                               {(dev / "ttyUSB1").string(), ""}};
    EXPECT_EQ(scanned, adapters);
    fs::remove_all(root);
}

} // namespace
#endif
