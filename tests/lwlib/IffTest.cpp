#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "diag/Dbug.h"
#include "lwlib/object/Iff.h"

using testsupport::ByteWriter;
using testsupport::CapturedOutput;

namespace {

std::vector<uint8_t> Form(const std::string& type, const std::vector<uint8_t>& chunks) {
  ByteWriter w;
  w.Text("FORM").BeU4(static_cast<uint32_t>(chunks.size() + 4)).Text(type).Bytes(chunks);
  return w.bytes();
}

struct Seen {
  std::vector<std::string> order;
  std::vector<uint32_t> sizes;
  std::vector<std::vector<uint8_t>> data;
};

uint32_t Record(uint32_t size, const uint8_t* data, void* user) {
  auto* seen = static_cast<Seen*>(user);
  seen->sizes.push_back(size);
  seen->data.emplace_back(data, data + size);
  return 0;
}

class IffTest : public testing::Test {
 protected:
  void TearDown() override {
    IffClearHandlers();
    EXPECT_EQ(testsupport::LiveTrackedBlocks(), live_);
  }
  testsupport::TempDir dir_;
  int32_t live_ = testsupport::LiveTrackedBlocks();
};

uint32_t RecordA(uint32_t s, const uint8_t* d, void* u) {
  static_cast<Seen*>(u)->order.push_back("AAAA");
  return Record(s, d, u);
}
uint32_t RecordB(uint32_t s, const uint8_t* d, void* u) {
  static_cast<Seen*>(u)->order.push_back("BBBB");
  return Record(s, d, u);
}

}  // namespace

TEST_F(IffTest, OddChunksHaveNoPadAndDispatchRunsLastChunkFirst) {
  ByteWriter chunks;
  chunks.Chunk("AAAA", {1, 2, 3}).Chunk("BBBB", {4, 5}).Chunk("CCCC", {6}).Chunk("AAAA", {7});
  IffFile iff;
  ASSERT_TRUE(IffLoadMemory(&iff, Form("LWOB", chunks.bytes())));
  EXPECT_EQ(iff.bodyLength, chunks.size());
  Seen seen;
  ASSERT_TRUE(IffRegisterHandler("AAAA", RecordA, &seen));
  ASSERT_TRUE(IffRegisterHandler("BBBB", RecordB, &seen));
  IffDispatch(&iff);  // CCCC has no handler and is passed over
  EXPECT_EQ(seen.order, (std::vector<std::string>{"AAAA", "BBBB", "AAAA"}));
  EXPECT_EQ(seen.data[0], std::vector<uint8_t>{7});
  EXPECT_EQ(seen.data[1], (std::vector<uint8_t>{4, 5}));
  EXPECT_EQ(seen.data[2], (std::vector<uint8_t>{1, 2, 3}));
  IffFree(&iff);
}

TEST_F(IffTest, DuplicateRegistrationIsRefusedAndKeepsTheFirst) {
  Seen first, second;
  ASSERT_TRUE(IffRegisterHandler("PNTS", RecordA, &first));
  EXPECT_FALSE(IffRegisterHandler("PNTS", RecordB, &second));
  const IffHandlerEntry* e = IffFindHandler("PNTS", IffHandlerRegistry());
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->userData, &first);
  EXPECT_EQ(IffFindHandler("pnts", IffHandlerRegistry()), nullptr);  // case-sensitive
  IffClearHandlers();
  EXPECT_EQ(IffHandlerRegistry(), nullptr);
  EXPECT_TRUE(IffRegisterHandler("PNTS", RecordB, &second));
}

TEST_F(IffTest, OtherFormsAndShortFilesAreRefusedSilently) {
  CapturedOutput out;
  IffFile iff;
  EXPECT_FALSE(IffLoadMemory(&iff, Form("ILBM", ByteWriter().Chunk("AAAA", {1}).bytes())));
  EXPECT_FALSE(IffLoadMemory(&iff, std::vector<uint8_t>{'F', 'O', 'R', 'M', 0, 0}));
  EXPECT_FALSE(IffLoadMemory(&iff, ByteWriter().Text("FORM").BeU4(3).Text("LWOB").bytes()));
  // A FORM size larger than the file: refused before anything is allocated.
  EXPECT_FALSE(IffLoadMemory(&iff, ByteWriter().Text("FORM").BeU4(0xFFFFFFF0u).Text("LWOB").bytes()));
  EXPECT_TRUE(out.lines().empty());
  EXPECT_FALSE(IffLoad(&iff, dir_.File("missing.lwo").c_str()));
  ASSERT_EQ(out.lines().size(), 1u);
  EXPECT_NE(out.lines()[0].find("missing.lwo - mode rb"), std::string::npos);
}

TEST_F(IffTest, ChunksRunningPastTheBodyEndTheWalk) {
  ByteWriter chunks;
  chunks.Chunk("AAAA", {1, 2}).Text("BBBB").BeU4(100).Text("xyz");  // claims 100 bytes, has 3
  IffFile iff;
  ASSERT_TRUE(IffLoadMemory(&iff, Form("LWOB", chunks.bytes())));
  int count = 0;
  for (IffChunk* c = iff.chunks; c; c = c->next) {
    ++count;
    EXPECT_LE(c->data + c->size, iff.body + iff.bodyLength);
  }
  EXPECT_EQ(count, 1);
  IffFree(&iff);
  // A header cut short at the end of the body ends the walk the same way.
  ByteWriter stub;
  stub.Chunk("AAAA", {}).Text("BB");
  ASSERT_TRUE(IffLoadMemory(&iff, Form("LWOB", stub.bytes())));
  ASSERT_NE(iff.chunks, nullptr);
  EXPECT_EQ(iff.chunks->next, nullptr);
  IffFree(&iff);
}
