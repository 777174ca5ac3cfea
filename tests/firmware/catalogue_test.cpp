#include "firmware/firmware_errors.h"
#include "firmware/text_file.h"
#include "firmware/uFWVersions.h"
#include "firmware/uVersion.h"
#include "settings/update_settings.h"
#include "temp_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const std::string kImage3Header = "bootloader=2\nbootloader version=1\nclass=26122\nversionH=4\n"
                                  "versionL=108\nplatform=25\nprint=52\n"
                                  "date=12.12.2024 12:05:28\n";

// Runs first in its file: nothing has loaded image 0 yet in this process.
TEST(Image0, BeforeAnyLoadIsEmptyWithZeroHeader) {
    EXPECT_EQ(getFirmwareLastLine(0), -1);
    EXPECT_EQ(getFirmwareHeader(0), TBl3FileHeader{});
}

struct BuiltInCase {
    int image;
    TBl3FileHeader header;
    int lastLine;
    unsigned runStart;
};

class BuiltInImage : public testing::TestWithParam<BuiltInCase> {};

TEST_P(BuiltInImage, HeaderAndLastLine) {
    const BuiltInCase& c = GetParam();
    EXPECT_EQ(getFirmwareHeader(c.image), c.header);
    EXPECT_EQ(getFirmwareLastLine(c.image), c.lastLine);
}

TEST_P(BuiltInImage, LinesAreTheRecordLayout) {
    const BuiltInCase& c = GetParam();
    std::string line;
    int last = 0;
    TBl3FileHeader header;
    std::vector<unsigned> addresses;
    for (int i = 0; i <= c.lastLine; ++i) {
        ASSERT_TRUE(accessFirmware(c.image, kFwOpLine, i, line, last, header));
        if (i == c.lastLine) {
            EXPECT_EQ(line, ":00000001FF");
        } else {
            ASSERT_EQ(line.size(), 139u) << i;
            ASSERT_EQ(line.substr(0, 3), ":40") << i;
            EXPECT_EQ(line.substr(7, 2), "00") << i;
            addresses.push_back(static_cast<unsigned>(std::stoul(line.substr(3, 4), nullptr, 16)));
        }
    }
    ASSERT_EQ(addresses.size(), static_cast<std::size_t>(c.lastLine));
    for (std::size_t i = 0; i + 2 < addresses.size(); ++i) {
        EXPECT_EQ(addresses[i], c.runStart + 64 * i) << i;
    }
    EXPECT_EQ(addresses[addresses.size() - 2], 0xF600u);
    EXPECT_EQ(addresses.back(), 0xF7C0u);
}

// The generated module holds exactly its description file: same header, same lines.
TEST_P(BuiltInImage, ModuleMatchesItsDescriptionFile) {
    const BuiltInCase& c = GetParam();
    const std::string file =
        std::string(SDU_IMAGES_DIR) + "/image" + std::to_string(c.image) + ".txt";
    TBl3FileHeader header;
    readFirmwareHeaderFromFile(file, header);
    EXPECT_EQ(header, c.header);
    std::vector<std::string> lines = splitTextLines(readWholeFile(file));
    std::erase_if(lines, [](const std::string& l) { return l.find('=') != std::string::npos; });
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(c.lastLine) + 1);
    std::string line;
    int last = 0;
    for (int i = 0; i <= c.lastLine; ++i) {
        accessFirmware(c.image, kFwOpLine, i, line, last, header);
        EXPECT_EQ(line, lines[static_cast<std::size_t>(i)]) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Images, BuiltInImage,
    testing::Values(
        BuiltInCase{1, {26122, 1, 4, 3, 3, "24.07.2012 17:19:26", 2, 0}, 227, 0x8000},
        BuiltInCase{2, {26122, 2, 102, 11, 17, "13.12.2022 15:45:48", 2, 1}, 259, 0x4400},
        BuiltInCase{3, {26122, 4, 108, 25, 52, "12.12.2024 12:05:28", 2, 1}, 207, 0x4400}));

TEST(Catalogue, ThreeBuiltInImages) {
    EXPECT_EQ(getBuiltInCount(), 3);
}

TEST(Catalogue, UnknownImagesAndOperationsGiveOnlyThePresets) {
    for (int image : {-1, 4, 1000}) {
        EXPECT_EQ(getFirmwareLastLine(image), 0) << image;
        const TBl3FileHeader h = getFirmwareHeader(image);
        EXPECT_EQ(h.zel_class, 0xFFFF);
        EXPECT_EQ(h.zel_platform, 0xFFFF);
        EXPECT_EQ(h.zel_print, 0xFFFF);
    }
    for (int image = -1; image <= 4; ++image) {
        for (int operation : {-1, 3}) {
            std::string text = "x";
            int last = 5;
            TBl3FileHeader header{1, 2, 3, 4, 5, "d", 6, 7};
            EXPECT_FALSE(accessFirmware(image, operation, 0, text, last, header));
            EXPECT_EQ(text, "");
            EXPECT_EQ(last, 0);
            EXPECT_EQ(header, (TBl3FileHeader{0xFFFF, 2, 3, 0xFFFF, 0xFFFF, "d", 6, 7}));
        }
    }
}

