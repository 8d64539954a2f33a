// Who a printer says it is, from device IDs as printers give them and as a
// broken or hostile one might.

#include "device_id.h"

#include <gtest/gtest.h>

#include <string>

#include "case_names.h"

namespace label {
namespace {

struct IdCase {
    const char* name;
    std::string id;
    std::optional<std::string> shown;
};

void PrintTo(const IdCase& row, std::ostream* out) { *out << row.name; }

class DeviceIds : public ::testing::TestWithParam<IdCase> {};

TEST_P(DeviceIds, NameThePrinterPrintablyOrNotAtAll) { EXPECT_EQ(printerName(GetParam().id), GetParam().shown); }

const std::string longModel(200, 'M');

INSTANTIATE_TEST_SUITE_P(
    Rows, DeviceIds,
    ::testing::Values(IdCase{"usb", "MFG:Corvane;CMD:VRT;MDL:VRT-4 Desk;CLS:PRINTER;", "Corvane VRT-4 Desk"},
                      IdCase{"parport_lines", "CLASS:PRINTER;\nMODEL:VRT 2;\nMANUFACTURER:Corvane;\n", "Corvane VRT 2"},
                      IdCase{"lower_case_keys_and_spaces", " mfg : Corvane ; mdl:VRT-4;", "Corvane VRT-4"},
                      IdCase{"no_maker", "CMD:VRT;MDL:VRT-4;", "VRT-4"}, IdCase{"no_model", "MFG:Corvane;", "Corvane"},
                      IdCase{"neither", "CMD:VRT;CLS:PRINTER;", std::nullopt}, IdCase{"empty", "", std::nullopt},
                      IdCase{"no_terminator", "MFG:Corvane;MDL:VRT-4", "Corvane VRT-4"},
                      IdCase{"no_colon_at_all", "Corvane VRT-4", std::nullopt},
                      IdCase{"control_bytes",
                             "MFG:Cor\x1b[2Jvane;MDL:VRT\r\x07"
                             "4;",
                             "Cor?[2Jvane VRT??4"},
                      IdCase{"overlong", "MFG:Corvane;MDL:" + longModel + ";",
                             "Corvane " + longModel.substr(0, nameLength)},
                      IdCase{"key_inside_a_value", "DES:MDL:fake;MDL:VRT-4;", "VRT-4"}),
    testing::caseName<IdCase>);

TEST(LengthPrefixed, CountsItsOwnTwoBytesAndStaysInsideTheReply) {
    EXPECT_EQ(lengthPrefixed(std::string("\0\x07MFG:C;junk", 12)), "MFG:C");
    EXPECT_EQ(lengthPrefixed(std::string("\xff\xffMFG:C;", 8)), "MFG:C;");
    EXPECT_EQ(lengthPrefixed(std::string("\0\x01MFG:C;", 8)), "");
    EXPECT_EQ(lengthPrefixed("\x01"), "");
}

}  // namespace
}  // namespace label
