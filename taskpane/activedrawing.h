#pragma once

#include <functional>
#include <memory>

class OdDbHostAppServices;
class ReferenceTree;

// The drawing the task pane lists: its reference tree as built on the main thread (its
// referenced drawings not read from disk), and the services that read those drawings for their
// images and PDFs on another thread (null: they are not read).
struct ActiveDrawing
{
    std::shared_ptr<ReferenceTree> tree;
    OdDbHostAppServices *services = nullptr;
};

// Where the pane finds the active drawing.
using ActiveDrawingSource = std::function<ActiveDrawing()>;

// The host's active drawing; an empty tree when there is none.
ActiveDrawing hostActiveDrawing();
