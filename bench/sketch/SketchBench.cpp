// Making the sketch in the window, beside the single-threaded engine in the
// same run: a 4000 x 3000 photo in a 1000 x 700 view. Targets:
//   BM_MakeSketchAfterChange   <= 0.7 x BM_EngineGreyAndPaint (noise off and on)
//   BM_FirstMakeSketch         <= BM_MakeSketchAfterChange + 5 ms (planes included)
//   BM_SliderReleaseToPainted  <= 60 ms (new sketch painted in the fitted view)
//   steady_B_per_px            <= 12 (the document beyond its original picture)
// Needs a display (Xvfb will do).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dcmemory.h>
#include <wx/init.h>
#include <wx/slider.h>

#include "app/MainWindowStartup.h"
#include "app/VelmorCanvas.h"
#include "app/VelmorDocManager.h"
#include "app/VelmorView.h"
#include "document/VelmorDoc.h"
#include "engine/BitmapLock.h"
#include "engine/SketchGeneration.h"
#include "ui/MainDialogBar.h"
#include "ui/MainFrame.h"
#include "ui/PanelEvents.h"

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr std::size_t kPixels = std::size_t(kWidth) * kHeight;
const wxSize kClient(1000, 700);

class BenchApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

CVelmorDocManager* g_manager = nullptr;
CMainFrame* g_frame = nullptr;

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key)
        if (key == "VmRSS:" && status >> value) return value;
    return 0;
}

CVelmorView* View() { return wxDynamicCast(g_manager->GetCurrentView(), CVelmorView); }
CVelmorDoc* Doc() { return View()->GetVelmorDoc(); }

// A photograph stand-in: smooth shading, hard-edged shapes and grain.
std::unique_ptr<imaging::Picture> MakePhoto() {
    auto p = std::make_unique<imaging::Picture>(kWidth, kHeight, imaging::PixelFormat24bppRGB);
    CBitmapLock lock;
    lock.Lock(p.get(), false, true, imaging::PixelFormat24bppRGB);
    std::mt19937 rng(1);
    for (int y = 0; y < kHeight; ++y) {
        std::uint8_t* row = lock.Row(static_cast<std::uint32_t>(y));
        for (int x = 0; x < kWidth; ++x) {
            const bool shape = ((x / 150) + (y / 110)) % 5 == 0;
            const int grain = static_cast<int>(rng() % 25) - 12;
            auto clamp = [](int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
            row[3 * x] = clamp((shape ? 40 : 60 + x / 20) + grain);
            row[3 * x + 1] = clamp((shape ? 30 : 90 + y / 15) + grain);
            row[3 * x + 2] = clamp((shape ? 200 : 120 + (x + y) / 40) + grain);
        }
    }
    return p;
}

bool SetUp() {
    g_manager = new CVelmorDocManager;
    g_frame = CreateMainWindow(g_manager, {});
    if (g_frame == nullptr) return false;
    g_frame->Show();
    Doc()->m_pOriginal = MakePhoto();
    const wxSize now = View()->GetCanvas()->GetClientSize();
    g_frame->SetClientSize(g_frame->GetClientSize() + (kClient - now));
    wxYield();
    Doc()->UpdateAllViews();
    g_frame->m_wndDlgBar->m_comboViewRate->SetSelection(7);  // the whole picture
    View()->ZoomChanged();
    return View()->GetCanvas()->GetClientSize() == kClient;
}

void Paint() {
    static wxBitmap target(kClient.x, kClient.y, 24);
    wxMemoryDC dc(target);
    View()->GetCanvas()->PaintTo(dc, {0, 0}, kClient);
}

void SetDenoise(benchmark::State& state) { g_frame->m_wndDlgBar->DenoiseBox()->SetValue(state.range(0) != 0); }

// The engine's grey stage and paint on one thread, on the same planes.
void BM_EngineGreyAndPaint(benchmark::State& state) {
    if (Doc()->Sketch() == nullptr) Doc()->MakeSketch();
    SketchPipeline& p = Doc()->m_sketch;
    std::vector<std::uint8_t> scratch(4 * kPixels), sketch(3 * kPixels), grey(kPixels);
    const bool noise = state.range(0) != 0;
    for (auto _ : state) {
        std::uint8_t* s = scratch.data();
        MakeGreyPlane(p.m_pPlaneR.get(), p.m_pPlaneG.get(), p.m_pPlaneB.get(), kWidth, kHeight, noise, 3, 0, s,
                      s + kPixels, s + 2 * kPixels, s + 3 * kPixels, grey.data());
        PaintSketch(grey.data(), kWidth, kHeight, 0x800000, 0xFFFFFF, sketch.data(), 3 * kWidth);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_EngineGreyAndPaint)->ArgName("noise")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// F5 again after a parameter changed: the grey stage and the paint, both cores.
void BM_MakeSketchAfterChange(benchmark::State& state) {
    SetDenoise(state);
    Doc()->MakeSketch();
    wxSlider* strength = g_frame->m_wndDlgBar->m_sliderLineStrong;
    int step = 0;
    for (auto _ : state) {
        strength->SetValue(3 + (++step & 1));
        if (!Doc()->MakeSketch()) state.SkipWithError("MakeSketch failed");
    }
    strength->SetValue(3);
}
BENCHMARK(BM_MakeSketchAfterChange)->ArgName("noise")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The first F5 on a new picture: planes, grey plane and sketch picture made.
void BM_FirstMakeSketch(benchmark::State& state) {
    SetDenoise(state);
    for (auto _ : state) {
        state.PauseTiming();
        Doc()->m_sketch.Clear();
        state.ResumeTiming();
        if (!Doc()->MakeSketch()) state.SkipWithError("MakeSketch failed");
    }
}
BENCHMARK(BM_FirstMakeSketch)->ArgName("noise")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// A slider released while the sketch is shown, to the new sketch painted in
// the fitted view; also the document's steady memory beyond the original.
void BM_SliderReleaseToPainted(benchmark::State& state) {
    SetDenoise(state);
    Doc()->m_sketch.Clear();
    Paint();
    const long before = ResidentKb();
    View()->MakeSketch();
    Paint();
    wxSlider* strength = g_frame->m_wndDlgBar->m_sliderLineStrong;
    int step = 0;
    for (auto _ : state) {
        strength->SetValue(3 + (++step & 1));
        wxCommandEvent changed(EVT_VELMOR_SKETCH_PARAMETER_CHANGED, strength->GetId());
        g_frame->ProcessWindowEvent(changed);
        Paint();
    }
    strength->SetValue(3);
    state.counters["steady_B_per_px"] = static_cast<double>(ResidentKb() - before) * 1024.0 / kPixels;
}
BENCHMARK(BM_SliderReleaseToPainted)->ArgName("noise")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    wxApp::SetInstance(new BenchApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "sketch_bench needs a display (run it under xvfb-run)\n");
        return 1;
    }
    if (!SetUp()) {
        std::fprintf(stderr, "could not set up the window\n");
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    g_frame->Close(true);
    wxTheApp->ProcessIdle();
    delete g_manager;
    wxEntryCleanup();
    return 0;
}
