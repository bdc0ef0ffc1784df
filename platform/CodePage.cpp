#include "platform/CodePage.h"

#include <langinfo.h>
#include <locale.h>

#include <QChar>
#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <stdexcept>

namespace {

// Character set names that mean code page 932, upper-cased without "-" and "_".
bool IsShiftJisName(std::string name) {
  std::erase_if(name, [](char c) { return c == '-' || c == '_'; });
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return name == "SHIFTJIS" || name == "SJIS" || name == "CP932" || name == "WINDOWS31J" ||
         name == "MSKANJI";
}

// The character set of the locale the environment asks for, without changing the process's
// locale. A locale that is not installed is still recognised by the codeset in its name.
std::string LocaleCodeset() {
  if (locale_t loc = newlocale(LC_CTYPE_MASK, "", nullptr); loc != nullptr) {
    std::string codeset = nl_langinfo_l(CODESET, loc);
    freelocale(loc);
    return codeset;
  }
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') {
      continue;
    }
    std::string name = value;
    const auto dot = name.find('.');
    if (dot == std::string::npos) {
      return {};
    }
    return name.substr(dot + 1, name.find('@', dot) - dot - 1);
  }
  return {};
}

// Read from the search worker while a tool or test may select another one; 0 until first asked.
std::atomic<int> g_activeCodePage{0};

bool IsAsciiUpper(unsigned char c) {
  return c >= 'A' && c <= 'Z';
}
char AsciiLower(unsigned char c) {
  return static_cast<char>(c + ('a' - 'A'));
}

void LowerShiftJis(std::string& s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (IsDBCSLeadByteEx(CP_SHIFT_JIS, c)) {
      ++i;  // the trail byte belongs to the character and is never lowered
    } else if (IsAsciiUpper(c)) {
      s[i] = AsciiLower(c);
    }
  }
}

// Length of the well-formed UTF-8 sequence at s[i] and its code point; 0 when it is not one.
std::size_t DecodeUtf8(const std::string& s, std::size_t i, char32_t& cp) {
  const auto lead = static_cast<unsigned char>(s[i]);
  std::size_t length = 0;
  char32_t min = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, cp = lead & 0x1Fu, min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, cp = lead & 0x0Fu, min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, cp = lead & 0x07u, min = 0x10000;
  } else {
    return 0;
  }
  if (s.size() - i < length) {
    return 0;
  }
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(s[i + k]);
    if ((next & 0xC0u) != 0x80u) {
      return 0;
    }
    cp = (cp << 6) | (next & 0x3Fu);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    return 0;
  }
  return length;
}

std::size_t EncodedLength(char32_t cp) {
  return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
}

void EncodeUtf8(char32_t cp, std::size_t length, char* out) {
  static constexpr unsigned char kLeadMarks[] = {0, 0, 0xC0, 0xE0, 0xF0};
  for (std::size_t k = length - 1; k > 0; --k) {
    out[k] = static_cast<char>(0x80u | (cp & 0x3Fu));
    cp >>= 6;
  }
  out[0] = static_cast<char>(kLeadMarks[length] | cp);
}

void LowerUtf8(std::string& s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      if (IsAsciiUpper(c)) {
        s[i] = AsciiLower(c);
      }
      ++i;
      continue;
    }
    char32_t cp = 0;
    const std::size_t length = DecodeUtf8(s, i, cp);
    if (length == 0) {
      ++i;  // not UTF-8: left as it is
      continue;
    }
    // A lower-case form of another length would move every later byte, so such a character stays.
    if (const char32_t lower = QChar::toLower(cp); lower != cp && EncodedLength(lower) == length) {
      EncodeUtf8(lower, length, s.data() + i);
    }
    i += length;
  }
}

// Position just after the last byte of `path` that is one of `separators` and starts a character
// under the code page; 0 when there is none.
std::size_t AfterLastSeparator(const std::string& path, std::string_view separators, int codePage) {
  std::size_t after = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (IsDBCSLeadByteEx(codePage, c)) {
      ++i;
    } else if (separators.find(path[i]) != std::string_view::npos) {
      after = i + 1;
    }
  }
  return after;
}

}  // namespace

int LocaleCodePage() {
  return IsShiftJisName(LocaleCodeset()) ? CP_SHIFT_JIS : CP_UTF8;
}

int GetACP() {
  int codePage = g_activeCodePage.load(std::memory_order_relaxed);
  if (codePage == 0) {
    int expected = 0;
    g_activeCodePage.compare_exchange_strong(expected, LocaleCodePage());
    codePage = g_activeCodePage.load(std::memory_order_relaxed);
  }
  return codePage;
}

void SetACP(int codePage) {
  if (codePage != CP_SHIFT_JIS && codePage != CP_UTF8) {
    throw std::invalid_argument("unsupported code page " + IntToStr(codePage));
  }
  g_activeCodePage.store(codePage, std::memory_order_relaxed);
}

bool IsDBCSLeadByteEx(int codePage, unsigned char testChar) {
  return codePage == CP_SHIFT_JIS &&
         ((testChar >= 0x81 && testChar <= 0x9F) || (testChar >= 0xE0 && testChar <= 0xFC));
}

bool IsDBCSLeadByte(unsigned char testChar) {
  return IsDBCSLeadByteEx(GetACP(), testChar);
}

std::string AnsiLowerCase(std::string s, int codePage) {
  if (codePage == CP_SHIFT_JIS) {
    LowerShiftJis(s);
  } else {
    LowerUtf8(s);
  }
  return s;
}

std::string AnsiLowerCase(std::string s) {
  return AnsiLowerCase(std::move(s), GetACP());
}

std::string ExtractFileName(const std::string& path, TPathRules rules, int codePage) {
  const std::size_t after = rules == TPathRules::Posix ? AfterLastSeparator(path, "/", CP_UTF8)
                                                       : AfterLastSeparator(path, "\\:", codePage);
  return path.substr(after);
}

std::string ExtractFileName(const std::string& path) {
  return ExtractFileName(path, TPathRules::Posix, GetACP());
}

std::string IncludeTrailingPathDelimiter(std::string path, TPathRules rules, int codePage) {
  if (path.empty()) {
    return path;
  }
  const char delimiter = rules == TPathRules::Posix ? '/' : '\\';
  // Under the Windows rules a final 0x5C may be the trail byte of a character, not a delimiter.
  const int rulesCodePage = rules == TPathRules::Posix ? CP_UTF8 : codePage;
  if (AfterLastSeparator(path, std::string_view(&delimiter, 1), rulesCodePage) != path.size()) {
    path += delimiter;
  }
  return path;
}

std::string IncludeTrailingPathDelimiter(std::string path) {
  return IncludeTrailingPathDelimiter(std::move(path), TPathRules::Posix, GetACP());
}

std::string IntToStr(int value) {
  return std::to_string(value);
}
