#include "e2e_support.h"

#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace {

struct TPathCase {
    const char* name;
    std::uint16_t loggerClass, loggerVersion;
    int image;
    TFrame finalFrame;
};

void PrintTo(const TPathCase& c, std::ostream* os) {
    *os << c.name;
}

class FullUpdate : public ::testing::TestWithParam<TPathCase> {
protected:
    TSettingsGuard settings;
};

TEST_P(FullUpdate, FlashEqualsTheImage) {
    const TPathCase& c = GetParam();
    const TBl3FileHeader header = getFirmwareHeader(c.image);
    TSimOptions options;
    options.loggerClass = c.loggerClass;
    options.loggerVersion = c.loggerVersion;
    options.platform = header.zel_platform;
    options.print = header.zel_print;
    TSimServer sim(options);

    const Messages messages = runUpdate(sim.slavePath());
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), (TStatusMessage{kStatusCompleted, 0}));
    EXPECT_EQ(gSelectedImage, c.image);
    // Identification, names, the image search up to the match, the start of the transfer.
    const Messages head(messages.begin(), messages.begin() + 5);
    EXPECT_EQ(head, (Messages{{20, c.loggerClass},
                              {21, c.loggerVersion},
                              {22, header.zel_platform},
                              {23, header.zel_print},
                              {25, 0x660A}}));
    Messages checks;
    for (int i = 1; i <= c.image; ++i) {
        checks.push_back({kStatusCheck, i});
    }
    EXPECT_EQ(withCode(messages, kStatusCheck), checks);
    EXPECT_EQ(withCode(messages, kStatusUpdate), (Messages{{kStatusUpdate, 0}}));
    const Messages progress = withCode(messages, kStatusProgress);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back().value, 98); // the end-of-file line is not counted
    EXPECT_TRUE(withCode(messages, kStatusProgrammingError).empty());

    ASSERT_TRUE(
        sim.waitUntil([](const TSimLogger& d) { return d.restarted(); }, std::chrono::seconds(5)));
    EXPECT_EQ(sim.flashHexRecords(), dataLinesOf(c.image));
    EXPECT_EQ(sim.withDevice([](const TSimLogger& d) { return d.relayCommand(); }),
              c.finalFrame[0] & 0x7F);
}

INSTANTIATE_TEST_SUITE_P(
    RelayPaths, FullUpdate,
    ::testing::Values(
        TPathCase{"image1_class6601_v5", 0x6601, 0x05FF, 1, {0x85, 0x02, 0, 0xA5, 0x5A, 0, 0, 0}},
        TPathCase{"image2_class6601_v6", 0x6601, 0x0600, 2, {0x82, 0x80, 0, 0x22, 0x11, 0, 0, 0}},
        TPathCase{"image3_class6605", 0x6605, 0x0102, 3, {0x82, 0x80, 0, 0x22, 0x11, 0, 0, 0}},
        TPathCase{"image3_class6606", 0x6606, 0x0001, 3, {0x85, 0x02, 0, 0xA5, 0x5A, 0, 0, 0}},
        TPathCase{"image1_class6607", 0x6607, 0x0900, 1, {0x85, 0x02, 0, 0xA5, 0x5A, 0, 0, 0}}),
    [](const auto& param) { return std::string(param.param.name); });

class FileImage : public ::testing::Test {
protected:
    TSettingsGuard settings;
    std::string path = ::testing::TempDir() + "sdupdate-e2e-image.txt";
    void TearDown() override { std::remove(path.c_str()); }

    // A description file with the header of image 3 (class changed as asked) and its first
    // `lines` data lines.
    void writeFile(int lines, std::uint16_t zelClass = 26122) {
        const TBl3FileHeader h = getFirmwareHeader(3);
        std::ofstream out(path, std::ios::binary);
        out << "bootloader=" << h.zel_bl << "\r\nbootloader version=" << h.zel_bl_ver
            << "\r\nclass=" << zelClass << "\r\nversionH=" << h.zel_verH
            << "\r\nversionL=" << h.zel_verL << "\r\nplatform=" << h.zel_platform
            << "\r\nprint=" << h.zel_print << "\r\ndate=" << h.zel_date << "\r\n";
        const auto data = dataLinesOf(3);
        for (int i = 0; i < lines; ++i) {
            out << data[std::size_t(i)] << "\r\n";
        }
        out << ":00000001FF\r\n";
    }
    void load() {
        std::string error;
        ASSERT_TRUE(loadFirmwareFile(path, &error)) << error;
        gSelectedImage = 0;
    }
};

TEST_F(FileImage, UpdateFromADescriptionFile) {
    writeFile(6);
    load();
    TSimServer sim;
    const Messages messages = runUpdate(sim.slavePath());
    EXPECT_EQ(withCode(messages, kStatusCheck), (Messages{{kStatusCheck, 0}}));
    EXPECT_EQ(messages.back(), (TStatusMessage{kStatusCompleted, 0}));
    const auto data = dataLinesOf(3);
    EXPECT_EQ(sim.flashHexRecords(), std::vector<std::string>(data.begin(), data.begin() + 6));
}

TEST_F(FileImage, ReadInfoOnlyProgramsNothing) {
    writeFile(2);
    load();
    gReadInfoOnly = true;
    TSimServer sim;
    const Messages messages = runUpdate(sim.slavePath());
    EXPECT_EQ(messages.back(), (TStatusMessage{kStatusFailed, kErrReadInfoOnly}));
    EXPECT_TRUE(withCode(messages, kStatusUpdate).empty());
    EXPECT_EQ(sim.counters().linesProgrammed, 0u);
    EXPECT_EQ(gSelectedImage, 0);
}

TEST_F(FileImage, ClassCheckOffChoosesAnImageOfAnotherClass) {
    writeFile(1, 0x1234);
    load();
    TSimServer sim;
    EXPECT_EQ(runUpdate(sim.slavePath()).back(), (TStatusMessage{kStatusFailed, kErrNoImage}));
    EXPECT_EQ(gSelectedImage, -1);
    gSelectedImage = 0;
    gCheckClass = false;
    EXPECT_EQ(runUpdate(sim.slavePath()).back(), (TStatusMessage{kStatusCompleted, 0}));
    EXPECT_EQ(sim.flashHexRecords().size(), 1u);
}

} // namespace
