// Documents, folders and tools for the flip-book tests.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <quirebook/PublicationDoc.h>
#include <quirebook/VideoObj.h>
#include <vectorloom/UnitConv.h>

#include "swf_reader_support.h"

namespace fliptest {

namespace fs = std::filesystem;

// A temporary folder removed with the object.
class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/flipbook_test_XXXXXX";
    path_ = mkdtemp(tmpl) ? tmpl : "";
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }
  std::string str() const { return path_.string(); }
  std::wstring wstr() const { return path_.wstring(); }

 private:
  fs::path path_;
};

// A document of `pages` loaded pages of width x height points.
inline void AddPages(CPublicationDoc& doc, int pages, float width = 595.0f, float height = 842.0f) {
  doc.SetDocLogSize(width, height, Vectorloom::UNIT_POINT);
  for (int i = 0; i < pages; ++i) {
    auto* page = new CDrawingPage;
    page->SetLogWidth(width);
    page->SetLogHeight(height);
    page->SetPageLogUnit(Vectorloom::UNIT_POINT);
    page->SetPageContentLoaded(1);
    doc.GetRenderPagesArray().AddPage(page);
  }
}

// A video object of the clip at `path` on the page, 160 x 120 pixels at (x, y).
inline Quirebook::CBaseVideoObj* AddVideo(CDrawingPage* page, const std::wstring& path, float x = 40, float y = 40) {
  auto* video = new Quirebook::CBaseVideoObj;
  video->SetVideoFullPathName(path);
  video->SetVideoObjectSize({160.0f, 120.0f});
  video->SetTransMatrix(Vectorloom::CQorTransMatrix::Translation(x, y), false);
  video->AddRef();
  page->AddShapeObject(video);
  video->Release();
  return video;
}

// A stand-in for the Flash player every package carries (the real one is 30 MB), named by
// LEAFWRIGHT_RUFFLE_DIR for the rest of the process: scripts, WebAssembly, a licence, and a source
// map and an npm file that packages leave out.
inline const fs::path& UseStandInPlayer() {
  static const TempDir player;
  static const bool made = [] {
    for (const char* name : {"ruffle.js", "core.ruffle.abc.js", "abc.wasm", "LICENSE_MIT", "ruffle.js.map", "package.json"})
      std::ofstream(player.path() / name) << name;
    return true;
  }();
  (void)made;
  setenv("LEAFWRIGHT_RUFFLE_DIR", player.str().c_str(), 1);
  return player.path();
}
// What a package holds of the stand-in player.
inline const std::set<std::string> kStandInPlayerFiles = {"ruffle/ruffle.js", "ruffle/core.ruffle.abc.js", "ruffle/abc.wasm",
                                                          "ruffle/LICENSE_MIT"};

// Every file below the folder, as paths relative to it.
inline std::set<std::string> FilesBelow(const fs::path& root) {
  std::set<std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (!e.is_directory()) out.insert(fs::relative(e.path(), root).string());
  return out;
}

inline std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::vector<uint8_t> ReadBytes(const fs::path& p) {
  const std::string s = ReadFile(p);
  return std::vector<uint8_t>(s.begin(), s.end());
}

inline std::string Shell(const std::string& cmd, int* status = nullptr) {
  std::string out;
  FILE* p = popen((cmd + " 2>&1").c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  const int rc = pclose(p);
  if (status) *status = rc;
  return out;
}

// The strings pushed by the actions of every DoAction tag of a movie, the names of the functions
// it defines and the names of placed clips, sprites included, one a line (enough to see which
// names and calls a script holds).
inline bool MovieStrings(const std::vector<uint8_t>& file, std::string* strings, std::string* error,
                         int* actionTags = nullptr) {
  swftest::Movie movie;
  if (!swftest::ParseMovie(file, &movie, error)) return false;
  std::vector<std::vector<swftest::Tag>> lists{movie.tags};
  int doActions = 0;
  while (!lists.empty()) {
    std::vector<swftest::Tag> tags = std::move(lists.back());
    lists.pop_back();
    for (const swftest::Tag& tag : tags) {
      if (tag.code == swftest::kDefineSprite) {
        swftest::Sprite sprite;
        if (!swftest::ParseSprite(tag, &sprite, error)) return false;
        lists.push_back(sprite.tags);
      } else if (tag.code == swftest::kPlaceObject2) {
        swftest::Place place;
        if (!swftest::ParsePlace2(tag, &place, error)) return false;
        if (!place.name.empty()) *strings += place.name + "\n";
      } else if (tag.code == swftest::kDoAction) {
        ++doActions;
        std::vector<swftest::Action> actions;
        if (!swftest::ParseActions(tag.body, &actions, error)) return false;
        for (const swftest::Action& a : actions) {
          if (a.code == 0x9B || a.code == 0x8E) {  // DefineFunction(2): the name comes first
            size_t end = 0;
            while (end < a.payload.size() && a.payload[end]) ++end;
            strings->append(reinterpret_cast<const char*>(a.payload.data()), end);
            strings->push_back('\n');
          }
          if (a.code != 0x96) continue;  // Push
          size_t i = 0;
          while (i < a.payload.size()) {
            const uint8_t type = a.payload[i++];
            if (type == 0) {
              size_t end = i;
              while (end < a.payload.size() && a.payload[end]) ++end;
              strings->append(reinterpret_cast<const char*>(a.payload.data() + i), end - i);
              strings->push_back('\n');
              i = end + 1;
            } else if (type == 1 || type == 7) {
              i += 4;
            } else if (type == 6) {
              i += 8;
            } else if (type == 4 || type == 5 || type == 8) {
              i += 1;
            } else if (type == 9) {
              i += 2;
            }
          }
        }
      }
    }
  }
  if (actionTags) *actionTags = doActions;
  return true;
}

}  // namespace fliptest
