#include "Reception/LocalizedStandardCompare.hpp"

#include <gtest/gtest.h>

namespace {

using Quillfen::localizedStandardCompare;

bool before(std::string_view a, std::string_view b) { return localizedStandardCompare(a, b) < 0; }
bool equivalent(std::string_view a, std::string_view b) { return localizedStandardCompare(a, b) == 0; }

TEST(LocalizedStandardCompareTests, DigitRunsCompareByValue) {
    EXPECT_TRUE(before("Phone 2", "Phone 10"));
    EXPECT_FALSE(before("Phone 10", "Phone 2"));
    EXPECT_TRUE(before("Phone 9 Pro", "Phone 10 Mini"));
    EXPECT_TRUE(before("a2b3", "a2b10"));
    // Far beyond any integer type: must still order by value, not overflow.
    EXPECT_TRUE(before("Phone 99999999999999999999998", "Phone 99999999999999999999999"));
    EXPECT_TRUE(before("Phone 9", "Phone 00000000000000000000010"));
    EXPECT_TRUE(equivalent("Phone 007", "Phone 7"));
}

TEST(LocalizedStandardCompareTests, LetterCaseIsIgnoredButLettersStillOrder) {
    EXPECT_TRUE(equivalent("anna's PHONE", "Anna's phone"));
    EXPECT_TRUE(equivalent("JÜRGEN", "jürgen"));
    EXPECT_TRUE(equivalent("ΣΟΦΙΑ", "σοφια"));
    EXPECT_TRUE(equivalent("ОЛЯ", "оля"));
    EXPECT_TRUE(before("apple", "Banana"));
    EXPECT_TRUE(before("Banana", "cherry"));
}

TEST(LocalizedStandardCompareTests, PrefixesComeFirstAndOrderIsConsistent) {
    EXPECT_TRUE(before("Phone", "Phone 2"));
    EXPECT_TRUE(before("", "a"));
    EXPECT_TRUE(equivalent("", ""));
    EXPECT_TRUE(before("Phone 1", "Phone a"));
    EXPECT_TRUE(before("Phone 1", "Phone 1a"));
}

TEST(LocalizedStandardCompareTests, MalformedUtf8NeitherCrashesNorBreaksTheOrder) {
    const std::string broken{"Phone \xC3", 7};
    const std::string truncated{"Phone \xE2\x80", 8};
    EXPECT_FALSE(equivalent(broken, truncated));
    EXPECT_EQ(localizedStandardCompare(broken, truncated), 0 <=> localizedStandardCompare(truncated, broken));
    EXPECT_TRUE(equivalent(broken, broken));
}

}  // namespace
