#include "standin_scenario.h"

#include <windows.h>

#include <cstdlib>

namespace standin {
namespace {

ustring FromUtf8(const std::string& text) {
  if (text.empty()) return {};
  const int units = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), units);
  return ustring(wide.begin(), wide.end());
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : text) {
    if (c == separator) {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

bool ParseOutcome(const std::string& text, TOutcome& outcome) {
  if (text == "complete") {
    outcome.status = 1;
  } else if (text == "canceled") {
    outcome.status = 2;
  } else if (text.rfind("error:", 0) == 0) {
    const std::vector<std::string> parts = Split(text, ':');
    if (parts.size() < 2) return false;
    outcome.status = 3;
    outcome.extendedCode = static_cast<std::int32_t>(std::strtoul(parts[1].c_str(), nullptr, 16));
    // The text may itself hold colons.
    const std::size_t textStart = text.find(':', 6);
    outcome.errorText = textStart == std::string::npos ? u"" : FromUtf8(text.substr(textStart + 1));
  } else if (text.rfind("status:", 0) == 0) {
    outcome.status = static_cast<std::int32_t>(std::strtol(text.c_str() + 7, nullptr, 10));
  } else {
    return false;
  }
  return true;
}

bool ParseTiming(const std::string& text, TTiming& timing) {
  if (text == "normal") timing = TTiming::Normal;
  else if (text == "atonce") timing = TTiming::AtOnce;
  else if (text == "lateprogress") timing = TTiming::LateProgress;
  else if (text == "never") timing = TTiming::Never;
  else return false;
  return true;
}

}  // namespace

bool ParseScenario(const std::string& text, TScenario& scenario) {
  scenario = TScenario{};
  TScenario read;
  for (const std::string& pair : Split(text, ';')) {
    if (pair.empty()) continue;
    const std::size_t eq = pair.find('=');
    if (eq == std::string::npos) return false;
    const std::string key = pair.substr(0, eq), value = pair.substr(eq + 1);
    bool ok = true;
    if (key == "packages") {
      for (const std::string& name : Split(value, ',')) {
        if (!name.empty()) read.packages.push_back(FromUtf8(name));
      }
    } else if (key == "remove") {
      ok = ParseOutcome(value, read.removal);
    } else if (key == "add") {
      ok = ParseOutcome(value, read.addition);
    } else if (key == "removetiming") {
      ok = ParseTiming(value, read.removal.timing);
    } else if (key == "addtiming") {
      ok = ParseTiming(value, read.addition.timing);
    } else if (key == "fullnamefails") {
      read.fullNameFails = static_cast<unsigned>(std::strtoul(value.c_str(), nullptr, 10));
    } else if (key == "errortextfails") {
      read.errorTextFails = value == "1";
    } else if (key == "added") {
      read.added = FromUtf8(value);
    } else {
      ok = false;
    }
    if (!ok) return false;
  }
  scenario = std::move(read);
  return true;
}

}  // namespace standin
