// What the occurrence-graph tool's modules share: its four flags and the
// menu texts of the variant.
#pragma once

#include <cstdint>

struct OGAFlags {
    int32_t menuPresent = 0;
    int32_t mlSupportsOG = 0;
    int32_t toolActive = 0;
    int32_t variant = 0;
};
OGAFlags& OGAState();

// Labels, title and the report item's state of the current variant.
void OGAApplyVariantTexts();

// The dialogs: statistics (10605), report (10606), attributes (10611).
void OGAStatisticsCommand();
void OGAReportCommand();
void OGAAttributesCommand();
