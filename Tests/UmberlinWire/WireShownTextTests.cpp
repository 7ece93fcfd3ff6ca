#include <gtest/gtest.h>

#include "UmberlinWire/WireShownText.hpp"

namespace UmberlinWire {
namespace {

struct ShownCase {
    const char* name;
    std::string phoneText;
    std::string shown;
};

class WireShownText : public testing::TestWithParam<ShownCase> {};

TEST_P(WireShownText, NothingFromThePhoneActsOnATerminal) {
    EXPECT_EQ(shownPhoneText(GetParam().phoneText), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    PhoneText, WireShownText,
    testing::Values(ShownCase{"PlainTextStays", "Studio iPhone \u00E9\U0001F4F7", "Studio iPhone \u00E9\U0001F4F7"},
                    ShownCase{"EscapesAndLineBreaks", "a\x1B[2J\r\nb\tc\x7F", "a?[2J??b?c?"},
                    ShownCase{"C1ControlsAndSeparators", "a\u009B31mb\u0085c\u2028d\u2029", "a?31mb?c?d?"},
                    ShownCase{"BrokenUtf8", "a\xFF\xC0\xAF\xED\xA0\x80z\xE2\x82",
                              "a\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDz\uFFFD\uFFFD"},
                    ShownCase{"ExactlyTheLongest", std::string(120, 'x'), std::string(120, 'x')},
                    ShownCase{"CutAtACharacter", std::string(119, 'x') + "\u00E9\u00E9",
                              std::string(119, 'x') + "\u00E9\u2026"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace UmberlinWire
