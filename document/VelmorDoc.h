// CVelmorDoc: the one document. It owns the original picture, the sketch made
// from it and the buffers that making the sketch caches; a new original
// picture (open, paste) or a new document releases all of them.
#pragma once

#include <cstdint>
#include <memory>

#include <wx/docview.h>

#include "imaging/Picture.h"

class CVelmorDoc : public wxDocument {
public:
    CVelmorDoc() = default;
    ~CVelmorDoc() override;

    // Back to the empty state: no pictures, no planes, both paths empty.
    void ClearContents();

    bool OnNewDocument() override;

    wxString m_strOriginalPath;
    wxString m_strSavedPath;
    bool m_bTransparent = false;
    std::unique_ptr<imaging::Picture> m_pOriginal;
    std::unique_ptr<imaging::Picture> m_pSketch;
    std::unique_ptr<std::uint8_t[]> m_pPlaneR, m_pPlaneG, m_pPlaneB;
    std::unique_ptr<std::uint8_t[]> m_pGrey;

protected:
    // Loads `file` as the original picture, by its content. Reports a failure
    // itself and returns false; the document is then empty.
    bool DoOpenDocument(const wxString& file) override;
    // The sketch is saved by its own command; the framework's save is unused.
    bool DoSaveDocument(const wxString&) override { return true; }

private:
    // The picture's size in status pane 2 of the main window.
    void ShowPictureSize();
    void RepaintViewsNow();

    wxDECLARE_DYNAMIC_CLASS(CVelmorDoc);
};

// "%d × %d"
wxString PictureSizeText(std::uint32_t width, std::uint32_t height);
