// The parts of the flip-book export: the state of one export, the conversion worker and its
// media calls, the package steps, the page movies and the library's resources.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <glyphweave/CharsFontDesc.h>
#include <mediary/Mediary.h>
#include <swf/ming.h>
#include <vectorloom/TransMatrix.h>

class CQorCommonProgress;
namespace GlyphweaveLib {
class CCharacterGlyphRes;
class CEditableTextObj;
class CEmbedFontResManager;
class CFontCacheManager;
}  // namespace GlyphweaveLib
namespace Vectorloom {
class CBaseShapeObj;
}  // namespace Vectorloom
namespace Quirebook {
class CPublicationDoc;
class CDrawingPage;
}  // namespace Quirebook

namespace QorSWFExportingLib {

// ---- resources ----------------------------------------------------------------------------------

// Resource ids of the library, found with their type ("SWF", "TXT", "JSCRIPT").
enum FlipResourceId {
  kResMainSwf = 1001,       // SWF: the viewer
  kResPagesSwf = 1002,      // SWF: the page loader
  kResLangTxt = 1003,       // TXT: the viewer's texts
  kResAcRunActiveContent = 1004,  // JSCRIPT
  kResPopUpWin = 1005,      // JSCRIPT
  kResIndexHtml = 1008,     // TXT: the start page
  kResVideoScript = 1009,   // TXT: the script of a video clip in a page movie
  kResPageScript = 1010,    // TXT: the script of a page movie's "objects" clip
};

// The bytes of a resource, or null (size 0) when the library has none of that type and id.
const unsigned char* FindFlipResource(const char* type, int id, std::size_t* size);
// A resource's text (empty when missing).
std::string FlipResourceText(const char* type, int id);
// Writes a resource's bytes to the file at path (UTF-8), replacing it whole. False when the
// resource is missing or the file cannot be written.
bool SaveFlipResource(const std::string& path, const char* type, int id);
// The generated table behind FindFlipResource: entry index -> bytes (null past the end).
const unsigned char* EmbeddedResourceTable(std::size_t index, const char** type, int* id, std::size_t* size);

// ---- media calls --------------------------------------------------------------------------------

// The media library's calls the worker makes, so that tests can stand in for the library.
struct MediaLibrary {
  int (*Initial)();
  void (*Deinit)();
  QV_Decoder* (*CreateDecoder)(int, int, const char*);
  void (*DestroyDecoder)(QV_Decoder*);
  int (*GetDecoderParams)(QV_Decoder*, QV_MediaParams*);
  int (*SetDecoderTimeLimit)(QV_Decoder*, int64_t, int64_t);
  int (*DecodeFile)(QV_Decoder*, QV_DecodeCallback, void*, int, int);
  QV_Encoder* (*CreateEncoder)(int, int, const char*, int);
  int (*SetEncoderParams)(QV_Encoder*, const QV_MediaParams*);
  int (*GetEncoderParams)(QV_Encoder*, QV_MediaParams*);
  int (*EncodeFrame)(QV_Encoder*, QV_Frame*, void*, int, int);
  int (*DestroyEncoder)(QV_Encoder*);
  QV_VideoScaler* (*CreateVideoScale)(QV_VideoParams, QV_VideoParams);
  QV_AudioScaler* (*CreateAudioScale)(QV_AudioParams, QV_AudioParams);
  int (*VideoScaleFrame)(QV_VideoScaler*, QV_Frame*);
  int (*AudioScaleFrame)(QV_AudioScaler*, QV_Frame*);
  void (*DestroyVideoScale)(QV_VideoScaler*);
  void (*DestroyAudioScale)(QV_AudioScaler*);
};
// The real library (platform/mediary over FFmpeg).
const MediaLibrary& DefaultMediaLibrary();

// ---- the export's state -------------------------------------------------------------------------

// One clip to convert: the path as the document stores it (opened exactly so) and the output
// file name. A job with an empty source path ends the worker.
struct VideoJob {
  std::wstring sourcePath;
  std::wstring outputName;
};

// The jobs of one export, shared by the export's thread (which pushes) and the worker (which
// takes from the front).
class VideoJobQueue {
 public:
  void Push(VideoJob job);
  VideoJob Take();  // waits for a job

