// The switch of internal mode in its settings file (the reader of every system but Windows):
// the INI dialect of settings files and the rule on the value, then the files it asks.
#include "internal_mode/internal_switch.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

bool switchOn(const std::string& ini) {
    const TIniValue value = iniGeneralValue(ini, "intern");
    return value.present && value.text && internalSwitchOnText(*value.text);
}

TEST(InternalSwitchFile, OnOnlyForAPlainIntegerOf2483InGeneral) {
    struct Case {
        const char* what;
        const char* ini;
        bool on;
    } const cases[] = {
        {"the switch", "[General]\nintern=2483\n", true},
        {"before any section", "intern=2483\n", true},
        {"blanks around", "[General]\n  intern =  2483  \n", true},
        {"CR LF", "[General]\r\nintern=2483\r\n", true},
        {"quoted text", "[General]\nintern=\"2483\"\n", true},
        {"with a sign", "intern=+2483", true},
        {"leading zero", "intern=02483", true},
        {"among other keys", "[General]\na=1\nintern=2483\nb=2\n", true},
        {"another number", "intern=2484", false},
        {"negative", "intern=-2483", false},
        {"text", "intern=abc", false},
        {"hex", "intern=0x9B3", false},
        {"a fraction", "intern=2483.0", false},
        {"a list", "intern=2483, 2483", false},
        {"a typed value", "intern=@ByteArray(2483)", false},
        {"a variant", "intern=@Variant(\\0\\0\\0\\x2\\0\\0\\t\\xb3)", false},
        {"too large", "intern=99999999999999999999", false},
        {"empty", "intern=", false},
        {"the sign alone", "intern=+", false},
        {"another section", "[Other]\nintern=2483\n", false},
        {"after another section", "[General]\n[Other]\nintern=2483\n", false},
        {"a section named General, escaped", "[%General]\nintern=2483\n", false},
        {"another case of the key", "Intern=2483", false},
        {"a comment", "; intern=2483\n# intern=2483\n", false},
        {"the last of two wins", "intern=2483\nintern=1\n", false},
        {"the last of two wins, on", "intern=1\nintern=2483\n", true},
        {"unterminated quote", "intern=\"2483", false},
        {"missing", "[General]\nother=2483\n", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(switchOn(c.ini), c.on) << c.what;
    }
    EXPECT_FALSE(iniGeneralValue("[General]\nother=1\n", "intern").present);
    EXPECT_TRUE(iniGeneralValue("intern=2483, 2483", "intern").present); // there, but no text
}

// A scratch configuration: XDG_CONFIG_HOME and XDG_CONFIG_DIRS point into it while it lives.
class SwitchFiles : public ::testing::Test {
protected:
    std::filesystem::path root;
    void SetUp() override {
        root = std::filesystem::path(::testing::TempDir()) / "switch-files";
        std::filesystem::remove_all(root);
        setenv("XDG_CONFIG_HOME", (root / "user").c_str(), 1);
        setenv("XDG_CONFIG_DIRS",
               ((root / "site").string() + ":" + (root / "vendor").string()).c_str(), 1);
    }
    void TearDown() override {
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("XDG_CONFIG_DIRS");
        std::filesystem::remove_all(root);
    }
    void write(const std::string& relative, const std::string& text) {
        const std::filesystem::path path = root / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }
};

TEST_F(SwitchFiles, TheFirstFileThatHasTheKeyDecides) {
    const std::vector<std::string> files = internalSwitchFiles();
    const std::string r = root.string();
    EXPECT_EQ(files, (std::vector<std::string>{
                         r + "/user/Quorvane/Zel.conf", r + "/user/Quorvane.conf",
                         r + "/site/Quorvane/Zel.conf", r + "/site/Quorvane.conf",
                         r + "/vendor/Quorvane/Zel.conf", r + "/vendor/Quorvane.conf"}));
    EXPECT_FALSE(readInternalSwitch()); // no file at all
    write("vendor/Quorvane.conf", "[General]\nintern=2483\n");
    EXPECT_TRUE(readInternalSwitch()); // the organisation's file of a system folder
    write("site/Quorvane/Zel.conf", "[General]\nintern=1\n");
    EXPECT_FALSE(readInternalSwitch()); // an earlier file has the key
    write("user/Quorvane/Zel.conf", "[General]\nother=1\n");
    EXPECT_FALSE(readInternalSwitch()); // the user's file without the key does not decide
    write("user/Quorvane/Zel.conf", "[General]\nintern=2483\n");
    EXPECT_TRUE(readInternalSwitch());
}

} // namespace
