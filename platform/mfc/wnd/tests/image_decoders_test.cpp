// The picture formats lent to the GDI+ layer by the toolkit's image handlers: PCX, TGA, icons,
// cursors and animated cursors read into bitmaps with their colours and transparency; cut or
// damaged files fail without reading past their end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <wx/image.h>
#include <wx/mstream.h>

#include <afxdlgs.h>
#include <gdiplus/gdiplus.h>

namespace {

using Bytes = std::vector<BYTE>;

// 8 x 6: red on the left half, blue on the right half.
wxImage TwoColours() {
  wxImage image(8, 6);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) x < 4 ? image.SetRGB(x, y, 255, 0, 0) : image.SetRGB(x, y, 0, 0, 255);
  return image;
}

Bytes Saved(wxImage image, wxImageHandler* handler) {
  wxMemoryOutputStream out;
  EXPECT_TRUE(handler->SaveFile(&image, out, false));
  delete handler;
  Bytes b(out.GetSize());
  out.CopyTo(b.data(), b.size());
  return b;
}

// An uncompressed 24-bit TGA, rows bottom-up, written by hand.
Bytes Tga(const wxImage& image) {
  Bytes b(18, 0);
  b[2] = 2;
  b[12] = static_cast<BYTE>(image.GetWidth());
  b[14] = static_cast<BYTE>(image.GetHeight());
  b[16] = 24;
  for (int y = image.GetHeight() - 1; y >= 0; --y)
    for (int x = 0; x < image.GetWidth(); ++x) {
      b.push_back(image.GetBlue(x, y));
      b.push_back(image.GetGreen(x, y));
      b.push_back(image.GetRed(x, y));
    }
  return b;
}

// An animated cursor of one frame: the icon inside a RIFF "ACON" list.
Bytes Ani(const Bytes& icon) {
  auto u32 = [](Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<BYTE>(v >> (8 * i)));
  };
  Bytes header;  // anih: size, frames, steps, w, h, bits, planes, rate, flags
  for (uint32_t v : {36u, 1u, 1u, 0u, 0u, 0u, 0u, 10u, 1u}) u32(header, v);
  Bytes list = {'f', 'r', 'a', 'm', 'i', 'c', 'o', 'n'};
  u32(list, static_cast<uint32_t>(icon.size()));
  list.insert(list.end(), icon.begin(), icon.end());
  if (icon.size() % 2) list.push_back(0);
  Bytes body = {'A', 'C', 'O', 'N', 'a', 'n', 'i', 'h'};
  u32(body, static_cast<uint32_t>(header.size()));
  body.insert(body.end(), header.begin(), header.end());
  body.insert(body.end(), {'L', 'I', 'S', 'T'});
  u32(body, static_cast<uint32_t>(list.size()));
  body.insert(body.end(), list.begin(), list.end());
  Bytes riff = {'R', 'I', 'F', 'F'};
  u32(riff, static_cast<uint32_t>(body.size()));
  riff.insert(riff.end(), body.begin(), body.end());
  return riff;
}

struct Decoded {
  Gdiplus::Status status = Gdiplus::GenericError;
  int width = 0, height = 0;
  Gdiplus::ARGB left = 0, right = 0;
};

Decoded Decode(const Bytes& bytes) {
  lwmfc::RegisterToolkitImageDecoders();  // as loading the library does
  Decoded d;
  IStream* stream = SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size()));
  Gdiplus::Bitmap bitmap(stream, FALSE);
  stream->Release();
  d.status = bitmap.GetLastStatus();
  if (d.status != Gdiplus::Ok) return d;
  d.width = static_cast<int>(bitmap.GetWidth());
  d.height = static_cast<int>(bitmap.GetHeight());
  Gdiplus::Color c;
  bitmap.GetPixel(1, 2, &c);
  d.left = c.GetValue();
  bitmap.GetPixel(d.width - 2, 2, &c);
  d.right = c.GetValue();
  return d;
}

TEST(ToolkitImageDecoders, ReadPcxTgaIconsCursorsAndAnimatedCursors) {
  const wxImage image = TwoColours();
  const Bytes ico = Saved(image, new wxICOHandler);
  const struct {
    const char* name;
    Bytes bytes;
  } cases[] = {
      {"PCX", Saved(image, new wxPCXHandler)},
      {"TGA", Tga(image)},
      {"ICO", ico},
      {"CUR", Saved(image, new wxCURHandler)},
      {"ANI", Ani(ico)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Decoded d = Decode(c.bytes);
    ASSERT_EQ(d.status, Gdiplus::Ok);
    EXPECT_EQ(d.width, 8);
    EXPECT_EQ(d.height, 6);
    // Opaque red and blue (formats with a palette may round a colour by a few steps).
    auto near = [](Gdiplus::ARGB got, Gdiplus::ARGB want) {
      for (int shift : {0, 8, 16, 24})
        if (std::abs(static_cast<int>((got >> shift) & 0xFF) - static_cast<int>((want >> shift) & 0xFF)) > 8) return false;
      return true;
    };
    EXPECT_TRUE(near(d.left, 0xFFFF0000u)) << std::hex << d.left;
    EXPECT_TRUE(near(d.right, 0xFF0000FFu)) << std::hex << d.right;
  }
}

TEST(ToolkitImageDecoders, CutDamagedAndHugeFilesFail) {
  const wxImage image = TwoColours();
  const Bytes pcx = Saved(image, new wxPCXHandler);
  const Bytes tga = Tga(image);
  const Bytes ico = Saved(image, new wxICOHandler);
  for (const Bytes* whole : {&pcx, &tga, &ico}) {
    // Every cut is read without going past the end (the sanitizers watch); none crashes.
    for (size_t n = 0; n < whole->size(); n += 7) {
      Bytes cut(whole->begin(), whole->begin() + static_cast<std::ptrdiff_t>(n));
      Decode(cut);
    }
  }
  // A TGA header that names a 65535 x 65535 picture over a few bytes is refused.
  Bytes huge = tga;
  huge[12] = huge[13] = huge[14] = huge[15] = 0xFF;
  EXPECT_NE(Decode(huge).status, Gdiplus::Ok);
  // A PCX header whose corners run backwards.
  Bytes backwards = pcx;
  backwards[8] = 0;
  backwards[9] = 0;
  backwards[4] = 5;
  EXPECT_NE(Decode(backwards).status, Gdiplus::Ok);
}

}  // namespace
