#include "config/inidictionary.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "scratchdir.h"

namespace {

// Writes the text as "test.ini" in a scratch directory and reads it back.
class IniText : public ::testing::Test {
  protected:
    IniDictionary read(const std::string& text) {
        scratch.write("test.ini", text);
        return IniDictionary("test.ini");
    }
    ScratchDir scratch;
};

}  // namespace

TEST_F(IniText, EmptyFileGivesEveryDefault) {
    const IniDictionary ini = read("");
    EXPECT_EQ(ini.getIntValue("a", "", 7), 7);
    EXPECT_TRUE(ini.getBoolValue("a", "S", true));
    EXPECT_STREQ(ini.getCStringValue("a", "S", "empty"), "empty");
}

TEST_F(IniText, MissingFileWarnsAndGivesDefaults) {
    testing::internal::CaptureStderr();
    const IniDictionary ini("nowhere.ini");
    const std::string warning = testing::internal::GetCapturedStderr();
    EXPECT_EQ(warning, "kestrelix: nowhere.ini: cannot be opened, using defaults\n");
    EXPECT_FALSE(ini.wasRead());
    EXPECT_EQ(ini.getIntValue("pixelMultiplier", "Video", 1), 1);
}

TEST_F(IniText, OnlyASemicolonInTheFirstColumnStartsAComment) {
    const IniDictionary ini = read("[S]\n;a = 1\n  ;x = 1\nb = 2 ; two\n");
    EXPECT_EQ(ini.getIntValue(";a", "S", -1), -1);
    EXPECT_EQ(ini.getIntValue(";x", "S", -1), 1);
    EXPECT_STREQ(ini.getCStringValue("b", "S", "empty"), "2 ; two");
    EXPECT_EQ(ini.getIntValue("b", "S", -1), 2);
}

TEST_F(IniText, EntriesWithoutValueKeyOrEqualsSign) {
    const IniDictionary ini = read("[S]\nspeed=\n=5\nalone\na = b = c\n");
    EXPECT_EQ(ini.getIntValue("speed", "S", 9), 0);
    EXPECT_TRUE(ini.getBoolValue("speed", "S", true));
    EXPECT_STREQ(ini.getCStringValue("speed", "S", "empty"), "");
    EXPECT_EQ(ini.getIntValue("", "S", 0), 5);
    EXPECT_STREQ(ini.getCStringValue("alone", "S", "empty"), "alone");
    EXPECT_STREQ(ini.getCStringValue("a", "S", "empty"), "b = c");
}

TEST_F(IniText, FirstValueWinsAndRepeatedSectionsMerge) {
    const IniDictionary ini = read("[S]\nk = 1\nk = 2\n[T]\nt = 3\n[S]\nk = 4\nm = 5\n");
    EXPECT_EQ(ini.getIntValue("k", "S", 0), 1);
    EXPECT_EQ(ini.getIntValue("m", "S", 0), 5);
    EXPECT_EQ(ini.getIntValue("t", "T", 0), 3);
}

TEST_F(IniText, NamesAreCaseSensitiveAndUntrimmedInBrackets) {
    const IniDictionary ini = read(
        "top = 1\n[Video]\npixelMultiplier = 2\n[video]\npixelmultiplier = 3\n"
        "[ Video ]\nx = 4\n[]\ny = 5\n[Video] ; screen\n");
    EXPECT_EQ(ini.getIntValue("top", "", 0), 1);
    EXPECT_EQ(ini.getIntValue("y", "", 0), 5);
    EXPECT_EQ(ini.getIntValue("pixelMultiplier", "Video", 0), 2);
    EXPECT_EQ(ini.getIntValue("pixelmultiplier", "Video", 0), 0);
    EXPECT_EQ(ini.getIntValue("pixelmultiplier", "video", 0), 3);
    EXPECT_EQ(ini.getIntValue("x", " Video ", 0), 4);
    EXPECT_EQ(ini.getIntValue("x", "Video", 0), 0);
    // "[Video] ; screen" does not end with ']': an entry of the empty section.
    EXPECT_STREQ(ini.getCStringValue("[Video] ; screen", "", "empty"), "[Video] ; screen");
}

