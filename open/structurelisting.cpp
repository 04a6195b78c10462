#include "structurelisting.h"

#include "connector/aurexplatform.h"

#include <fzfileinfo.h>

StructureListing::StructureListing(AurexPlatform *platform, const FzFileInfo &root,
                                   QObject *parent)
    : AurexJob(parent)
    , m_listed(std::make_shared<RecordList>())
{
    auto request = std::make_shared<const FzFileInfo>(root);
    setWork([platform, request, listed = m_listed](JobControl &) {
        if (platform->structure(*request, listed.get()) && !listed->empty())
            return QString();
        const QString reason = platform->unreachableReason();
        return reason.isEmpty() ? tr("The drawing and its references could not be listed.")
                                : AurexPlatform::unreachableText(reason);
    });
}

StructureListing::~StructureListing() = default;

void StructureListing::workSucceeded()
{
    m_records = std::move(*m_listed);
}
