// The payload store's working buffer: a byte stream with a position.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/mem_stream.h"

// Writes advance the position and grow the stream; reads stop at the end.
TEST(PayloadMemStream, WriteThenReadBack) {
  TMemStream s;
  s.Write("hello ", 6);
  s.Write("world", 5);
  EXPECT_EQ(s.Size(), 11u);
  EXPECT_EQ(s.Position(), 11u);
  s.SetPosition(6);
  char out[16] = {};
  EXPECT_EQ(s.Read(out, sizeof out), 5u);
  EXPECT_STREQ(out, "world");
  EXPECT_EQ(s.Position(), 11u);
  EXPECT_EQ(s.Read(out, 4), 0u);  // at the end
  s.SetPosition(100);
  EXPECT_EQ(s.Read(out, 4), 0u);  // past the end
}

// Writing over the middle replaces bytes; writing past the end fills the gap with zeros.
TEST(PayloadMemStream, OverwriteAndGap) {
  TMemStream s;
  s.Write("abcdef", 6);
  s.SetPosition(2);
  s.Write("XY", 2);
  EXPECT_EQ(s.Size(), 6u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.Data()), 6), "abXYef");
  s.SetPosition(8);
  s.Write("z", 1);
  ASSERT_EQ(s.Size(), 9u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.Data()), 9), std::string("abXYef\0\0z", 9));
}

// Clear empties the stream but keeps its storage for the next record; Release frees it.
TEST(PayloadMemStream, ClearKeepsStorageReleaseFreesIt) {
  TMemStream s;
  s.SetSize(1 << 20);
  const std::size_t capacity = s.Capacity();
  s.Clear();
  EXPECT_EQ(s.Size(), 0u);
  EXPECT_EQ(s.Position(), 0u);
  EXPECT_EQ(s.Capacity(), capacity);
  s.Release();
  EXPECT_EQ(s.Capacity(), 0u);
  EXPECT_EQ(s.Data(), nullptr);
}

// Moving hands the bytes over and leaves the source empty.
TEST(PayloadMemStream, MoveTransfersContent) {
  TMemStream a;
  a.Write("data", 4);
  TMemStream b(std::move(a));
  EXPECT_EQ(b.Size(), 4u);
  EXPECT_EQ(std::memcmp(b.Data(), "data", 4), 0);
  EXPECT_EQ(a.Size(), 0u);  // NOLINT(bugprone-use-after-move): moved-from state is defined
}
