// The library's only export: the host calls it once per panel to create a Corvane script object.
//
// The host owns the object it gets and deletes it through orvo_client_callback. Nothing thrown inside
// ever reaches the host: an allocation or construction failure answers null and writes why as a debug
// line.
#include "Corvane.h"
#include "orvo_panel_export.h"

ORVO_DEFINE_PANEL(Corvane)
