// Helpers of the text engine tests: hex byte strings, stream contents and a concrete text.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include <vectorloom/StreamReader.h>
#include <vectorloom/VariableStream.h>

#include "glyphweave/EditableTextObj.h"

namespace gwtest {

// "00 0a ff" (spaces and line breaks ignored) -> bytes; "z<n>" stands for n zero bytes.
inline std::vector<unsigned char> Hex(const std::string& s) {
  std::vector<unsigned char> out;
  for (size_t i = 0; i < s.size();) {
    if (std::isspace(static_cast<unsigned char>(s[i]))) {
      ++i;
    } else if (s[i] == 'z') {
      size_t j = i + 1;
      while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j;
      out.insert(out.end(), std::stoul(s.substr(i + 1, j - i - 1)), 0);
      i = j;
    } else {
      out.push_back(static_cast<unsigned char>(std::stoul(s.substr(i, 2), nullptr, 16)));
      i += 2;
    }
  }
  return out;
}

inline std::vector<unsigned char> Bytes(const Vectorloom::CVariableStream& s) {
  return std::vector<unsigned char>(s.GetBuffer(), s.GetBuffer() + s.GetLength());
}

// A text laid out in a box of the given width.
class TestText final : public GlyphweaveLib::CEditableTextObj {
 public:
  float m_fBoxWidth = 200.0f;
  Vectorloom::CQorVectorSize<float> GetTextOccurArea() const override { return {m_fBoxWidth, 100.0f}; }
};

// A text of the given UTF-16 units, each a default character of point size 12, in one run of
// the given face.
inline void FillText(TestText& t, const std::u16string& chars, const wchar_t* face = L"Arial") {
  GlyphweaveLib::CArrayOfTextCharacters a;
  for (char16_t c : chars) {
    GlyphweaveLib::CCharacterItem item;
    item.SetCharacter(c);
    item.SetFontPointSize(12.0f);
    a.push_back(item);
  }
  t.SetArrayOfTextCharacters(a);
  t.ClearFontRuns();
  if (!chars.empty()) {
    GlyphweaveLib::TFontRunInfo run;
    run.m_nLength = static_cast<uint32_t>(chars.size());
    run.m_FontDesc.SetFontFaceName(face);
    t.AppendFontRun(run);
  }
}

inline std::vector<unsigned char> Save(const GlyphweaveLib::CEditableTextObj& t) {
  Vectorloom::CVariableStream s(64, 64);
  EXPECT_TRUE(t.PutBinaryContent(&s, L"ignored"));
  return Bytes(s);
}

inline bool Load(GlyphweaveLib::CEditableTextObj& t, const std::vector<unsigned char>& b, size_t len) {
  Vectorloom::CStreamReader r(b.data(), static_cast<unsigned>(len));
  return t.GetBinaryContent(&r, nullptr);
}

}  // namespace gwtest
