#include <gtest/gtest.h>

#include "kept_record.h"
#include "orvo_panel_testing.h"

TEST(KeptRecord, TheSecondRevertiveReadsTheFirstOnesRecord) {
    TestedPanel panel;
    panel.create<KeptRecordPanel>();
    panel.revertive(7, 183, "Camera 3");
    panel.revertive(7, 184, "Camera 4");
}
