#include <gtest/gtest.h>

#include <afx.h>

#include <cstdint>
#include <limits>

namespace {

template <class... A>
CString F(const wchar_t* format, A... args) {
  CString s;
  s.Format(format, args...);
  return s;
}

}  // namespace

TEST(CStringText, Utf8AndUtf16RoundTripsOfBmpAndSupplementaryText) {
  const CString s(L"Caf\u00e9 \u4e2d\u6587 \U0001F600!");
  EXPECT_EQ(s.GetLength(), 10);  // code points, the emoji is one character
  const std::string utf8 = s.ToUtf8();
  EXPECT_EQ(utf8, "Caf\xc3\xa9 \xe4\xb8\xad\xe6\x96\x87 \xf0\x9f\x98\x80!");
  EXPECT_EQ(CString::FromUtf8(utf8), s);
  EXPECT_EQ(CString(utf8.c_str()), s);  // a narrow string is UTF-8

  const std::u16string utf16 = s.ToUtf16();
  ASSERT_EQ(utf16.size(), 11u);  // the emoji is a surrogate pair in records
  EXPECT_EQ(utf16[8], 0xD83D);
  EXPECT_EQ(utf16[9], 0xDE00);
  EXPECT_EQ(CString::FromUtf16(utf16), s);
}

TEST(CStringFormat, ConversionsMatchPrintf) {
  struct Case {
    CString got;
    const wchar_t* expected;
  } cases[] = {
      {F(L"%d", 42), L"42"},
      {F(L"%i|%5d|%-5d|", -3, -42, 7), L"-3|  -42|7    |"},
      {F(L"%03d", 7), L"007"},
      {F(L"%03d", 1234), L"1234"},
      {F(L"%+d % d", 5, 5), L"+5  5"},
      {F(L"%u", 4294967295u), L"4294967295"},
      {F(L"%x %X %#x %08X", 255, 255, 255, 0xBEEFu), L"ff FF 0xff 0000BEEF"},
      {F(L"%o", 8), L"10"},
      {F(L"%hd %hu", 70000, 70000), L"4464 4464"},  // h truncates to 16 bits
      {F(L"%ld %lu", LONG(-1), DWORD(0xFFFFFFFFu)), L"-1 4294967295"},  // l is 32-bit, as on Windows
      {F(L"%I64d %lld", int64_t(-9000000000), std::numeric_limits<int64_t>::max()),
       L"-9000000000 9223372036854775807"},
      {F(L"%I64u %I64X", std::numeric_limits<uint64_t>::max(), uint64_t(0xABCDEF0123ull)),
       L"18446744073709551615 ABCDEF0123"},
      {F(L"%I32d", -7), L"-7"},
      {F(L"%f", 1.5), L"1.500000"},
      {F(L"%.2f|%8.3f|%-8.1f|", 3.14159, -1.0, 2.25), L"3.14|  -1.000|2.2     |"},
      {F(L"%.1f", 0.5f), L"0.5"},
      {F(L"%e %E", 12345.678, 0.000123), L"1.234568e+04 1.230000E-04"},
      {F(L"%g %G %g", 100000.0, 0.00001, 1e20), L"100000 1E-05 1e+20"},
      {F(L"%*d|%-*d|%.*f", 5, 42, 4, 1, 2, 1.0), L"   42|1   |1.00"},
      {F(L"%*d", -4, 9), L"9   "},  // a negative width means left-justified
      {F(L"%c%c%c", L'A', wchar_t(0x4E2D), wchar_t(0x1F600)), L"A\u4e2d\U0001F600"},
      {F(L"%3c|%-3c|", L'x', L'y'), L"  x|y  |"},
      {F(L"%C%hc", 'z', 'q'), L"zq"},  // narrow characters
      {F(L"%s|%ls|%ws", L"wide", L"ls", L"ws"), L"wide|ls|ws"},
      {F(L"%S|%hs", "na\xc3\xafve", "h"), L"na\u00efve|h"},  // narrow strings are UTF-8
      {F(L"%-6s|%6s|%.3s", L"ab", L"cd", L"abcdef"), L"ab    |    cd|abc"},
      {F(L"%.2S", "\xc3\xa9\xc3\xa9\xc3\xa9"), L"\u00e9\u00e9"},
      {F(L"%s", static_cast<const wchar_t*>(nullptr)), L"(null)"},
      {F(L"%s=%s", CString(L"key"), std::wstring(L"value")), L"key=value"},
      {F(L"100%%"), L"100%"},
      {F(L"%p", reinterpret_cast<void*>(0x1234)), L"0000000000001234"},
      {F(L"%s\\%s%d.lfd", L"C:\\out", L"book", 3), L"C:\\out\\book3.lfd"},
      {F(L"%.2f K", 1536 / 1024.0), L"1.50 K"},
      {F(L"[%02d:%02d:%02d]", 9, 5, 0), L"[09:05:00]"},
      {F(L"page%03d.swf", 7), L"page007.swf"},
      {F(L"trailing %"), L"trailing "},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, CString(c.expected)) << c.got.ToUtf8();
}

TEST(CStringFormat, AppendFormatKeepsTheText) {
  CString s(L"Text-");
  s.AppendFormat(L"%d", 12);
  EXPECT_EQ(s, L"Text-12");
  s.Format(L"%s", s.GetString());  // formatting from its own text
  EXPECT_EQ(s, L"Text-12");
}

