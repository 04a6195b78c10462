// Contents as chunks cut by their bytes: a small edit of a large drawing sends and stores a
// chunk or two, a chunk's bytes are checked as they arrive, a cut connection loses only the
// chunk under way, nobody learns by announcing chunks what others stored, and the platform
// cuts a whole-file check-in where a client would.

#include "contentchunker.h"
#include "generateddrawing.h"
#include "platformtestcase.h"

#include <httplib.h>

namespace {

// Chunks whose count of uses is not the number of content parts that use them.
const char kMiscounted[] = "SELECT COUNT(*) FROM chunks k WHERE refs != (SELECT COUNT(*) FROM "
                           "content_parts p WHERE p.chunk = k.sha256)";

struct Chunk {
    QString sha256;
    qint64 offset = 0;
    qint64 size = 0;
};

// The chunks of bytes as the chunker cuts them, fed the bytes in pieces of that many (0: all
// at once), as a reader of a file would.
QList<Chunk> chunksOf(const QByteArray &bytes, qint64 piece = 0)
{
    QList<Chunk> chunks;
    ContentChunker chunker;
    qint64 start = 0;
    for (qint64 at = 0; at < bytes.size();) {
        const qint64 end = piece > 0 ? qMin<qint64>(bytes.size(), at + piece) : bytes.size();
        bool boundary = false;
        at += chunker.scan(bytes.constData() + at, end - at, &boundary);
        if (boundary || at == bytes.size()) {
            chunks.append({PlatformClient::sha256(bytes.mid(start, at - start)), start,
                           at - start});
            start = at;
        }
    }
    return chunks;
}

QJsonArray announced(const QList<Chunk> &chunks)
{
    QJsonArray list;
    for (const Chunk &chunk : chunks)
        list.append(QJsonArray{chunk.sha256, chunk.size});
    return list;
}

// The places of the chunks an upload still misses, as "0,1,2".
QString missing(const QJsonObject &upload)
{
    QStringList places;
    for (const QJsonValue value : upload["missing"].toArray())
        places << QString::number(value.toInt());
    return places.join(',');
}

// The places from one to before another, as "first,...".
QString places(int from, int to)
{
    QStringList list;
    for (int place = from; place < to; ++place)
        list << QString::number(place);
    return list.join(',');
}

// The bytes of the chunks at those places ("0,3,4"), one after the other, as a request sends
// them.
QByteArray bytesOf(const QByteArray &file, const QList<Chunk> &chunks, const QString &places)
{
    QByteArray body;
    for (const QString &place : places.split(',', Qt::SkipEmptyParts))
        body += file.mid(chunks[place.toInt()].offset, chunks[place.toInt()].size);
    return body;
}

// Announces the file as chunks (claiming the checksum, when given, for it); the answer says
// which the platform needs, and its status.
QJsonObject announce(PlatformClient &client, const QByteArray &file, const QList<Chunk> &chunks,
                     const QString &sha256 = QString())
{
    QJsonObject answer;
    const int status = client.post(
        "/api/v1/uploads",
        {{"size", file.size()},
         {"sha256", sha256.isEmpty() ? PlatformClient::sha256(file) : sha256},
         {"chunks", announced(chunks)}},
        &answer);
    answer.insert("status", status);
    return answer;
}

// Status of sending the chunks at those places, the upload's state after in *state.
int sendChunks(PlatformClient &client, const QJsonObject &upload, const QString &places,
               const QByteArray &body, QJsonObject *state = nullptr)
{
    const httplib::Result result = client.http().Put(
        ("/api/v1/uploads/" + upload["upload"].toString() + "?chunks=" + places).toStdString(),
        body.toStdString(), "application/octet-stream");
    if (result && state)
        *state = PlatformClient::parse(result->body);
    return result ? result->status : 0;
}

// A check-in of one file of Works whose bytes (of that checksum) went ahead as the upload.
int checkInUpload(PlatformClient &client, const QString &title, const QJsonObject &upload,
                  const QByteArray &file, QJsonObject *answer = nullptr,
                  const QString &sha256 = QString(), const QString &space = "Works",
                  const QString &name = QString())
{
    QJsonObject record =
        PlatformTestCase::record(title, name.isEmpty() ? client.autoname() : name, space);
    record.insert("upload", upload["upload"]);
    record.insert("size", file.size());
    record.insert("sha256", sha256.isEmpty() ? PlatformClient::sha256(file) : sha256);
    const httplib::Result result = client.http().Post(
        "/api/v1/checkin", httplib::MultipartFormDataItems{
                               {"manifest", PlatformClient::text({{"records", QJsonArray{record}}}),
                                "manifest", "application/json"}});
    if (answer && result)
        *answer = PlatformClient::parse(result->body);
    return result ? result->status : 0;
}

// Sends what the platform needs of the file and checks it in (a new version of the named
// file, or a new file); the bytes sent, or -1.
qint64 save(PlatformClient &client, const QString &title, const QByteArray &file,
            const QString &name = QString())
{
    const QList<Chunk> chunks = chunksOf(file);
    const QJsonObject upload = announce(client, file, chunks);
    const QByteArray body = bytesOf(file, chunks, missing(upload));
    if (!body.isEmpty() && sendChunks(client, upload, missing(upload), body) != 200)
        return -1;
    return checkInUpload(client, title, upload, file, nullptr, {}, "Works", name) == 200
        ? body.size()
        : -1;
}

} // namespace

