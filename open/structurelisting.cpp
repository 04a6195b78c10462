#include "structurelisting.h"

#include "connector/aurexplatform.h"

#include <fzfileinfo.h>

#include <memory>

StructureListing::StructureListing(AurexPlatform *platform, const FzFileInfo &root,
                                   QObject *parent)
    : ResultJob(parent)
{
    auto request = std::make_shared<const FzFileInfo>(root);
    setValueWork([platform, request](JobControl &, RecordList &listed) {
        if (platform->structure(*request, &listed) && !listed.empty())
            return QString();
        return platform->failureText(tr("The drawing and its references could not be listed."));
    });
}
