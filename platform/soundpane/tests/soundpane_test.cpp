#include "Soundpane.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

// With no sound server to reach (as on a build machine) the renderer opens silently and accepts
// sound without blocking; Stop closes it and a later Open works again.
TEST(Soundpane, FallsBackToSilenceWithoutADevice) {
  ASSERT_EQ(setenv("PULSE_SERVER", "unix:/nonexistent/leafwright-test/native", 1), 0);
  ASSERT_EQ(setenv("PULSE_AUTOSPAWN", "no", 1), 0);
  IAudioRender* audio = CreateAudioRender(0);
  ASSERT_NE(audio, nullptr);
  EXPECT_EQ(audio->GetOutputKind(), AUDIO_OUTPUT_NONE);
  const std::vector<int16_t> second(44100 * 2, 1000);
  EXPECT_NE(audio->Write(second.data(), 44100), 0);  // not open yet

  EXPECT_EQ(audio->Open(44100, 2), 0);
  EXPECT_EQ(audio->GetOutputKind(), AUDIO_OUTPUT_SILENT);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(audio->Write(second.data(), 44100), 0);  // twenty seconds, at once
  EXPECT_EQ(audio->Stop(), 0);
  EXPECT_EQ(audio->GetOutputKind(), AUDIO_OUTPUT_NONE);
  EXPECT_EQ(audio->Open(22050, 1), 0);
  EXPECT_EQ(audio->GetOutputKind(), AUDIO_OUTPUT_SILENT);
  EXPECT_EQ(audio->Release(), 0);
}

TEST(Soundpane, RefusesUnplayableFormats) {
  IAudioRender* audio = CreateAudioRender(0);
  ASSERT_NE(audio, nullptr);
  const int bad[][2] = {{0, 2}, {999, 2}, {500000, 2}, {44100, 0}, {44100, 9}};
  for (const auto& f : bad) EXPECT_EQ(audio->Open(f[0], f[1]), -1) << f[0] << " Hz, " << f[1] << " channels";
  EXPECT_EQ(audio->GetOutputKind(), AUDIO_OUTPUT_NONE);
  int16_t sample = 0;
  EXPECT_EQ(audio->Write(nullptr, 1), -1);
  EXPECT_NE(audio->Write(&sample, 1), 0);
  audio->Release();
}

}  // namespace
