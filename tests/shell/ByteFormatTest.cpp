#include "shell/ByteFormat.h"

#include <gtest/gtest.h>

namespace {

const QLocale english(QLocale::English, QLocale::UnitedStates);

TEST(ByteFormat, SmallCountsAreBytes) {
    EXPECT_EQ(formatBytes(0, english), "Zero KB");
    EXPECT_EQ(formatBytes(1, english), "1 byte");
    EXPECT_EQ(formatBytes(2, english), "2 bytes");
    EXPECT_EQ(formatBytes(999, english), "999 bytes");
}

TEST(ByteFormat, DecimalUnitsWithAdaptivePrecision) {
    EXPECT_EQ(formatBytes(1000, english), "1 KB");
    EXPECT_EQ(formatBytes(1499, english), "1 KB");
    EXPECT_EQ(formatBytes(1500, english), "2 KB");
    EXPECT_EQ(formatBytes(999'499, english), "999 KB");
    EXPECT_EQ(formatBytes(1'000'000, english), "1 MB");
    EXPECT_EQ(formatBytes(1'500'000, english), "1.5 MB");
    EXPECT_EQ(formatBytes(1'049'999, english), "1 MB");
    EXPECT_EQ(formatBytes(2'340'000'000, english), "2.34 GB");
    EXPECT_EQ(formatBytes(2'300'000'000, english), "2.3 GB");
    EXPECT_EQ(formatBytes(10'737'418'240, english), "10.74 GB");
    EXPECT_EQ(formatBytes(1'234'560'000'000, english), "1.23 TB");
}

TEST(ByteFormat, RoundingThatReachesThousandMovesUpAUnit) {
    EXPECT_EQ(formatBytes(999'999, english), "1 MB");
    EXPECT_EQ(formatBytes(999'960'000, english), "1 GB");
    EXPECT_EQ(formatBytes(999'999'999'999, english), "1 TB");
}

TEST(ByteFormat, ExtremesAndSign) {
    EXPECT_EQ(formatBytes(std::numeric_limits<qint64>::max(), english), "9.22 EB");
    EXPECT_EQ(formatBytes(-1'500'000, english), "-1.5 MB");
    EXPECT_EQ(formatBytes(std::numeric_limits<qint64>::min(), english), "-9.22 EB");
}

TEST(ByteFormat, UsesTheLocaleDecimalSeparator) {
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(formatBytes(1'500'000, german), "1,5 MB");
    EXPECT_EQ(formatBytes(2'340'000'000, german), "2,34 GB");
    EXPECT_EQ(formatBytes(1'000'000, german), "1 MB");
}

} // namespace
