#pragma once

#include "aurexjob.h"

// A job around platform calls that produce no value: the work returns "" or the user-facing
// reason it failed. For one-off calls of a dialog (a delete) that need no class of their own.
class CallJob : public AurexJob
{
public:
    explicit CallJob(Work work, QObject *parent = nullptr) : AurexJob(parent)
    {
        setWork(std::move(work));
    }
};
