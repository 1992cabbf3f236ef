// Cost of one paint of the download dialog's percentage bar: SetPos swings
// between two positions of different filled widths, so every call paints the
// bar at once through its off-screen surface. Prints figures only.
//
//   paint_bench [calls, default 5000]     (QT_SCALE_FACTOR=2 for a dense screen)
#include <QApplication>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "bench/BarPaints.h"
#include "framework/Dialog.h"
#include "res/resource.h"
#include "ui/TextProgressCtrl.h"

namespace {

const UINT WM_RUN_BENCH = WM_USER + 1;
const int kRounds = 5;

class BenchDialog : public CDialog {
public:
    explicit BenchDialog(long calls) : CDialog(IDD_DERAVIZIZIVU_DIALOG), m_calls(calls) {}
    CTextProgressCtrl m_bar;
    BarPaints m_barPaints;
    long m_calls;
    long m_paints = 0;
    double m_seconds = 0;
    double m_bestMicros = 1e300;
    CRect m_client;

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_PROGRESS, m_bar); }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        ::PostMessageW(GetSafeHwnd(), WM_RUN_BENCH, 0, 0);
        return TRUE;
    }
    LRESULT OnRun(WPARAM, LPARAM) {
        if (m_barPaints.count == 0) {  // not on screen yet: nothing would paint
            ::PostMessageW(GetSafeHwnd(), WM_RUN_BENCH, 0, 0);
            return 0;
        }
        m_bar.GetClientRect(&m_client);
        for (int i = 0; i < 50; ++i) m_bar.SetPos(i % 2 ? 30 : 70);  // warm-up
        for (int round = 0; round < kRounds; ++round) {
            long before = m_barPaints.count;
            auto start = std::chrono::steady_clock::now();
            for (long i = 0; i < m_calls; ++i) m_bar.SetPos(i % 2 ? 30 : 70);
            double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            long paints = m_barPaints.count - before;
            m_seconds += seconds;
            m_paints += paints;
            if (paints > 0) m_bestMicros = std::min(m_bestMicros, seconds * 1e6 / paints);
        }
        EndDialog(IDOK);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BenchDialog, CDialog)
    ON_MESSAGE(WM_RUN_BENCH, OnRun)
END_MESSAGE_MAP()

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setlocale(LC_ALL, "");
    long calls = argc > 1 ? std::atol(argv[1]) : 5000;
    if (calls <= 0) calls = 5000;
    int toolkitArgc = 1;
    QApplication app(toolkitArgc, argv);

    BenchDialog dlg(calls);
    dlg.DoModal();
    std::printf("bar paint: %d rounds of %ld SetPos calls, %ld paints, bar %ldx%ld at device pixel ratio %.1f\n",
                kRounds, dlg.m_calls, dlg.m_paints, static_cast<long>(dlg.m_client.Width()),
                static_cast<long>(dlg.m_client.Height()), app.devicePixelRatio());
    if (dlg.m_paints > 0)
        std::printf("mean per repainting SetPos: %.1f us; best round %.1f us\n", dlg.m_seconds * 1e6 / dlg.m_paints,
                    dlg.m_bestMicros);
    return 0;
}
