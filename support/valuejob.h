#pragma once

#include "resultjob.h"

// A job around platform calls that produce one value (the spaces, the locks held), for one-off
// calls of a dialog that need no class of their own: the work fills the value and returns ""
// or the user-facing reason it failed.
template <typename T>
class ValueJob : public ResultJob<T>
{
public:
    using Work = typename ResultJob<T>::ValueWork;

    explicit ValueJob(Work work, QObject *parent = nullptr) : ResultJob<T>(parent)
    {
        this->setValueWork(std::move(work));
    }
};
