// ini_text.h: the profile-file format on a file's bytes: find a value, set a value, list sections.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillbrook {

// The format, as the functions below read it:
// - Lines end in CRLF, LF or a lone CR; a file may mix them.
// - A line whose first non-blank character is '[' with a ']' somewhere after it is a section
//   header; the name is the text between '[' and the first ']', without surrounding blanks.
// - A line whose first non-blank character is ';' or '#' is a comment.
// - Any other line with an '=' is a key line; the key is the text before the first '=', without
//   surrounding blanks. Key lines before the first header belong to no section.
// - Every other line is ignored when reading and kept byte for byte when writing.
// - Section and key names compare without regard to ASCII letter case. The names passed in are
//   taken without surrounding blanks, as the file's names are.
// - When a section or a key occurs more than once, only the first occurrence counts, for reads
//   and writes alike: a later duplicate is never read and never changed.
// Blanks are spaces and tabs.

// The longest string a read yields; longer values are cut.
inline constexpr std::size_t kMaxIniValueLength = 2047;
// The room for section names in a listing, each name counted with one terminating character.
inline constexpr std::size_t kMaxIniSectionNamesLength = 32767;

// The value of (section, key) as a string read yields it: blanks around it removed, then one
// pair of enclosing matching quotes (" or ') removed, then cut to kMaxIniValueLength.
// nullopt when the section or key is missing or either name is empty.
std::optional<std::string> FindIniValue(std::string_view content, std::string_view section,
                                        std::string_view key);

// An integer read of a value as FindIniValue yields it: an optional '-' and the decimal digits at
// its start; 0 when it does not start with a number; saturated to int's range.
int ParseIniInteger(std::string_view value);

// Whether (section, key, value) can be written without breaking the file's structure: the names
// must not be empty, a section name must not hold ']', a key must not hold '=' or start a header
// or a comment, and nothing may hold a line break or a NUL.
bool IsWritableIniEntry(std::string_view section, std::string_view key, std::string_view value);

// The content after setting (section, key) to value: the value of the key's line is replaced, or
// a key line is added to the section, or the section and key are appended at the end. Every other
// byte stays as it was. nullopt when IsWritableIniEntry refuses the entry.
std::optional<std::string> SetIniValue(std::string_view content, std::string_view section,
                                       std::string_view key, std::string_view value);

// The section names in file order, each once (first spelling), as many as fit into
// kMaxIniSectionNamesLength. Headers with an empty name are not listed: no read can reach them.
std::vector<std::string> ListIniSections(std::string_view content);

}  // namespace quillbrook
