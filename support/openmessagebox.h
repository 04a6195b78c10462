#pragma once

#include <QMessageBox>

// Shows a message box over parent without waiting for it: made on the heap, window-modal,
// deleted when it closes, and deleted with parent should parent go first. A box waiting in
// exec() on the stack would be freed a second time by a parent deleted meanwhile (a Cancel
// pressed while another menu's loop runs), so the module's windows that can close under a
// question use this. The caller connects to the box's buttonClicked or finished for the answer.
QMessageBox *openMessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                            const QString &text,
                            QMessageBox::StandardButtons buttons = QMessageBox::Ok);
