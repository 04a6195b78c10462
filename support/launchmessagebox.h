#pragma once

#include <QMessageBox>

// The welcome box shown when the module has no platform server yet: it tells the user how to
// finish the set-up from the platform's dashboard.
class LaunchMessageBox : public QMessageBox
{
    Q_OBJECT

public:
    explicit LaunchMessageBox(QWidget *parent = nullptr);
};
