#include "bytecode_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

class LoadBytecodeFileTest : public ::testing::Test {
 protected:
  std::string WriteFile(const std::string& contents) {
    // ctest runs tests side by side: one file per test.
    path_ = ::testing::TempDir() + "bytecode_file_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".bin";
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    std::fwrite(contents.data(), 1, contents.size(), f);
    std::fclose(f);
    return path_;
  }
  void TearDown() override {
    if (!path_.empty()) std::remove(path_.c_str());
  }
  std::string path_;
};

TEST_F(LoadBytecodeFileTest, ReadsTheWholeFileIncludingZerosAndAppendsAZeroByte) {
  const std::string contents("DX\0BC\0\xff", 7);
  BytecodeBuffer buffer;
  ::testing::internal::CaptureStdout();
  ASSERT_EQ(LoadBytecodeFile(WriteFile(contents).c_str(), &buffer), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  ASSERT_EQ(buffer.count, 7u);
  EXPECT_EQ(std::memcmp(buffer.bytes.get(), contents.data(), 7), 0);
  EXPECT_EQ(buffer.bytes.get()[7], 0);
}

TEST_F(LoadBytecodeFileTest, OneByteFile) {
  BytecodeBuffer buffer;
  ASSERT_EQ(LoadBytecodeFile(WriteFile("x").c_str(), &buffer), 0);
  ASSERT_EQ(buffer.count, 1u);
  EXPECT_EQ(buffer.bytes.get()[0], 'x');
  EXPECT_EQ(buffer.bytes.get()[1], 0);
}

TEST_F(LoadBytecodeFileTest, EmptyFileFailsWithoutAMessage) {
  BytecodeBuffer buffer;
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(LoadBytecodeFile(WriteFile("").c_str(), &buffer), 1);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

// A sparse file: measured, refused, never read or allocated.
TEST_F(LoadBytecodeFileTest, FileOverTheSizeLimitIsRefusedUnread) {
  const std::string path = WriteFile("");
  std::filesystem::resize_file(path, kMaxBytecodeSize + 1);
  BytecodeBuffer buffer;
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(LoadBytecodeFile(path.c_str(), &buffer), 1);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "ERROR: File is larger than the 256 MiB a compiled shader may have: " + path + "\n");
  EXPECT_EQ(buffer.bytes, nullptr);
}

TEST_F(LoadBytecodeFileTest, MissingFileSaysFileNotFound) {
  BytecodeBuffer buffer;
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(LoadBytecodeFile("no/such/file.cso", &buffer), 1);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "ERROR: File not found: no/such/file.cso\n");
  EXPECT_EQ(buffer.bytes, nullptr);
}

}  // namespace
