// The sketch of one original picture, from its pixels to the painted sketch:
// the one sequence of stages that the window's document and velmor-sketch
// both run, so that the two cannot drift apart.
//
// It keeps what one original picture needs across runs: the three colour
// planes (built once per picture), the grey plane and the sketch picture
// (reused by every run). A run with new parameters starts at the grey stage.
// The grey stage and the paint run in bands of rows on several threads, with
// exactly the single-threaded result. Never throws; failures are values.
//
//   SketchPipeline p;
//   p.EnsureSketchPicture(w, h);              // optional: Run makes it too
//   if (auto s = p.BuildPlanes(original); !s) ... SketchFailureText(s)
//   if (auto s = p.Run(parameters); !s) ...
//   save *p.Sketch()
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "imaging/picture/LargeBuffer.h"
#include "imaging/picture/Picture.h"
#include "pipeline/SketchParameters.h"

struct SketchStatus {
    enum Kind { Ok, LockFailed, OutOfMemory };
    Kind kind = Ok;
    imaging::Status status = imaging::Ok;  // the picture layer's code, for LockFailed

    explicit operator bool() const { return kind == Ok; }
};

// "下絵を作成できませんでした。\n" followed by the status text (LockFailed) or
// by "メモリ不足です。"; empty for Ok.
std::string SketchFailureText(const SketchStatus& status);
inline constexpr const char* kSketchFailedText = "下絵を作成できませんでした。";

class SketchPipeline {
public:
    // A blank width x height 24-bit sketch picture unless one exists. One that
    // cannot be made is not kept: the failure surfaces in Run, and the next
    // run tries again.
    void EnsureSketchPicture(std::uint32_t width, std::uint32_t height);

    bool HasPlanes() const { return m_pPlaneR && m_pPlaneG && m_pPlaneB; }
    // The three colour planes of `original` composited onto white, built anew
    // unless all three exist. Reads the picture in its own layout when that
    // is 24-bit BGR or 32-bit ARGB, through a 32-bit RGB lock otherwise.
    SketchStatus BuildPlanes(imaging::Picture& original);

    // The grey stage and the paint with `parameters`, on `threads` bands of
    // rows (0: one per core). Needs the planes; makes the grey plane and the
    // sketch picture when they are absent. After a failure the sketch
    // picture may hold a stale or partly painted sketch.
    SketchStatus Run(const SketchParameters& parameters, int threads = 0);
    // Run in its two steps: the grey plane from the planes (finishing
    // included: speck removal, then line thickening), then the sketch
    // picture from the grey plane (a caller that writes the sketch in another
    // form may stop after the first).
    SketchStatus RunGrey(const SketchParameters& parameters, int threads = 0);
    SketchStatus Paint(const SketchParameters& parameters, int threads = 0);

    // Drops everything: back to a pipeline that has seen no picture.
    void Clear();
    // Frees the planes and the grey plane but keeps the sketch: for a caller
    // that makes one sketch and then only saves it.
    void ReleaseWorkBuffers();

    imaging::Picture* Sketch() const { return m_pSketch.get(); }
    const std::uint8_t* Grey() const { return m_pGrey.get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Owned buffers, W x H bytes each, and the sketch.
    imaging::LargeBuffer m_pPlaneR, m_pPlaneG, m_pPlaneB;
    imaging::LargeBuffer m_pGrey;
    std::unique_ptr<imaging::Picture> m_pSketch;

private:
    // The finishing stages on the grey plane: speck removal, then thickening.
    SketchStatus Finish(const SketchParameters& parameters);

    int width_ = 0, height_ = 0;          // of the planes
    imaging::Status sketchFailure_ = imaging::Ok;  // why the last sketch picture could not be made
};
