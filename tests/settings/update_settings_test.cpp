#include "settings/update_settings.h"

#include <gtest/gtest.h>

// The values the window and the worker rely on before anything has written a setting.
TEST(UpdateSettings, StartValues) {
    EXPECT_EQ(gSelectedImage.load(), -1);
    EXPECT_TRUE(gCheckClass.load());
    EXPECT_FALSE(gReadInfoOnly.load());
    EXPECT_TRUE(gReadInfoOnlyAvailable.load()); // set by the start-up initialisation
    EXPECT_EQ(gFileMode.load(), 0);
    EXPECT_FALSE(gClearsMeasurements.load());
    EXPECT_EQ(gWorkerClass.load(), nullptr);
}
