// A panel for the workbench's --watch stories, built with a different VARIANT_MARK each: pressing Mark
// writes that text into the list's first row, so two builds draw differently after the same steps. The
// builds an author makes by mistake are two more: "crash" takes its process down at Mark, "hang" never
// returns from it.
#include <cstring>

#include "orvo_panel_export.h"
#include "orvo_script_helper.h"

class VariantPanel : public orvo_script_helper {
public:
    VariantPanel(orvo_host* host, const char* basePath) : orvo_script_helper(host, basePath) {
        panelInit("1", "Variant.orvo_ui", "");
        textPut("add=first", "1", "Rows");
        panelShow("1", "Variant.orvo_ui", "");
    }

protected:
    void onButton(ButtonEvent* event) override {
        if (event->controlId() == orvo_string("Mark")) {
            if (std::strcmp(VARIANT_MARK, "crash") == 0) {
                volatile int* nowhere = nullptr;
                *nowhere = 1;
            }
            for (volatile bool forever = std::strcmp(VARIANT_MARK, "hang") == 0; forever;) {
            }
            textPut("cell.0.0=" VARIANT_MARK, "1", "Rows");
            textPut("text=ON", "1", "Mark");
        }
    }
    int32_t onRevertive(RevertiveEvent*) override { return 0; }
    orvo_string onParentRequest(ParentRequest*) override { return orvo_string(); }
    void onTimer(int32_t) override {}
};

ORVO_DEFINE_PANEL(VariantPanel)
