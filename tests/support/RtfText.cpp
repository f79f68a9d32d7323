#include "support/RtfText.h"

#include <cctype>
#include <cstdint>

#include "core/model/Cp1251.h"

namespace zul::test {
namespace {

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

RtfText ReadRtf(const std::string& rtf) {
  RtfText out;
  if (rtf.rfind("{\\rtf1", 0) != 0) {
    out.error = "no {\\rtf1 header";
    return out;
  }
  int depth = 0;
  int skipDepth = -1;  // inside a group that holds no text (font table)
  int skipChars = 0;   // fallback characters after \uN
  char16_t highSurrogate = 0;
  std::string current;
  bool ended = false;
  auto emit = [&](char32_t c) {
    if (skipDepth >= 0) return;
    if (skipChars > 0) {
      --skipChars;
      return;
    }
    AppendUtf8(current, c);
  };
  for (size_t i = 0; i < rtf.size(); ++i) {
    const char ch = rtf[i];
    if (ended) {
      if (!std::isspace(static_cast<unsigned char>(ch))) {
        out.error = "text after the closing brace";
        return out;
      }
      continue;
    }
    if (ch == '{') {
      ++depth;
    } else if (ch == '}') {
      if (skipDepth == depth) skipDepth = -1;
      if (--depth == 0) ended = true;
      if (depth < 0) {
        out.error = "unbalanced }";
        return out;
      }
    } else if (ch == '\\') {
      if (++i >= rtf.size()) break;
      const char c = rtf[i];
      if (c == '\\' || c == '{' || c == '}') {
        emit(static_cast<unsigned char>(c));
      } else if (c == '\'') {
        if (i + 2 >= rtf.size()) break;
        const auto byte = static_cast<uint8_t>(std::stoi(rtf.substr(i + 1, 2), nullptr, 16));
        i += 2;
        if (skipChars > 0) {
          --skipChars;
        } else if (skipDepth < 0) {
          current += Cp1251ToUtf8(&byte, 1);
        }
      } else if (std::isalpha(static_cast<unsigned char>(c))) {
        std::string word;
        while (i < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[i]))) word += rtf[i++];
        std::string param;
        if (i < rtf.size() && (rtf[i] == '-' || std::isdigit(static_cast<unsigned char>(rtf[i])))) {
          param += rtf[i++];
          while (i < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[i]))) param += rtf[i++];
        }
        if (i < rtf.size() && rtf[i] != ' ') --i;  // the delimiter belongs to the text
        out.controlWords.push_back(word + param);
        if (word == "fonttbl") skipDepth = depth;
        if (word == "par" && skipDepth < 0) {
          out.paragraphs.push_back(current);
          current.clear();
        } else if (word == "tab") {
          emit('\t');
        } else if (word == "u" && !param.empty()) {
          int n = std::stoi(param);
          if (n < 0) n += 0x10000;
          const auto unit = static_cast<char16_t>(n);
          if (unit >= 0xD800 && unit < 0xDC00) {
            highSurrogate = unit;
          } else if (unit >= 0xDC00 && unit < 0xE000 && highSurrogate) {
            emit(0x10000 + ((highSurrogate - 0xD800) << 10) + (unit - 0xDC00));
            highSurrogate = 0;
          } else {
            emit(unit);
          }
          if (skipDepth < 0) skipChars = 1;
        }
      }
    } else if (ch == '\n' || ch == '\r') {
      // line breaks of the file are not text
    } else {
      emit(static_cast<unsigned char>(ch));
    }
  }
  if (depth != 0 || !ended) {
    out.error = "unbalanced braces";
    return out;
  }
  out.wellFormed = true;
  return out;
}

}  // namespace zul::test
