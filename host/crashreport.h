#pragma once

// On a fatal signal (a crash or an abort) the host writes which signal and the call stack of
// the thread it came on to standard error before it ends as it would have, so that a crash in
// a test run or at a user's desk leaves something to read.
class CrashReport
{
public:
    static void install();
};
