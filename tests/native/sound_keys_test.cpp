#include "common/sound.hpp"

#include <gtest/gtest.h>

TEST(SoundKeys, SevenEventsAndNothingOutsideThem) {
  EXPECT_EQ(kestrom::sound_event_key(0), "AppEvents\\Schemes\\Apps\\Kestrom\\Open\\.current");
  EXPECT_EQ(kestrom::sound_event_key(1), "AppEvents\\Schemes\\Apps\\Kestrom\\Startup Alert\\.current");
  EXPECT_EQ(kestrom::sound_event_key(6), "AppEvents\\Schemes\\Apps\\Kestrom\\SystemFile Alert\\.current");
  EXPECT_EQ(kestrom::sound_event_key(-1), "");
  EXPECT_EQ(kestrom::sound_event_key(7), "");
}
