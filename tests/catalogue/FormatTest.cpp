#include <gtest/gtest.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <cmath>
#include <filesystem>
#include <string>

#include "uFormat.h"
#include "uNetFiles.h"

namespace {

double Dn(int y, int m, int d, int h = 0, int n = 0, int s = 0, int ms = 0) {
    return EncodeDayNumber(y, m, d, h, n, s, ms);
}

TEST(FormatArgs, IndexWidthAlignmentAndPrecision) {
    EXPECT_EQ(FormatArgs("%0:-16s|", {"ISS (ZARYA)"}), "ISS (ZARYA)     |");
    EXPECT_EQ(FormatArgs("%0:16s|", {"ISS"}), "             ISS|");
    // A wider value is printed whole.
    EXPECT_EQ(FormatArgs("%0:-5s|%1:3.0f", {"LONG NAME", 12345.0}), "LONG NAME|12345");
    EXPECT_EQ(FormatArgs("%2:5.0f", {1, 2, 12.5}), "   13");
    EXPECT_EQ(FormatArgs("%2:5.0f", {1, 2, -12.5}), "  -13");
    EXPECT_EQ(FormatArgs("%1:3.0f %0:s", {"deg", 0.49}), "  0 deg");
    EXPECT_EQ(FormatArgs("%0:-5.0f|", {-0.4}), "0    |");  // no "-0"
    EXPECT_EQ(FormatArgs("%0:10.4f%1:11.4f", {53.457, -67.6089}), "   53.4570   -67.6089");
    EXPECT_EQ(FormatArgs("%0:-8.2f|", {2.675}), "2.68    |");
    EXPECT_EQ(FormatArgs("%0:4.3f \xB0", {1.0005}), "1.001 \xB0");
    EXPECT_EQ(FormatArgs("%0:.3s", {"abcdef"}), "abc");
    EXPECT_EQ(FormatArgs("%0:f", {1.0}), "1.00");
}

TEST(FormatArgs, ImplicitIndexesAndOddForms) {
    EXPECT_EQ(FormatArgs("%s-%s", {"a", "b"}), "a-b");
    // After an explicit index the next bare % takes the following argument.
    EXPECT_EQ(FormatArgs("%1:s %s %0:s", {"a", "b", "c"}), "b c a");
    EXPECT_EQ(FormatArgs("  Date:  %:0s %1:s", {"Jan 01 2024 00:00:00 ", "(UTC)"}),
              "  Date:  Jan 01 2024 00:00:00  (UTC)");
    EXPECT_EQ(FormatArgs("%0s(%1:4.2f)", {"ISS", 2.345}), "ISS(2.35)");
    // Digits without a colon are a width.
    EXPECT_EQ(FormatArgs("Orbisk - %0s -  (%1d to %2d) - %3d Satellites", {"a.tle", 1, 5, 7}),
              "Orbisk - a.tle -  (1 to  5) -   7 Satellites");
    EXPECT_EQ(FormatArgs("  Apoge: %1:6.1f %0:s  Perige: %2:6.1f %0:s", {"km", 420.04, 415.96}),
              "  Apoge:  420.0 km  Perige:  416.0 km");
    EXPECT_EQ(FormatArgs("\t%0:-sZ", {"x"}), "\txZ");
    EXPECT_EQ(FormatArgs("100%% %d", {5}), "100% 5");
}

TEST(FormatArgs, MismatchedAndMissingArgumentsAreSafe) {
    EXPECT_EQ(FormatArgs("%d|%s|%f", {2.5, 3, 4}), "3|3|4.00");
    EXPECT_EQ(FormatArgs("%0:s %5:s end", {"a"}), "a  end");
    EXPECT_EQ(FormatArgs("50% done", {}), "50% done");
    EXPECT_EQ(FormatArgs("%", {}), "%");
    EXPECT_EQ(FormatArgs("%.3d %x %n", {7, 255, 1234567.891}), "007 FF 1,234,567.89");
    EXPECT_EQ(FormatArgs("%f %f", {std::nan(""), -INFINITY}), "NAN -INF");
    std::string big = FormatArgs("%0:999999999s", {"x"});
    EXPECT_GE(big.size(), 2u);
    EXPECT_EQ(big.back(), 'x');
}

TEST(FormatFloat, EveryPatternInUse) {
    EXPECT_EQ(FormatFloat("#0.0", 0.05), "0.1");
    EXPECT_EQ(FormatFloat("#0.0", -0.05), "-0.1");
    EXPECT_EQ(FormatFloat("#0.0", 0.15), "0.2");
    EXPECT_EQ(FormatFloat("#0.0", 1234.56), "1234.6");
    EXPECT_EQ(FormatFloat("#0.0", -0.04), "0.0");
    EXPECT_EQ(FormatFloat("##0.0000", 3.14159265), "3.1416");
    EXPECT_EQ(FormatFloat("##0.0000", -123456.00005), "-123456.0001");
    EXPECT_EQ(FormatFloat("####0.0 Days", 12.34), "12.3 Days");
    EXPECT_EQ(FormatFloat("####0.0 Days", 123456.78), "123456.8 Days");
    EXPECT_EQ(FormatFloat("#0.0\xB0", 45.25), "45.3\xB0");
    EXPECT_EQ(FormatFloat("#0.0\xB0", -45.25), "-45.3\xB0");
    EXPECT_EQ(FormatFloat("###0.0000", 0.00005), "0.0001");
    EXPECT_EQ(FormatFloat(" Az: 000", 5.4), " Az: 005");
    EXPECT_EQ(FormatFloat(" Az: 000", 359.5), " Az: 360");
    EXPECT_EQ(FormatFloat(" Az: 000", -5.4), " Az: -005");
    EXPECT_EQ(FormatFloat("Alt: 000", 1234), "Alt: 1234");
    EXPECT_EQ(FormatFloat("####0", 99999.5), "100000");
    EXPECT_EQ(FormatFloat("##0.00", 1.005), "1.01");
    EXPECT_EQ(FormatFloat("#0.00", 0.0), "0.00");
    EXPECT_EQ(FormatFloat("##00.0", 5.0), "05.0");
    EXPECT_EQ(FormatFloat("00.000000", 3.5), "03.500000");
    EXPECT_EQ(FormatFloat("#0.0000", -0.00004), "0.0000");
    EXPECT_EQ(FormatFloat("# Days", 12.5), "13 Days");
    EXPECT_EQ(FormatFloat("# Days", 0.2), " Days");
}

TEST(FormatFloat, OptionalDecimalsGroupingAndQuotes) {
    EXPECT_EQ(FormatFloat("0.##", 1.5), "1.5");
    EXPECT_EQ(FormatFloat("0.##", 2.0), "2");
    EXPECT_EQ(FormatFloat("#.00", -0.5), "-.50");
    EXPECT_EQ(FormatFloat("#,##0.00", 1234567.125), "1,234,567.13");
    EXPECT_EQ(FormatFloat("#,##0", -999.5), "-1,000");
    EXPECT_EQ(FormatFloat("0 'days#0'", 3), "3 days#0");
    EXPECT_EQ(FormatFloat("#0.0", NAN), "NAN");
}

TEST(FormatFixedAndGeneral, SignificantDigitsThenDecimals) {
    EXPECT_EQ(FloatToStrFixed(95.3456, 4, 2), "95.35");
    EXPECT_EQ(FloatToStrFixed(1436.12, 4, 2), "1436.00");
    EXPECT_EQ(FloatToStrFixed(51.641612, 6, 5), "51.64160");
    EXPECT_EQ(FloatToStrFixed(0.00067034, 6, 7), "0.0006703");
    EXPECT_EQ(FloatToStrFixed(123456.7, 4, 1), "123457.0");
    EXPECT_EQ(FloatToStrFixed(-15.49999, 6, 0), "-15");
    EXPECT_EQ(FloatToStrFixed(9.99996, 5, 3), "10.000");

    EXPECT_EQ(FormatGeneral(-5.0), "-5");
    EXPECT_EQ(FormatGeneral(50 * 0.001), "0.05");
    EXPECT_EQ(FormatGeneral(30000 * 0.001), "30");
    EXPECT_EQ(FormatGeneral(90000 / 60000.0), "1.5");
    EXPECT_EQ(FormatGeneral(0.1 + 0.2), "0.3");
    EXPECT_EQ(FormatGeneral(0.0), "0");
    EXPECT_EQ(FormatGeneral(1.5e-7), "1.5E-7");
    EXPECT_EQ(FormatGeneral(1e20), "1E20");
    EXPECT_EQ(FormatGeneral(123456789012345.0), "123456789012345");
}

TEST(FormatDateTime, PatternsInUse) {
    double t = Dn(2009, 8, 28, 21, 5, 9);
    EXPECT_EQ(FormatDateTime("MMM dd yyyy HH:nn:ss", t), "Aug 28 2009 21:05:09");
    EXPECT_EQ(FormatDateTime("MMM DD yyyy HH:nn:ss", t), "Aug 28 2009 21:05:09");
    EXPECT_EQ(FormatDateTime("MMM DD yyyy HH:mm:ss", t), "Aug 28 2009 21:05:09");
    EXPECT_EQ(FormatDateTime("MMM dd yy HH:nn:ss", t), "Aug 28 09 21:05:09");
    EXPECT_EQ(FormatDateTime("mm/dd HH:nn:ss", t), "08/28 21:05:09");
    EXPECT_EQ(FormatDateTime("mm/dd   HH:nn:ss", t), "08/28   21:05:09");
    EXPECT_EQ(FormatDateTime("dd MMM HH:nn:ss", t), "28 Aug 21:05:09");
    EXPECT_EQ(FormatDateTime("mm/dd/yyyy", t), "08/28/2009");
    EXPECT_EQ(FormatDateTime("mm/dd/yyyy HH:nn:ss", t), "08/28/2009 21:05:09");
    EXPECT_EQ(FormatDateTime("yyyy MMM dd   HH:mm:ss", t), "2009 Aug 28   21:05:09");
    EXPECT_EQ(FormatDateTime(" yyyy  MMM  dd", t), " 2009  Aug  28");
    EXPECT_EQ(FormatDateTime("hh:mm", t), "21:05");
    EXPECT_EQ(FormatDateTime("HH:mm:ss ", t), "21:05:09 ");
    EXPECT_EQ(FormatDateTime("MMM dd yyyy HH:nn:ss ", t), "Aug 28 2009 21:05:09 ");
    EXPECT_EQ(FormatDateTime("d/m/yyyy h:n:s 'mm' zzz dddd", Dn(2024, 3, 5, 7, 8, 9, 45)),
              "5/3/2024 7:8:9 mm 045 Tuesday");
}

TEST(FormatDateTime, BoundariesAndRounding) {
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd HH:nn:ss", 0.0), "1899-12-30 00:00:00");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd", Dn(2024, 2, 28) + 1), "2024-02-29");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd", Dn(2024, 2, 29) + 1), "2024-03-01");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd", Dn(2023, 2, 28) + 1), "2023-03-01");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd", Dn(2100, 2, 28) + 1), "2100-03-01");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd", Dn(2000, 2, 28) + 1), "2000-02-29");
    // A second before midnight at the year's end, and the step across it.
    double eve = Dn(2023, 12, 31, 23, 59, 59);
    EXPECT_EQ(FormatDateTime("MMM dd yyyy HH:nn:ss", eve), "Dec 31 2023 23:59:59");
    EXPECT_EQ(FormatDateTime("MMM dd yyyy HH:nn:ss", eve + 1.0 / 86400), "Jan 01 2024 00:00:00");
    // Within half a millisecond of midnight is midnight; 0.6 s short is not.
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd HH:nn:ss", Dn(2024, 1, 1) - 0.4e-3 / 86400), "2024-01-01 00:00:00");
    EXPECT_EQ(FormatDateTime("HH:nn:ss", Dn(2024, 1, 1) - 0.6 / 86400), "23:59:59");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd HH:nn", -0.25), "1899-12-29 18:00");
    EXPECT_EQ(FormatDateTime("yyyy", NAN), "");
    EXPECT_EQ(FormatDateTime("yyyy", 1e12), "");
}

