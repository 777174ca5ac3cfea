#include "support/program_settings.h"

#include "comm/uCommThread.h"
#include "firmware/uFWVersions.h"
#include "settings/update_settings.h"

void resetProgramSettings() {
    gSelectedImage = -1;
    gCheckClass = true;
    gReadInfoOnly = false;
    gFileMode = 0;
    gClearsMeasurements = false;
    gCancel = false;
    gImage0Lines.clear();
    gImage0Header = TBl3FileHeader{};
}
