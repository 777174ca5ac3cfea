#include "firmware/uFWVersions.h"
#include "settings/update_settings.h"
#include "workflow/overview_rows.h"

#include <gtest/gtest.h>

namespace {

TEST(OverviewRows, BuiltInImagesNewestFirst) {
    gSelectedImage = -1;
    const auto rows = overviewRows();
    ASSERT_EQ(rows.size(), 3u);
    struct {
        const char *version, *date, *bl;
    } const expected[] = {{"4.108", "12.12.2024 12:05:28", "2.1"},
                          {"2.102", "13.12.2022 15:45:48", "2.1"},
                          {"1.04", "24.07.2012 17:19:26", "2.0"}};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i][1], expected[i].version);
        EXPECT_EQ(rows[i][4], expected[i].date);
        EXPECT_EQ(rows[i][5], expected[i].bl);
    }
}

TEST(OverviewRows, LoadedImageFirstWithUnsignedNumbers) {
    const TBl3FileHeader saved = gImage0Header;
    gImage0Header = getFirmwareHeader(3);
    gImage0Header.zel_bl = 0xFFFF;
    gSelectedImage = 0;
    const auto rows = overviewRows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0][5], "65535.1");
    EXPECT_EQ(rows[0][1], rows[1][1]);
    gSelectedImage = -1;
    gImage0Header = saved;
}

} // namespace
