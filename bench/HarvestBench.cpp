// harvest_bench [--only] [DIR]: drives the real main window headless (offscreen) through Load over
// generated directories (2,000 libraries with 10 icons each; 20,000 files without icons; one
// library with 5,000 icons) and over DIR when one is named. For each it prints the wall time,
// icons and files per second, the process's peak memory, the memory held per icon, the longest
// stall of the UI thread, and the ratio of the harvest's wall time to that of the same extraction
// calls made without the window (icondump's walk), measured in the same run. With --only, DIR
// alone is measured.
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "Corpus.h"
#include "IconWalk.h"
#include "TempTree.h"
#include "app/QuorvelMainWindow.h"
#include "app/Startup.h"
#include "widgets/ListView.h"
#include "widgets/MainThreadSync.h"

namespace {

long ResidentKib() {
  long pages = 0;
  long resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long PeakResidentKib() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// The extraction calls of a harvest without the window, in seconds.
double WalkSeconds(const std::string& dir) {
  const auto start = std::chrono::steady_clock::now();
  std::string out;
  TIconTotals totals;
  for (const TDirFile& file : FilesIn(dir)) {
    DumpFile(file, out, totals);
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct THarvestFigures {
  double Seconds = 0;
  int Icons = 0;
  double LongestStallMs = 0;
  long HeldKib = 0;  // resident memory the harvest's items and images added
};

// One Load in a fresh window, from the click to the termination notice.
THarvestFigures Harvest(const std::string& dir) {
  TQuorvelMainForm form;
  form.show();
  form.DirectoryList->SetDirectory(dir);
  // The window's first paint belongs to its start, not to the harvest.
  QElapsedTimer settle;
  settle.start();
  while (settle.elapsed() < 200) {
    QApplication::processEvents();
  }
  const long residentBefore = ResidentKib();

  THarvestFigures figures;
  QEventLoop loop;
  QElapsedTimer sinceTick;
  // A 1 ms tick shows how long the event loop was kept from running: its longest gap.
  QTimer ticker;
  ticker.setTimerType(Qt::PreciseTimer);
  ticker.setInterval(1);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    figures.LongestStallMs =
        std::max(figures.LongestStallMs, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
    sinceTick.restart();
    if (form.LoadItemsButton->isEnabled()) {
      loop.quit();
    }
  });
  QElapsedTimer wall;
  wall.start();
  sinceTick.start();
  ticker.start();
  form.LoadItemsButton->click();
  loop.exec();
  figures.Seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
  figures.Icons = form.ListView1->Items().Count();
  figures.HeldKib = ResidentKib() - residentBefore;
  return figures;
}

void Measure(const char* label, const std::string& dir) {
  const std::size_t files = FilesIn(dir).size();
  const double walkFirst = WalkSeconds(dir);  // also brings the files into the page cache
  const THarvestFigures harvest = Harvest(dir);
  const double walk = std::min(walkFirst, WalkSeconds(dir));

  std::printf("%s\n", label);
  std::printf("  files %zu, icons %d\n", files, harvest.Icons);
  std::printf("  harvest wall time        %.3f s\n", harvest.Seconds);
  std::printf("  icons per second         %.0f\n", harvest.Icons / harvest.Seconds);
  std::printf("  files per second         %.0f\n", static_cast<double>(files) / harvest.Seconds);
  std::printf("  longest UI stall         %.1f ms (1 ms tick)\n", harvest.LongestStallMs);
  if (harvest.Icons > 0) {
    std::printf("  memory held per icon     %.1f KiB\n",
                static_cast<double>(harvest.HeldKib) / harvest.Icons);
  }
  std::printf("  peak memory (process)    %ld MiB\n", PeakResidentKib() / 1024);
  std::printf("  walk without the window  %.3f s; ratio harvest/walk %.2f\n", walk,
              walk > 0 ? harvest.Seconds / walk : 0.0);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const bool only = argc == 3 && std::string(argv[1]) == "--only";
  if (argc > 3 || (argc == 3 && !only)) {
    std::fprintf(stderr, "usage: %s [--only] [DIR]\n", argv[0]);
    return 2;
  }
  const char* named = argc >= 2 ? argv[argc - 1] : nullptr;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  const TMainThreadSync sync;
  InitializeApplication();

  if (only) {
    Measure(named, named);
    return 0;
  }
  {
    TempTree tree;
    WriteLibraries(tree.Root(), 2000, TCorpusShape{.CodeKib = 64});
    Measure("2,000 libraries with 10 icons each", tree.Root());
  }
  {
    TempTree tree;
    for (int i = 0; i < 20000; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "file%05d.txt", i);
      tree.File(name, "no icons here\n");
    }
    Measure("20,000 files without icons", tree.Root());
  }
  {
    TempTree tree;
    WriteLibraries(tree.Root(), 1, TCorpusShape{.CodeKib = 64, .Groups = 5000, .Lean = true});
    Measure("one library with 5,000 icons", tree.Root());
  }
  if (named != nullptr) {
    Measure(named, named);
  }
  return 0;
}
