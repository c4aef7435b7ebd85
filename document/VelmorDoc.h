// CVelmorDoc: the one document. It owns the original picture and, through
// the sketch pipeline, the sketch made from it and the planes that making
// the sketch caches; a new original picture (open, paste) or a new document
// releases all of them. The open, save and paste commands are its own.
#pragma once

#include <cstdint>
#include <memory>

#include <wx/docview.h>

#include "imaging/picture/Picture.h"
#include "pipeline/SketchPipeline.h"

class CMainDialogBar;
class wxImage;

class CVelmorDoc : public wxDocument {
public:
    CVelmorDoc() = default;
    ~CVelmorDoc() override;

    // Back to the empty state: no pictures, no planes, both paths empty.
    void ClearContents();

    bool OnNewDocument() override;

    // Makes the sketch of the original picture with the panel's parameters.
    // False after the failure was shown. Needs an original picture.
    bool MakeSketch();
    // The same with given parameters (the panel's, or a test's).
    bool MakeSketch(const SketchParameters& parameters);

    // The sketch picture, or null before the first run on this original.
    imaging::Picture* Sketch() const { return m_sketch.Sketch(); }

    // The save dialog's proposal: "<name>_shitae" from the original's file
    // name until the first save, then the last saved name and its folder.
    wxString ProposedSaveName() const;
    wxString ProposedSaveFolder() const;
    // Records `path` as the saved path and writes the sketch there by its
    // extension; false after the failure was shown.
    bool SaveSketchAs(const wxString& path);
    // Makes `image` the new original picture of an untitled document.
    void PasteOriginal(const wxImage& image);

    wxString m_strOriginalPath;
    wxString m_strSavedPath;
    bool m_bTransparent = false;
    std::unique_ptr<imaging::Picture> m_pOriginal;
    // The colour planes, the grey plane and the sketch of m_pOriginal.
    SketchPipeline m_sketch;

protected:
    // Loads `file` as the original picture, by its content. Reports a failure
    // itself and returns false: a file that cannot be read at all leaves the
    // document as it was (CanKeepContents), anything else empties it.
    bool DoOpenDocument(const wxString& file) override;
    // The sketch is saved by its own command; the framework's save is unused.
    bool DoSaveDocument(const wxString&) override { return true; }

public:
    // After a failed open: true when the document still holds what it held.
    bool KeptContentsOnFailedOpen() const { return m_bKeptContents; }

private:
    void OnOpenOriginal(wxCommandEvent& event);
    void OnSaveSketch(wxCommandEvent& event);
    void OnUpdateSaveSketch(wxUpdateUIEvent& event);
    void OnPasteOriginal(wxCommandEvent& event);
    void OnUpdatePasteOriginal(wxUpdateUIEvent& event);

    // The picture's size in status pane 2 of the main window.
    void ShowPictureSize();
    void RepaintViewsNow();
    void ScanTransparency();
    CMainDialogBar* Panel() const;

    bool m_bKeptContents = false;

    wxDECLARE_DYNAMIC_CLASS(CVelmorDoc);
    wxDECLARE_EVENT_TABLE();
};

// "%d × %d"
wxString PictureSizeText(std::uint32_t width, std::uint32_t height);
// The proposal for a first save: the file name of `originalPath` cut before
// its last "." and "_shitae" appended.
wxString FirstSaveName(const wxString& originalPath);
// `path` with ".bmp" appended when its file name has no extension.
wxString WithDefaultExtension(const wxString& path);
