// Times the save dialog's check-in of a 200-file drawing set (names, records with previews,
// one check-in and the file database update) against curl uploading the same bytes as one
// check-in of the platform's own form, measured in the same run, round after round.

#include "connector/connectorplatform.h"
#include "platformprocess.h"
#include "testhome.h"

#include "connector/recordbuilder.h"
#include "save/savecheckin.h"
#include "save/savetreeitem.h"
#include "session/showaurextaskpane.h"

#include <fzfileinfo.h>
#include <lintraaurexconnectorwrapper.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const int kFiles = 200;
const int kPictureSide = 160;
const int kRounds = 5;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int fail(const char *what)
{
    std::fprintf(stderr, "bench_checkin: %s\n", what);
    return 1;
}

QByteArray drawingText(int index)
{
    // A small DXF drawing: a header and a line per index, different for every file.
    QByteArray text = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n0\nENDSEC\n"
                      "0\nSECTION\n2\nENTITIES\n";
    for (int i = 0; i < 200; ++i) {
        text += "0\nLINE\n8\n0\n10\n" + QByteArray::number(i) + "\n20\n"
            + QByteArray::number(index) + "\n11\n" + QByteArray::number(i + index) + "\n21\n"
            + QByteArray::number(i * 2) + "\n";
    }
    return text + "0\nENDSEC\n0\nEOF\n";
}

