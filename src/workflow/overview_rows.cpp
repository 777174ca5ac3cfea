#include "workflow/overview_rows.h"

#include "firmware/device_names.h"
#include "firmware/uFWVersions.h"
#include "settings/update_settings.h"
#include "workflow/status_texts.h"

TOverviewRow overviewRow(const TBl3FileHeader& h) {
    return {getClassName(h.zel_class, h.zel_print),
            firmwareVersionText(h.zel_verH, h.zel_verL),
            getPlatformName(h.zel_platform),
            getPrintName(h.zel_print),
            h.zel_date,
            bootLoaderText(h.zel_bl, h.zel_bl_ver)};
}

std::vector<TOverviewRow> overviewRows() {
    std::vector<TOverviewRow> rows;
    if (gSelectedImage.load(std::memory_order_relaxed) == 0) {
        rows.push_back(overviewRow(getFirmwareHeader(0)));
    }
    for (int i = getBuiltInCount(); i >= 1; --i) {
        rows.push_back(overviewRow(getFirmwareHeader(i)));
    }
    return rows;
}