 private:
  std::mutex m_lock;
  std::condition_variable m_ready;
  std::deque<VideoJob> m_jobs;
};

class SwfExportContext {
 public:
  explicit SwfExportContext(Quirebook::CPublicationDoc* document) : m_pDocument(document) {}

  // The output file name ("videos%03d.flv") of a clip, numbered in the order clips are first met;
  // the first time a clip is met its conversion is queued. Clips are told apart by their path
  // folded to lower case; the job keeps the path as first met.
  std::wstring RegisterVideo(const std::wstring& path);

  Quirebook::CPublicationDoc* Document() const { return m_pDocument; }
  VideoJobQueue& Jobs() { return m_jobs; }
  int VideoCount() const { return m_nVideoCounter; }

 private:
  Quirebook::CPublicationDoc* m_pDocument;
  std::map<std::wstring, std::wstring> m_videoNames;  // folded path -> base name
  int m_nVideoCounter = 0;
  VideoJobQueue m_jobs;
};

// ---- conversion worker ----------------------------------------------------------------------------

// Converts the queued clips into "<folder>/videos/<name>" on a thread of its own, in queue order,
// until it takes the empty job. FLV and F4V clips (by the text after the last '.', any case) are
// copied. A clip that cannot be opened, read or encoded is skipped; every decoder, encoder and
// scaler made for a clip is released before the next one.
class CVideoConvertThread {
 public:
  CVideoConvertThread(VideoJobQueue& jobs, std::string outputFolder,
                      const MediaLibrary& media = DefaultMediaLibrary());
  ~CVideoConvertThread();  // stops the thread if it runs (waits for it)
  CVideoConvertThread(const CVideoConvertThread&) = delete;
  CVideoConvertThread& operator=(const CVideoConvertThread&) = delete;

  bool Start();
  // Waits until the worker has ended (after it took the empty job, which the caller queues).
  void Stop();
  // What the worker did, for the export's closing note: clips converted, copied and failed.
  int Converted() const { return m_nConverted; }
  int Copied() const { return m_nCopied; }
  int Failed() const { return m_nFailed; }

  // One clip, on the calling thread; true when the output file was written.
  bool ConvertOne(const VideoJob& job);

 private:
  void Run();

  VideoJobQueue& m_jobs;
  std::string m_folder;  // UTF-8, no final separator
  const MediaLibrary& m_media;
  std::thread m_thread;
  int m_nConverted = 0, m_nCopied = 0, m_nFailed = 0;
};

// ---- package --------------------------------------------------------------------------------------

// Writes one page movie (the page's index from 0) to the file at path (UTF-8); clips of the page's
// video objects are registered with the context. False when it could not be written.
using PageMovieWriter = std::function<bool(SwfExportContext& context, int pageIndex, const std::string& path)>;

// The default page movie: NewPageMovie, AddPageObjects, saved to path.
bool WritePageMovie(SwfExportContext& context, int pageIndex, const std::string& path);
// A movie of version 8 at the document's size in points, white, 20 frames a second.
SWFMovie NewPageMovie(const Quirebook::CPublicationDoc& document);
// Adds the page's clip "objects" to the movie, centred on the document: the page script
// (videoTotal, ctrlVideoObjs), the page's shapes, pictures and texts, and one clip a video object,
// groups walked into the same clip ("video1", ...), each playing its converted clip. A page that is not
// loaded is loaded for this and left unloaded again. False for a page index out of range.
bool AddPageObjects(SwfExportContext& context, int pageIndex, SWFMovie movie);

// ---- what a page movie draws -----------------------------------------------------------------------

// The scale a shape is drawn at so that its coordinates fit SWF's 16-bit twips: 1, halved while
// the extent (largest absolute coordinate, pixels) x 20 rounds above 65535. 0 when the extent is
// not a finite number (such a shape is left out).
float ShapeDrawScale(float extent);
// Adds a page shape to the clip as one SWF shape: its outline in its own coordinates (only closed
// sub-paths filled), solid, gradient (fitted to its bounds) or picture fill, its stroke, placed by
// its page matrix in points. False when nothing was added (no fill and no stroke, no outline, a
// coordinate or matrix that is not finite).
bool AddShapeToClip(SWFMovieClip clip, const Vectorloom::CBaseShapeObj& shape);

// The SWF fonts of one page movie: per font description (and bold, which the editor draws
// emboldened) a list of fonts of at most kGlyphsPerFont glyphs each, built from the outlines the
// text engine draws the characters with.
class PageFonts {
 public:
  static constexpr int kGlyphsPerFont = 80;
  PageFonts() = default;
  PageFonts(const PageFonts&) = delete;
  PageFonts& operator=(const PageFonts&) = delete;
  ~PageFonts();
  // The font that holds the character's glyph, adding the glyph (to the last font of the
  // description, or a new one when that is full); null when the glyph has no usable outline.
  SWFFont FontFor(const GlyphweaveLib::_CharsFontDesc& desc, bool bold, char16_t code,
                  const GlyphweaveLib::CCharacterGlyphRes* glyph);

