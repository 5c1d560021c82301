#include "kept_record.h"

ORVO_DEFINE_PANEL(KeptRecordPanel)
