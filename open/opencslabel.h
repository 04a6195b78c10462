#pragma once

#include <QLabel>
#include <QPixmap>

// One option of the download-options dialog: shows its picture, and its text while the pointer
// is over it or it has the keyboard focus; a press, Enter or the space bar emits clicked(). Lives on the main thread, owned by its dialog.
class OpenCSLabel : public QLabel
{
    Q_OBJECT

public:
    explicit OpenCSLabel(QWidget *parent = nullptr);

    // Keeps the label's current text as its own, takes picture as its own and shows it.
    void setUp(const QPixmap &picture);
    QString ownText() const { return m_ownText; }

signals:
    void clicked();

protected:
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The file-choice label of the same look keeps what it shows.
    bool keepsItsContent() const;
    // Shown as chosen (its text, framed dark) or as one of the pictures.
    void highlight(bool on);

    QPixmap m_picture;
    QString m_ownText;
};
