#include "settings/update_settings.h"
#include "workflow/startup_options.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

TEST(GetParamValue, FirstMatchingArgumentWins) {
    struct Case {
        Args args;
        const char* key;
        const char* expected;
    } const cases[] = {
        {{"prog", "mf:+"}, "mf:", "+"},
        {{"prog", "MF:+"}, "mf:", "+"},
        {{"prog", "mf:+", "mf:-"}, "mf:", "+"},
        {{"prog", "mf:+x"}, "mf:", "+x"},
        {{"prog", "f:"}, "f:", "default"}, // the key alone matches nothing
        {{"f:+"}, "f:", "default"},        // element 0 is the program path
        {{"prog", "xf:+"}, "f:", "default"},
        {{"prog", "cc:-", "f:+"}, "f:", "+"},
        {{}, "f:", "default"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(getParamValue(c.args, c.key, "default"), c.expected);
    }
    EXPECT_EQ(getParamValue({"prog", "f:" + std::string(1500, 'x')}, "f:", "").size(), 1000u);
}

TEST(ApplyStartupOptions, ModesAndOptions) {
    struct Case {
        const char* what;
        bool internal;
        Args args;
        bool checkClass, clears;
        int fileMode;
        const char* status;
    } const cases[] = {
        {"normal", false, {"p"}, true, false, 0, ""},
        {"normal ignores cc and f", false, {"p", "cc:-", "f:+"}, true, false, 0, ""},
        {"normal honours mf:+", false, {"p", "mf:+"}, true, true, 0, "F"},
        {"internal", true, {"p"}, true, false, 1, ""},
        {"internal cc:- f:+", true, {"p", "cc:-", "f:+"}, false, false, 2, ""},
        {"internal f:-", true, {"p", "f:-"}, true, false, 1, ""},
        {"internal f:x", true, {"p", "f:x"}, true, false, 1, ""},
        {"mf:+ mf:- keeps true", true, {"p", "mf:+", "mf:-"}, true, true, 1, "F"},
        {"mf:- alone", false, {"p", "mf:-"}, true, false, 0, ""},
    };
    for (const auto& c : cases) {
        gCheckClass = true;
        gClearsMeasurements = false;
        gFileMode = 0;
        const TStartupState state = applyStartupOptions(c.internal, c.args);
        EXPECT_EQ(gCheckClass, c.checkClass) << c.what;
        EXPECT_EQ(gClearsMeasurements, c.clears) << c.what;
        EXPECT_EQ(gFileMode, c.fileMode) << c.what;
        EXPECT_EQ(state.statusText, c.status) << c.what;
        EXPECT_EQ(state.readInfoOnlyVisible, c.internal) << c.what;
    }
    gCheckClass = true;
    gClearsMeasurements = false;
    gFileMode = 0;
}

} // namespace

// Every argument that changes nothing is named once; the ones that act are not.
TEST(StartupOptionWarnings, NameWhatChangesNothing) {
    struct Case {
        const char* what;
        bool internalMode;
        Args args;
        std::vector<std::string> warned; // the arguments warned about, in order
    } const cases[] = {
        {"all effective, internal mode", true, {"prog", "cc:-", "mf:+", "f:+"}, {}},
        {"MF:- counts as mf:", false, {"prog", "MF:-"}, {}},
        {"unknown key", false, {"prog", "xx:y"}, {"xx:y"}},
        {"the key alone matches nothing", false, {"prog", "f:"}, {"f:"}},
        {"unknown values", true, {"prog", "cc:+", "mf:+x", "f:x"}, {"cc:+", "mf:+x", "f:x"}},
        {"internal-mode options outside it", false, {"prog", "cc:-", "f:+"}, {"cc:-", "f:+"}},
        {"an earlier argument decides", false, {"prog", "mf:+", "mf:-"}, {"mf:-"}},
        {"element 0 is the program path", false, {"xx:y"}, {}},
    };
    for (const auto& c : cases) {
        const auto warnings = startupOptionWarnings(c.internalMode, c.args);
        ASSERT_EQ(warnings.size(), c.warned.size()) << c.what;
        for (std::size_t i = 0; i < warnings.size(); ++i) {
            EXPECT_EQ(warnings[i].rfind("'" + c.warned[i] + "'", 0), 0u)
                << c.what << ": " << warnings[i];
        }
    }
}
