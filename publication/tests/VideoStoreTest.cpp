// The video section: naming, packing, unpacking, use in place, posters, and damaged sections.
#include <gtest/gtest.h>

#include <afxbinio.h>
#include <gdiplus/gdiplus.h>
#include <lwstr.h>
#include <quirebook/PublicationDoc.h>
#include <vectorloom/GroupObj.h>
#include <quirebook/VideoObj.h>
#include <quirebook/VideoStore.h>
#include <zlib.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <set>

#include "TestSupport.h"

namespace fs = std::filesystem;
using Quirebook::CBaseVideoObj;
using Quirebook::CDeflateRomExtractVideos;
using Quirebook::CDeflateSavingVideos;
using Quirebook::CVideoFilePathsMap;

namespace {

std::vector<uint8_t> NoiseBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i % 7 == 0 ? rng() : i / 97);
  return v;
}

std::wstring W(const fs::path& p) { return lw::Utf8ToWide(p.string()); }

// Writes a document-like file: 5 bytes before the section, then the section.
std::vector<uint8_t> SaveSection(const CVideoFilePathsMap& map, const fs::path& file, bool* ok = nullptr) {
  {
    CFile f(W(file).c_str(), CFile::modeCreate | CFile::modeReadWrite);
    f.Write("head!", 5);
    CDeflateSavingVideos saver(map);
    const bool r = saver.SavingBlockTag(&f) && saver.SavingBlocks(&f, CString(), CString(), nullptr);
    if (ok) *ok = r;
  }
  return lwtest::ReadFileBytes(file);
}

bool OpenSection(CFile& f, CDeflateRomExtractVideos& reader) {
  f.Seek(5, CFile::begin);
  return reader.ReadBlocksTag(&f) && reader.ReadIndexs(&f);
}

// Where ExtractVideo unpacks a clip named `name`: that name, in a folder of its own inside `folder`.
testing::AssertionResult UnpackedInto(const std::wstring& got, const fs::path& folder, const std::string& name) {
  const fs::path path(lw::WideToUtf8(got));
  if (path.filename() != name) return testing::AssertionFailure() << path << " is not named " << name;
  if (path.parent_path().parent_path() != folder) return testing::AssertionFailure() << path << " is not two levels in " << folder;
  if (!Quirebook::IsUnpackedClipFolderName(lw::Utf8ToWide(path.parent_path().filename().string())))
    return testing::AssertionFailure() << path << " is not in a folder of its own";
  return testing::AssertionSuccess();
}

std::vector<uint8_t> Inflate(const uint8_t* p, size_t n, size_t expected) {
  std::vector<uint8_t> out(expected + 1);
  uLongf len = static_cast<uLongf>(out.size());
  if (uncompress(out.data(), &len, p, static_cast<uLong>(n)) != Z_OK) return {};
  out.resize(len);
  return out;
}

bool HaveFfmpeg() { return std::system("ffmpeg -version > /dev/null 2>&1") == 0; }

}  // namespace

TEST(VideoFilePathsMap, StoredNamesAreUniqueBaseNames) {
  struct Case {
    std::vector<std::wstring> paths;
    std::vector<std::wstring> names;  // stored name of each path, in order
  };
  const Case cases[] = {
      {{L"/a/clip.avi", L"/b/clip.avi", L"/c/clip.avi"}, {L"clip.avi", L"clip2.avi", L"clip3.avi"}},
      {{L"/a/clip", L"/b/clip"}, {L"clip", L"clip2"}},
      {{L"C:\\Videos\\clip.avi", L"D:\\x\\clip.avi", L"/e/f\\g/clip.avi"}, {L"clip.avi", L"clip2.avi", L"clip3.avi"}},
      {{L"/a/Clip.avi", L"/b/clip.avi"}, {L"Clip.avi", L"clip.avi"}},  // names are told apart by case
      {{L"/a/clip.avi", L"/a/CLIP.AVI"}, {L"clip.avi", L"clip.avi"}},  // case twins share one entry
      {{L"/a/x.tar.gz", L"/b/x.tar.gz"}, {L"x.tar.gz", L"x.tar2.gz"}},
  };
  for (const Case& c : cases) {
    CVideoFilePathsMap map;
    for (const auto& p : c.paths) map.AddVideoPath(p);
    for (size_t i = 0; i < c.paths.size(); ++i)
      EXPECT_EQ(map.GetStoredName(c.paths[i]), c.names[i]) << lw::WideToUtf8(c.paths[i]);
    EXPECT_EQ(map.GetCount(), std::set<std::wstring>(c.names.begin(), c.names.end()).size());
  }
}

