// Times and counts what cutting contents into chunks costs and saves, on a generated drawing of
// about 100 MB (DXF text), through a loopback link that counts the bytes:
// - cutting a file into chunks (with each chunk's SHA-256 and the whole file's) against reading
//   it with the whole file's SHA-256, which is what a save did before, and against a plain read;
// - a first save of a new file through the connector (chunks) against the same bytes sent the
//   way a save sent them before (one resumable upload of the whole file, then the check-in);
// - one entity's text changed: the bytes up at the save and down at a colleague's download
//   over their copy of the version before, as a share of the file (before: the whole file).

#include "contentchunker.h"
#include "filechunks.h"
#include "fzfileinfo.h"
#include "generateddrawing.h"
#include "linkeddemo.h"
#include "lintraaurexconnectorwrapper.h"
#include "platformclient.h"
#include "sha256.h"

#include <httplib.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include <time.h>

namespace {

const int kEntities = 1400000;
const int kRounds = 5;
const qint64 kBlockBytes = 1024 * 1024;

LintraAurexConnectorWrapper *connector() { return LintraAurexConnectorWrapper::GetInstance(); }

int fail(const char *what)
{
    std::fprintf(stderr, "bench_chunks: %s\n", what);
    return 1;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Reads the file in blocks, handing each to use; milliseconds.
double timedRead(const QString &path, const std::function<void(const char *, qint64)> &use)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    QByteArray block(kBlockBytes, Qt::Uninitialized);
    QElapsedTimer timer;
    timer.start();
    for (qint64 read; (read = file.read(block.data(), block.size())) > 0;)
        use(block.constData(), read);
    return timer.nsecsElapsed() / 1e6;
}

// Processor time of the whole process so far, in milliseconds.
double processorMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// The ways of reading, in turns, kRounds times; medians in milliseconds.
void timeReading(const QString &path)
{
    std::vector<double> plain;
    std::vector<double> hashed;
    std::vector<double> boundaries;
    std::vector<double> cut;
    std::vector<double> cutProcessor;
    volatile char sink = 0;
    for (int round = 0; round < kRounds; ++round) {
        plain.push_back(timedRead(path, [&](const char *data, qint64 size) {
            sink = sink + data[size - 1];
        }));
        Sha256 whole;
        hashed.push_back(timedRead(path, [&](const char *data, qint64 size) {
            whole.addData(data, size);
        }));
        whole.hexResult();
        ContentChunker chunker;
        boundaries.push_back(timedRead(path, [&](const char *data, qint64 size) {
            for (qint64 at = 0; at < size;) {
                bool boundary = false;
                at += chunker.scan(data + at, size - at, &boundary);
            }
        }));
        FileChunks chunks;
        QString error;
        QElapsedTimer timer;
        timer.start();
        const double processorBefore = processorMs();
        chunks.read(path, &error);
        cutProcessor.push_back(processorMs() - processorBefore);
        cut.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("Reading %s (medians of %d rounds taken in turns):\n",
                qPrintable(QFileInfo(path).fileName()), kRounds);
    std::printf("  plain read                                   %8.1f ms\n", median(plain));
    std::printf("  read + SHA-256 (what a save read before)     %8.1f ms\n", median(hashed));
    std::printf("  read + chunk boundaries                      %8.1f ms  (%.2f x the save's "
                "read before)\n",
                median(boundaries), median(boundaries) / median(hashed));
    std::printf("  the connector's cut: boundaries, each chunk's SHA-256 and the file's, on two "
                "threads\n");
    std::printf("                                               %8.1f ms  (%.2f x the save's "
                "read before, %.1f x a plain read)\n",
                median(cut), median(cut) / median(hashed), median(cut) / median(plain));
    std::printf("    processor time                             %8.1f ms  (%.2f x the save's "
                "read before)\n",
                median(cutProcessor), median(cutProcessor) / median(hashed));
}

// The file sent as a save sent it before chunks: hashed, one resumable upload of all its bytes,
// then the check-in naming it; milliseconds, or -1.
double timedWholeFileSave(PlatformClient &client, const QString &path, const QString &name)
{
    QElapsedTimer timer;
    timer.start();
    Sha256 hash;
    const qint64 size = QFileInfo(path).size();
    timedRead(path, [&](const char *data, qint64 length) { hash.addData(data, length); });
    const QString sha256 = hash.hexResult();
    QJsonObject upload;
    if (client.post("/api/v1/uploads", {{"size", double(size)}, {"sha256", sha256}}, &upload)
        != 200)
        return -1;
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    QByteArray block(kBlockBytes, Qt::Uninitialized);
    const httplib::Result sent = client.http().Put(
        ("/api/v1/uploads/" + upload["upload"].toString() + "?offset=0").toStdString(),
        httplib::Headers(), size_t(size),
        [&](size_t, size_t length, httplib::DataSink &sink) {
            const qint64 read = file.read(block.data(), qMin<qint64>(block.size(), length));
            return read > 0 && sink.write(block.constData(), size_t(read));
        },
        "application/octet-stream");
    if (!sent || sent->status != 200)
        return -1;
    const QJsonObject record{{"parent", -1}, {"title", QFileInfo(path).fileName()},
                             {"name", name}, {"collabspace", "Common Space"},
                             {"upload", upload["upload"]}, {"size", double(size)},
                             {"sha256", sha256}};
    const httplib::Result checkedIn = client.http().Post(
        "/api/v1/checkin",
        httplib::MultipartFormDataItems{{"manifest",
                                         PlatformClient::text({{"records", QJsonArray{record}}}),
                                         "manifest", "application/json"}});
    return checkedIn && checkedIn->status == 200 ? timer.nsecsElapsed() / 1e6 : -1;
}

FzFileInfo fileRecord(const QString &path, const std::string &name)
{
    FzFileInfo record;
    record.SetPath(path.toStdString());
    record.SetTitle(QFileInfo(path).fileName().toStdString());
    record.SetName(name);
    record.SetProperty("collabspace", "Common Space");
    record.SetProperty("selected", "true");
    return record;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    LinkedDemo demo;
    const char *failure = nullptr;
    if (!demo.start(300 << 20, &failure))
        return fail(failure);
    QTemporaryDir &dir = demo.dir;
    LinkProxy &link = *demo.link;
    PlatformClient raw(demo.viaLink);
    if (raw.signIn(QStringLiteral("alice"), QStringLiteral("alice-demo-pw")) != 200)
        return fail("cannot sign in over HTTP");

    // Each save a drawing of its own bytes, so that nothing of it is on the platform yet.
    std::vector<double> before;
    std::vector<double> chunked;
    QString last;
    std::string lastName;
    qint64 size = 0;
    for (int round = 0; round < 3; ++round) {
        const QString old = dir.filePath(QStringLiteral("before-%1.dxf").arg(round));
        const QString now = dir.filePath(QStringLiteral("site-%1.dxf").arg(round));
        const QByteArray drawing = generatedDrawing(kEntities, 100 + round);
        size = drawing.size();
        if (!writeFile(old, generatedDrawing(kEntities, 200 + round)) || !writeFile(now, drawing))
            return fail("cannot write the drawings");
        if (round == 0)
            timeReading(now);
        before.push_back(timedWholeFileSave(raw, old, raw.autoname()));
        lastName = raw.autoname().toStdString();
        FzFileInfo record = fileRecord(now, lastName);
        QElapsedTimer timer;
        timer.start();
        if (!connector()->CheckIn(&record) || before.back() < 0)
            return fail("a save failed");
        chunked.push_back(timer.nsecsElapsed() / 1e6);
        last = now;
    }
    std::printf("\nFirst save of a new %.0f MB drawing (medians of 3, in turns):\n", size / 1e6);
    std::printf("  whole file, as a save sent it before        %8.0f ms\n", median(before));
    std::printf("  as chunks                                   %8.0f ms\n", median(chunked));
    std::printf("  ratio                                       %8.2f\n",
                median(chunked) / median(before));

    // A colleague's copy of the version, then one entity's text changed in the middle.
    const QString colleague = dir.filePath(QStringLiteral("colleague"));
    QDir().mkpath(colleague);
    FzFileInfo stored = fileRecord(last, lastName);
    stored.SetProperty("_LOCALDOWNLOADFOLDER", colleague.toStdString());
    FzFileInfo query;
    query.SetProperty("_TypePattern", "*");
    query.SetProperty("_or_title_0", QFileInfo(last).fileName().toStdString());
    if (!connector()->SearchPattern(&query) || connector()->GetSearchListSize() != 1)
        return fail("cannot find the drawing");
    FzFileInfo found(*connector()->GetSearchFileAt(0));
    found.SetProperty("_LOCALDOWNLOADFOLDER", colleague.toStdString());
    if (!connector()->Download_Block(std::vector<FzFileInfo *>{&found}).empty())
        return fail("cannot download the first version");
    QFile file(last);
    file.open(QIODevice::ReadOnly);
    const QByteArray edited = withEntityText(file.readAll(), kEntities / 2, "RELOCATED NOTE");
    file.close();
    if (edited.isEmpty() || !writeFile(last, edited))
        return fail("cannot edit the drawing");
    FzFileInfo again = fileRecord(last, lastName);
    const qint64 upBefore = link.bytes(LinkProxy::ToServer);
    if (!connector()->CheckIn(&again))
        return fail("cannot save the edit");
    const qint64 up = link.bytes(LinkProxy::ToServer) - upBefore;
    if (!connector()->SearchPattern(&query) || connector()->GetSearchListSize() != 1)
        return fail("cannot find the drawing");
    FzFileInfo latest(*connector()->GetSearchFileAt(0));
    latest.SetProperty("_LOCALDOWNLOADFOLDER", colleague.toStdString());
    const qint64 downBefore = link.bytes(LinkProxy::ToClient);
    if (!connector()->Download_Block(std::vector<FzFileInfo *>{&latest}).empty())
        return fail("cannot download the edit");
    const qint64 down = link.bytes(LinkProxy::ToClient) - downBefore;
    QFile copy(colleague + QLatin1Char('/') + QFileInfo(last).fileName());
    copy.open(QIODevice::ReadOnly);
    if (copy.readAll() != edited)
        return fail("the colleague's copy is not the edit");
    std::printf("\nOne entity's text changed in the %.0f MB drawing (before: the whole file each way):\n",
                edited.size() / 1e6);
    std::printf("  up at the save                 %10lld bytes  %6.2f %% of the file\n",
                static_cast<long long>(up), 100.0 * up / edited.size());
    std::printf("  down to the colleague's copy   %10lld bytes  %6.2f %% of the file\n",
                static_cast<long long>(down), 100.0 * down / edited.size());
    return 0;
}
