#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>
#include <mutex>

// Who hears of the bytes a transfer moves: set by a thread for the calls it makes, taken along
// by those calls onto the connector's own transfer threads, and called from any of them, one at
// a time. Returning false from the function cancels the transfer.
class TransferObserver
{
public:
    using Function = std::function<bool(qint64 bytes)>;

    // The calling thread's observer for its calls from now on; an empty function clears it.
    static void setForThisThread(Function function);
    // The calling thread's observer; null when none is set.
    static std::shared_ptr<TransferObserver> ofThisThread();

    explicit TransferObserver(Function function) : m_function(std::move(function)) {}

    // bytes moved since the last report; 0 asks only whether to go on. False: stop.
    bool report(qint64 bytes);

private:
    std::mutex m_mutex;
    Function m_function;
};