TEST(VideoFilePathsMap, PagesRegisterTheClipsOfTheirVideoObjectsAlsoInsideGroups) {
  CDrawingPage page;
  auto* top = new CBaseVideoObj;
  top->SetVideoFullPathName(L"/clips/top.mp4");
  auto* nested = new CBaseVideoObj;
  nested->SetVideoFullPathName(L"/clips/deep/nested.flv");
  auto* inner = new Vectorloom::CRenderGroupObj;
  inner->GetChildList().AddElement(nested);
  auto* outer = new Vectorloom::CRenderGroupObj;
  outer->GetChildList().AddElement(inner);
  page.AddShapeObject(top);
  page.AddShapeObject(new Vectorloom::CBaseShapeObj);
  page.AddShapeObject(outer);
  CVideoFilePathsMap map;
  page.CollectVideoObjects(&map);
  EXPECT_EQ(map.GetCount(), 2u);
  EXPECT_EQ(map.GetStoredName(L"/clips/top.mp4"), L"top.mp4");
  EXPECT_EQ(map.GetStoredName(L"/clips/deep/nested.flv"), L"nested.flv");
  page.CollectVideoObjects(static_cast<CVideoFilePathsMap*>(nullptr));  // no map, nothing to do
}

TEST(VideoFilePathsMap, DistinctFilesDifferingInCaseStayApart) {
  lwtest::TempDir dir;
  lwtest::WriteFileBytes(dir / "Clip.bin", {1, 2, 3});
  lwtest::WriteFileBytes(dir / "clip.bin", {4, 5});
  CVideoFilePathsMap map;
  map.AddVideoPath(W(dir / "Clip.bin"));
  map.AddVideoPath(W(dir / "clip.bin"));
  map.AddVideoPath(W(dir / "clip.bin"));
  ASSERT_EQ(map.GetCount(), 2u);
  EXPECT_EQ(map.GetStoredName(W(dir / "Clip.bin")), L"Clip.bin");
  EXPECT_EQ(map.GetStoredName(W(dir / "clip.bin")), L"clip.bin");
}

