// The scenario line for one action the workbench page asks for.
//
// The page posts each action as a JSON object; actionLine() writes it as the scenario step it stands for,
// and the workbench then reads that line with the scenario reader, so a browser click is checked and
// played exactly as the same line in a file would be. The actions and their lines:
//
//   {"action":"press","control":"Select"[,"message":"..."]}   press CONTROL [MESSAGE]
//   {"action":"select","control":"Mixer","row":3}             select [LIST] ROW   ("row":"none": no row)
//   {"action":"pick","control":"Dest","number":12}            pick [PICKER] N
//   {"action":"advance","units":1000}                         advance UNITS ("units":"next": to the next
//   tick)
//   {"action":"tick","timer":1}                               tick ID
//   {"action":"request","text":"return=all"}                  request TEXT
//   {"action":"revertive","device":7,"slot":183,"text":"12"}  revertive DEVICE SLOT TEXT
//   {"action":"silent","device":7,"slot":183}                 silent DEVICE SLOT
//   {"action":"unknown","instance":"ZaD SDI Router"}          unknown NAME
//   {"action":"stop"}                                         stop
//
// A list or picker is named in the line only when it is not the first of its kind on the loaded panels,
// as the scenario language lets the first one go unnamed. Numbers may come as JSON numbers or texts; a
// missing or wrong one is left for the scenario reader to report, in its words. What only the body can
// get wrong (not JSON, an unknown action, a text holding a line break) is an InputError "WHERE: ...".
// A line longer than kLongestStepLine is refused the same way: a scenario line is kept that short so a
// saved session stays a file a person can read and a step's texts stay within what a panel handles.
// actionLine() reads the host model and never changes it.
#pragma once

#include <cstddef>
#include <string>

#include "panels.h"
#include "timers.h"

constexpr size_t kLongestStepLine = 4096;

std::string actionLine(const std::string& body, const Panels& panels, const Timers& timers,
                       const std::string& where);
