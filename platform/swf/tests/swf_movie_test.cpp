// Movies, clips and display items: file header, the frame tags, character ids and placements.
#include <gtest/gtest.h>

#include <unistd.h>

#include "ReplaceKill.h"
#include "TestSupport.h"
#include "swf/ming.h"
#include "swf_reader_support.h"
#include "swf_samples_support.h"

using namespace swftest;

namespace {

SWFShape Square(double size) {
  SWFShape s = newSWFShape();
  SWFShape_useVersion(s, 4);
  SWFFillStyle style = newSWFSolidFillStyle(1, 2, 3, 255);
  SWFFill fill = newSWFFill(style);
  SWFShape_setRightFill(s, fill);
  SWFShape_movePenTo(s, 0, 0);
  SWFShape_drawLineTo(s, size, 0);
  SWFShape_drawLineTo(s, size, size);
  SWFShape_drawLineTo(s, 0, 0);
  destroySWFFill(fill);
  destroySWFFillStyle(style);
  return s;
}

Movie Parse(SWFMovie m) {
  Movie out;
  std::string error;
  EXPECT_TRUE(SaveAndParse(m, &out, &error)) << error;
  return out;
}

std::vector<int> Codes(const std::vector<Tag>& tags) {
  std::vector<int> c;
  for (const auto& t : tags) c.push_back(t.code);
  return c;
}

}  // namespace