TEST(VideoSection, EmptyMapWritesOneWordIndex) {
  lwtest::TempDir dir;
  CVideoFilePathsMap map;
  bool ok = false;
  const auto bytes = SaveSection(map, dir / "doc.lfw", &ok);
  ASSERT_TRUE(ok);
  const std::vector<uint8_t> expected = {'h', 'e', 'a', 'd', '!', 'a', 'v', 's', 't', 17, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(bytes, expected);
}

TEST(VideoSection, PacksAndUnpacksByteIdentical) {
  lwtest::TempDir dir;
  fs::create_directories(dir / "src" / "Upper");
  fs::create_directories(dir / "out");
  const auto big = NoiseBytes(100000, 1);  // several 16,384-byte chunks
  const auto small = NoiseBytes(10, 2);
  const fs::path pBig = dir / "src" / "Upper" / "Big.MP4", pSmall = dir / "src" / "small.flv";
  lwtest::WriteFileBytes(pBig, big);
  lwtest::WriteFileBytes(pSmall, small);
  const fs::path pMissing = dir / "src" / "missing.avi";

  CVideoFilePathsMap map;
  map.AddVideoPath(W(pBig));
  map.AddVideoPath(W(pSmall));
  map.AddVideoPath(W(pMissing));
  bool ok = false;
  const auto bytes = SaveSection(map, dir / "doc.lfw", &ok);
  ASSERT_TRUE(ok);

  // Header, index and blocks.
  ASSERT_EQ(std::string(bytes.begin() + 5, bytes.begin() + 9), "avst");
  const uint32_t indexPos = lw::bin::GetLE32(&bytes[9]);
  EXPECT_EQ(indexPos, 17u);
  EXPECT_EQ(lw::bin::GetLE32(&bytes[13]), bytes.size() - indexPos);
  ASSERT_EQ(lw::bin::GetLE32(&bytes[indexPos]), 3u);

  CFile f(W(dir / "doc.lfw").c_str(), CFile::modeRead);
  CDeflateRomExtractVideos reader;
  ASSERT_TRUE(OpenSection(f, reader));
  ASSERT_EQ(reader.GetCount(), 3u);
  size_t found = 0;
  for (unsigned i = 0; i < 3; ++i) {
    const auto& e = reader.GetEntry(i);
    const std::vector<uint8_t>* data = nullptr;
    if (e.sourcePath == W(pBig)) data = &big;  // recorded as given, found folded
    if (e.sourcePath == W(pSmall)) data = &small;
    if (!data) {
      EXPECT_EQ(e.sourcePath, W(pMissing));
      EXPECT_EQ(e.length, 0u);
      EXPECT_EQ(e.sourceSize, 0u);
      continue;
    }
    ++found;
    EXPECT_EQ(e.sourceSize, data->size());
    EXPECT_GT(e.sourceTime, 0);
    ASSERT_GE(e.length, 2u);
    EXPECT_EQ(bytes[e.position], 0x78);  // one zlib stream, level 5
    EXPECT_EQ(bytes[e.position + 1], 0x5E);
    EXPECT_EQ(Inflate(&bytes[e.position], e.length, data->size()), *data);
    const std::wstring target = W(dir / "out" / "x.bin");
    ASSERT_TRUE(reader.UnpackEntry(&f, e, target));
    EXPECT_EQ(lwtest::ReadFileBytes(dir / "out" / "x.bin"), *data);
  }
  EXPECT_EQ(found, 2u);
  EXPECT_EQ(reader.FindEntry(lw::Utf8ToWide((dir / "src" / "upper" / "big.mp4").string())),
            reader.FindEntry(W(pBig)));
}

// One index entry, field by field: block position, stored length, source path, stored name,
// source size, modification time.
TEST(VideoSection, GoldenOffsetsOfAnIndexEntry) {
  lwtest::TempDir dir;
  const fs::path clip = dir / "Clip\u00e9.bin";
  lwtest::WriteFileBytes(clip, NoiseBytes(300, 4));
  CVideoFilePathsMap map;
  map.AddVideoPath(W(clip));
  const auto bytes = SaveSection(map, dir / "doc.lfw");
  const size_t entry = 17 + 4;  // after the 5 leading bytes, the header and the count
  ASSERT_GE(bytes.size(), entry + Quirebook::kVideoEntrySize);
  const uint8_t* e = &bytes[entry];
  EXPECT_EQ(lw::bin::GetLE32(e + 0), entry + Quirebook::kVideoEntrySize);
  EXPECT_EQ(lw::bin::GetLE32(e + 4), bytes.size() - entry - Quirebook::kVideoEntrySize);
  // A zero-filled field of 260 UTF-16LE units.
  const auto field = [](const std::wstring& text) {
    std::vector<uint8_t> f(520, 0);
    const std::u16string units = lw::WideToUtf16(text);
    for (size_t i = 0; i < units.size(); ++i) lw::bin::PutLE16(&f[i * 2], units[i]);
    return f;
  };
  EXPECT_EQ(std::vector<uint8_t>(e + 8, e + 528), field(W(clip)));
  EXPECT_EQ(std::vector<uint8_t>(e + 528, e + 1048), field(L"Clip\u00e9.bin"));
  EXPECT_EQ(lw::bin::GetLE32(e + 1048), 300u);
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
      fs::last_write_time(clip).time_since_epoch() - fs::file_time_type::clock::now().time_since_epoch() +
      std::chrono::system_clock::now().time_since_epoch());
  EXPECT_NEAR(static_cast<double>(static_cast<int64_t>(lw::bin::GetLE64(e + 1052))),
              static_cast<double>(seconds.count()), 2.0);
}

