#pragma once

#include <QLabel>

// A label that shortens a text too wide for it with an ellipsis instead of cutting it off,
// keeping its alignment. Used for file names in the lists' rows and tiles; main thread only.
class ElidedLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget *parent = nullptr);

    bool isEliding() const { return m_eliding; }
    void setEliding(bool eliding);
    Qt::TextElideMode elideMode() const { return m_elideMode; }
    void setElideMode(Qt::TextElideMode mode);

    // The text as the label paints it at its current width.
    QString displayedText() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool needsEliding() const;

    bool m_eliding = true;
    Qt::TextElideMode m_elideMode = Qt::ElideRight;
};
