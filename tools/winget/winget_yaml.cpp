#include "winget_yaml.h"

#include <cstdio>

std::string YamlQuoted(const std::string& s) {
  std::string out = "\"";
  for (const char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
          out += hex;
        } else {
          out += c;  // UTF-8 passes through: YAML documents are UTF-8
        }
    }
  }
  return out + "\"";
}

std::string YamlField(const std::string& indent, const std::string& key, const std::string& value) {
  return indent + key + ": " + YamlQuoted(value) + "\n";
}
