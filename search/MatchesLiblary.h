#pragma once

#include <string>

// True when at least one mask of the ";"-separated list Masks matches the whole of FileName. "*"
// stands for a run of bytes settled at the first occurrence of the literal text that follows it
// (no backtracking), "?" for one byte. The masks are always lower-cased by the active code page,
// the name only when IgnoreCase is true; after that bytes are compared exactly.
[[nodiscard]] bool MatchesFileMask(std::string FileName, std::string Masks, bool IgnoreCase);
