#pragma once

#include <QComboBox>

// The open dialog's choice of collaborative space: "All Collaborative Spaces", then the user's
// spaces. A plain combo box under the name the dialog's form gives it.
class CollabSpaceComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit CollabSpaceComboBox(QWidget *parent = nullptr);
};
