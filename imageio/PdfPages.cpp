#include "imageio/PdfPages.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <cmath>
#include <filesystem>
#include <new>
#include <span>

#include "imageio/SaveImage.h"
#include "imaging/display/Resample.h"
#include "imaging/files/AtomicFile.h"

namespace {

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

struct ContextDeleter {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using ContextPtr = std::unique_ptr<cairo_t, ContextDeleter>;

imaging::Status StatusOfCairo(cairo_status_t status) {
    return status == CAIRO_STATUS_NO_MEMORY ? imaging::OutOfMemory : imaging::GenericError;
}

ImageFileError SaveFailed(imaging::Status status, const std::string& path) { return SaveFailedError(status, path); }

// Pixels across `length` points at `dpi`, never none.
int PixelsFor(double length, int dpi) {
    return std::max(1, static_cast<int>(std::lround(length / kPointsPerInch * dpi)));
}

}  // namespace

struct PdfPage::Image {
    SurfacePtr surface;
};

PdfPage::PdfPage() = default;
PdfPage::~PdfPage() = default;
PdfPage::PdfPage(PdfPage&&) noexcept = default;
PdfPage& PdfPage::operator=(PdfPage&&) noexcept = default;

int PdfPage::PixelWidth() const { return image_ ? cairo_image_surface_get_width(image_->surface.get()) : 0; }
int PdfPage::PixelHeight() const { return image_ ? cairo_image_surface_get_height(image_->surface.get()) : 0; }

std::optional<ImageFileError> PdfPage::Prepare(imaging::Picture& picture, const PaperSize& paper, int dpi) {
    using namespace imaging;
    image_.reset();
    if (!picture.IsValid() || dpi <= 0) return SaveFailed(InvalidParameter, {});
    const int width = static_cast<int>(picture.Width()), height = static_cast<int>(picture.Height());
    const auto layout = LayOutPicture(width, height, paper, kPointsPerInch, FromMillimetres(kPageMarginMm, kPointsPerInch));
    if (!layout) return SaveFailed(InvalidParameter, {});
    layout_ = Upright(*layout);

    const int pixelsW = PixelsFor(layout_.placed.width, dpi), pixelsH = PixelsFor(layout_.placed.height, dpi);
    // Opaque 32-bit: the bytes B,G,R,X the resampler writes, and no soft mask in the PDF.
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, pixelsW, pixelsH));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return SaveFailed(StatusOfCairo(cairo_surface_status(surface.get())), {});

    // A 24-bit picture is read in place; any other through a 32-bit lock.
    const PixelFormat lockFormat =
        picture.Format() == PixelFormat24bppRGB ? PixelFormat24bppRGB : PixelFormat32bppARGB;
    BitmapData data;
    if (Status s = picture.LockBits(nullptr, ImageLockModeRead, lockFormat, &data); s != Ok) return SaveFailed(s, {});
    cairo_surface_flush(surface.get());
    const Status scaled = ResampleRegion(static_cast<const std::uint8_t*>(data.scan0), data.stride, width, height,
                                         pixelsW, pixelsH, Rect{0, 0, pixelsW, pixelsH},
                                         cairo_image_surface_get_data(surface.get()),
                                         cairo_image_surface_get_stride(surface.get()), lockFormat);
    picture.UnlockBits(&data);
    if (scaled != Ok) return SaveFailed(scaled, {});
    cairo_surface_mark_dirty(surface.get());
    image_.reset(new (std::nothrow) Image{std::move(surface)});
    if (!image_) return SaveFailed(OutOfMemory, {});
    return std::nullopt;
}

// The cairo surface and the file under it. cairo hands the bytes over as it
// makes them; the first failure is kept and ends the writing.
struct PdfFile::Writer {
    imaging::AtomicFileWriter file;
    imaging::Status failure = imaging::Ok;
    bool discarding = false;
    SurfacePtr surface;  // declared last: finished first, while `file` is alive

