#include "filedetailsjob.h"

#include "detailsquery.h"

FileDetailsJob::FileDetailsJob(AurexPlatform *platform, const QString &tenant,
                               const QStringList &localPaths, QObject *parent)
    : AurexJob(parent)
    , m_answer(std::make_shared<MAPSTRCADOBJ>())
{
    setWork([platform, tenant, localPaths, answer = m_answer](JobControl &control) {
        control.setTotals(localPaths.size(), 0);
        *answer = queryFileDetails(*platform, tenant, localPaths);
        return QString();
    });
}

FileDetailsJob::~FileDetailsJob() = default;

void FileDetailsJob::workSucceeded()
{
    m_details = *m_answer;
}