TEST(VideoSection, ExtractUsesUnchangedClipInPlaceAndUnpacksChangedOne) {
  lwtest::TempDir dir;
  fs::create_directories(dir / "out");
  const auto data = NoiseBytes(40000, 3);
  const fs::path clip = dir / "Clip.bin";
  lwtest::WriteFileBytes(clip, data);
  CVideoFilePathsMap map;
  map.AddVideoPath(W(clip));
  SaveSection(map, dir / "doc.lfw");

  CFile f(W(dir / "doc.lfw").c_str(), CFile::modeRead);
  CDeflateRomExtractVideos reader;
  reader.SetExtractFolderName(W(dir / "out"));
  ASSERT_TRUE(OpenSection(f, reader));

  CBaseVideoObj video;
  video.SetVideoFullPathName(W(clip));
  reader.ExtractVideo(&f, &video, CString(), CString());  // no poster from noise: false
  EXPECT_EQ(video.GetVideoFullPathName(), W(clip));
  EXPECT_TRUE(fs::is_empty(dir / "out"));

  lwtest::WriteFileBytes(clip, {9, 9, 9});  // changed since the save
  reader.ExtractVideo(&f, &video, CString(), CString());  // the poster step may or may not read noise
  EXPECT_TRUE(UnpackedInto(video.GetVideoFullPathName(), dir / "out", "Clip.bin"));
  EXPECT_EQ(lwtest::ReadFileBytes(lw::WideToUtf8(video.GetVideoFullPathName())), data);

  CBaseVideoObj other;
  other.SetVideoFullPathName(L"/not/in/index.avi");
  EXPECT_FALSE(reader.ExtractVideo(&f, &other, CString(), CString()));
  EXPECT_EQ(other.GetVideoFullPathName(), L"/not/in/index.avi");
}

// Unpacking is bounded: a clip may not grow past the source size its entry records (a crafted
// entry of a highly packed stream could fill the disk), and an entry that records no size stops
// at the cap. Each clip is unpacked once however many objects play it.
TEST(VideoSection, UnpackingStopsAtTheRecordedSizeAndHappensOncePerClip) {
  lwtest::TempDir dir;
  fs::create_directories(dir / "out");
  const std::vector<uint8_t> zeros(300000, 0);  // packs to a few hundred bytes
  const fs::path clip = dir / "z.bin";
  lwtest::WriteFileBytes(clip, zeros);
  CVideoFilePathsMap map;
  map.AddVideoPath(W(clip));
  auto bytes = SaveSection(map, dir / "doc.lfw");
  const size_t entry = 17 + 4;
  ASSERT_EQ(lw::bin::GetLE32(&bytes[entry + 1048]), zeros.size());
  fs::remove(clip);  // gone: every object must be unpacked from the file

  {
    CFile f(W(dir / "doc.lfw").c_str(), CFile::modeRead);
    CDeflateRomExtractVideos reader;
    reader.SetExtractFolderName(W(dir / "out"));
    ASSERT_TRUE(OpenSection(f, reader));
    std::vector<std::unique_ptr<CBaseVideoObj>> videos;
    for (int i = 0; i < 8; ++i) {
      videos.push_back(std::make_unique<CBaseVideoObj>());
      videos.back()->SetVideoFullPathName(W(clip));
      reader.ExtractVideo(&f, videos.back().get(), CString(), CString());
      EXPECT_TRUE(UnpackedInto(videos.back()->GetVideoFullPathName(), dir / "out", "z.bin"));
      EXPECT_EQ(videos.back()->GetVideoFullPathName(), videos.front()->GetVideoFullPathName());
    }
    size_t folders = 0;
    for (const auto& e : fs::directory_iterator(dir / "out")) folders += e.is_directory();
    EXPECT_EQ(folders, 1u);
    EXPECT_EQ(fs::file_size(lw::WideToUtf8(videos.front()->GetVideoFullPathName())), zeros.size());
  }

  // The entry now claims a smaller source: unpacking refuses the stream and leaves nothing.
  lw::bin::PutLE32(&bytes[entry + 1048], 1000);
  lwtest::WriteFileBytes(dir / "small.lfw", bytes);
  CFile f(W(dir / "small.lfw").c_str(), CFile::modeRead);
  CDeflateRomExtractVideos reader;
  ASSERT_TRUE(OpenSection(f, reader));
  EXPECT_FALSE(reader.UnpackEntry(&f, reader.GetEntry(0), W(dir / "x.bin")));
  EXPECT_FALSE(fs::exists(dir / "x.bin"));
  auto e = reader.GetEntry(0);
  e.sourceSize = static_cast<uint32_t>(zeros.size());
  EXPECT_TRUE(reader.UnpackEntry(&f, e, W(dir / "x.bin")));
  EXPECT_EQ(CDeflateRomExtractVideos::UnpackLimit(e), zeros.size());
  e.sourceSize = 0;
  EXPECT_EQ(CDeflateRomExtractVideos::UnpackLimit(e), CDeflateRomExtractVideos::kMaxUnpackedClipSize);
  e.sourceSize = 0xFFFFFFFFu;
  EXPECT_EQ(CDeflateRomExtractVideos::UnpackLimit(e), CDeflateRomExtractVideos::kMaxUnpackedClipSize);
}

