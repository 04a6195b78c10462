#include "cssearch.h"

#include "connector/aurexplatform.h"
#include "connector/recordbuilder.h"
#include "connector/recordconstants.h"
#include "connector/recordfields.h"

#include <fzfileinfo.h>

#include <QCoreApplication>

CSSearch::CSSearch(AurexPlatform *platform, std::unique_ptr<FzFileInfo> query,
                   const QString &previewFolder, QObject *parent)
    : ResultJob(parent)
    , m_previewFolder(previewFolder)
{
    std::shared_ptr<const FzFileInfo> request(std::move(query));
    setValueWork([platform, request, folder = previewFolder](JobControl &control,
                                                             RecordList &results) {
        RecordList hits;
        if (!platform->search(*request, &hits)) {
            const QString refused = platform->lastRefusal();
            return refused.isEmpty()
                ? platform->noAnswerText()
                : QCoreApplication::translate("CSSearch",
                                              "The AUREX Platform refused the search: %1.")
                      .arg(refused);
        }
        control.setTotals(qint64(hits.size()), 0);
        if (control.isCancelled())
            return QString();
        platform->downloadPreviews(hits, folder);
        if (control.isCancelled())
            return QString();
        RecordList requests;
        for (const FzFileInfo *hit : hits)
            requests.add(makeDetailRequest(*hit));
        platform->details(requests);
        // Only the hits the platform described are shown (an answer carries their stamp), and
        // no preview the platform made of a drawing: it is not a drawing to open.
        for (const FzFileInfo *answer : requests) {
            if (!recordProperty(*answer, kKeyFileModified).isEmpty()
                && recordProperty(*answer, kKeyType) != QLatin1String(kTypeDerivedOutput))
                results.addCopy(*answer);
        }
        return QString();
    });
}

std::unique_ptr<FzFileInfo> CSSearch::query(const QString &space, const QString &text)
{
    return space.isEmpty() ? makeAllSpacesSearchQuery(text) : makeSpaceSearchQuery(space, text);
}
