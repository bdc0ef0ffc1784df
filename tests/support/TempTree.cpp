#include "TempTree.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
  throw std::system_error(errno, std::generic_category(), what + " " + path);
}

// Tests take read and execute rights away from folders; give them back so the tree can be removed.
void RestorePermissions(const fs::path& root) {
  std::error_code ec;
  fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ec);
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
  }
}

}  // namespace

TempTree::TempTree() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern =
      std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/quorvel-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    Fail("mkdtemp", pattern);
  }
  root_ = std::move(pattern);
}

TempTree::~TempTree() {
  RestorePermissions(root_);
  std::error_code ec;
  fs::remove_all(root_, ec);
}

std::string TempTree::PathOf(std::string_view relative) const {
  return root_ + "/" + std::string(relative);
}

std::string TempTree::Dir(std::string_view relative) {
  const std::string path = PathOf(relative);
  std::error_code ec;
  fs::create_directories(path, ec);
  if (ec) {
    throw std::system_error(ec, "create_directories " + path);
  }
  return path;
}

std::string TempTree::File(std::string_view relative, std::string_view contents) {
  const std::string path = PathOf(relative);
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  if (!out) {
    Fail("write", path);
  }
  return path;
}

std::string TempTree::Symlink(std::string_view target, std::string_view relative) {
  const std::string path = PathOf(relative);
  if (symlink(std::string(target).c_str(), path.c_str()) != 0) {
    Fail("symlink", path);
  }
  return path;
}

std::string TempTree::Fifo(std::string_view relative) {
  const std::string path = PathOf(relative);
  if (mkfifo(path.c_str(), 0600) != 0) {
    Fail("mkfifo", path);
  }
  return path;
}
