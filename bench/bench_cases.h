// The two groups of benchmarks in the suite, registered by the runner in this order.
#pragma once

// parseCommand, the token splitter, arg chains, toInt, lists, and the fixed-buffer commands.
void registerBuildingBlocks();
// One case per host event on a Corvane created through the module's export, each followed by its floor.
void registerNotifyCases();
