#include "ui/CheckValue.h"
#include "ui/ParseUnsigned.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Parses text; returns true and the value when accepted. A rejected text must leave the value
// untouched, so the sentinel shows through.
bool Parse(const std::string& text, uint32_t& value) {
  value = 12345;
  return ui::ParseUnsignedField(text.c_str(), value);
}

TEST(ParseUnsignedField, AcceptsANumberWithBlanksAndTabsAround) {
  uint32_t value = 0;
  EXPECT_TRUE(Parse("250", value));
  EXPECT_EQ(value, 250u);
  EXPECT_TRUE(Parse("   100  ", value));
  EXPECT_EQ(value, 100u);
  EXPECT_TRUE(Parse("\t 42\t", value));
  EXPECT_EQ(value, 42u);
  EXPECT_TRUE(Parse("+7", value));
  EXPECT_EQ(value, 7u);
  EXPECT_TRUE(Parse("  +10000 ", value));
  EXPECT_EQ(value, 10000u);
  EXPECT_TRUE(Parse("007", value));
  EXPECT_EQ(value, 7u);
}

TEST(ParseUnsignedField, AcceptsZeroOnlyWhenTypedAsADigit) {
  uint32_t value = 0;
  EXPECT_TRUE(Parse("0", value));
  EXPECT_EQ(value, 0u);
  EXPECT_TRUE(Parse("00", value));
  EXPECT_EQ(value, 0u);
  EXPECT_TRUE(Parse(" 0 ", value));
  EXPECT_EQ(value, 0u);
  // A plus sign comes before the digit, so the zero does not start the text.
  EXPECT_FALSE(Parse("+0", value));
  EXPECT_EQ(value, 12345u);
}

TEST(ParseUnsignedField, RejectsSignsLettersAndEmptyText) {
  uint32_t value = 0;
  for (const char* text : {"", "   ", "\t", "-5", "-0", " -1", "250ms", "ms250", "1 2", "+", "+-3",
                           "0x10", "12.5", "1e3", "5\n"}) {
    EXPECT_FALSE(Parse(text, value)) << '"' << text << '"';
    EXPECT_EQ(value, 12345u) << '"' << text << '"';
  }
  EXPECT_FALSE(ui::ParseUnsignedField(nullptr, value));
}

TEST(ParseUnsignedField, NumbersBeyond32BitsReadAsTheLargestValue) {
  uint32_t value = 0;
  EXPECT_TRUE(Parse("4294967295", value));
  EXPECT_EQ(value, 4294967295u);
  EXPECT_TRUE(Parse("4294967296", value));
  EXPECT_EQ(value, 4294967295u);
  EXPECT_TRUE(Parse("99999999999999999999", value));
  EXPECT_EQ(value, 4294967295u);
  EXPECT_TRUE(Parse("2147483648", value));
  EXPECT_EQ(value, 2147483648u);
}

TEST(ParseUnsignedField, ReadsOnlyTheFirst31Characters) {
  uint32_t value = 0;
  // Whatever follows the 31st character is never looked at.
  EXPECT_TRUE(Parse("5" + std::string(30, ' ') + "junk", value));
  EXPECT_EQ(value, 5u);
  EXPECT_TRUE(Parse(std::string(40, '9'), value));
  EXPECT_EQ(value, 4294967295u);
  // Blanks filling the first 31 characters leave no number.
  EXPECT_FALSE(Parse(std::string(31, ' ') + "5", value));
  EXPECT_EQ(value, 12345u);
  // The 31st character still counts.
  EXPECT_FALSE(Parse(std::string(30, ' ') + "x", value));
  EXPECT_TRUE(Parse(std::string(30, ' ') + "8", value));
  EXPECT_EQ(value, 8u);
}

TEST(CheckValue, ShowsOnlyZeroOneOrTwoAndReadsBackOneOrZero) {
  EXPECT_EQ(ui::CheckValueToShow(0), 0);
  EXPECT_EQ(ui::CheckValueToShow(1), 1);
  EXPECT_EQ(ui::CheckValueToShow(2), 2);
  EXPECT_EQ(ui::CheckValueToShow(3), 0);
  EXPECT_EQ(ui::CheckValueToShow(5), 0);
  EXPECT_EQ(ui::CheckValueToShow(-1), 0);
  EXPECT_EQ(ui::CheckValueFromState(0), 0);
  EXPECT_EQ(ui::CheckValueFromState(1), 1);
  EXPECT_EQ(ui::CheckValueFromState(2), 0);
}

}  // namespace