TEST(DayNumbers, CalendarRoundTrips) {
    EXPECT_DOUBLE_EQ(Dn(1899, 12, 30), 0.0);
    EXPECT_DOUBLE_EQ(Dn(1900, 1, 1), 2.0);
    EXPECT_DOUBLE_EQ(DayNumberToJulian(Dn(2000, 1, 1, 12)), 2451545.0);
    EXPECT_DOUBLE_EQ(Dn(2024, 13, 1), Dn(2025, 1, 1));
    EXPECT_DOUBLE_EQ(Dn(2024, 0, 1), Dn(2023, 12, 1));
    double dn = 0;
    EXPECT_FALSE(TryEncodeDayNumber(2023, 2, 29, 0, 0, 0, 0, &dn));
    EXPECT_TRUE(TryEncodeDayNumber(2024, 2, 29, 0, 0, 0, 0, &dn));
    EXPECT_FALSE(TryEncodeDayNumber(2024, 1, 1, 24, 0, 0, 0, &dn));
    for (double d = -700.0; d < 80000.0; d += 97.3) {
        TDateParts p;
        ASSERT_TRUE(DecodeDayNumber(d, &p));
        double back = EncodeDayNumber(p.year, p.month, p.day, p.hour, p.minute, p.second, p.msec);
        EXPECT_NEAR(back, d, 0.6e-3 / 86400) << d;
    }
    TDateParts p;
    ASSERT_TRUE(DecodeDayNumber(Dn(2024, 3, 5), &p));
    EXPECT_EQ(p.dayOfWeek, 2);  // Tuesday
    EXPECT_EQ(ShortMonthName(9), "Sep");
    EXPECT_EQ(ShortMonthName(13), "");
}

