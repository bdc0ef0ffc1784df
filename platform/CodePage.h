#pragma once

#include <string>

// Byte-string services by the rules of an ANSI code page. Strings hold raw bytes; lengths and
// positions count bytes. Two code pages are supported: 65001 (UTF-8, no lead bytes) and 932
// (Shift_JIS: lead bytes 0x81-0x9F and 0xE0-0xFC, each followed by one trail byte).
inline constexpr int CP_UTF8 = 65001;
inline constexpr int CP_SHIFT_JIS = 932;

// The code page the environment's locale asks for: 932 when its character set is Shift_JIS (also
// when that locale is not installed), 65001 otherwise.
[[nodiscard]] int LocaleCodePage();
// The active code page: LocaleCodePage() as it was when first asked for, until SetACP selects one.
[[nodiscard]] int GetACP();
// Selects the active code page for tests and tools. Throws std::invalid_argument for any code
// page but 932 and 65001, leaving the active one unchanged.
void SetACP(int codePage);

[[nodiscard]] bool IsDBCSLeadByteEx(int codePage, unsigned char testChar);
[[nodiscard]] bool IsDBCSLeadByte(unsigned char testChar);

// A lower-cased copy with the same byte length. Under 932 only A-Z change and the trail byte of a
// double-byte character is never touched; under 65001 every UTF-8 character whose lower-case form
// has the same encoded length is lowered, and bytes that are not valid UTF-8 stay as they are.
[[nodiscard]] std::string AnsiLowerCase(std::string s, int codePage);
[[nodiscard]] std::string AnsiLowerCase(std::string s);

// How a path separates its parts: by "/" (the active rules here), or by "\" and ":" with the
// trail bytes of the code page never counting as a separator.
enum class TPathRules { Posix, Windows };

// The bytes after the last separator of the path; the whole path when it holds none.
[[nodiscard]] std::string ExtractFileName(const std::string& path, TPathRules rules, int codePage);
[[nodiscard]] std::string ExtractFileName(const std::string& path);

// The path with the rules' delimiter ("/" or "\") appended when its last character is not one; an
// empty path stays empty.
[[nodiscard]] std::string IncludeTrailingPathDelimiter(std::string path, TPathRules rules,
                                                       int codePage);
[[nodiscard]] std::string IncludeTrailingPathDelimiter(std::string path);

// Decimal text: no leading zeros, a minus sign for negatives.
[[nodiscard]] std::string IntToStr(int value);
