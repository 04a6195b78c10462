// Another user of the platform, in a process (and so a connector) of its own:
//   save_other_user SERVER CAS USER PASSWORD checkin NAME FILE   -> saves FILE as a new version
//   save_other_user SERVER CAS USER PASSWORD lock NAME           -> locks the object
// Exits 0 on success.

#include <fzfileinfo.h>
#include <lintraaurexconnectorwrapper.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 7)
        return 2;
    LintraAurexConnectorWrapper *connector = LintraAurexConnectorWrapper::GetInstance();
    connector->SetServer(args.at(1));
    if (!connector->LxGatepassLogin(args.at(3), args.at(4), args.at(1), QString(), args.at(2)))
        return 3;
    FzFileInfo record;
    record.SetName(args.at(6).toStdString());
    if (args.at(5) == QLatin1String("lock"))
        return connector->LockFile(&record) ? 0 : 1;
    if (args.at(5) != QLatin1String("checkin") || args.size() < 8)
        return 2;
    const QFileInfo file(args.at(7));
    record.SetPath(file.absoluteFilePath().toStdString());
    record.SetTitle(file.fileName().toStdString());
    record.SetProperty("selected", "true");
    return connector->CheckIn(&record) ? 0 : 1;
}