TEST(FormatLocale, IgnoresTheProcessLocale) {
    const char* old = std::setlocale(LC_ALL, nullptr);
    std::string saved = old ? old : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
        // No such locale installed: compile one of our own from the locale sources.
        const std::string dir = ::testing::TempDir() + "orbisk-locale-" + std::to_string(::getpid());
        const std::string cmd = "mkdir -p '" + dir + "' && localedef -i de_DE -f UTF-8 '" + dir +
                                "/de_DE.UTF-8' >/dev/null 2>&1";
        if (std::system(cmd.c_str()) == 0) {
            setenv("LOCPATH", dir.c_str(), 1);
            std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
        }
        std::filesystem::remove_all(dir);  // a loaded locale stays mapped
    }
    if (std::localeconv()->decimal_point[0] != ',')
        GTEST_SKIP() << "no locale with a decimal comma available";
    EXPECT_EQ(FormatArgs("%0:5.1f", {2.25}), "  2.3");
    EXPECT_EQ(FormatFloat("#,##0.0", 1234.5), "1,234.5");
    EXPECT_EQ(FormatGeneral(0.5), "0.5");
    // Element-file numbers are read the same way under that locale.
    double epochDay = 0;
    EXPECT_TRUE(ParseNumber(" 18020.90610358", epochDay));
    EXPECT_EQ(epochDay, 18020.90610358);
    std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace

// The report's one-pass conversion shows every byte as the two steps do,
// in runs of plain text and alone, and keeps what was in the buffer.
TEST(AppendPrintableUtf8, EveryByteAsPrintableThenUtf8) {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    std::vector<std::string> texts{all, "ISS (ZARYA)\t\xE9t\xE9\x85", "\x7F", "plain", ""};
    // Plain text is taken eight bytes at a time: every byte at every place of a word.
    for (int c = 0; c < 256; ++c)
        for (std::size_t at = 0; at < 17; ++at) {
            std::string text(19, 'a');
            text[at] = static_cast<char>(c);
            texts.push_back(text);
        }
    for (const std::string& text : texts) {
        std::string out = "kept|";
        AppendPrintableUtf8(out, text);
        EXPECT_EQ(out, "kept|" + Latin1ToUtf8(PrintableText(text)));
    }
}
