// The module's only export: the host calls it once per panel to create a TemplatePanel. It answers null
// when the panel cannot be created and writes why as a debug line; nothing is thrown at the host.
#include "orvo_panel_export.h"
#include "template_panel.h"

ORVO_DEFINE_PANEL(TemplatePanel)
