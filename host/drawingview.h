#pragma once

#include <QWidget>

class HostDocument;

// The view of one document in its tab.
class DrawingView : public QWidget
{
    Q_OBJECT

public:
    explicit DrawingView(HostDocument *document, QWidget *parent = nullptr);

    HostDocument *document() const { return m_document; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    HostDocument *m_document;
};