TEST(SwfMovie, HeaderFrameTagsAndPlacement) {
  for (int level : {0, 9}) {
    SCOPED_TRACE(level);
    SWFMovie m = newSWFMovieWithVersion(8);
    SWFMovie_setBackground(m, 255, 128, 0);
    SWFMovie_setDimension(m, 612.5, 792);
    SWFMovie_setRate(m, 20);
    SWFMovie_setCompression(m, level);
    SWFShape s = Square(10);
    SWFDisplayItem item = SWFMovie_add(m, s);
    ASSERT_NE(item, nullptr);
    SWFDisplayItem_setMatrix(item, 2, 0.5, -0.25, 1.5, 10, -5);
    SWFDisplayItem_moveTo(item, 100, 100.05);  // keeps the scale, rotation and skew
    SWFDisplayItem_setName(item, "objects");
    destroySWFShape(s);

    Movie mv = Parse(m);
    EXPECT_EQ(mv.signature, level ? "CWS" : "FWS");
    EXPECT_EQ(mv.version, 8);
    EXPECT_EQ(mv.frame.xmin, 0);
    EXPECT_EQ(mv.frame.xmax, 12250);
    EXPECT_EQ(mv.frame.ymax, 15840);
    EXPECT_DOUBLE_EQ(mv.rate, 20.0);
    EXPECT_EQ(mv.frameCount, 1);
    EXPECT_EQ(Codes(mv.tags), (std::vector<int>{kFileAttributes, kSetBackgroundColor, kDefineShape4,
                                                kPlaceObject2, kShowFrame, kEnd}));
    EXPECT_EQ(mv.tags[0].body, (std::vector<uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(mv.tags[1].body, (std::vector<uint8_t>{255, 128, 0}));
    Place p;
    std::string error;
    ASSERT_TRUE(ParsePlace2(mv.tags[3], &p, &error)) << error;
    EXPECT_EQ(p.depth, 1);
    EXPECT_EQ(p.characterId, 1);
    EXPECT_EQ(p.name, "objects");
    EXPECT_DOUBLE_EQ(p.matrix.a, 2);
    EXPECT_DOUBLE_EQ(p.matrix.b, 0.5);
    EXPECT_DOUBLE_EQ(p.matrix.c, -0.25);
    EXPECT_DOUBLE_EQ(p.matrix.d, 1.5);
    EXPECT_EQ(p.matrix.tx, 2000);
    EXPECT_EQ(p.matrix.ty, 2001);
    destroySWFMovie(m);
  }
}

TEST(SwfMovie, OnlyVersionEightAndLaterAreMade) {
  EXPECT_EQ(newSWFMovieWithVersion(7), nullptr);
  EXPECT_EQ(newSWFMovieWithVersion(256), nullptr);
  SWFMovie m = newSWFMovieWithVersion(10);
  ASSERT_NE(m, nullptr);
  Movie mv = Parse(m);
  EXPECT_EQ(mv.version, 10);
  // Nothing placed: still one frame, and no background tag unless one was set.
  EXPECT_EQ(Codes(mv.tags), (std::vector<int>{kFileAttributes, kShowFrame, kEnd}));
  destroySWFMovie(m);
}

// Ids are given per movie at save: a second movie starts at 1 again, and a block shared by two
// placements is defined once.
TEST(SwfMovie, CharacterIdsPerMovie) {
  SWFShape shared = Square(5);
  std::vector<Movie> movies;
  for (int i = 0; i < 2; ++i) {
    SWFMovie m = newSWFMovieWithVersion(8);
    SWFShape own = Square(7);
    SWFMovie_add(m, own);
    SWFMovie_add(m, shared);
    SWFMovie_add(m, shared);
    destroySWFShape(own);
    movies.push_back(Parse(m));
    destroySWFMovie(m);
  }
  destroySWFShape(shared);
  for (const Movie& mv : movies) {
    auto shapes = FindTags(mv.tags, kDefineShape4);
    ASSERT_EQ(shapes.size(), 2u);
    auto places = FindTags(mv.tags, kPlaceObject2);
    ASSERT_EQ(places.size(), 3u);
    std::vector<int> ids, depths;
    for (const Tag* t : places) {
      Place p;
      ASSERT_TRUE(ParsePlace2(*t, &p, nullptr));
      ids.push_back(p.characterId);
      depths.push_back(p.depth);
    }
    EXPECT_EQ(ids, (std::vector<int>{1, 2, 2}));
    EXPECT_EQ(depths, (std::vector<int>{1, 2, 3}));
  }
}

// A clip's definitions come before the DefineSprite in the root; the sprite holds only control
// tags; its frames are counted; actions go where they were added.
TEST(SwfMovie, ClipsNestAndCountFrames) {
  SWFMovie m = newSWFMovieWithVersion(8);
  SWFMovieClip outer = newSWFMovieClip();
  SWFMovieClip inner = newSWFMovieClip();
  SWFShape s = Square(3);
  SWFVideoStream v = newSWFVideoStream();
  SWFVideoStream_setDimension(v, 320, 240);
  SWFDisplayItem vi = SWFMovieClip_add(inner, v);
  SWFDisplayItem_setName(vi, "avStream");
  SWFAction a = newSWFAction("var x = 1;");
  EXPECT_EQ(SWFAction_getError(a, nullptr, nullptr), nullptr);
  EXPECT_EQ(SWFMovieClip_add(inner, a), nullptr);
  SWFMovieClip_nextFrame(inner);
  SWFMovieClip_add(outer, s);
  SWFDisplayItem ii = SWFMovieClip_add(outer, inner);
  SWFDisplayItem_setName(ii, "video1");
  SWFMovieClip_nextFrame(outer);
  SWFMovieClip_add(outer, s);  // a second frame, ended at save
  SWFMovie_add(m, outer);
  // Cycles are refused.
  EXPECT_EQ(SWFMovieClip_add(inner, outer), nullptr);
  EXPECT_EQ(SWFMovieClip_add(inner, inner), nullptr);
  destroySWFAction(a);
  destroySWFVideoStream(v);
  destroySWFShape(s);
  destroySWFMovieClip(inner);
  destroySWFMovieClip(outer);

  Movie mv = Parse(m);
  destroySWFMovie(m);
  EXPECT_EQ(Codes(mv.tags), (std::vector<int>{kFileAttributes, kDefineShape4, kDefineVideoStream,
                                              kDefineSprite, kDefineSprite, kPlaceObject2, kShowFrame,
                                              kEnd}));
  VideoStream vs;
  ASSERT_TRUE(ParseVideoStream(mv.tags[2], &vs, nullptr));
  EXPECT_EQ(vs.frames, 0);
  EXPECT_EQ(vs.width, 320);
  EXPECT_EQ(vs.height, 240);
  EXPECT_EQ(vs.codec, 0);

  Sprite in, out;
  ASSERT_TRUE(ParseSprite(mv.tags[3], &in, nullptr));
  ASSERT_TRUE(ParseSprite(mv.tags[4], &out, nullptr));
  EXPECT_EQ(in.frameCount, 1);
  EXPECT_EQ(Codes(in.tags), (std::vector<int>{kPlaceObject2, kDoAction, kShowFrame, kEnd}));
  Place p;
  ASSERT_TRUE(ParsePlace2(in.tags[0], &p, nullptr));
  EXPECT_EQ(p.characterId, vs.id);
  EXPECT_EQ(p.name, "avStream");
  std::vector<Action> actions;
  std::string error;
  ASSERT_TRUE(ParseActions(in.tags[1].body, &actions, &error)) << error;
  EXPECT_EQ(actions.back().code, 0);

  EXPECT_EQ(out.frameCount, 2);
  EXPECT_EQ(Codes(out.tags),
            (std::vector<int>{kPlaceObject2, kPlaceObject2, kShowFrame, kPlaceObject2, kShowFrame, kEnd}));
  ASSERT_TRUE(ParsePlace2(out.tags[1], &p, nullptr));
  EXPECT_EQ(p.characterId, in.id);
  EXPECT_EQ(p.name, "video1");
  EXPECT_EQ(p.depth, 2);
}

TEST(SwfMovie, FailedScriptAddsNothingAndTellsWhy) {
  SWFAction bad = newSWFAction("var = ;");
  int line = 0, column = 0;
  const char* why = SWFAction_getError(bad, &line, &column);
  ASSERT_NE(why, nullptr);
  EXPECT_NE(std::string(why), "");
  EXPECT_EQ(line, 1);
  EXPECT_GT(column, 0);
  SWFAction none = newSWFAction(nullptr);
  EXPECT_NE(SWFAction_getError(none, nullptr, nullptr), nullptr);

  SWFMovie m = newSWFMovieWithVersion(8);
  SWFMovie_add(m, bad);
  SWFMovie_add(m, none);
  destroySWFAction(bad);
  destroySWFAction(none);
  Movie mv = Parse(m);
  destroySWFMovie(m);
  EXPECT_TRUE(FindTags(mv.tags, kDoAction).empty());
}

// A save goes to a temporary file renamed over the target: an unwritable target leaves the old
// file as it was and reports failure.
TEST(SwfMovie, SaveReplacesWholeFileOrNothing) {
  lwtest::TempDir dir;
  auto path = dir / "page001.swf";
  lwtest::WriteFileBytes(path, {'o', 'l', 'd'});
  SWFMovie m = newSWFMovieWithVersion(8);
  SWFShape s = Square(4);
  SWFMovie_add(m, s);
  destroySWFShape(s);
  int size = SWFMovie_save(m, path.c_str());
  ASSERT_GT(size, 0);
  auto bytes = lwtest::ReadFileBytes(path);
  EXPECT_EQ(int(bytes.size()), size);
  Movie mv;
  std::string error;
  EXPECT_TRUE(ParseMovie(bytes, &mv, &error)) << error;

  EXPECT_EQ(SWFMovie_save(m, (dir / "missing" / "x.swf").c_str()), -1);
  EXPECT_NE(std::string(Ming_getLastError()), "");
  EXPECT_EQ(SWFMovie_save(m, nullptr), -1);
  destroySWFMovie(m);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

// A save killed before the rename leaves the old movie, after it the whole new one; a link at the
// target stays a link to the file that gets the movie.
TEST(SwfMovie, KilledSaveLeavesOldOrNewMovieAndKeepsALink) {
  SWFMovie m = newSWFMovieWithVersion(8);
  SWFShape s = Square(4);
  SWFMovie_add(m, s);
  destroySWFShape(s);
  std::vector<uint8_t> movie;
  ASSERT_TRUE(SWFMovie_saveToBuffer(m, &movie));
  const std::vector<uint8_t> old = {'o', 'l', 'd'};
  for (bool throughLink : {false, true}) {
    SCOPED_TRACE(throughLink ? "through a link" : "direct");
    lwtest::TempDir dir;
    lwtest::WriteFileBytes(dir / "page001.swf", old);
    if (throughLink) std::filesystem::create_symlink("page001.swf", dir / "alias.swf");
    const std::string named = (dir / (throughLink ? "alias.swf" : "page001.swf")).string();
    const auto save = [&] { SWFMovie_save(m, named.c_str()); };
    EXPECT_TRUE(lwtest::SaveKilledAt(lw::ReplaceStep::kSynced, save));
    EXPECT_EQ(lwtest::ReadFileBytes(dir / "page001.swf"), old);
    EXPECT_TRUE(lwtest::SaveKilledAt(lw::ReplaceStep::kRenamed, save));
    EXPECT_EQ(lwtest::ReadFileBytes(dir / "page001.swf"), movie);
    EXPECT_EQ(SWFMovie_save(m, named.c_str()), int(movie.size()));
    EXPECT_EQ(std::filesystem::is_symlink(named), throughLink);
  }
  destroySWFMovie(m);
}

// Depths and character ids are 16-bit: a movie that needs more fails to save instead of writing
// repeated numbers.
TEST(SwfMovie, MoreDepthsOrIdsThanTheFormatHoldsFailTheSave) {
  for (bool ids : {false, true}) {
    SCOPED_TRACE(ids ? "ids" : "depths");
    SWFMovie m = newSWFMovieWithVersion(8);
    SWFShape shared = Square(1);
    if (ids) {
      for (int c = 0; c < 300; ++c) {
        SWFMovieClip clip = newSWFMovieClip();
        for (int i = 0; i < 220; ++i) {
          SWFShape s = Square(1);
          SWFMovieClip_add(clip, s);
          destroySWFShape(s);
        }
        SWFMovie_add(m, clip);
        destroySWFMovieClip(clip);
      }
    } else {
      for (int i = 0; i < 65536; ++i) SWFMovie_add(m, shared);
    }
    destroySWFShape(shared);
    std::vector<uint8_t> out;
    EXPECT_FALSE(SWFMovie_saveToBuffer(m, &out));
    EXPECT_NE(std::string(Ming_getLastError()).find("65535"), std::string::npos);
    destroySWFMovie(m);
  }
}
