// Small writer for the YAML of the package-manager manifest: every scalar a
// double-quoted string (or a plain number or keyword the caller vouches for),
// so no text from the catalogue can change the document's structure.
#pragma once
#include <string>

// s as a YAML double-quoted scalar: backslash, quote and control characters escaped.
std::string YamlQuoted(const std::string& s);
// "key: value" with value quoted, and a line break.
std::string YamlField(const std::string& indent, const std::string& key, const std::string& value);