TEST(Catalogue, CurrentImageFollowsSelectedImage) {
    gSelectedImage = -1;
    EXPECT_EQ(getCurrentLastLine(), 0);
    EXPECT_EQ(getCurrentLine(0), "");
    gSelectedImage = 2;
    EXPECT_EQ(getCurrentLastLine(), 259);
    EXPECT_EQ(getCurrentLine(259), ":00000001FF");
    gSelectedImage = -1;
}

TEST(Catalogue, LineOutsideAnImageIsAnIndexError) {
    gImage0Lines.clear();
    std::string text;
    int last = 0;
    TBl3FileHeader header;
    for (auto [image, line] : {std::pair{0, 0}, {0, -1}, {1, 228}, {3, -1}, {2, 260}}) {
        EXPECT_THROW(accessFirmware(image, kFwOpLine, line, text, last, header), std::out_of_range)
            << image << " / " << line;
    }
}

// ---- Loading description files into image 0 ------------------------------------------------

TEST(LoadFirmwareFile, KeepsEveryLineWithoutEqualsSign) {
    TTempDir dir;
    const std::string file =
        dir.write("a.txt", kImage3Header + ":00000001FF\r\n\r\nnote=dropped\n:0000000AF6\n\xE9\n");
    std::string error;
    ASSERT_TRUE(loadFirmwareFile(file, &error)) << error;
    EXPECT_EQ(gImage0Lines, (std::vector<std::string>{":00000001FF", "", ":0000000AF6", "\u00e9"}));
    EXPECT_EQ(gImage0Header, getFirmwareHeader(3));
    EXPECT_EQ(getFirmwareLastLine(0), 3);
}

TEST(LoadFirmwareFile, HeaderOnlyGivesAnEmptyImage) {
    TTempDir dir;
    ASSERT_TRUE(loadFirmwareFile(dir.write("h.txt", kImage3Header)));
    EXPECT_EQ(getFirmwareLastLine(0), -1);
    EXPECT_EQ(getFirmwareHeader(0), getFirmwareHeader(3));
}

TEST(LoadFirmwareFile, FileVersionReplacesOnlyTheHeader) {
    TTempDir dir;
    ASSERT_TRUE(loadFirmwareFile(dir.write("a.txt", kImage3Header + ":00000001FF\n")));
    std::string b = kImage3Header;
    b.replace(b.find("versionL=108"), 12, "versionL=109");
    readFirmwareHeaderFromFile(dir.write("b.txt", b), gImage0Header);
    EXPECT_EQ(getFirmwareHeader(0).zel_verL, 109);
    EXPECT_EQ(gImage0Lines, std::vector<std::string>{":00000001FF"});
}

TEST(LoadFirmwareFile, FailuresLeaveNoLines) {
    TTempDir dir;
    std::filesystem::create_directory(dir.path("folder"));
    std::string badHeader = kImage3Header;
    badHeader.replace(badHeader.find("print=52"), 8, "print=5x");
    const std::string tooLarge = dir.write("large.txt", kImage3Header);
    std::filesystem::resize_file(tooLarge, kMaxFirmwareFileSize + 1);
    const std::string endless = dir.write("endless.txt", "");
    std::filesystem::resize_file(endless, kMaxFirmwareFileSize + 1); // one line of NULs

    struct Case {
        std::string file;
        std::string error;
    };
    const Case cases[] = {
        {dir.path("missing.txt"), "Cannot open file"},
        {dir.path("folder"), "is a directory"},
        {dir.write("bad.txt", badHeader + ":00000001FF\n"), "'5x' ist kein gültiger Integerwert"},
        {tooLarge, "larger than 16 MiB"},
        {endless, "Line too long"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(loadFirmwareFile(dir.write("good.txt", kImage3Header + ":00000001FF\n")));
        std::string error;
        EXPECT_FALSE(loadFirmwareFile(c.file, &error)) << c.file;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_TRUE(gImage0Lines.empty()) << c.file;
    }
    // The fields read before the failing line keep their new values.
    gImage0Header = {};
    EXPECT_FALSE(loadFirmwareFile(dir.path("bad.txt")));
    EXPECT_EQ(gImage0Header, (TBl3FileHeader{26122, 4, 108, 25, 0, "", 2, 1}));
}

TEST(LoadFirmwareFile, LongLinesAndManyLinesAreKeptAsTheyAre) {
    TTempDir dir;
    std::string lines;
    for (int i = 0; i < 1'000'000; ++i) {
        lines += ":00000001FF\n";
    }
    ASSERT_TRUE(loadFirmwareFile(dir.write("many.txt", kImage3Header + lines)));
    EXPECT_EQ(getFirmwareLastLine(0), 999'999);

    const std::string longLine(1 << 20, 'A');
    const std::string binary("\0\x01\xFF:", 4);
    ASSERT_TRUE(loadFirmwareFile(dir.write("long.txt", kImage3Header + longLine + "\n" + binary)));
    ASSERT_EQ(gImage0Lines.size(), 2u);
    EXPECT_EQ(gImage0Lines[0], longLine);
    EXPECT_EQ(gImage0Lines[1], std::string("\0\x01\xC3\xBF:", 5));
}

} // namespace
