// Writes the movies that scripts/swf-check renders in a real player, and checks that the test
// reader decodes every tag of them. With LEAFWRIGHT_SWF_CHECK_DIR set the movies are written
// into that folder and kept there; LEAFWRIGHT_SWF_CHECK_SCRIPT names a script file to add as
// script.swf.
#include <gtest/gtest.h>

#include <cstdlib>

#include "TestSupport.h"
#include "swf_reader_support.h"
#include "swf_samples_support.h"

using namespace swftest;

TEST(SwfCheckMovies, WrittenAndDecodable) {
  lwtest::TempDir temp;
  const char* env = std::getenv("LEAFWRIGHT_SWF_CHECK_DIR");
  std::filesystem::path dir = env && *env ? std::filesystem::path(env) : temp.path();
  std::string script;
  if (const char* path = std::getenv("LEAFWRIGHT_SWF_CHECK_SCRIPT"); path && *path) {
    auto bytes = lwtest::ReadFileBytes(path);
    ASSERT_FALSE(bytes.empty()) << "cannot read " << path;
    script.assign(bytes.begin(), bytes.end());
  }
  std::string error;
  auto files = WriteCheckMovies(dir, &error, script);
  ASSERT_EQ(files.size(), script.empty() ? 3u : 5u) << error;
  for (const auto& f : files) {
    SCOPED_TRACE(f.string());
    Movie mv;
    ASSERT_TRUE(ParseMovie(lwtest::ReadFileBytes(f), &mv, &error)) << error;
    for (const Tag& t : mv.tags) {
      switch (t.code) {
        case kDefineShape4: {
          Shape s;
          EXPECT_TRUE(ParseShape4(t, &s, &error)) << error;
          break;
        }
        case kDefineFont2: {
          Font fo;
          EXPECT_TRUE(ParseFont2(t, &fo, &error)) << error;
          break;
        }
        case kDefineText: {
          Text tx;
          EXPECT_TRUE(ParseText(t, &tx, &error)) << error;
          break;
        }
        case kDefineBitsJPEG2:
        case kDefineBitsLossless2: {
          Bitmap b;
          EXPECT_TRUE(ParseBitmap(t, &b, &error)) << error;
          break;
        }
        case kDefineSprite: {
          Sprite sp;
          EXPECT_TRUE(ParseSprite(t, &sp, &error)) << error;
          break;
        }
        case kDoAction: {
          std::vector<Action> a;
          EXPECT_TRUE(ParseActions(t.body, &a, &error)) << error;
          break;
        }
        default:
          break;
      }
    }
  }
}
