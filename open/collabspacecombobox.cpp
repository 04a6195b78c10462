#include "collabspacecombobox.h"

CollabSpaceComboBox::CollabSpaceComboBox(QWidget *parent)
    : QComboBox(parent)
{
}