 private:
  std::map<std::pair<GlyphweaveLib::_CharsFontDesc, bool>, std::vector<SWFFont>> m_fonts;
};

// Adds a laid-out text to the clip as static SWF texts, one a row (and a new one where the width
// ratio or slant changes): records break at a change of font, colour, size or baseline and at
// characters that are not written (blanks, line breaks, characters without an outline or without
// fill); each glyph stands where layout put it. The outlines of stroked characters (filled or not)
// follow each row as shapes, since a text record cannot stroke. Missing glyphs are built first.
// Returns the texts and outline shapes added.
int AddTextToClip(SWFMovieClip clip, GlyphweaveLib::CEditableTextObj& text, const Vectorloom::CQorTransMatrix& objMatrix,
                  PageFonts& fonts, const GlyphweaveLib::CEmbedFontResManager* embedded,
                  GlyphweaveLib::CFontCacheManager* cache);

// The folder of the Flash player every package carries (ruffle.js and its WebAssembly), empty
// when it is not installed; and the sentence that tells the user so, naming where it was looked for.
std::filesystem::path FlipBookPlayerFolder();
std::wstring MissingPlayerMessage();

// Joins a folder and a name with one '/'.
std::string JoinPath(const std::string& folder, const std::string& name);

// The hidden folder a book is built in, beside the book's folder, and the descriptor that holds
// it locked while its export runs (closed with the object).
struct StagingFolder {
  std::string path;
  int fd = -1;
  StagingFolder() = default;
  StagingFolder(const StagingFolder&) = delete;
  StagingFolder& operator=(const StagingFolder&) = delete;
  ~StagingFolder();
};
// Makes ".<book>.lwbook-<16 hexadecimal digits>" beside `target` and locks it; false (errno set)
// when none can be made.
bool MakeStagingFolder(const std::filesystem::path& target, StagingFolder* staging);
// Removes the hidden folders that killed exports of the book at `target` left beside it (those of
// exactly that naming that no running export holds), first moving into the book the user's own
// files that a folder left in the middle of the swap still holds.
void RemoveStaleStagingFolders(const std::filesystem::path& target);

// The text of xml/Pages.xml for pages of the given count and a document size in points.
std::string PagesXmlText(int pageCount, float widthPoints, float heightPoints);

struct FlipExportOptions {
  const MediaLibrary* media = nullptr;  // null: the real library
  PageMovieWriter writePage;            // empty: WritePageMovie
};

// SaveDocumentAsSWFFlipPages with the media calls and the page writer chosen by the caller.
bool SaveFlipBook(Quirebook::CPublicationDoc* document, const wchar_t* outputFolder, CQorCommonProgress* progress,
                  const FlipExportOptions& options);

}  // namespace QorSWFExportingLib
