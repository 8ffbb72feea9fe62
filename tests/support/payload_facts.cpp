#include "support/payload_facts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

TPayloadFacts ReadFacts() {
  TPayloadFacts facts;
  const char* file = std::getenv("CORVALIN_PAYLOAD_FACTS");
  if (file == nullptr || *file == '\0') {
    ADD_FAILURE() << "CORVALIN_PAYLOAD_FACTS is not set: run the tests through ctest";
    return facts;
  }
  std::ifstream in(file);
  if (!in) {
    ADD_FAILURE() << "the payload facts file " << file << " cannot be read";
    return facts;
  }
  // One "key=value" per line; the values are paths as this test program sees them.
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "source") facts.sourceDir = value;
    if (key == "records") facts.recordsDir = value;
    if (key == "setup") facts.setupExe = value;
  }
  if (facts.sourceDir.empty() || facts.recordsDir.empty())
    ADD_FAILURE() << "the payload facts file " << file << " names no product-file or record folder";
  return facts;
}

}  // namespace

TPayloadFacts PayloadFacts() { return ReadFacts(); }
