// compareLibraries: the same steps played against two libraries, each on a fresh host, and what crossed
// the boundary compared entry by entry from the two runs' records.
//
// Status 0 only when both runs held (no FAIL, no contract ERROR) and are the same; 1 when they differ,
// or when either run failed an expectation or broke the contract, even if both did so alike: those
// lines are shown, so a shared failure is never reported as agreement. Writes its report to `out`.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "scenario.h"
#include "site.h"

int compareLibraries(const std::string& library, const std::string& other, const Site& site,
                     const std::vector<Step>& steps, std::ostream& out);
