// PDF files of pictures, one picture a page, written through cairo.
//
// Each page is the paper of the page layout (PageLayout.h) in the
// orientation that fits its picture, the picture upright in the placed
// rectangle, resampled smoothly to that rectangle's size in pixels at the
// given resolution (300 dpi: print quality) and embedded losslessly.
//
//   PdfFile pdf;
//   if (auto e = pdf.Open(path)) ...
//   PdfPage page;
//   if (auto e = page.Prepare(picture, kPaperA4)) ...  // on any thread
//   if (auto e = pdf.Add(std::move(page))) ...
//   if (auto e = pdf.Close()) ...
//
// The file is written as the pages come, to a temporary file beside `path`
// (imaging/files/AtomicFile.h), and takes its name only when Close succeeds:
// a failed or interrupted run never leaves a partial PDF under that name and
// leaves an existing file there as it was. Failures come back as messages
// in the form of the picture saves (SaveImage.h); nothing throws.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "imageio/ImageFileError.h"
#include "imageio/PageLayout.h"
#include "imaging/picture/Picture.h"

inline constexpr int kPdfPictureDpi = 300;

// One page, ready to add: its layout and its resampled picture. Prepared
// pages are independent of each other and of any file.
class PdfPage {
public:
    PdfPage();
    ~PdfPage();
    PdfPage(PdfPage&&) noexcept;
    PdfPage& operator=(PdfPage&&) noexcept;

    // Lays `picture` out on `paper` and resamples it; the picture may go
    // once this returns.
    std::optional<ImageFileError> Prepare(imaging::Picture& picture, const PaperSize& paper,
                                          int dpi = kPdfPictureDpi);

    bool IsPrepared() const { return image_ != nullptr; }
    // The layout in PDF points, the picture upright.
    const PageLayout& Layout() const { return layout_; }
    int PixelWidth() const;
    int PixelHeight() const;

private:
    friend class PdfFile;
    struct Image;
    std::unique_ptr<Image> image_;
    PageLayout layout_;
};

class PdfFile {
public:
    PdfFile();
    ~PdfFile();  // without a successful Close, the file is discarded
    PdfFile(const PdfFile&) = delete;
    PdfFile& operator=(const PdfFile&) = delete;

    std::optional<ImageFileError> Open(const std::string& path);
    // Writes the page out and frees its picture.
    std::optional<ImageFileError> Add(PdfPage page);
    // Ends the file and gives it its name. A file with no page is refused.
    std::optional<ImageFileError> Close();

    int PageCount() const { return pages_; }

private:
    struct Writer;
    std::unique_ptr<Writer> writer_;
    std::string path_;
    int pages_ = 0;
};
