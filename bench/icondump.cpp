// icondump DIR [--bench]: lists every icon of the files directly inside DIR whose names contain a
// "." (in name order, as a harvest sees them) through the program's own icon extraction, one line
// per icon: "<file name>:<index><TAB><width>x<height>" of the image chosen for the 32-pixel list,
// or "empty". Totals go to standard error. With --bench, the same files also go through
// `wrestool -x -t14` (icoutils) and the ratio of the two wall times is printed.
#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "IconWalk.h"
#include "platform/ShellIcons.h"

namespace {

using TClock = std::chrono::steady_clock;

// Processor time, which other work on a shared machine does not inflate the way it does wall time.
double SecondsOf(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}
double CpuSeconds(int who) {
  rusage usage{};
  ::getrusage(who, &usage);
  return SecondsOf(usage.ru_utime) + SecondsOf(usage.ru_stime);
}

// Runs wrestool over the files in batches, its output discarded; false when it cannot run.
bool RunPeer(const std::vector<TDirFile>& files) {
  constexpr std::size_t kBatch = 200;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  bool ok = true;
  for (std::size_t first = 0; first < files.size() && ok; first += kBatch) {
    std::vector<std::string> args = {"wrestool", "-x", "-t14"};
    for (std::size_t i = first; i < files.size() && i < first + kBatch; ++i) {
      args.push_back(files[i].Path);
    }
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (std::string& a : args) {
      argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    int status = 0;
    ok = posix_spawnp(&pid, "wrestool", &actions, nullptr, argv.data(), environ) == 0 &&
         ::waitpid(pid, &status, 0) == pid && WIFEXITED(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3 || (argc == 3 && std::strcmp(argv[2], "--bench") != 0)) {
    std::fprintf(stderr, "usage: %s DIR [--bench]\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  const bool bench = argc == 3;

  const std::vector<TDirFile> files = FilesIn(dir);
  std::uint64_t dirBytes = 0;
  for (const TDirFile& f : files) {
    dirBytes += f.Size;
  }
  const std::uint64_t readBefore = IconBytesRead();
  const TClock::time_point start = TClock::now();
  const double cpuStart = CpuSeconds(RUSAGE_SELF);
  std::string out;
  TIconTotals totals;
  for (const TDirFile& file : files) {
    DumpFile(file, out, totals);
  }
  const double seconds = std::chrono::duration<double>(TClock::now() - start).count();
  const double cpu = CpuSeconds(RUSAGE_SELF) - cpuStart;
  const std::uint64_t bytesRead = IconBytesRead() - readBefore;
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);

  std::fprintf(stderr, "files: %zu\nfiles with icons: %zu\nicons: %zu\n", files.size(),
               totals.FilesWithIcons, totals.Icons);
  std::fprintf(
      stderr, "bytes read: %llu of %llu (%.2f %%)\nwall time: %.3f s\n",
      static_cast<unsigned long long>(bytesRead), static_cast<unsigned long long>(dirBytes),
      dirBytes > 0 ? 100.0 * static_cast<double>(bytesRead) / static_cast<double>(dirBytes) : 0.0,
      seconds);
  std::fprintf(stderr, "processor time: %.3f s\n", cpu);
  if (bench) {
    const TClock::time_point peerStart = TClock::now();
    if (!RunPeer(files)) {
      std::fprintf(stderr, "wrestool could not be run\n");
      return 1;
    }
    const double peer = std::chrono::duration<double>(TClock::now() - peerStart).count();
    const double peerCpu = CpuSeconds(RUSAGE_CHILDREN);
    std::fprintf(stderr, "wrestool -x -t14: wall time %.3f s, processor time %.3f s\n", peer,
                 peerCpu);
    std::fprintf(stderr, "speed-up: %.1fx in wall time, %.1fx in processor time\n",
                 seconds > 0 ? peer / seconds : 0.0, cpu > 0 ? peerCpu / cpu : 0.0);
  }
  return 0;
}
