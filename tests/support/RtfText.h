#pragma once
// A small RTF reader for tests: checks the structure of a document and gives
// back the text of its paragraphs, as a word processor would show them.
#include <string>
#include <vector>

namespace zul::test {

struct RtfText {
  bool wellFormed = false;                // starts with {\rtf1, braces balance, nothing after the last }
  std::string error;                      // why not
  std::vector<std::string> paragraphs;    // UTF-8; tabs kept as '\t'
  std::vector<std::string> controlWords;  // every control word met, with its parameter ("margl580")
};

// \uN is read as the character N (the fallback after it skipped, as \uc1
// says); \'xx as a cp1251 byte; the font table is skipped.
RtfText ReadRtf(const std::string& rtf);

}  // namespace zul::test