class TestPlatformChunks : public PlatformTestCase
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_platform = std::make_unique<PlatformProcess>();
        QVERIFY(m_platform->start());
        QVERIFY(m_platform->addUser("ann", "ann-pw-2026"));
        QVERIFY(m_platform->addUser("eve", "eve-pw-2026"));
        QVERIFY(m_platform->addSpace("Works", {"ann"}));
        QVERIFY(m_platform->addSpace("Elsewhere", {"eve"}));
        m_ann = std::make_unique<SignedIn>(m_platform->serverHost(), "ann", "ann-pw-2026");
    }

    void smallEditsTravelAndAreStoredAsAFewChunks()
    {
        PlatformClient &ann = *m_ann;
        const QByteArray first = generatedDrawing(300000, 1);
        QVERIFY(first.size() > 20 * 1024 * 1024);
        const QString name = ann.autoname();
        QCOMPARE(save(ann, "survey.dxf", first, name), qint64(first.size()));

        // Ten versions, each one entity's text changed from the one before.
        QList<QByteArray> versions{first};
        for (int edit = 1; edit < 10; ++edit) {
            versions << withEntityText(versions.last(), 20000 * edit,
                                       "REVISED NOTE " + QByteArray::number(edit));
        }
        qint64 sentForEdits = 0;
        for (int edit = 1; edit < 10; ++edit) {
            const qint64 sent = save(ann, "survey.dxf", versions[edit], name);
            QVERIFY2(sent > 0 && sent < first.size() / 100,
                     qPrintable(QString("edit %1 sent %2 bytes").arg(edit).arg(sent)));
            sentForEdits += sent;
        }
        QVERIFY2(sentForEdits < first.size() / 20, qPrintable(QString::number(sentForEdits)));
        // Every version comes back as it was saved, and all ten take little more room than one.
        const QString phid = phidOf(ann, "survey.dxf");
        QStringList expected;
        QStringList downloaded;
        for (int revision = 1; revision <= 10; ++revision) {
            expected << PlatformClient::sha256(versions[revision - 1]);
            downloaded << ann.downloadDigest(phid, revision);
        }
        QCOMPARE(downloaded, expected);
        const QList<int> stored = m_platform->countsOf({"SELECT SUM(size) FROM chunks", kMiscounted});
        QVERIFY2(stored[0] > first.size() && stored[0] < first.size() * 1.2,
                 qPrintable(QString::number(stored[0])));
        QCOMPARE(stored[1], 0);

        // The chunks of a version, as a client that has an earlier one asks for the rest: the
        // list, and each changed chunk as a range of the content.
        QJsonObject list;
        QCOMPARE(ann.get("/api/v1/objects/" + phid + "/versions/2/chunks", &list), 200);
        const QList<Chunk> second = chunksOf(versions[1]);
        QCOMPARE(list["chunks"].toArray(), announced(second));
        QCOMPARE(list["sha256"].toString(), PlatformClient::sha256(versions[1]));
        const Chunk changed = second[second.size() / 2];
        const httplib::Result range = ann.http().Get(
            ("/api/v1/objects/" + phid + "/versions/2/content").toStdString(),
            {{"Range", QString("bytes=%1-%2").arg(changed.offset).arg(changed.offset + changed.size - 1)
                           .toStdString()}});
        QVERIFY(range);
        QCOMPARE(range->status, 206);
        QCOMPARE(QByteArray::fromStdString(range->body),
                 versions[1].mid(changed.offset, changed.size));
    }

    // Where a content is cut is part of the protocol: a client that cuts elsewhere would send
    // and fetch everything. The sizes below come from a separate implementation of the rule as
    // API.md writes it (random bytes, then 600 KiB of one letter, then random bytes again),
    // whichever pieces the bytes arrive in: all at once, in pieces of 4093 bytes, byte by byte.
    void cutsFallWhereTheWrittenRulePutsThem()
    {
        QByteArray bytes;
        quint32 x = 1;
        const auto random = [&](int count) {
            for (int i = 0; i < count; ++i) {
                x = x * 1103515245u + 12345u;
                bytes.append(static_cast<char>(x >> 24));
            }
        };
        random(1536 * 1024);
        bytes.append(QByteArray(600 * 1024, 'x'));
        random(512 * 1024);

        const QList<qint64> expected{68736, 67085, 69159, 82135, 38067, 128958, 68463, 59361,
                                     53920, 76119, 65800, 76505, 112629, 72970, 16582, 69034,
                                     85791, 79165, 83880, 72952, 70362, 262144, 262144, 175695,
                                     74374, 79960, 125895, 25451, 101802, 76923, 9491};
        for (const int piece : {0, 4093, 1}) {
            QList<qint64> sizes;
            for (const Chunk &chunk : chunksOf(bytes, piece))
                sizes << chunk.size;
            QVERIFY2(sizes == expected, qPrintable(QString("in pieces of %1").arg(piece)));
        }
    }

    void aWholeFileCheckInIsCutWhereTheClientWould()
    {
        PlatformClient &ann = *m_ann;
        const QByteArray file = generatedDrawing(30000, 2);
        QCOMPARE(ann.checkIn({record("whole.dxf", ann.autoname(), "Works")}, {file}), 200);
        QJsonObject list;
        QCOMPARE(ann.get("/api/v1/objects/" + phidOf(ann, "whole.dxf") + "/chunks", &list), 200);
        QCOMPARE(list["chunks"].toArray(), announced(chunksOf(file)));
        // So an edit of it, sent as chunks, sends the changed chunks only.
        const QByteArray edit = withEntityText(file, 15000, "MOVED");
        const QJsonObject upload = announce(ann, edit, chunksOf(edit));
        QCOMPARE(upload["status"].toInt(), 200);
        QVERIFY2(upload["missing"].toArray().size() <= 2, qPrintable(missing(upload)));
    }

    void chunksAreCheckedAsTheyArriveAndACutLosesOnlyTheChunkUnderWay()
    {
        PlatformClient &ann = *m_ann;
        const QByteArray file = generatedDrawing(40000, 3);
        const QList<Chunk> chunks = chunksOf(file);
        QVERIFY(chunks.size() > 20);
        const QJsonObject upload = announce(ann, file, chunks);
        const QString id = upload["upload"].toString();
        QCOMPARE(missing(upload), places(0, chunks.size()));

        // Chunk 3 altered: 0 to 2 are kept, 3 is refused with its reason, the rest not read.
        QByteArray body = bytesOf(file, chunks, "0,1,2,3,4");
        const int flipped = static_cast<int>(chunks[0].size + chunks[1].size + chunks[2].size + 10);
        body[flipped] = static_cast<char>(body.at(flipped) ^ 1);
        QJsonObject state;
        QCOMPARE(sendChunks(ann, upload, "0-4", body, &state), 400);
        QVERIFY2(state["error"].toString().contains("chunk 3 of the upload arrived damaged"),
                 qPrintable(state["error"].toString()));
        QCOMPARE(missing(state), places(3, chunks.size()));
        QCOMPARE(checkInUpload(ann, "cut.dxf", upload, file, &state), 400);
        QVERIFY(state["error"].toString().contains("not complete"));

        // The rest, cut off in the middle of a chunk: every whole chunk before the cut stays.
        const QByteArray rest = bytesOf(file, chunks, places(3, chunks.size()));
        const qint64 cutAt = chunks[3].size + chunks[4].size + chunks[5].size / 2;
        {
            auto socket = connectTo(m_platform->port());
            writeAll(*socket, "PUT /api/v1/uploads/" + id.toLatin1() + "?chunks="
                                  + places(3, chunks.size()).toLatin1()
                                  + " HTTP/1.1\r\nHost: 127.0.0.1\r\nAuthorization: Bearer "
                                  + QByteArray::fromStdString(ann.token()) + "\r\nContent-Length: "
                                  + QByteArray::number(rest.size()) + "\r\n\r\n"
                                  + rest.left(static_cast<int>(cutAt)));
            socket->close();
        }
        const auto stillMissing = [&] {
            return ann.get("/api/v1/uploads/" + id, &state) == 200 ? missing(state) : "refused";
        };
        QTRY_COMPARE_WITH_TIMEOUT(stillMissing(), places(5, chunks.size()), 10000);
        const QString left = places(5, chunks.size());
        QCOMPARE(sendChunks(ann, upload, left, bytesOf(file, chunks, left), &state), 200);
        QCOMPARE(missing(state), QString());
        QCOMPARE(checkInUpload(ann, "cut.dxf", upload, file), 200);
        QCOMPARE(ann.downloadDigest(phidOf(ann, "cut.dxf")), PlatformClient::sha256(file));
    }

    // A client that sends plain bytes instead of chunks goes on from where the platform says it
    // stands; bytes that would go elsewhere are refused with that place, and the check-in
    // takes the upload whole.
    void aByteUploadGoesOnFromWhereThePlatformStands()
    {
        PlatformClient &ann = *m_ann;
        const QByteArray file = generatedDrawing(3000, 7);
        QJsonObject upload;
        QCOMPARE(ann.post("/api/v1/uploads",
                          {{"size", file.size()}, {"sha256", PlatformClient::sha256(file)}},
                          &upload),
                 200);
        const auto put = [&](qint64 offset, const QByteArray &bytes) {
            const httplib::Result result = ann.http().Put(
                QString("/api/v1/uploads/%1?offset=%2")
                    .arg(upload["upload"].toString())
                    .arg(offset)
                    .toStdString(),
                bytes.toStdString(), "application/octet-stream");
            if (!result)
                return QString("no answer");
            return QString("%1 %2").arg(result->status).arg(
                PlatformClient::parse(result->body)["received"].toVariant().toLongLong());
        };
        const qint64 half = file.size() / 2;
        const QStringList answers{put(0, file.left(half)), put(0, file.mid(half)),
                                  put(half, file.mid(half))};
        QCOMPARE(answers, (QStringList{QString("200 %1").arg(half), QString("409 %1").arg(half),
                                       QString("200 %1").arg(file.size())}));
        QCOMPARE(checkInUpload(ann, "bytes.dxf", upload, file), 200);
        QCOMPARE(ann.downloadDigest(phidOf(ann, "bytes.dxf")), PlatformClient::sha256(file));
    }

    void announcingChunksRevealsNothingOfOthersContents()
    {
        SignedIn eve(m_platform->serverHost(), "eve", "eve-pw-2026");
        const QByteArray secret = generatedDrawing(20000, 4) + "ANN'S OWN\n";
        QCOMPARE(save(*m_ann, "secret.dxf", secret), qint64(secret.size()));
        const QList<Chunk> chunks = chunksOf(secret);
        const int objectsBefore = m_platform->countsOf({"SELECT COUNT(*) FROM objects"})[0];

        // Eve names ann's chunks: every one is needed from her, as if nobody had it.
        const QJsonObject upload = announce(eve, secret, chunks);
        QCOMPARE(missing(upload), places(0, chunks.size()));
        QCOMPARE(checkInUpload(eve, "stolen.dxf", upload, secret, nullptr, {}, "Elsewhere"), 400);

        // Claiming the secret's checksum for chunks of her own gains her nothing either.
        const QByteArray own = generatedDrawing(20000, 5) + "EVE'S OWN\n";
        const QList<Chunk> ownChunks = chunksOf(own);
        const QJsonObject claim = announce(eve, own, ownChunks, PlatformClient::sha256(secret));
        QCOMPARE(claim["status"].toInt(), 200);
        QCOMPARE(sendChunks(eve, claim, missing(claim), bytesOf(own, ownChunks, missing(claim))),
                 200);
        QJsonObject claimed;
        QCOMPARE(checkInUpload(eve, "stolen.dxf", claim, own, &claimed,
                               PlatformClient::sha256(secret), "Elsewhere"),
                 400);
        QVERIFY2(claimed["error"].toString().contains("arrived damaged"),
                 qPrintable(claimed["error"].toString()));
        QCOMPARE(m_platform->countsOf({"SELECT COUNT(*) FROM objects"})[0], objectsBefore);
    }

    void chunksNoContentUsesGoWithTheLastVersion()
    {
        const QByteArray file = generatedDrawing(20000, 6) + "SHORT-LIVED\n";
        const QString name = m_ann->autoname();
        QCOMPARE(save(*m_ann, "brief.dxf", file, name), qint64(file.size()));
        const QString stored = "SELECT SUM(size) FROM chunks";
        const int storedBefore = m_platform->countsOf({stored})[0];
        QCOMPARE(m_ann->post("/api/v1/delete", {{"refs", QJsonArray{byName(name)}}}), 200);
        QVERIFY(purgeTrash(*m_platform, 2));
        // What the file held alone is gone; what it shared with other drawings stays.
        const QList<int> after = m_platform->countsOf(
            {stored, kMiscounted, "SELECT COUNT(*) FROM chunks WHERE refs <= 0 AND sha256 NOT IN "
                                  "(SELECT chunk FROM upload_chunks)"});
        QVERIFY2(after[0] < storedBefore, qPrintable(QString::number(after[0])));
        QCOMPARE(after.mid(1), (QList<int>{0, 0}));
        QCOMPARE(m_platform->run({"check"}).exitCode, 0);
    }

private:
    std::unique_ptr<SignedIn> m_ann;
};

QTEST_GUILESS_MAIN(TestPlatformChunks)
#include "tst_platformchunks.moc"
