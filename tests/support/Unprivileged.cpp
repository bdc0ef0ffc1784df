#include "Unprivileged.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

namespace {

constexpr uid_t kNobody = 65534;

// Closes a descriptor of the pipe on every way out.
struct Fd {
  int fd = -1;
  ~Fd() {
    if (fd >= 0) {
      close(fd);
    }
  }
};

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n <= 0) {
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::string RunUnprivileged(const std::function<std::string()>& work) {
  if (geteuid() != 0) {
    return work();
  }
  int ends[2];
  if (pipe(ends) != 0) {
    throw std::runtime_error("pipe failed");
  }
  Fd readEnd{ends[0]};
  Fd writeEnd{ends[1]};
  const pid_t child = fork();
  if (child < 0) {
    throw std::runtime_error("fork failed");
  }
  if (child == 0) {
    bool ok = setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0;
    if (ok) {
      try {
        ok = WriteAll(writeEnd.fd, work());
      } catch (...) {
        ok = false;
      }
    }
    _exit(ok ? 0 : 1);
  }
  close(writeEnd.fd);
  writeEnd.fd = -1;
  std::string output;
  char buffer[4096];
  for (ssize_t n; (n = read(readEnd.fd, buffer, sizeof buffer)) > 0;) {
    output.append(buffer, static_cast<std::size_t>(n));
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error("the unprivileged child failed");
  }
  return output;
}
