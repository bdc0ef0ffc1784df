#pragma once

#include <functional>
#include <string>

// Runs `work` without the rights of root, so that file permissions apply to it, and returns what it
// returned. As root it runs in a forked child under the "nobody" user and group; otherwise it runs
// right here. Throws std::runtime_error when the child fails to report back.
std::string RunUnprivileged(const std::function<std::string()>& work);
