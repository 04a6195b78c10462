#pragma once

#include "cfxpreviewbitmap.h"
#include "cfxstring.h"
#include "hostkernelexport.h"

// What the host knows of a drawing file without opening it as a document: its preview. Safe to
// use off the main thread.
class HOSTKERNEL_EXPORT CFxFileData
{
public:
    explicit CFxFileData(const CFxString &path);

    CFxString GetPath() const { return m_path; }
    // The thumbnail the drawing carries, or else its model space drawn on white; a null bitmap
    // when the file is not a readable drawing.
    CFxPreviewBitmap GetPreviewBitmap() const;

private:
    CFxString m_path;
};
