#include "link/DeviceChangeWin32.h"
#include "link/PortDiscovery.h"

#include <gtest/gtest.h>

// std
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

// clang-format off
#include <windows.h> // first: the other Windows headers need its types
#include <dbt.h>
// clang-format on

namespace {

struct FriendlyNameCase
{
    const char* friendlyName;
    const char* portName;
};

class FriendlyNameTest : public ::testing::TestWithParam<FriendlyNameCase>
{};

TEST_P(FriendlyNameTest, GivesTheComNameInParentheses)
{
    EXPECT_EQ(ComNameFromFriendlyName(GetParam().friendlyName), GetParam().portName);
}

// Names as Windows' device manager reports them, and the edges of the rule.
INSTANTIATE_TEST_SUITE_P(
    RecordedNames, FriendlyNameTest,
    ::testing::Values(FriendlyNameCase{"USB Serial Port (COM3)", "COM3"},
                      FriendlyNameCase{"Communications Port (COM1)", "COM1"},
                      FriendlyNameCase{"USB Serial Port (COM10)", "COM10"},
                      FriendlyNameCase{"Prolific USB-to-Serial Comm Port (COM4)", "COM4"},
                      FriendlyNameCase{"Silicon Labs CP210x USB to UART Bridge (COM17)", "COM17"},
                      FriendlyNameCase{"ECP Printer Port (LPT1)", ""},
                      FriendlyNameCase{"USB Serial Port", ""}, FriendlyNameCase{"COM7", ""},
                      FriendlyNameCase{"", ""}, FriendlyNameCase{"Port (COM3", ""},
                      FriendlyNameCase{"Port COM3)", ""}, FriendlyNameCase{"Port (COM)", ""},
                      FriendlyNameCase{"Port (CO)", ""},
                      // Only the leading run of "COM0123456789" characters counts.
                      FriendlyNameCase{"Port (COM12, wired)", "COM12"},
                      FriendlyNameCase{"Port (COM5x)", "COM5"}, FriendlyNameCase{"Port (com5)", ""},
                      FriendlyNameCase{"Port (0123)", "0123"},
                      FriendlyNameCase{"Port (MOC1)", "MOC1"},
                      // The first "(" wins, whatever follows.
                      FriendlyNameCase{"Bluetooth (COM8) (link 2)", "COM8"},
                      FriendlyNameCase{"Adapter (rev 2) (COM9)", ""}));

TEST(SerialPortEnumeration, EndsNormallyAndListsComNamesThenTheExtraPortsThatExist)
{
    // Wine lists no devices of the ports class; the extra list adds the ports it maps.
    const std::string mapped =
        std::getenv("VORLEND_WINE_ECHO_PORT") ? std::getenv("VORLEND_WINE_ECHO_PORT") : "";
    const std::string extra = (mapped.empty() ? std::string() : mapped + ":") + "COM43";
    ASSERT_EQ(_putenv_s(kExtraPortsVariable, extra.c_str()), 0);
    std::vector<std::string> names = {"stale"};
    const bool ok = EnumerateSerialPorts(names);
    _putenv_s(kExtraPortsVariable, "");
    ASSERT_TRUE(ok);
    EXPECT_TRUE(std::find(names.begin(), names.end(), "stale") == names.end());
    EXPECT_TRUE(std::find(names.begin(), names.end(), "COM43") == names.end());
    if (!mapped.empty()) {
        ASSERT_FALSE(names.empty());
        EXPECT_EQ(names.back(), mapped);
    }
    for (const std::string& name : names) {
        EXPECT_GT(name.size(), 3u) << name;
        EXPECT_EQ(name.find_first_not_of("COM0123456789"), std::string::npos) << name;
    }
}

// A WM_DEVICECHANGE broadcast header as the system builds it: the header, then the name.
std::vector<std::byte> PortHeader(const std::wstring& name, DWORD deviceType = DBT_DEVTYP_PORT)
{
    const std::size_t size =
        offsetof(DEV_BROADCAST_PORT_W, dbcp_name) + (name.size() + 1) * sizeof(wchar_t);
    std::vector<std::byte> bytes(size);
    DEV_BROADCAST_PORT_W header{};
    header.dbcp_size = static_cast<DWORD>(size);
    header.dbcp_devicetype = deviceType;
    std::memcpy(bytes.data(), &header, offsetof(DEV_BROADCAST_PORT_W, dbcp_name));
    std::memcpy(bytes.data() + offsetof(DEV_BROADCAST_PORT_W, dbcp_name), name.c_str(),
                (name.size() + 1) * sizeof(wchar_t));
    return bytes;
}

struct DeviceChangeCase
{
    const char* label;
    std::uintptr_t eventCode;
    const wchar_t* name;
    DWORD deviceType;
    std::optional<PortChange> change; // nothing: the broadcast is not a port change
    const char* portName;
};

class DeviceChangeTest : public ::testing::TestWithParam<DeviceChangeCase>
{};

TEST_P(DeviceChangeTest, ReadsPortArrivalsAndRemovals)
{
    const DeviceChangeCase& c = GetParam();
    const std::vector<std::byte> header = PortHeader(c.name, c.deviceType);
    const auto change = PortChangeFromDeviceBroadcast(c.eventCode, header.data());
    ASSERT_EQ(change.has_value(), c.change.has_value());
    if (change) {
        EXPECT_EQ(change->first, *c.change);
        EXPECT_EQ(change->second.name, c.portName);
        EXPECT_EQ(change->second.description, "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    BuiltHeaders, DeviceChangeTest,
    ::testing::Values(
        DeviceChangeCase{"arrival", DBT_DEVICEARRIVAL, L"COM5", DBT_DEVTYP_PORT,
                         PortChange::Arrival, "COM5"},
        DeviceChangeCase{"removal", DBT_DEVICEREMOVECOMPLETE, L"COM12", DBT_DEVTYP_PORT,
                         PortChange::Removal, "COM12"},
        DeviceChangeCase{"removal_pending", DBT_DEVICEREMOVEPENDING, L"COM5", DBT_DEVTYP_PORT,
                         std::nullopt, ""},
        DeviceChangeCase{"query_remove", DBT_DEVICEQUERYREMOVE, L"COM5", DBT_DEVTYP_PORT,
                         std::nullopt, ""},
        DeviceChangeCase{"nodes_changed", DBT_DEVNODES_CHANGED, L"COM5", DBT_DEVTYP_PORT,
                         std::nullopt, ""},
        DeviceChangeCase{"volume", DBT_DEVICEARRIVAL, L"COM5", DBT_DEVTYP_VOLUME, std::nullopt, ""},
        DeviceChangeCase{"interface", DBT_DEVICEARRIVAL, L"COM5", DBT_DEVTYP_DEVICEINTERFACE,
                         std::nullopt, ""},
        DeviceChangeCase{"empty_name", DBT_DEVICEARRIVAL, L"", DBT_DEVTYP_PORT, std::nullopt, ""},
        DeviceChangeCase{"cyrillic_name", DBT_DEVICEARRIVAL, L"Порт", DBT_DEVTYP_PORT,
                         PortChange::Arrival, "Порт"}),
    [](const ::testing::TestParamInfo<DeviceChangeCase>& param) { return param.param.label; });

TEST(DeviceChange, NullHeaderIsIgnored)
{
    EXPECT_FALSE(PortChangeFromDeviceBroadcast(DBT_DEVICEARRIVAL, nullptr).has_value());
}

TEST(DeviceChange, NameIsReadNoFurtherThanTheHeaderSize)
{
    // A header whose size ends inside the name, with no terminator within it.
    std::vector<std::byte> header = PortHeader(L"COM55");
    auto* common = reinterpret_cast<DEV_BROADCAST_HDR*>(header.data());
    common->dbch_size =
        static_cast<DWORD>(offsetof(DEV_BROADCAST_PORT_W, dbcp_name) + 4 * sizeof(wchar_t));
    const auto change = PortChangeFromDeviceBroadcast(DBT_DEVICEARRIVAL, header.data());
    ASSERT_TRUE(change.has_value());
    EXPECT_EQ(change->first, PortChange::Arrival);
    EXPECT_EQ(change->second.name, "COM5");
}

TEST(DeviceChange, HeaderTooShortForAnyNameIsIgnored)
{
    std::vector<std::byte> header = PortHeader(L"COM5");
    auto* common = reinterpret_cast<DEV_BROADCAST_HDR*>(header.data());
    common->dbch_size = sizeof(DEV_BROADCAST_HDR);
    EXPECT_FALSE(PortChangeFromDeviceBroadcast(DBT_DEVICEARRIVAL, header.data()).has_value());
}

} // namespace
