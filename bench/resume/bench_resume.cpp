// Times the download of a 200 MB file through a loopback link held to 8 MB/s, once without a
// fault and once with every connection cut when half the file has crossed the link, so that
// the connector resumes it by itself: the ratio is what the cut costs.

#include "fzfileinfo.h"
#include "linkeddemo.h"
#include "lintraaurexconnectorwrapper.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

const qint64 kMiB = 1024 * 1024;
const qint64 kFileBytes = 200 * 1000 * 1000;
const qint64 kLinkBytesPerSecond = 8 * 1000 * 1000;

LintraAurexConnectorWrapper *connector() { return LintraAurexConnectorWrapper::GetInstance(); }

int fail(const char *what)
{
    std::fprintf(stderr, "bench_resume: %s\n", what);
    return 1;
}

// Downloads the record into a fresh folder; milliseconds, or -1 on failure.
qint64 timedDownload(const FzFileInfo &stored, const QString &folder)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    FzFileInfo record(stored);
    record.SetProperty("_LOCALDOWNLOADFOLDER", folder.toStdString());
    QElapsedTimer timer;
    timer.start();
    const bool ok = connector()->Download_Block(std::vector<FzFileInfo *>{&record}).empty()
        && QFileInfo(folder + QStringLiteral("/survey.dwg")).size() == kFileBytes;
    return ok ? timer.elapsed() : -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    LinkedDemo demo;
    const char *failure = nullptr;
    if (!demo.start(kFileBytes + kMiB, &failure))
        return fail(failure);
    QTemporaryDir &dir = demo.dir;
    LinkProxy &link = *demo.link;

    const QString path = dir.filePath(QStringLiteral("survey.dwg"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(kFileBytes))
        return fail("cannot write the file");
    file.close();
    FzFileInfo record;
    record.SetPath(path.toStdString());
    record.SetTitle("survey.dwg");
    record.SetProperty("collabspace", "Common Space");
    if (!connector()->CheckIn(&record) || connector()->GetTransactionListSize() != 1)
        return fail("cannot check the file in");
    const FzFileInfo stored(*connector()->GetTransactionFileAt(0));

    link.setRate(kLinkBytesPerSecond);
    std::printf("Download of %lld MB through a link of %lld MB/s:\n", kFileBytes / 1000000,
                kLinkBytesPerSecond / 1000000);
    const qint64 whole = timedDownload(stored, dir.filePath(QStringLiteral("whole")));
    link.cutOnceAt(LinkProxy::ToClient, link.bytes(LinkProxy::ToClient) + kFileBytes / 2);
    const qint64 before = link.bytes(LinkProxy::ToClient);
    const qint64 resumed = timedDownload(stored, dir.filePath(QStringLiteral("resumed")));
    if (whole < 0 || resumed < 0 || !link.hasCut())
        return fail("a download failed");
    std::printf("  uninterrupted                    %8.1f s\n", whole / 1000.0);
    std::printf("  cut at half, resumed by itself   %8.1f s  (%.1f MB over the link)\n",
                resumed / 1000.0, (link.bytes(LinkProxy::ToClient) - before) / 1e6);
    std::printf("  ratio                            %8.2f\n", double(resumed) / double(whole));
    return 0;
}