TEST(VideoSection, StoredNamesNeverLeaveTheFolder) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"clip.avi", L"clip.avi"},       {L"..\\..\\evil.avi", L"evil.avi"}, {L"../x/../evil.avi", L"evil.avi"},
      {L"/etc/passwd", L"passwd"},      {L"..", L""},                       {L"a\\..", L""},
      {L"", L""},                       {L"dir/", L""},                     {L".", L""},
  };
  for (const auto& [stored, expected] : cases)
    EXPECT_EQ(CDeflateRomExtractVideos::SafeStoredName(stored), expected) << lw::WideToUtf8(stored);
}

// Damaged sections: each patch of a good section must fail cleanly (and leave no file behind).
TEST(VideoSection, DamagedSectionsFailCleanly) {
  lwtest::TempDir dir;
  fs::create_directories(dir / "out");
  const auto data = NoiseBytes(50000, 4);
  lwtest::WriteFileBytes(dir / "a.bin", data);
  CVideoFilePathsMap map;
  map.AddVideoPath(W(dir / "a.bin"));
  map.AddVideoPath(W(dir / "gone.bin"));
  const auto good = SaveSection(map, dir / "doc.lfw");
  const size_t entry0 = 17 + 4;  // a.bin orders before gone.bin
  const uint32_t pos = lw::bin::GetLE32(&good[entry0]), len = lw::bin::GetLE32(&good[entry0 + 4]);
  ASSERT_GT(len, 100u);

  struct Patch {
    const char* what;
    size_t offset;
    uint32_t value;
    bool indexFails;  // else the index reads and the unpacking fails
  };
  const Patch patches[] = {
      {"huge count", 17, 0xFFFFFFFF, true},
      {"count past the file", 17, 1000, true},
      {"index past the file", 9, 0xFFFFFF00, true},
      {"block past the file", entry0, 0xFFFFFFF0, true},
      {"length past the file", entry0 + 4, 0x7FFFFFFF, true},
      {"block inside the index", entry0, 20, true},
      {"stream cut short", entry0 + 4, len - 50, false},
      {"damaged stream", pos + 2, 0xDEADBEEF, false},
  };
  for (const Patch& p : patches) {
    auto bytes = good;
    lw::bin::PutLE32(&bytes[p.offset], p.value);
    lwtest::WriteFileBytes(dir / "bad.lfw", bytes);
    CFile f(W(dir / "bad.lfw").c_str(), CFile::modeRead);
    CDeflateRomExtractVideos reader;
    if (p.indexFails) {
      EXPECT_FALSE(OpenSection(f, reader)) << p.what;
      continue;
    }
    ASSERT_TRUE(OpenSection(f, reader)) << p.what;
    EXPECT_FALSE(reader.UnpackEntry(&f, reader.GetEntry(0), W(dir / "out" / "a.bin"))) << p.what;
    EXPECT_FALSE(fs::exists(dir / "out" / "a.bin")) << p.what;
    // A clip already unpacked under that name (another document may be playing it) is kept.
    lwtest::WriteFileBytes(dir / "out" / "a.bin", {'p', 'l', 'a', 'y', 's'});
    EXPECT_FALSE(reader.UnpackEntry(&f, reader.GetEntry(0), W(dir / "out" / "a.bin"))) << p.what;
    EXPECT_EQ(lwtest::ReadFileBytes(dir / "out" / "a.bin"), (std::vector<uint8_t>{'p', 'l', 'a', 'y', 's'})) << p.what;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "out"), {}), 1) << p.what;
    fs::remove(dir / "out" / "a.bin");
  }

  // A zero-length entry (its clip was missing at save) unpacks nothing, not the next clip.
  CFile f(W(dir / "doc.lfw").c_str(), CFile::modeRead);
  CDeflateRomExtractVideos reader;
  reader.SetExtractFolderName(W(dir / "out"));
  ASSERT_TRUE(OpenSection(f, reader));
  CBaseVideoObj video;
  video.SetVideoFullPathName(W(dir / "gone.bin"));
  EXPECT_FALSE(reader.ExtractVideo(&f, &video, CString(), CString()));
  EXPECT_TRUE(fs::is_empty(dir / "out"));

  // A wrong tag.
  auto bytes = good;
  bytes[5] = 'X';
  lwtest::WriteFileBytes(dir / "bad.lfw", bytes);
  CFile g(W(dir / "bad.lfw").c_str(), CFile::modeRead);
  CDeflateRomExtractVideos other;
  EXPECT_FALSE(OpenSection(g, other));
}

