// The host's parameter requests: it sets myParam and the instance name, reads myParam back, and asks
// which events and commands the panel offers. An empty answer reaches the host as no text.
#include "Corvane.h"
#include "orvo_stringlist.h"

orvo_string Corvane::onParentRequest(ParentRequest* request) {
    const orvo_string command = request->requestCommand();
    const orvo_string value = request->requestValue();

    if (command == "return") {
        if (value == "all") {
            orvo_stringlist parameters;
            parameters << orvo_string("myParam=%1").arg(myParam);
            return parameters.toString('\n');
        }
        if (value == "myParam") {
            return orvo_string("%1=%2").arg(value).arg(myParam);
        }
        return orvo_string();
    }

    if (command == "instance" && value != instance) {
        instance = value;
        return orvo_string();
    }
    // An unchanged instance name falls through and matches none of the words below.
    if (command == "myParam") {
        myParam = value;  // an empty value empties it
        return orvo_string();
    }
    if (command == "_events") {
        orvo_stringlist events;
        events << orvo_string("notify=*");
        return events.toString('\n');
    }
    if (command == "_commands") {
        orvo_stringlist commands;
        commands << orvo_string("myParam=[value]");
        return commands.toString('\n');
    }
    return orvo_string();
}
