#include "transferobserver.h"

namespace {

thread_local std::shared_ptr<TransferObserver> threadObserver;

} // namespace

void TransferObserver::setForThisThread(Function function)
{
    threadObserver = function ? std::make_shared<TransferObserver>(std::move(function)) : nullptr;
}

std::shared_ptr<TransferObserver> TransferObserver::ofThisThread()
{
    return threadObserver;
}

bool TransferObserver::report(qint64 bytes)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_function(bytes);
}
