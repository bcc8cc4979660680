#include <gtest/gtest.h>

#include "platform/msg_box.h"
#include "platform/text.h"

using platform::cScopedMsgCapture;

TEST(MsgCapture, NestedCapturesGiveBackTheOuterSink) {
  cScopedMsgCapture outer;
  platform::msg("one");
  {
    cScopedMsgCapture inner;
    platform::msg("two");
    EXPECT_EQ(inner.box.texts, std::vector<std::string>{"two"});
  }
  platform::msg("three");  // reached stderr before the fix
  EXPECT_EQ(outer.box.texts, (std::vector<std::string>{"one", "three"}));
}

TEST(TextHelpers, TrimBlanksAndLowerAsciiOnly) {
  EXPECT_EQ(platform::trim("  a b  "), "a b");
  EXPECT_EQ(platform::trim("   "), "");
  EXPECT_EQ(platform::trim("\tx "), "\tx");  // only blanks are trimmed
  EXPECT_EQ(platform::lower_Ascii("Photo.JPG"), "photo.jpg");
  EXPECT_EQ(platform::lower_Ascii("ФОТО.Pek"), "ФОТО.pek");  // other bytes unchanged
}