// A clip in a folder so deep that its path does not fit the entry's field: the save records a
// reference, and the reader finds the clip through the path its object carries, in place while
// the file is unchanged, unpacked once it changed.
TEST(VideoSection, ClipsInDeepFoldersAreSavedAndFoundAgain) {
  lwtest::TempDir dir;
  fs::path deep = dir / "src";
  for (int i = 0; i < 6; ++i) deep /= std::string(50, static_cast<char>('a' + i));
  fs::create_directories(deep);
  fs::create_directories(dir / "out");
  const fs::path clip = deep / "Clip.avi";
  const auto data = NoiseBytes(5000, 5);
  lwtest::WriteFileBytes(clip, data);
  const std::wstring path = W(clip);
  ASSERT_GE(lw::WideToUtf16(path).size(), Quirebook::kVideoPathUnits);

  CVideoFilePathsMap map;
  map.AddVideoPath(path);
  bool ok = false;
  SaveSection(map, dir / "doc.lfw", &ok);
  ASSERT_TRUE(ok);

  CFile f(W(dir / "doc.lfw").c_str(), CFile::modeRead);
  CDeflateRomExtractVideos reader;
  reader.SetExtractFolderName(W(dir / "out"));
  ASSERT_TRUE(OpenSection(f, reader));
  ASSERT_EQ(reader.GetCount(), 1u);
  EXPECT_EQ(reader.GetEntry(0).storedName, L"Clip.avi");
  EXPECT_NE(reader.GetEntry(0).sourcePath, path);
  EXPECT_EQ(reader.FindEntry(path), &reader.GetEntry(0));
  EXPECT_EQ(reader.FindEntry(path.substr(0, path.size() - 3) + L"AVI"), &reader.GetEntry(0));
  EXPECT_EQ(reader.FindEntry(path + L"x"), nullptr);

  CBaseVideoObj video;
  video.SetVideoFullPathName(path);
  reader.ExtractVideo(&f, &video, CString(), CString());  // no poster from noise
  EXPECT_EQ(video.GetVideoFullPathName(), path);
  EXPECT_TRUE(fs::is_empty(dir / "out"));

  lwtest::WriteFileBytes(clip, {1, 2, 3});
  reader.ExtractVideo(&f, &video, CString(), CString());
  EXPECT_TRUE(UnpackedInto(video.GetVideoFullPathName(), dir / "out", "Clip.avi"));
  EXPECT_EQ(lwtest::ReadFileBytes(lw::WideToUtf8(video.GetVideoFullPathName())), data);
}

