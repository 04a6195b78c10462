#include "filedetailsjob.h"

#include "detailsquery.h"

#include "connector/aurexplatform.h"

FileDetailsJob::FileDetailsJob(AurexPlatform *platform, const QString &tenant,
                               const QStringList &localPaths, QObject *parent)
    : ResultJob(parent)
{
    setValueWork([platform, tenant, localPaths](JobControl &control, MAPSTRCADOBJ &details) {
        control.setTotals(localPaths.size(), 0);
        bool answered = true;
        details = queryFileDetails(*platform, tenant, localPaths, &answered);
        return answered ? QString() : platform->noAnswerText();
    });
}
