// The checks: one explicit table of every check the validator knows, in the order it runs them, built
// from the families in their own files (module, lifecycle, events, storms, resources). An explicit table
// rather than checks registering themselves: a static library's linker may drop a file nobody calls.
#pragma once

#include <vector>

#include "check.h"

const std::vector<Check>& allChecks();

// ---- The families, one file each ---------------------------------------------------------------------
// module.cpp
CheckResult checkModuleOpens(const CheckContext& context);
CheckResult checkModuleExport(const CheckContext& context);
// lifecycle.cpp
CheckResult checkNullHost(const CheckContext& context);
CheckResult checkBasePaths(const CheckContext& context);
CheckResult checkManyScripts(const CheckContext& context);
// events.cpp
CheckResult checkHostileEvents(const CheckContext& context);
CheckResult checkOddKinds(const CheckContext& context);
// storms.cpp
CheckResult checkOperatorStorm(const CheckContext& context);
CheckResult checkDeviceStorm(const CheckContext& context);
CheckResult checkClockStorm(const CheckContext& context);
CheckResult checkParentStorm(const CheckContext& context);
CheckResult checkMixedStorm(const CheckContext& context);
CheckResult checkDeterminism(const CheckContext& context);
// resources.cpp
CheckResult checkNoGrowth(const CheckContext& context);
CheckResult checkEventTime(const CheckContext& context);
