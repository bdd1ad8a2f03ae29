// Start-up cost of the main window: constructing frmSelvane (offscreen) with a card named on its
// command line, against a bare QMainWindow with two QListWidgets that reads the same file and
// lists 15 lines. Time per construction comes from Google Benchmark; peak memory from running
// each case once in a process of its own (its VmHWM).
//
//   selvane_bench_window                      both timings, then peak memory and whole-process time
//   selvane_bench_window --peak-rss=window    one case alone (used by the comparison)
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
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
#include <vector>

#include "core/file_io.h"
#include "examples/demo_cards.h"
#include "ui/frm_selvane.h"

namespace {

// Answers nothing and shows nothing: start-up with a valid card asks no question.
class SilentPort : public selvane::UserPort {
 public:
  void ShowMessage(std::string_view, selvane::MessageIcon) override {}
  selvane::Answer Ask(std::string_view, selvane::Buttons, selvane::Answer a) override { return a; }
  std::optional<selvane::FileChoice> ChooseFileToOpen(const selvane::FileDialogRequest&) override { return {}; }
  std::optional<selvane::FileChoice> ChooseFileToSave(const selvane::FileDialogRequest&) override { return {}; }
};

QString g_card;  // the demo card, written once to a temporary folder

void OpenWindow() {
  SilentPort port;
  selvane::ui::WindowStart start;
  start.commandLine = g_card;
  start.port = &port;
  selvane::ui::frmSelvane window(start);
  benchmark::DoNotOptimize(window.pane(0).image.data());
}

void OpenBareWindow() {
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
}

void BM_SelvaneWindowWithCard(benchmark::State& state) {
  for (auto _ : state) OpenWindow();
}
BENCHMARK(BM_SelvaneWindowWithCard)->Unit(benchmark::kMicrosecond);

void BM_BareWindowWithTwoLists(benchmark::State& state) {
  for (auto _ : state) OpenBareWindow();
}
BENCHMARK(BM_BareWindowWithTwoLists)->Unit(benchmark::kMicrosecond);

struct ChildRun {
  long peakRssKiB = -1;
  double seconds = 0;  // from start to exit: the whole process start-up with the case and exit
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

// Runs this program again with --peak-rss=CASE: the peak RSS it reports and how long it lived.
ChildRun RunChild(const std::string& self, const char* which) {
  const std::string command = "'" + self + "' --peak-rss=" + which + " 2>/dev/null";
  const auto start = std::chrono::steady_clock::now();
  std::FILE* child = popen(command.c_str(), "r");
  if (!child) return {};
  long kib = -1;
  const int read = std::fscanf(child, "%ld", &kib);
  if (pclose(child) != 0 || read != 1) return {};
  return {kib, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()};
}

// The median of several child runs of one case (peak RSS and lifetime taken separately).
ChildRun MedianRun(const std::string& self, const char* which) {
  constexpr int kRuns = 5;
  std::vector<long> rss;
  std::vector<double> seconds;
  for (int i = 0; i < kRuns; ++i) {
    const ChildRun run = RunChild(self, which);
    if (run.peakRssKiB <= 0) return {};
    rss.push_back(run.peakRssKiB);
    seconds.push_back(run.seconds);
  }
  std::sort(rss.begin(), rss.end());
  std::sort(seconds.begin(), seconds.end());
  return {rss[kRuns / 2], seconds[kRuns / 2]};
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
    if (std::strcmp(argv[i], "--peak-rss=window") == 0) {
      OpenWindow();
      std::printf("%ld\n", PeakRssOfThisProcess());
      return 0;
    }
    if (std::strcmp(argv[i], "--peak-rss=bare") == 0) {
      OpenBareWindow();
      std::printf("%ld\n", PeakRssOfThisProcess());
      return 0;
    }
  }

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  char self[4096] = {};
  if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return 1;
  const ChildRun window = MedianRun(self, "window");
  const ChildRun bare = MedianRun(self, "bare");
  if (window.peakRssKiB <= 0 || bare.peakRssKiB <= 0) {
    std::fprintf(stderr, "peak RSS: a child run failed\n");
    return 1;
  }
  std::printf("peak RSS (median of 5 processes): window %ld KiB, bare window %ld KiB, ratio %.3f (target <= 1.2)\n",
              window.peakRssKiB, bare.peakRssKiB,
              static_cast<double>(window.peakRssKiB) / static_cast<double>(bare.peakRssKiB));
  std::printf("process start to exit (median of 5): window %.1f ms, bare window %.1f ms, ratio %.3f\n",
              window.seconds * 1e3, bare.seconds * 1e3, window.seconds / bare.seconds);
  return 0;
}