// Real clips made at test time: after unpacking, the object gets a poster of the clip's size.
TEST(VideoSection, RealClipsGetAPosterAfterUnpacking) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  lwtest::TempDir dir;
  fs::create_directories(dir / "out");
  const fs::path mp4 = dir / "Clip One.mp4", flv = dir / "clip.flv";
  const std::string cmd = "ffmpeg -v error -y -f lavfi -i testsrc=size=96x64:rate=10:duration=1 -f lavfi -i "
                          "sine=frequency=440:duration=1 -pix_fmt yuv420p -shortest '" + mp4.string() +
                          "' && ffmpeg -v error -y -f lavfi -i color=c=blue:size=80x48:rate=10:duration=1 -c:v flv '" +
                          flv.string() + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  CVideoFilePathsMap map;
  map.AddVideoPath(W(mp4));
  map.AddVideoPath(W(flv));
  SaveSection(map, dir / "doc.lfw");
  const auto mp4Bytes = lwtest::ReadFileBytes(mp4), flvBytes = lwtest::ReadFileBytes(flv);
  fs::remove(mp4);
  fs::remove(flv);

  CFile f(W(dir / "doc.lfw").c_str(), CFile::modeRead);
  CDeflateRomExtractVideos reader;
  reader.SetExtractFolderName(W(dir / "out"));
  ASSERT_TRUE(OpenSection(f, reader));
  const struct {
    fs::path path;
    const std::vector<uint8_t>* bytes;
    UINT w, h;
  } clips[] = {{mp4, &mp4Bytes, 96, 64}, {flv, &flvBytes, 80, 48}};
  for (const auto& c : clips) {
    CBaseVideoObj video;
    video.SetVideoObjectSize({static_cast<float>(c.w), static_cast<float>(c.h)});
    video.SetVideoFullPathName(W(c.path));
    ASSERT_TRUE(reader.ExtractVideo(&f, &video, CString(), CString())) << c.path;
    EXPECT_TRUE(UnpackedInto(video.GetVideoFullPathName(), dir / "out", c.path.filename().string()));
    EXPECT_EQ(lwtest::ReadFileBytes(lw::WideToUtf8(video.GetVideoFullPathName())), *c.bytes);
    EXPECT_EQ(video.GetFillKind(), Vectorloom::RENDER_KIND_BITMAP);
    auto* res = video.GetFillDefinition().GetRenderBitmap();
    ASSERT_NE(res, nullptr);
    EXPECT_EQ(res->GetResourceKind(), Vectorloom::BITMAP_RES_VIDEOCLIP);
    ASSERT_NE(res->GetGdiBitmap(), nullptr);
    EXPECT_EQ(res->GetGdiBitmap()->GetWidth(), c.w);
    EXPECT_EQ(res->GetGdiBitmap()->GetHeight(), c.h);
    Gdiplus::Color px;
    ASSERT_EQ(res->GetGdiBitmap()->GetPixel(static_cast<INT>(c.w / 2), static_cast<INT>(c.h / 2), &px), Gdiplus::Ok);
    if (c.bytes == &flvBytes) {  // plain blue
      EXPECT_LE(px.GetR(), 12);
      EXPECT_LE(px.GetG(), 12);
      EXPECT_GE(px.GetB(), 240);
    }
    EXPECT_NEAR(video.GetHeightRatio(), 0.8f, 1e-6);
  }
}

