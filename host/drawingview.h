#pragma once

#include <QWidget>

#include <memory>

class DxfRenderer;
class HostDocument;

// The view of one document in its tab: the drawing's model space fitted to the window.
class DrawingView : public QWidget
{
    Q_OBJECT

public:
    explicit DrawingView(HostDocument *document, QWidget *parent = nullptr);
    ~DrawingView() override;

    HostDocument *document() const { return m_document; }
    // Takes the drawing again after it changed.
    void refresh();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    HostDocument *m_document;
    std::unique_ptr<DxfRenderer> m_renderer;
};