TEST_F(IniText, CarriageReturnsAndTabs) {
    const IniDictionary ini =
        read("[S]\r\na = 1\r\nb = x\r\r\nflag = true   \nflag2 = true\t\nspeed\t= 3\n");
    EXPECT_EQ(ini.getIntValue("a", "S", 0), 1);
    EXPECT_STREQ(ini.getCStringValue("b", "S", "empty"), "x\r");
    EXPECT_TRUE(ini.getBoolValue("flag", "S", false));
    EXPECT_FALSE(ini.getBoolValue("flag2", "S", false));
    EXPECT_EQ(ini.getIntValue("speed\t", "S", 0), 3);
    EXPECT_EQ(ini.getIntValue("speed", "S", -1), -1);
}

TEST_F(IniText, ByteOrderMarkHidesAHeaderOnTheFirstLine) {
    const IniDictionary ini = read("\xEF\xBB\xBF[S]\na = 1\n");
    EXPECT_EQ(ini.getIntValue("a", "S", 0), 0);
    EXPECT_EQ(ini.getIntValue("a", "\xEF\xBB\xBF[S", 0), 0);
    EXPECT_EQ(ini.getIntValue("a", "", 0), 1);
}

TEST_F(IniText, LastLineNeedsNoNewlineAndLongLinesAreKept) {
    const std::string longValue(70000, 'v');
    const IniDictionary ini = read("[S]\nlong = " + longValue + "\nlast = 9");
    EXPECT_EQ(std::strlen(ini.getCStringValue("long", "S", "")), longValue.size());
    EXPECT_EQ(ini.getIntValue("last", "S", 0), 9);
}

TEST(IniBool, OnlyExactTrueOrFalseCount) {
    ScratchDir scratch;
    scratch.write("b.ini", "[S]\nt = true\nf = false\nT = True\none = 1\nyes = yes\n");
    const IniDictionary ini("b.ini");
    EXPECT_TRUE(ini.getBoolValue("t", "S", false));
    EXPECT_FALSE(ini.getBoolValue("f", "S", true));
    EXPECT_TRUE(ini.getBoolValue("T", "S", true));
    EXPECT_FALSE(ini.getBoolValue("T", "S", false));
    EXPECT_FALSE(ini.getBoolValue("one", "S", false));
    EXPECT_TRUE(ini.getBoolValue("yes", "S", true));
}

TEST(IniInt, ParsesLikeDecimalPrefix) {
    EXPECT_EQ(IniDictionary::parseInt("12px"), 12);
    EXPECT_EQ(IniDictionary::parseInt("-3"), -3);
    EXPECT_EQ(IniDictionary::parseInt("+4"), 4);
    EXPECT_EQ(IniDictionary::parseInt("abc"), 0);
    EXPECT_EQ(IniDictionary::parseInt(""), 0);
    EXPECT_EQ(IniDictionary::parseInt("0x10"), 0);
    EXPECT_EQ(IniDictionary::parseInt("5 ; five"), 5);
    EXPECT_EQ(IniDictionary::parseInt("\t\n 8"), 8);
    EXPECT_EQ(IniDictionary::parseInt("- 8"), 0);
}

TEST(IniInt, OutOfRangeSaturatesInsteadOfOverflowing) {
    EXPECT_EQ(IniDictionary::parseInt("2147483647"), INT_MAX);
    EXPECT_EQ(IniDictionary::parseInt("2147483648"), INT_MAX);
    EXPECT_EQ(IniDictionary::parseInt("-2147483648"), INT_MIN);
    EXPECT_EQ(IniDictionary::parseInt("-2147483649"), INT_MIN);
    EXPECT_EQ(IniDictionary::parseInt("99999999999999999999999999"), INT_MAX);
}

TEST(IniTrim, OnlySpacesAtBothEnds) {
    std::string text = "  a b \t  ";
    IniDictionary::trim(text);
    EXPECT_EQ(text, "a b \t");
    text = "    ";
    IniDictionary::trim(text);
    EXPECT_EQ(text, "");
}