// Two documents each holding a different clip named "clip.mp4", unpacked into one folder (by one
// program or two): neither overwrites the other, and each keeps its name. A failed unpacking
// leaves no folder behind.
TEST(VideoSection, ClipsOfTheSameNameNeverOverwriteEachOther) {
  lwtest::TempDir dir;
  fs::create_directories(dir / "out");
  fs::create_directories(dir / "a");
  fs::create_directories(dir / "b");
  const std::vector<uint8_t> bytes[2] = {NoiseBytes(30000, 5), NoiseBytes(20000, 6)};
  const fs::path clips[2] = {dir / "a" / "clip.mp4", dir / "b" / "clip.mp4"};
  const fs::path docs[2] = {dir / "a.lfw", dir / "b.lfw"};
  for (int i = 0; i < 2; ++i) {
    lwtest::WriteFileBytes(clips[i], bytes[i]);
    CVideoFilePathsMap map;
    map.AddVideoPath(W(clips[i]));
    SaveSection(map, docs[i]);
    lwtest::WriteFileBytes(clips[i], {1});  // changed since the save: unpacked on opening
  }
  std::wstring unpacked[2];
  for (int round = 0; round < 2; ++round) {  // the same document opened twice gets a fresh copy
    for (int i = 0; i < 2; ++i) {
      CFile f(W(docs[i]).c_str(), CFile::modeRead);
      CDeflateRomExtractVideos reader;
      reader.SetExtractFolderName(W(dir / "out") + L"/");
      ASSERT_TRUE(OpenSection(f, reader));
      CBaseVideoObj video;
      video.SetVideoFullPathName(W(clips[i]));
      reader.ExtractVideo(&f, &video, CString(), CString());  // no poster from noise
      EXPECT_TRUE(UnpackedInto(video.GetVideoFullPathName(), dir / "out", "clip.mp4"));
      if (round == 1) EXPECT_NE(video.GetVideoFullPathName(), unpacked[i]);
      unpacked[i] = video.GetVideoFullPathName();
    }
    EXPECT_NE(unpacked[0], unpacked[1]);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(lwtest::ReadFileBytes(lw::WideToUtf8(unpacked[i])), bytes[i]);
  }

  // A stream that cannot be unpacked: the object keeps its path, and no folder is left.
  auto damaged = lwtest::ReadFileBytes(docs[0]);
  const uint32_t pos = lw::bin::GetLE32(&damaged[17 + 4]);
  damaged[pos + 2] ^= 0xFF;
  damaged[pos + 3] ^= 0xFF;
  lwtest::WriteFileBytes(dir / "damaged.lfw", damaged);
  const auto before = std::distance(fs::directory_iterator(dir / "out"), fs::directory_iterator());
  CFile f(W(dir / "damaged.lfw").c_str(), CFile::modeRead);
  CDeflateRomExtractVideos reader;
  reader.SetExtractFolderName(W(dir / "out"));
  ASSERT_TRUE(OpenSection(f, reader));
  CBaseVideoObj video;
  video.SetVideoFullPathName(W(clips[0]));
  EXPECT_FALSE(reader.ExtractVideo(&f, &video, CString(), CString()));
  EXPECT_EQ(video.GetVideoFullPathName(), W(clips[0]));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "out"), fs::directory_iterator()), before);
}

// The folders clips are unpacked into are new each time and named so the folder emptying can
// tell them from folders of the user's own.
TEST(VideoSection, UnpackedClipFoldersAreNewAndRecognisable) {
  lwtest::TempDir dir;
  std::set<std::wstring> made;
  for (int i = 0; i < 50; ++i) {
    const std::wstring folder = Quirebook::MakeUnpackedClipFolder(W(dir.path()));
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(fs::is_directory(lw::WideToUtf8(folder)));
    EXPECT_TRUE(made.insert(folder).second);
    EXPECT_TRUE(Quirebook::IsUnpackedClipFolderName(lw::Utf8ToWide(fs::path(lw::WideToUtf8(folder)).filename().string())));
  }
  EXPECT_TRUE(Quirebook::MakeUnpackedClipFolder(W(dir / "missing")).empty());
  EXPECT_TRUE(Quirebook::MakeUnpackedClipFolder(L"").empty());
  for (const wchar_t* name : {L"unpacked-", L"unpacked-0123456789abcdeg", L"unpacked-0123456789ABCDEF",
                              L"unpacked-0123456789abcdef0", L"Unpacked-0123456789abcdef", L"sub"})
    EXPECT_FALSE(Quirebook::IsUnpackedClipFolderName(name)) << lw::WideToUtf8(name);
  EXPECT_TRUE(Quirebook::IsUnpackedClipFolderName(L"unpacked-0123456789abcdef"));
}
