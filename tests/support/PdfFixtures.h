// PDF files made at test time: one drawn by cairo's PDF surface (an embedded TrueType subset with
// ToUnicode, paths, a gradient, an image) and hand-written ones (a standard-14 font that is not
// embedded, TJ adjustments, a JPEG image), plus a small writer for building PDFs object by object.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lwtest {

// What MakeCairoPdf draws on every page of 612 x 792 points (PDF coordinates, y up):
// - the text "Hello page N" (N = 1-based page number) in Liberation Sans 24 pt, baseline origin
//   at (100, 700), black;
// - a rectangle (100, 100)-(200, 150) filled red and stroked blue, line width 2;
// - a rectangle (300, 100)-(500, 200) filled with a linear gradient from red to blue;
// - a 4 x 2 RGB image (row 0: red, green, blue, white; row 1: black, grey, yellow, cyan) spanning
//   (100, 300)-(180, 340).
struct CairoPdfLayout {
  static constexpr double kTextX = 100, kTextY = 700, kTextSize = 24;
  static constexpr double kRectX0 = 100, kRectY0 = 100, kRectX1 = 200, kRectY1 = 150;
  static constexpr double kGradX0 = 300, kGradY0 = 100, kGradX1 = 500, kGradY1 = 200;
  static constexpr double kImageX0 = 100, kImageY0 = 300, kImageX1 = 180, kImageY1 = 340;
};
// Throws std::runtime_error when Liberation Sans is not installed.
std::vector<uint8_t> MakeCairoPdf(int pages = 1);

// The file of Liberation Sans Regular; throws std::runtime_error when it is not installed.
std::string LiberationSansPath();

// A baseline JPEG of w x h pixels (RGB, or grey when `grey`), a smooth gradient.
std::vector<uint8_t> MakeJpeg(int w, int h, bool grey = false);

// Builds a PDF from numbered objects and writes a correct cross-reference table.
class PdfBuilder {
 public:
  // Reserves the next object number.
  int Reserve();
  // Sets the body of object `num` ("<< ... >>", "[...]", ...).
  void Set(int num, const std::string& body);
  // Sets a stream object: `dict` is the dictionary without /Length, which is added.
  void SetStream(int num, const std::string& dict, const std::vector<uint8_t>& data);
  void SetStream(int num, const std::string& dict, const std::string& data);
  int Add(const std::string& body);
  int AddStream(const std::string& dict, const std::string& data);
  int AddStream(const std::string& dict, const std::vector<uint8_t>& data);
  // The file with `root` as its catalog.
  std::vector<uint8_t> Finish(int root) const;
  // A catalog and page tree holding one page per content stream (each 612 x 792 unless media
  // boxes are given), every page with `resources`; returns the file.
  std::vector<uint8_t> FinishPages(const std::vector<std::string>& contents, const std::string& resources,
                                   const std::vector<std::string>& media_boxes = {});

 private:
  std::vector<std::vector<uint8_t>> objects_;
};

// What MakeHandWrittenPdf draws on its one page (612 x 792):
// - "Hello World" in Helvetica 12 (not embedded, WinAnsiEncoding) at (72, 720) shown with
//   [(Hello) -250 (World)] TJ;
// - the JPEG MakeJpeg(16, 8) drawn at (72, 500) with size 160 x 80.
std::vector<uint8_t> MakeHandWrittenPdf();

}  // namespace lwtest
