#include "filedetailsjob.h"

#include "detailsquery.h"

#include "connector/aurexplatform.h"

FileDetailsJob::FileDetailsJob(AurexPlatform *platform, const QString &tenant,
                               const QStringList &localPaths, QObject *parent)
    : AurexJob(parent)
    , m_answer(std::make_shared<MAPSTRCADOBJ>())
{
    setWork([platform, tenant, localPaths, answer = m_answer](JobControl &control) {
        control.setTotals(localPaths.size(), 0);
        bool answered = true;
        *answer = queryFileDetails(*platform, tenant, localPaths, &answered);
        return answered ? QString() : platform->noAnswerText();
    });
}

FileDetailsJob::~FileDetailsJob() = default;

void FileDetailsJob::workSucceeded()
{
    m_details = *m_answer;
}
