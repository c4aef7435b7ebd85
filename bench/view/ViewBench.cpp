// The real view drawn off screen: a 6000 x 4000 picture in a 1000 x 700 view,
// fitted (first draw after the picture changed, then repaints) and at 800 %
// (repaints in place and after scrolling). Needs a display (Xvfb will do).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include <wx/app.h>
#include <wx/choice.h>
#include <wx/dcmemory.h>
#include <wx/init.h>

#include "app/MainWindowStartup.h"
#include "app/VelmorCanvas.h"
#include "app/VelmorDocManager.h"
#include "app/VelmorView.h"
#include "document/VelmorDoc.h"
#include "engine/BitmapLock.h"
#include "ui/MainDialogBar.h"
#include "ui/MainFrame.h"

namespace {

class BenchApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

CVelmorDocManager* g_manager = nullptr;
CMainFrame* g_frame = nullptr;
const wxSize kClient(1000, 700);

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key)
        if (key == "VmRSS:" && status >> value) return value;
    return 0;
}

CVelmorView* View() { return wxDynamicCast(g_manager->GetCurrentView(), CVelmorView); }

// A photo-like 24-bit picture: smooth gradients with fine detail.
std::unique_ptr<imaging::Picture> MakePhoto(int w, int h) {
    auto p = std::make_unique<imaging::Picture>(w, h, imaging::PixelFormat24bppRGB);
    CBitmapLock lock;
    lock.Lock(p.get(), false, true, imaging::PixelFormat24bppRGB);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = lock.Row(y);
        for (int x = 0; x < w; ++x) {
            row[3 * x] = static_cast<std::uint8_t>(x / 24 + ((x * y) & 15));
            row[3 * x + 1] = static_cast<std::uint8_t>(y / 16 + (x & 7));
            row[3 * x + 2] = static_cast<std::uint8_t>((x + y) / 40);
        }
    }
    return p;
}

bool SetUp() {
    g_manager = new CVelmorDocManager;
    g_frame = CreateMainWindow(g_manager, {});
    if (g_frame == nullptr) return false;
    g_frame->Show();
    CVelmorDoc* doc = View()->GetVelmorDoc();
    doc->m_pOriginal = MakePhoto(6000, 4000);
    // The canvas gets exactly the benchmark's client size.
    const wxSize now = View()->GetCanvas()->GetClientSize();
    g_frame->SetClientSize(g_frame->GetClientSize() + (kClient - now));
    wxYield();
    doc->UpdateAllViews();
    return View()->GetCanvas()->GetClientSize() == kClient;
}

void Paint(const wxPoint& origin) {
    static wxBitmap target(kClient.x, kClient.y, 24);
    wxMemoryDC dc(target);
    View()->GetCanvas()->PaintTo(dc, origin, kClient);
}

void SelectZoom(int item) {
    g_frame->m_wndDlgBar->m_comboViewRate->SetSelection(item);
    View()->ZoomChanged();
}

void BM_FitFirstDraw(benchmark::State& state) {
    SelectZoom(7);
    for (auto _ : state) {
        View()->GetCanvas()->InvalidateCache();
        Paint({0, 0});
    }
}
BENCHMARK(BM_FitFirstDraw)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FitRepaint(benchmark::State& state) {
    SelectZoom(7);
    Paint({0, 0});
    for (auto _ : state) Paint({0, 0});
}
BENCHMARK(BM_FitRepaint)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Zoom800Repaint(benchmark::State& state) {
    SelectZoom(7);
    Paint({0, 0});
    const long before = ResidentKb();
    SelectZoom(6);
    const wxPoint middle(24000 - kClient.x / 2, 16000 - kClient.y / 2);
    Paint(middle);
    for (auto _ : state) Paint(middle);
    state.counters["growth_MB"] = static_cast<double>(ResidentKb() - before) / 1024.0;
}
BENCHMARK(BM_Zoom800Repaint)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Zoom800Scroll(benchmark::State& state) {
    SelectZoom(7);
    Paint({0, 0});
    const long before = ResidentKb();
    SelectZoom(6);
    int step = 0;
    for (auto _ : state) {
        // A page further each time: every repaint renders a new region.
        const wxPoint origin(20000 + (step % 8) * kClient.x, 15000 + (step / 8 % 4) * kClient.y);
        Paint(origin);
        ++step;
    }
    state.counters["growth_MB"] = static_cast<double>(ResidentKb() - before) / 1024.0;
}
BENCHMARK(BM_Zoom800Scroll)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    wxApp::SetInstance(new BenchApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "view_bench needs a display (run it under xvfb-run)\n");
        return 1;
    }
    if (!SetUp()) {
        std::fprintf(stderr, "could not set up the view\n");
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    g_frame->Close(true);
    wxTheApp->ProcessIdle();
    delete g_manager;
    wxEntryCleanup();
    return 0;
}
