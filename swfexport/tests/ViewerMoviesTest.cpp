// The viewer files the library carries: the two movies decode tag by tag and action by action,
// the page and video scripts (compiled when a page movie is written) compile, and the texts hold
// what the viewer and the browser read.
#include <gtest/gtest.h>

#include <string>

#include <flarewing/FlipBook.h>
#include <swf/ming.h>

#include "FlipTestKit.h"

namespace {

using namespace fliptest;
namespace flip = QorSWFExportingLib;

std::vector<uint8_t> Resource(const char* type, int id) {
  const std::string s = flip::FlipResourceText(type, id);
  return std::vector<uint8_t>(s.begin(), s.end());
}

// Both viewer movies: compressed SWF 8, every tag and every action record decodes, and the
// scripts name what the package holds and what the page movies offer.
TEST(ViewerMovies, DecodeFullyAndNameThePackagesFiles) {
  const struct {
    int id;
    std::vector<std::string> names;
  } movies[] = {
      {flip::kResMainSwf,
       {"xml/Pages.xml", "txt/Lang.txt", "swf/Pages.swf", "loadFlipPages", "ctrlVideoObjs", "content", "page",
        "bgcolor", "loadercolor", "panelcolor", "buttoncolor", "textcolor", "langButNextPage", "displayState"}},
      {flip::kResPagesSwf, {"loadFlipPages", "MovieClipLoader", "loadClip", "onLoadInit"}},
  };
  for (const auto& m : movies) {
    SCOPED_TRACE(m.id);
    const std::vector<uint8_t> bytes = Resource("SWF", m.id);
    swftest::Movie movie;
    std::string error;
    ASSERT_TRUE(swftest::ParseMovie(bytes, &movie, &error)) << error;
    EXPECT_EQ(movie.signature, "CWS");
    EXPECT_EQ(movie.version, 8);
    std::string strings;
    int actionTags = 0;
    ASSERT_TRUE(MovieStrings(bytes, &strings, &error, &actionTags)) << error;
    EXPECT_EQ(actionTags, 1);
    for (const std::string& name : m.names) EXPECT_NE(strings.find(name + "\n"), std::string::npos) << name;
  }
}

// The viewer's labels come from an exported clip whose one text field starts in the player's own
// sans-serif face: a field made by createTextField starts in a face Ruffle lacks and warns about.
TEST(ViewerMovies, LabelsStartInThePlayersSansSerifFace) {
  const std::vector<uint8_t> bytes = Resource("SWF", flip::kResMainSwf);
  swftest::Movie movie;
  std::string error;
  ASSERT_TRUE(swftest::ParseMovie(bytes, &movie, &error)) << error;
  const auto exports = swftest::FindTags(movie.tags, 56);
  ASSERT_EQ(exports.size(), 1u);
  const std::vector<uint8_t>& ex = exports[0]->body;
  ASSERT_GE(ex.size(), 4u);
  EXPECT_EQ(std::string(ex.begin() + 4, ex.end()), std::string("flipLabel", 10));
  const int spriteId = ex[2] | ex[3] << 8;
  swftest::Sprite sprite;
  bool found = false;
  for (const swftest::Tag* t : swftest::FindTags(movie.tags, swftest::kDefineSprite)) {
    ASSERT_TRUE(swftest::ParseSprite(*t, &sprite, &error)) << error;
    if (sprite.id == spriteId) {
      found = true;
      break;
    }
  }
  ASSERT_TRUE(found);
  swftest::Place place;
  ASSERT_TRUE(swftest::ParsePlace2(*swftest::FindTags(sprite.tags, swftest::kPlaceObject2)[0], &place, &error)) << error;
  EXPECT_EQ(place.name, "label_txt");
  const auto edits = swftest::FindTags(movie.tags, 37);
  ASSERT_EQ(edits.size(), 1u);
  EXPECT_EQ(edits[0]->body[0] | edits[0]->body[1] << 8, place.characterId);
  swftest::Font font;
  ASSERT_TRUE(swftest::ParseFont2(*swftest::FindTags(movie.tags, swftest::kDefineFont2)[0], &font, &error)) << error;
  EXPECT_EQ(font.name, "_sans");
  EXPECT_TRUE(font.glyphs.empty());
  std::string strings;
  ASSERT_TRUE(MovieStrings(bytes, &strings, &error)) << error;
  EXPECT_NE(strings.find("flipLabel\n"), std::string::npos) << "the script attaches its labels";
}

// The scripts placed into page movies compile without error.
TEST(ViewerMovies, PageAndVideoScriptsCompile) {
  for (int id : {flip::kResVideoScript, flip::kResPageScript}) {
    const std::string source = flip::FlipResourceText("TXT", id);
    ASSERT_FALSE(source.empty()) << id;
    SWFAction action = newSWFAction(source.c_str());
    int line = 0, column = 0;
    const char* error = SWFAction_getError(action, &line, &column);
    EXPECT_EQ(error, nullptr) << id << ":" << line << ":" << column << ": " << (error ? error : "");
    destroySWFAction(action);
  }
}

// The language file: UTF-8 with a byte-order mark, 48 CR LF lines of &key=value, the last ending
// in &loadedLang=1; the start page embeds swf/Main through the scripts it includes.
TEST(ViewerMovies, LanguageFileAndStartPage) {
  const std::string lang = flip::FlipResourceText("TXT", flip::kResLangTxt);
  ASSERT_GE(lang.size(), 3u);
  EXPECT_EQ(lang.substr(0, 3), "\xEF\xBB\xBF");
  std::vector<std::string> lines;
  size_t pos = 3;
  while (pos < lang.size()) {
    const size_t end = lang.find("\r\n", pos);
    ASSERT_NE(end, std::string::npos) << "a line without CR LF";
    lines.push_back(lang.substr(pos, end - pos));
    pos = end + 2;
  }
  ASSERT_EQ(lines.size(), 48u);
  for (const std::string& l : lines) EXPECT_TRUE(l.size() > 1 && l[0] == '&' && l.find('=') != std::string::npos) << l;
  EXPECT_TRUE(lines.back().ends_with("&loadedLang=1"));
  for (const char* telling : {"&langFrontCover=Cover", "&langZoomIn=Zoom.In", "&langButSendToFriend=tell a friend",
                              "&langButBG1=park", "&langButBG2=beach", "&langButBG3=office",
                              "&langSendCantSend=don't send!", "&langSendSend=has been send!",
                              "&langButNextPage=", "&langExitFullScreen="})
    EXPECT_NE(lang.find(telling), std::string::npos) << telling;

  const std::string html = flip::FlipResourceText("TXT", flip::kResIndexHtml);
  for (const char* part : {"<title>Norvane Page Flip</title>", "XHTML 1.1", "iso-8859-1", "#ccc",
                           "src=\"js/AC_RunActiveContent.js\"", "src=\"js/PopUpWin.js\"", "'src', 'swf/Main'",
                           "'allowFullScreen', 'true'", "'allowScriptAccess', 'sameDomain'", "'bgcolor', '#cccccc'",
                           "'width', '100%'", "data=\"swf/Main.swf\"", "wmode=\"transparent\"", "<noscript>"})
    EXPECT_NE(html.find(part), std::string::npos) << part;
  for (unsigned char c : html) EXPECT_LT(c, 0x80) << "the page is declared ISO-8859-1 and kept ASCII";

  EXPECT_NE(flip::FlipResourceText("JSCRIPT", flip::kResAcRunActiveContent).find("AC_FL_RunContent"), std::string::npos);
  EXPECT_NE(flip::FlipResourceText("JSCRIPT", flip::kResPopUpWin).find("function PopUp(theURL, winName, features, myWidth, myHeight, isCenter)"),
            std::string::npos);
  EXPECT_EQ(flip::FindFlipResource("SWF", 1003, nullptr), nullptr);  // found by type and id together
}

}  // namespace
