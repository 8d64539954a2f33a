#include "port_value.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "case_names.h"
#include "expectations.h"

namespace label {
namespace {

struct ValueCase {
    std::string value;
    PortWay way;
    std::string host;    // network: the host read; refused: the entry that says why
    std::uint16_t port;  // network: the port read
};

void PrintTo(const ValueCase& c, std::ostream* out) { *out << testing::escaped(c.value); }

class PortValues : public ::testing::TestWithParam<ValueCase> {};

TEST_P(PortValues, AreReadOrRefusedWithTheReason) {
    const ValueCase& c = GetParam();
    const PortValue read = readPortValue(PortKind::parallel, c.value);
    ASSERT_EQ(read.way, c.way);
    if (c.way == PortWay::network) {
        EXPECT_EQ(std::make_pair(read.address.host, read.address.port), std::make_pair(c.host, c.port));
    } else if (c.way == PortWay::refused) {
        EXPECT_EQ(read.refusal, testing::expected("network value refused",
                                                  {{"value", c.value}, {"reason", testing::expected(c.host)}}));
    }
}

INSTANTIATE_TEST_SUITE_P(Values, PortValues,
                         ::testing::Values(ValueCase{"/dev/usb/lp0", PortWay::device, {}, 0},
                                           ValueCase{"printer:Desk 2", PortWay::printerQueue, {}, 0},
                                           ValueCase{"socket://printer.example", PortWay::network, "printer.example",
                                                     rawPrintPort},
                                           ValueCase{"socket://192.0.2.7:6101", PortWay::network, "192.0.2.7", 6101},
                                           ValueCase{"socket://[fe80::1]", PortWay::network, "fe80::1", rawPrintPort},
                                           ValueCase{"socket://[::1]:65535", PortWay::network, "::1", 65535},
                                           ValueCase{"socket://host:65536", PortWay::refused, "port out of range", 0},
                                           ValueCase{"socket://host:0", PortWay::refused, "port out of range", 0},
                                           ValueCase{"socket://host:9x", PortWay::refused, "port out of range", 0},
                                           ValueCase{"socket://host:", PortWay::refused, "port missing", 0},
                                           ValueCase{"socket://", PortWay::refused, "no host", 0},
                                           ValueCase{"socket://:9100", PortWay::refused, "no host", 0},
                                           ValueCase{"socket://[]:9100", PortWay::refused, "no host", 0},
                                           ValueCase{"socket://h;rm -rf x", PortWay::refused, "not a host name", 0},
                                           ValueCase{"socket://$(reboot)", PortWay::refused, "not a host name", 0},
                                           ValueCase{"socket://h\x1b[2J", PortWay::refused, "not a host name", 0},
                                           ValueCase{"socket://[::1", PortWay::refused, "no closing bracket", 0},
                                           ValueCase{"socket://[::1]x", PortWay::refused, "after the brackets", 0},
                                           ValueCase{"socket://[a|b]", PortWay::refused, "not an IPv6 address", 0},
                                           ValueCase{"socket://::1", PortWay::refused, "IPv6 without brackets", 0}),
                         testing::caseName<ValueCase>);

}  // namespace
}  // namespace label
