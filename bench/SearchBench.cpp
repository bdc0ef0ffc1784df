// Figures for the file search: a search list walk with its default settings over a generated
// directory, the same directory listed by a bare readdir-plus-stat loop for comparison, and mask
// matcher calls per second.
//
//   quorvel_search_bench [--files=N] [benchmark options]   (N defaults to 100000)
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "search/FileSearchList.h"
#include "search/MatchesLiblary.h"

namespace {

// A temporary directory of `count` empty files, removed when the object goes.
class GeneratedDirectory {
 public:
  explicit GeneratedDirectory(int count) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/quorvel-bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
      throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
    for (int i = 0; i < count; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "/file-%06d.dat", i);
      const int fd = open((path_ + name).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
      if (fd < 0) {
        throw std::runtime_error("cannot create " + path_ + name);
      }
      close(fd);
    }
  }
  ~GeneratedDirectory() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  GeneratedDirectory(const GeneratedDirectory&) = delete;  // we own the folder on disk
  GeneratedDirectory& operator=(const GeneratedDirectory&) = delete;

  [[nodiscard]] const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

void BM_ReaddirStat(benchmark::State& state, const std::string& path, int files) {
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
    DIR* dir = opendir(path.c_str());
    if (dir == nullptr) {
      state.SkipWithError("opendir failed");
      return;
    }
    std::int64_t found = 0;
    struct stat st {};
    while (const dirent* entry = readdir(dir)) {
      if (fstatat(dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode)) {
        ++found;
      }
    }
    closedir(dir);
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * files);
}

void BM_SearchListDefaults(benchmark::State& state, const std::string& path, int files) {
  TSearchFileList list(nullptr);
  list.SetDirectory(path);
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
    const int found = list.Search(nullptr, nullptr);
    if (found != files) {
      state.SkipWithError("the walk missed files");
      return;
    }
  }
  state.SetItemsProcessed(state.iterations() * files);
}

void BM_MatchesFileMask(benchmark::State& state, const char* masks) {
  const std::vector<std::string> names = {"SHELL32.DLL", "notepad.exe", "README",
                                          "a.tar.gz",    "my.exec.exe", "icon-library.icl",
                                          "setup.EXE",   "\x82\xA0.txt"};
  std::size_t i = 0;
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
    benchmark::DoNotOptimize(MatchesFileMask(names[i], masks, true));
    i = (i + 1) % names.size();
  }
  state.SetItemsProcessed(state.iterations());
}

// Remembers the real time of every run, so that the walk can be set against the bare loop.
class TimesReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      times[run.benchmark_name()] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, std::pair<double, double>> times;  // real, CPU
};

}  // namespace

int main(int argc, char** argv) {
  int files = 100000;
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg.starts_with("--files=")) {
      files = std::max(1, std::atoi(argv[i] + 8));
    } else {
      args.push_back(argv[i]);
    }
  }
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());

  std::printf("Generating %d files...\n", files);
  const GeneratedDirectory directory(files);

  benchmark::RegisterBenchmark("readdir+stat loop", BM_ReaddirStat, directory.Path(), files)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("search list, default settings", BM_SearchListDefaults,
                               directory.Path(), files)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("MatchesFileMask *.*", BM_MatchesFileMask, "*.*");
  benchmark::RegisterBenchmark("MatchesFileMask *.exe;*.dll;*.ico", BM_MatchesFileMask,
                               "*.exe;*.dll;*.ico");

  TimesReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto loop = reporter.times.find("readdir+stat loop");
  const auto walk = reporter.times.find("search list, default settings");
  if (loop != reporter.times.end() && walk != reporter.times.end() && loop->second.first > 0 &&
      loop->second.second > 0) {
    std::printf("walk / readdir+stat loop: %.2f real time, %.2f CPU time (goal: at most 2)\n",
                walk->second.first / loop->second.first, walk->second.second / loop->second.second);
  }
  benchmark::Shutdown();
  return 0;
}
