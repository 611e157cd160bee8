#include "environment/messages.h"

#include <gtest/gtest.h>

#include "support/message_box_recorder.h"
#include "support/scoped_state.h"

TEST(MessageBoxFlags, LeftToRightKeepsTheFlags) {
  const MessageBoxRecorder recorder;
  ASSERT_TRUE(recorder.Patched());
  const ScopedMessageReadingDirection direction(false);
  const UINT question = MB_SETFOREGROUND | MB_ICONQUESTION | MB_YESNO;
  ShowMessage(nullptr, L"text", L"caption", question);
  EXPECT_EQ(question, recorder.LastFlags());
}
