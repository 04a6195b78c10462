#include "latestversions.h"

#include "downloadthread.h"

#include "connector/aurexplatform.h"
#include "connector/filetype.h"
#include "connector/recordbuilder.h"
#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "support/calljob.h"
#include "support/hostaccess.h"
#include "support/jobsequence.h"

#include <fzfileinfo.h>

#include <QFileInfo>

#include <memory>

void addLatestVersionSteps(JobSequence *flow, AurexPlatform *platform,
                           const QList<QPair<QString, QString>> &copies,
                           const QString &drawingPath, const QString &tenant,
                           std::function<void(DownloadThread &)> then)
{
    auto records = std::make_shared<RecordList>();
    for (const auto &copy : copies) {
        FzFileInfo *request =
            records->add(makeNameRequest(copy.second, fileTypeForPath(copy.first)));
        setRecordProperty(*request, kKeyLocalDownloadFolder,
                          QFileInfo(copy.first).absolutePath());
    }
    flow->step([platform, records] {
        return new CallJob([platform, records](JobControl &) {
            return platform->details(*records) ? QString() : platform->noAnswerText();
        });
    });
    flow->transfer<DownloadThread>(
        [platform, records, drawingPath, tenant] {
            auto *download = new DownloadThread(platform, HostAccess::appServices(),
                                                HostAccess::documents());
            download->setDownload(std::move(*records), drawingPath, tenant);
            return download;
        },
        std::move(then));
}

QString latestVersionsProblem(const JobSequence &flow)
{
    if (auto *download = qobject_cast<DownloadThread *>(flow.failedJob()))
        return download->report().details.join(QLatin1Char(' '));
    return flow.error() == AurexJob::NoError ? QString() : flow.errorString();
}