    ~Writer() {
        discarding = true;  // an unfinished file is thrown away, not completed
        surface.reset();
    }

    static cairo_status_t Write(void* closure, const unsigned char* bytes, unsigned int length) {
        auto* self = static_cast<Writer*>(closure);
        if (self->discarding || self->failure != imaging::Ok) return CAIRO_STATUS_WRITE_ERROR;
        self->failure = self->file.Write(std::span<const std::uint8_t>(bytes, length));
        return self->failure == imaging::Ok ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
    }

    // The failure behind a cairo status: the file's own when it was the write.
    imaging::Status FailureOf(cairo_status_t status) const {
        return failure != imaging::Ok ? failure : StatusOfCairo(status);
    }
};

PdfFile::PdfFile() = default;
PdfFile::~PdfFile() = default;

std::optional<ImageFileError> PdfFile::Open(const std::string& path) {
    if (writer_) return SaveFailed(imaging::WrongState, path);
    path_ = path;
    pages_ = 0;
    std::unique_ptr<Writer> writer(new (std::nothrow) Writer);
    if (!writer) return SaveFailed(imaging::OutOfMemory, path);
    if (imaging::Status s = writer->file.Open(std::filesystem::path(path)); s != imaging::Ok)
        return SaveFailed(s, path);
    // The size is set again for every page.
    const double a4W = FromMillimetres(kPaperA4.widthMm, kPointsPerInch);
    const double a4H = FromMillimetres(kPaperA4.heightMm, kPointsPerInch);
    writer->surface.reset(cairo_pdf_surface_create_for_stream(&Writer::Write, writer.get(), a4W, a4H));
    if (cairo_status_t s = cairo_surface_status(writer->surface.get()); s != CAIRO_STATUS_SUCCESS)
        return SaveFailed(writer->FailureOf(s), path);
    cairo_pdf_surface_set_metadata(writer->surface.get(), CAIRO_PDF_METADATA_CREATOR, "velmor-sketch");
    writer_ = std::move(writer);
    return std::nullopt;
}

std::optional<ImageFileError> PdfFile::Add(PdfPage page) {
    if (!writer_ || !page.IsPrepared()) return SaveFailed(imaging::WrongState, path_);
    cairo_surface_t* pdf = writer_->surface.get();
    const PageLayout& layout = page.Layout();
    cairo_pdf_surface_set_size(pdf, layout.page.width, layout.page.height);
    {
        ContextPtr cr(cairo_create(pdf));
        cairo_translate(cr.get(), layout.placed.x, layout.placed.y);
        cairo_scale(cr.get(), layout.placed.width / page.PixelWidth(), layout.placed.height / page.PixelHeight());
        cairo_set_source_surface(cr.get(), page.image_->surface.get(), 0, 0);
        cairo_paint(cr.get());
        cairo_show_page(cr.get());
        if (cairo_status_t s = cairo_status(cr.get()); s != CAIRO_STATUS_SUCCESS)
            return SaveFailed(writer_->FailureOf(s), path_);
    }
    // The page is out: its picture goes now, not with the file.
    page.image_.reset();
    if (cairo_status_t s = cairo_surface_status(pdf); s != CAIRO_STATUS_SUCCESS)
        return SaveFailed(writer_->FailureOf(s), path_);
    ++pages_;
    return std::nullopt;
}

std::optional<ImageFileError> PdfFile::Close() {
    if (!writer_ || pages_ == 0) {
        writer_.reset();
        return SaveFailed(imaging::WrongState, path_);
    }
    std::unique_ptr<Writer> writer = std::move(writer_);
    cairo_surface_finish(writer->surface.get());
    if (cairo_status_t s = cairo_surface_status(writer->surface.get()); s != CAIRO_STATUS_SUCCESS)
        return SaveFailed(writer->FailureOf(s), path_);
    if (imaging::Status s = writer->file.Commit(); s != imaging::Ok) return SaveFailed(s, path_);
    return std::nullopt;
}
