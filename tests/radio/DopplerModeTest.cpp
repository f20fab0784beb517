// orbisk-predict --mode doppler as a user runs it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "common/RunProgram.h"
#include "uCsv.h"

namespace {
const std::string kPredict = std::string(ORBISK_PROGRAM_DIR) + "/orbisk-predict";
const std::string kCommon = "--tle '" + std::string(ORBISK_SOURCE_DIR) +
                            "/tests/predict/data/passes.tle' --sat 25544 --utc --start 2018-01-21 --days 1 --lat 52 --lon 4 ";
}  // namespace

TEST(DopplerMode, FrequenciesAndRotatorColumnsAndBadArguments) {
    const TProgramRun r = RunProgramApart(kPredict, kCommon + "--mode doppler --freq-down 437.8 --freq-up 145.99 "
                                                              "--rotator 0-450 --flip 75 --format csv");
    ASSERT_EQ(r.status, 0) << r.err;
    TCsvReader csv(r.out);
    std::vector<std::string_view> f;
    ASSERT_TRUE(csv.Next(f));
    ASSERT_EQ(f.size(), 12u);
    EXPECT_EQ(f[8], "downlink_hz");
    EXPECT_EQ(f[10], "rotator_azimuth_deg");
    int rows = 0;
    while (csv.Next(f)) {
        ++rows;
        const double rate = std::atof(std::string(f[7]).c_str());
        const double down = std::atof(std::string(f[8]).c_str()), up = std::atof(std::string(f[9]).c_str());
        // Approaching: the downlink is heard high, the uplink sent low; receding the reverse.
        if (f[3] == "AOS") {
            EXPECT_GT(down, 437.803e6);
            EXPECT_LT(up, 145.989e6);
            EXPECT_LT(rate, -2.0);
        } else if (f[3] == "LOS") {
            EXPECT_LT(down, 437.797e6);
            EXPECT_GT(up, 145.991e6);
            EXPECT_GT(rate, 2.0);
        }
        const double az = std::atof(std::string(f[10]).c_str()), el = std::atof(std::string(f[11]).c_str());
        EXPECT_GE(az, 0.0);
        EXPECT_LE(az, 450.0);
        EXPECT_GE(el, 0.0);
        EXPECT_LE(el, 180.0);
    }
    EXPECT_GE(rows, 9);  // three rows a pass

    const TProgramRun steps = RunProgram(kPredict, kCommon + "--mode doppler --freq-down 437.8 --step 30");
    ASSERT_EQ(steps.status, 0) << steps.out;
    EXPECT_NE(steps.out.find("Downlink MHz"), std::string::npos);
    EXPECT_EQ(steps.out.find("Uplink MHz"), std::string::npos);
    EXPECT_GT(std::count(steps.out.begin(), steps.out.end(), '\n'), 15);

    EXPECT_EQ(RunProgram(kPredict, kCommon + "--mode doppler").status, 2);
    EXPECT_EQ(RunProgram(kPredict, kCommon + "--mode doppler --freq-down 437.8 --flip 75").status, 2);
    EXPECT_EQ(RunProgram(kPredict, kCommon + "--freq-down 437.8").status, 2);
    const TProgramRun range = RunProgram(kPredict, kCommon + "--mode doppler --freq-down 437.8 --rotator 0-300");
    EXPECT_EQ(range.status, 2);
    EXPECT_NE(range.out.find("360 to 540"), std::string::npos) << range.out;
}