TEST(CStringPieces, OutOfRangeArgumentsClampAsMfc) {
  const CString s(L"abcdef");
  struct Case {
    CString got;
    const wchar_t* expected;
  } pieces[] = {
      {s.Left(-1), L""},     {s.Left(3), L"abc"},   {s.Left(10), L"abcdef"},
      {s.Right(-2), L""},    {s.Right(2), L"ef"},   {s.Right(99), L"abcdef"},
      {s.Mid(-3, 2), L"ab"}, {s.Mid(1, 2), L"bc"},  {s.Mid(4), L"ef"},
      {s.Mid(4, 10), L"ef"}, {s.Mid(6), L""},       {s.Mid(10, 2), L""},
      {s.Mid(2, -1), L""},   {s.Mid(-5), L"abcdef"},
  };
  for (const auto& c : pieces) EXPECT_EQ(c.got, CString(c.expected));

  struct Find {
    int got, expected;
  } finds[] = {
      {s.Find(L'c'), 2},         {s.Find(L'c', 3), -1},      {s.Find(L'a', -1), -1},
      {s.Find(L'f', 6), -1},     {s.Find(L'f', 5), 5},       {s.Find(L"cd"), 2},
      {s.Find(L"cd", 3), -1},    {s.Find(L"", 6), 6},        {s.Find(L"cd", 7), -1},
      {s.Find(L"zz"), -1},       {s.FindOneOf(L"xd"), 3},    {s.FindOneOf(L"xyz"), -1},
      {CString(L"a/b/c").ReverseFind(L'/'), 3},              {s.ReverseFind(L'x'), -1},
      {CString().Find(L'a'), -1},
  };
  for (const auto& f : finds) EXPECT_EQ(f.got, f.expected);
}

TEST(CStringEdit, ReplaceInsertDeleteTrim) {
  CString s(L"a-b-c");
  EXPECT_EQ(s.Replace(L"-", L"--"), 2);
  EXPECT_EQ(s, L"a--b--c");
  EXPECT_EQ(s.Replace(L"", L"x"), 0);
  EXPECT_EQ(s.Remove(L'-'), 4);
  EXPECT_EQ(s, L"abc");
  EXPECT_EQ(s.Insert(-4, L'>'), 4);
  EXPECT_EQ(s.Insert(99, L"<<"), 6);
  EXPECT_EQ(s, L">abc<<");
  EXPECT_EQ(s.Delete(4, 99), 4);
  EXPECT_EQ(s.Delete(-1), 3);
  EXPECT_EQ(s, L"abc");

  CString t(L" \t x y \n");
  EXPECT_EQ(t.Trim(), L"x y");
  CString u(L"..x..");
  EXPECT_EQ(u.TrimLeft(L'.'), L"x..");
  EXPECT_EQ(u.TrimRight(L"."), L"x");
}

TEST(CStringCase, UnicodeSimpleMappings) {
  CString s(L"\u00c9t\u00c9 \u0416 \U00010400 ABC");
  s.MakeLower();
  EXPECT_EQ(s, L"\u00e9t\u00e9 \u0436 \U00010428 abc");
  s.MakeUpper();
  EXPECT_EQ(s, L"\u00c9T\u00c9 \u0416 \U00010400 ABC");
  EXPECT_EQ(CString(L"PDF").CompareNoCase(L"pdf"), 0);
  EXPECT_EQ(CString(L"\u00c9cole").CompareNoCase(L"\u00e9COLE"), 0);
  EXPECT_LT(CString(L"abc").CompareNoCase(L"ABD"), 0);
  EXPECT_GT(CString(L"abcd").CompareNoCase(L"ABC"), 0);
  EXPECT_LT(CString(L"B").Compare(L"a"), 0);  // plain comparison is by code point
}

TEST(CStringBuffer, GetBufferReleaseBufferAndIndexing) {
  CString s;
  wchar_t* p = s.GetBuffer(10);
  wcscpy(p, L"hello");
  s.ReleaseBuffer();
  EXPECT_EQ(s.GetLength(), 5);
  p = s.GetBufferSetLength(3);
  p[0] = L'J';
  s.ReleaseBuffer(3);
  EXPECT_EQ(s, L"Jel");
  EXPECT_EQ(s[1], L'e');
  s.SetAt(2, L'l');
  EXPECT_EQ(s.GetAt(2), L'l');
  try {
    s.GetAt(3);
    FAIL() << "no exception";
  } catch (CException* e) {
    EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CInvalidArgException)));
    e->Delete();
  }
}

TEST(CStringOperators, ConcatenationAndComparison) {
  const CString a(L"ab");
  EXPECT_EQ(a + L"cd", L"abcd");
  EXPECT_EQ(L"<" + a + L'>', L"<ab>");
  EXPECT_TRUE(a == L"ab");
  EXPECT_TRUE(L"ab" == a);
  EXPECT_TRUE(a != CString(L"aB"));
  EXPECT_TRUE(a < CString(L"b"));
  const wchar_t* raw = a;
  EXPECT_STREQ(raw, L"ab");
  EXPECT_TRUE(CString(static_cast<const wchar_t*>(nullptr)).IsEmpty());
}