QByteArray pictureBytes(int index)
{
    QImage image(kPictureSide, kPictureSide, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, QRandomGenerator::global()->generate() ^ uint(index));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The set: one drawing with 199 references, a third drawings (with previews), a third
// pictures, a third PDFs. Returns the top row.
SaveTreeItem *makeSet(SaveTreeItem *root, const QString &folder)
{
    SaveTreeItem *top = root->appendChild(folder + "/set-top.dwg", "set-top.dwg");
    write(top->path, drawingText(0));
    for (int i = 1; i < kFiles; ++i) {
        const char *suffix = i % 3 == 0 ? "dwg" : i % 3 == 1 ? "png" : "pdf";
        const QString name = QStringLiteral("set-%1.%2").arg(i, 3, 10, QLatin1Char('0')).arg(suffix);
        QByteArray bytes = i % 3 == 0 ? drawingText(i)
            : i % 3 == 1 ? pictureBytes(i)
                         : "%PDF-1.4\n" + pictureBytes(i) + "\n%%EOF\n";
        write(folder + "/" + name, bytes);
        top->appendChild(folder + "/" + name, name);
    }
    top->action = SaveAction::SaveAsNew;
    top->collabSpace = "Common Space";
    for (const auto &child : top->children()) {
        child->action = SaveAction::SaveAsNew;
        child->collabSpace = "Common Space";
    }
    return top;
}

// The platform's check-in form of the same files and the previews the check-in wrote, uploaded
// by curl: a manifest and the contents in one multipart request. Each file's last byte is
// changed, so that the platform stores every content anew, as it did the check-in's.
double uploadWithCurl(const PlatformProcess &platform, SaveTreeItem *top,
                      const QString &previewFolder, const QString &folder)
{
    QDir().mkpath(folder);
    QJsonArray records;
    QByteArray contents;
    QStringList paths{top->path};
    for (const auto &child : top->children())
        paths.append(child->path);
    QDirIterator previews(previewFolder, {"*.jpg"}, QDir::Files, QDirIterator::Subdirectories);
    while (previews.hasNext())
        paths.append(previews.next());
    for (int i = 0; i < paths.size(); ++i) {
        QFile file(paths.at(i));
        file.open(QIODevice::ReadOnly);
        QByteArray bytes = file.readAll();
        if (!bytes.isEmpty())
            bytes[bytes.size() - 1] = char(bytes.at(bytes.size() - 1) ^ 0x5a);
        QJsonObject record{{"parent", i == 0 ? -1 : 0},
                           {"title", QFileInfo(paths.at(i)).fileName()},
                           {"collabspace", "Harbour Works"},
                           {"selected", "true"},
                           {"offset", double(contents.size())},
                           {"size", double(bytes.size())},
                           {"sha256", QString::fromLatin1(QCryptographicHash::hash(
                                          bytes, QCryptographicHash::Sha256).toHex())}};
        if (i > 0)
            record.insert("_RelationToParent", "CADSubcomponent");
        records.append(record);
        contents += bytes;
    }
    write(folder + "/manifest.json",
          QJsonDocument(QJsonObject{{"records", records}}).toJson(QJsonDocument::Compact));
    write(folder + "/contents.bin", contents);

    QProcess login;
    login.start("curl", {"-s", "-H", "Content-Type: application/json", "-d",
                         "{\"username\":\"alice\",\"password\":\"alice-demo-pw\"}",
                         platform.serverHost() + "/cas/v1/login"});
    login.waitForFinished(60000);
    const QString token = QJsonDocument::fromJson(login.readAllStandardOutput())
                              .object().value("token").toString();
    QElapsedTimer timer;
    timer.start();
    QProcess curl;
    curl.start("curl", {"-s", "--fail", "-o", "/dev/null", "-H", "Authorization: Bearer " + token,
                        "-F", "manifest=<" + folder + "/manifest.json",
                        "-F", "contents=@" + folder + "/contents.bin",
                        platform.serverHost() + "/api/v1/checkin"});
    if (!curl.waitForFinished(300000) || curl.exitCode() != 0)
        return -1;
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    TestHome home;
    home.applyToProcess();
    QStandardPaths::setTestModeEnabled(true);
    PlatformProcess::Options options;
    options.demo = true;
    PlatformProcess platform(options);
    QString error;
    if (!platform.start(&error))
        return fail(qPrintable(error));
    LintraAurexConnectorWrapper *connector = LintraAurexConnectorWrapper::GetInstance();
    connector->SetServer(platform.serverHost());
    if (!connector->LxGatepassLogin("alice", "alice-demo-pw", platform.serverHost(), QString(),
                                    platform.casUrl()))
        return fail("sign-in failed");
    ShowAurexTaskPane::instance()->startSession(QString());

    // Each round checks in a set of its own, new to the platform; the medians are reported.
    std::vector<double> ours;
    std::vector<double> curls;
    qint64 bytes = 0;
    for (int round = 0; round < kRounds; ++round) {
        const QString folder = home.filePath(QStringLiteral("set-%1").arg(round));
        const QString previews = home.filePath(QStringLiteral("previews-%1").arg(round));
        QDir().mkpath(folder);
        SaveTreeItem root(QString(), "saveitemrootdata", nullptr);
        SaveTreeItem *top = makeSet(&root, folder);
        bytes = 0;
        for (const QFileInfo &file : QDir(folder).entryInfoList(QDir::Files))
            bytes += file.size();

        QElapsedTimer timer;
        timer.start();
        ConnectorPlatform connectorPlatform(connector);
        SaveCheckIn checkIn(&connectorPlatform, QString(), "alice", previews);
        checkIn.setRows(*top, kFiles);
        checkIn.runHere();
        if (checkIn.error() != AurexJob::NoError)
            return fail(qPrintable(checkIn.errorString()));
        ours.push_back(timer.nsecsElapsed() / 1e6);

        curls.push_back(uploadWithCurl(platform, top, previews,
                                       home.filePath(QStringLiteral("curl-%1").arg(round))));
        if (curls.back() < 0)
            return fail("curl upload failed (is curl installed?)");
    }
    const double oursMs = median(ours);
    const double curlMs = median(curls);
    std::printf("check-in of %d files (%.1f MB), median of %d rounds: dialog path %.0f ms, "
                "curl %.0f ms, ratio %.2f (aim <= 1.5)\n",
                kFiles, bytes / 1e6, kRounds, oursMs, curlMs, oursMs / curlMs);
    return 0;
}
