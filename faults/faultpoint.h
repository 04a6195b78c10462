#pragma once

#include <QString>

// A named place in the code where a crash or a failed step would cost the most: between a file
// arriving and being recorded, between the platform storing a save and the outbox forgetting
// it. A test switches points on through the environment variable AUREX_FAULT_POINTS, a comma
// list of NAME=kill or NAME=fail, each optionally @N for the N-th time the point is reached
// (the first by default):
//
//     AUREX_FAULT_POINTS=outbox.sent=kill,download.moved=fail@2
//
// "kill" ends the process at once with SIGKILL, as a power cut or the task manager would;
// "fail" makes the step report the failure it would report for a full disk or a lost answer.
// Either is announced on standard error first ("fault point NAME: kill"), so a test can tell a
// point that was never reached from one that held. With the variable unset, a point costs a
// load and a compare.
class FaultPoint
{
public:
    enum class Outcome { Pass, Fail, Kill };

    // True when the step at this point is to fail; does not return when it is to kill.
    static bool fails(const char *name);
    // The line a step failed by fails() gives as its reason.
    static QString failureText(const char *name);
};
