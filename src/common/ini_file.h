// Small INI texts for the optional services (publishing, web read-out):
// "[section]" lines, "key=value" lines, comments from ';' or '#' at the start
// of a line or after a blank inside it. Strict on purpose: a file that does
// not read as meant is refused with the line that failed, never half used.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessar {

constexpr std::size_t kIniFileLimit = 64 * 1024;  // bigger files are refused unread

struct IniEntry {
  std::string section;  // as written, without brackets
  std::string key;
  std::string value;    // blanks around it and its comment removed
  int line = 0;         // 1-based
};

struct IniText {
  std::vector<IniEntry> entries;
  std::string error;  // empty when the text was read; else "line N: ..."

  bool ok() const { return error.empty(); }
  // The entry of section/key, or null.
  const IniEntry* Find(std::string_view section, std::string_view key) const;
};

// Reads `text`. Errors: a line that is neither a section, a key=value pair, a
// comment nor blank; a key before any section; an empty key; a key given
// twice in one section; a NUL byte.
IniText ParseIni(std::string_view text);

// Reads the file at `path` (at most kIniFileLimit bytes). nullopt when there
// is no such file; otherwise the parse, whose error also tells a file that
// could not be read or was too big.
std::optional<IniText> ReadIniFile(const std::string& path);

struct IniKey {
  const char* section;
  const char* key;
};

// The first entry whose section/key pair is not one of `known`, as a message
// naming it ("line N: unknown key \"x\" in [s]"); empty when all are known.
std::string UnknownKeyMessage(const IniText& ini, std::span<const IniKey> known);

// A whole decimal number in [min, max]; false (and `value` unchanged) for
// anything else.
bool ParseIniInteger(std::string_view text, long long min, long long max, long long& value);

}  // namespace tessar
