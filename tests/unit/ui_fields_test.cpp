#include "base/FormatText.h"
#include "base/ParseUnsigned.h"
#include "ui/CheckValue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <utility>

namespace {

// Whether the text is accepted, and the value it leaves. A rejected text must leave the value
// untouched, so the sentinel shows through.
using Parsed = std::pair<bool, uint32_t>;
Parsed Parse(const std::string& text) {
  uint32_t value = 12345;
  const bool accepted = base::ParseUnsignedField(text.c_str(), value);
  return {accepted, value};
}

TEST(ParseUnsignedField, AcceptsANumberWithBlanksAndTabsAround) {
  EXPECT_EQ(Parse("250"), Parsed(true, 250u));
  EXPECT_EQ(Parse("   100  "), Parsed(true, 100u));
  EXPECT_EQ(Parse("\t 42\t"), Parsed(true, 42u));
  EXPECT_EQ(Parse("+7"), Parsed(true, 7u));
  EXPECT_EQ(Parse("  +10000 "), Parsed(true, 10000u));
  EXPECT_EQ(Parse("007"), Parsed(true, 7u));
}

TEST(ParseUnsignedField, AcceptsZeroOnlyWhenTypedAsADigit) {
  EXPECT_EQ(Parse("0"), Parsed(true, 0u));
  EXPECT_EQ(Parse("00"), Parsed(true, 0u));
  EXPECT_EQ(Parse(" 0 "), Parsed(true, 0u));
  // A plus sign comes before the digit, so the zero does not start the text.
  EXPECT_EQ(Parse("+0"), Parsed(false, 12345u));
}

TEST(ParseUnsignedField, RejectsSignsLettersAndEmptyText) {
  uint32_t value = 0;
  for (const char* text : {"", "   ", "\t", "-5", "-0", " -1", "250ms", "ms250", "1 2", "+", "+-3",
                           "0x10", "12.5", "1e3", "5\n"}) {
    EXPECT_EQ(Parse(text), Parsed(false, 12345u)) << '"' << text << '"';
  }
  EXPECT_FALSE(base::ParseUnsignedField(nullptr, value));
}

TEST(ParseUnsignedField, NumbersBeyond32BitsReadAsTheLargestValue) {
  EXPECT_EQ(Parse("4294967295"), Parsed(true, 4294967295u));
  EXPECT_EQ(Parse("4294967296"), Parsed(true, 4294967295u));
  EXPECT_EQ(Parse("99999999999999999999"), Parsed(true, 4294967295u));
  EXPECT_EQ(Parse("2147483648"), Parsed(true, 2147483648u));
}

TEST(ParseUnsignedField, ReadsOnlyTheFirst31Characters) {
  // Whatever follows the 31st character is never looked at.
  EXPECT_EQ(Parse("5" + std::string(30, ' ') + "junk"), Parsed(true, 5u));
  EXPECT_EQ(Parse(std::string(40, '9')), Parsed(true, 4294967295u));
  // Blanks filling the first 31 characters leave no number.
  EXPECT_EQ(Parse(std::string(31, ' ') + "5"), Parsed(false, 12345u));
  // The 31st character still counts.
  EXPECT_FALSE(Parse(std::string(30, ' ') + "x").first);
  EXPECT_EQ(Parse(std::string(30, ' ') + "8"), Parsed(true, 8u));
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

// The voltage text is "%.3f" as glibc prints it, ties to even included, for readings of every
// millivolt to 100 V and sampled up to the largest; msvcrt would round the ties up.
TEST(FormatVolts, PrintsWhatPrintfPrintsHereTiesIncluded) {
  auto expect = [](float volts) {
    char mine[64], printed[64];
    FormatVolts(mine, sizeof mine, volts);
    std::snprintf(printed, sizeof printed, "%.3f", static_cast<double>(volts));
    ASSERT_STREQ(mine, printed) << volts;
  };
  for (uint64_t mv = 0; mv <= 0xFFFFFFFFu; mv += mv < 100000 ? 1 : 7919) {
    expect(static_cast<float>(static_cast<double>(mv) * 0.001));
  }
  for (float volts : {0.0625f, 16384.0625f, 16384.1875f, 524288.9375f, -0.0f, -1.0625f, 2e30f}) {
    expect(volts);
  }
  char text[8];
  EXPECT_EQ(FormatVolts(text, sizeof text, 16384.0625f), 7);
  EXPECT_STREQ(text, "16384.0");  // cut to the buffer, terminated
}

// The formats msvcrt of Windows 98 and 2000 reads, and the lengths it does not.
TEST(MsvcrtFormat, RefusesTheLengthsOldMsvcrtLacks) {
  for (const char* good :
       {"%d", "%u", "%ld", "%lx", "0x%08lx", "%.3f", "%s", "%c", "100%%", "%-5d"}) {
    EXPECT_TRUE(MsvcrtFormat(good)) << good;
  }
  for (const char* bad : {"%lld", "%llu", "%zu", "%jd", "%td", "%hhd", "%Lf", "%08llx", "50%"}) {
    EXPECT_FALSE(MsvcrtFormat(bad)) << bad;
  }
}

// Every text of the string tables that holds a format passes the same check as a literal one.
TEST(MsvcrtFormat, EveryStringTableFormatPasses) {
  int formats = 0;
  for (const char* script : {"/src/resources/varistep.rc", "/src/setup/setup.rc"}) {
    std::string path = std::string(VS_SOURCE_DIR) + script;
    std::ifstream in(path);
    ASSERT_TRUE(in) << path;
    bool inTable = false;
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("STRINGTABLE", 0) == 0) inTable = true;
      if (line.rfind("END", 0) == 0) inTable = false;
      size_t open = line.find('"');
      size_t close = line.rfind('"');
      if (!inTable || open == std::string::npos || close <= open) continue;
      std::string text = line.substr(open + 1, close - open - 1);
      if (text.find('%') == std::string::npos) continue;
      ++formats;
      EXPECT_TRUE(MsvcrtFormat(text.c_str())) << script << ": " << text;
    }
  }
  EXPECT_GT(formats, 0);
}
