#include "dialogs/DialogText.h"

#include <gtest/gtest.h>

#include <limits>

namespace sonavue::dialogs {
namespace {

TEST(DialogTextTest, NumbersAreReadFromTheStartOfTheText) {
  EXPECT_DOUBLE_EQ(ReadLeadingNumber("0.25", 7), 0.25);
  EXPECT_DOUBLE_EQ(ReadLeadingNumber("  12.5 s", 7), 12.5);
  EXPECT_DOUBLE_EQ(ReadLeadingNumber("-3", 7), -3.0);
  EXPECT_DOUBLE_EQ(ReadLeadingNumber("+4", 7), 4.0);
  EXPECT_DOUBLE_EQ(ReadLeadingNumber(".5", 7), 0.5);
  EXPECT_DOUBLE_EQ(ReadLeadingNumber("1e2", 7), 100.0);
}

TEST(DialogTextTest, OnlyTheFirstCharactersCount) {
  EXPECT_DOUBLE_EQ(ReadLeadingNumber("1234567890", 7), 1234567.0);
  EXPECT_DOUBLE_EQ(ReadLeadingNumber("12.345678901234", 11), 12.3456789);
}

TEST(DialogTextTest, TextWithoutANumberReadsAsZero) {
  EXPECT_DOUBLE_EQ(ReadLeadingNumber("", 7), 0.0);
  EXPECT_DOUBLE_EQ(ReadLeadingNumber("abc", 7), 0.0);
  EXPECT_DOUBLE_EQ(ReadLeadingNumber("+-3", 7), 0.0);
  EXPECT_DOUBLE_EQ(ReadLeadingNumber("inf", 7), 0.0);
  EXPECT_DOUBLE_EQ(ReadLeadingNumber("       5", 7), 0.0);  // the digit is the 8th character
}

TEST(DialogTextTest, WholeNumbersAreSigned) {
  EXPECT_EQ(ReadLeadingInteger("-120Hz"), -120);
  EXPECT_EQ(ReadLeadingInteger("  +45"), 45);
  EXPECT_EQ(ReadLeadingInteger("x"), 0);
  EXPECT_EQ(ReadLeadingInteger("12.9"), 12);
  EXPECT_EQ(ReadLeadingInteger("99999999999"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(ReadLeadingInteger("-99999999999"), std::numeric_limits<std::int32_t>::min());
}

TEST(DialogTextTest, FixedDecimalsUseAPoint) {
  EXPECT_EQ(FormatFixed(10.0, 3), "10.000");
  EXPECT_EQ(FormatFixed(0.25, 3), "0.250");
  EXPECT_EQ(FormatFixed(200.0, 0), "200");
  EXPECT_EQ(FormatFixed(13.04, 1), "13.0");
  EXPECT_EQ(FormatInteger(-90), "-90");
}

}  // namespace
}  // namespace sonavue::dialogs
