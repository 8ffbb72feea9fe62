// The licence agreement shipped as License_en.txt and License_de.txt: our
// own text in each language, lines joined with CR LF.
#pragma once
#include <string>

#include "sample_content.h"

// The agreement in UTF-8 (no byte-order mark), naming the product and its maker.
std::string LicenceText(TLanguage lang, const std::string& product, const std::string& maker);
