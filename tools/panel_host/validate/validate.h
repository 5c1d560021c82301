// The validator's front end: `panel_host --validate [options] LIBRARY [SITE]` holds a panel module to
// the whole host contract, one named check at a time, and reports each check's result.
#pragma once

#include <string>
#include <vector>

// The arguments after --validate. Returns the exit status: 0 every check passed or was skipped, 1 a
// check failed, crashed or timed out, 2 a bad input (an option, a missing library or site).
int runValidate(const std::vector<std::string>& args);

// The usage lines of --validate, for panel_host's help.
extern const char* const kValidateUsage;
