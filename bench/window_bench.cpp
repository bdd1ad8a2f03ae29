// Start-up cost of the main window: frmSelvane (offscreen) with a card named on its command line,
// against a bare QMainWindow with two QListWidgets that reads the same file and lists 15 lines.
// Two measures of each: construction alone, and what the user waits for, that is construction,
// show() and the first paint of the window on the (offscreen) screen. Time per start comes from
// Google Benchmark; peak memory and the whole process's lifetime from running each case once in
// a process of its own (its VmHWM).
//
//   selvane_bench_window                          all timings, then peak memory and process time
//   selvane_bench_window --peak-rss=window-shown  one case alone (used by the comparison)
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QListWidget>
#include <QMainWindow>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "core/file_io.h"
#include "examples/demo_cards.h"
#include "ui/frm_selvane.h"

namespace {

QString g_card;  // the demo card, written once to a temporary folder

// Both windows open at the size of Selvane's narrow layout (3735 x 5265 twips).
constexpr int kStartWidth = 249;
constexpr int kStartHeight = 351;

// Notes the first paint event that reaches the window.
class PaintWatch : public QObject {
 public:
  bool painted = false;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted = true;
    return false;
  }
};

// Shows the window and runs the event loop until it has been painted once. The window paints its
// children within the same event, so when the event that brought the first paint has been
// handled, the whole window is on the screen.
bool ShowAndPaint(QWidget& window) {
  PaintWatch watch;
  window.installEventFilter(&watch);
  window.show();
  const QDeadlineTimer deadline(5000);
  while (!watch.painted && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  window.removeEventFilter(&watch);
  return watch.painted;
}

bool OpenWindow(bool shown) {
  selvane::SilentPort port;
  selvane::ui::WindowStart start;
  start.commandLine = g_card.toStdString();
  start.port = &port;
  selvane::ui::frmSelvane window(start);
  benchmark::DoNotOptimize(window.pane(0).image.data());
  return !shown || ShowAndPaint(window);
}

bool OpenBareWindow(bool shown) {
  QMainWindow window;
  auto* central = new QWidget(&window);
  window.setCentralWidget(central);
  auto* left = new QListWidget(central);
  auto* right = new QListWidget(central);
  left->setGeometry(7, 62, 240, 227);
  right->setGeometry(286, 63, 240, 227);
  QFile file(g_card);
  if (file.open(QIODevice::ReadOnly)) {
    const QByteArray bytes = file.readAll();
    for (int i = 1; i <= 15; ++i) left->addItem(QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')));
    benchmark::DoNotOptimize(bytes.data());
  }
  benchmark::DoNotOptimize(right);
  if (!shown) return true;
  window.resize(kStartWidth, kStartHeight);
  return ShowAndPaint(window);
}

void Repeat(benchmark::State& state, bool (*open)(bool), bool shown) {
  for (auto _ : state) {
    if (!open(shown)) {
      state.SkipWithError("the window was not painted");
      break;
    }
  }
}

void BM_SelvaneWindowWithCard(benchmark::State& state) { Repeat(state, OpenWindow, false); }
void BM_BareWindowWithTwoLists(benchmark::State& state) { Repeat(state, OpenBareWindow, false); }
void BM_SelvaneWindowShownAndPainted(benchmark::State& state) { Repeat(state, OpenWindow, true); }
void BM_BareWindowShownAndPainted(benchmark::State& state) { Repeat(state, OpenBareWindow, true); }
// The bare window runs first: Selvane's window makes its typeface the application's font, and
// the bare window is to use the system's, as in a process of its own.
BENCHMARK(BM_BareWindowWithTwoLists)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareWindowShownAndPainted)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SelvaneWindowWithCard)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SelvaneWindowShownAndPainted)->Unit(benchmark::kMicrosecond);

struct ChildRun {
  long peakRssKiB = -1;
  double seconds = 0;     // from start to exit: the whole process start-up with the case and exit
  double cpuSeconds = 0;  // the processor time (user and system) of that process
};

// The peak resident set size of this process so far (VmHWM), in KiB. A process started with
// exec begins afresh, unlike the maximum that wait4 reports, which counts the parent's size.
long PeakRssOfThisProcess() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (!status) return -1;
  char line[256];
  long kib = -1;
  while (std::fgets(line, sizeof line, status)) {
    if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1) break;
  }
  std::fclose(status);
  return kib;
}

double ChildrenCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Runs this program again with --peak-rss=CASE: the peak RSS it reports, how long it lived and
// the processor time it used. On a machine shared with other work the processor time varies
// less than the lifetime.
ChildRun RunChild(const std::string& self, const char* which) {
  const std::string command = "'" + self + "' --peak-rss=" + which + " 2>/dev/null";
  const double cpuBefore = ChildrenCpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  std::FILE* child = popen(command.c_str(), "r");
  if (!child) return {};
  long kib = -1;
  const int read = std::fscanf(child, "%ld", &kib);
  if (pclose(child) != 0 || read != 1) return {};
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return {kib, seconds, ChildrenCpuSeconds() - cpuBefore};
}

// Runs the two cases in turns, kRuns processes each, so that both meet the same load of the
// machine; the medians of each case's peak RSS, lifetime and processor time (taken separately).
constexpr int kRuns = 11;
std::pair<ChildRun, ChildRun> MedianRuns(const std::string& self, const char* ours, const char* bare) {
  std::vector<long> rss[2];
  std::vector<double> seconds[2];
  std::vector<double> cpu[2];
  for (int i = 0; i < kRuns; ++i) {
    for (int which = 0; which < 2; ++which) {
      const ChildRun run = RunChild(self, which == 0 ? ours : bare);
      if (run.peakRssKiB <= 0) return {};
      rss[which].push_back(run.peakRssKiB);
      seconds[which].push_back(run.seconds);
      cpu[which].push_back(run.cpuSeconds);
    }
  }
  ChildRun median[2];
  for (int which = 0; which < 2; ++which) {
    std::sort(rss[which].begin(), rss[which].end());
    std::sort(seconds[which].begin(), seconds[which].end());
    std::sort(cpu[which].begin(), cpu[which].end());
    median[which] = {rss[which][kRuns / 2], seconds[which][kRuns / 2], cpu[which][kRuns / 2]};
  }
  return {median[0], median[1]};
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir folder;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
  g_card = folder.filePath(QStringLiteral("demo.gme"));
  if (!selvane::WriteFileAtomic(g_card.toStdString(), selvane::demo::DemoCard(selvane::Format::Gme)).ok) return 1;

  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg.rfind("--peak-rss=", 0) != 0) continue;
    const std::string_view which = arg.substr(std::strlen("--peak-rss="));
    bool opened = false;
    if (which == "window") opened = OpenWindow(false);
    if (which == "bare") opened = OpenBareWindow(false);
    if (which == "window-shown") opened = OpenWindow(true);
    if (which == "bare-shown") opened = OpenBareWindow(true);
    if (!opened) return 1;
    std::printf("%ld\n", PeakRssOfThisProcess());
    return 0;
  }

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  char self[4096] = {};
  if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return 1;
  bool ok = true;
  for (const auto& [ours, bare, what] :
       {std::tuple{"window", "bare", "constructed"}, std::tuple{"window-shown", "bare-shown", "shown and painted"}}) {
    const auto [window, bareWindow] = MedianRuns(self, ours, bare);
    if (window.peakRssKiB <= 0 || bareWindow.peakRssKiB <= 0) {
      std::fprintf(stderr, "peak RSS (%s): a child run failed\n", what);
      ok = false;
      continue;
    }
    std::printf(
        "%s, peak RSS (median of %d processes): window %ld KiB, bare window %ld KiB, ratio %.3f (target <= 1.2)\n",
        what, kRuns, window.peakRssKiB, bareWindow.peakRssKiB,
        static_cast<double>(window.peakRssKiB) / static_cast<double>(bareWindow.peakRssKiB));
    std::printf(
        "%s, process start to exit (median of %d): window %.1f ms, bare window %.1f ms, ratio %.3f (target <= 1.3)\n",
        what, kRuns, window.seconds * 1e3, bareWindow.seconds * 1e3, window.seconds / bareWindow.seconds);
    std::printf(
        "%s, process CPU time (median of %d): window %.1f ms, bare window %.1f ms, ratio %.3f (target <= 1.3)\n", what,
        kRuns, window.cpuSeconds * 1e3, bareWindow.cpuSeconds * 1e3, window.cpuSeconds / bareWindow.cpuSeconds);
  }
  return ok ? 0 : 1;
}
