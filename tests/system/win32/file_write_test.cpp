// WriteBytesToFile on real files: truncation, exclusive use, GBK names, failures.
#include "runtime/system/file_write.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "tests/support/scratch_dir.h"

namespace lq {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), {}};
}

ByteSet Bytes(std::string_view s) { return ByteSet::FromString(s); }

TEST(WriteBytesToFile, EmptyNameIsFalse) { EXPECT_FALSE(WriteBytesToFile(Text(), Bytes("x"))); }

TEST(WriteBytesToFile, MissingDirectoryIsFalseAndCreatesNothing) {
  test::ScratchDir dir("write-missing");
  EXPECT_FALSE(WriteBytesToFile(Text(dir.Gbk(L"nothing\\here.bin")), Bytes("x")));
  EXPECT_FALSE(fs::exists(dir.path() / L"nothing"));
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(WriteBytesToFile, ExistingFileIsTruncated) {
  test::ScratchDir dir("write-truncate");
  const Text name(dir.Gbk(L"f.bin"));
  ASSERT_TRUE(WriteBytesToFile(name, Bytes("0123456789")));
  ASSERT_TRUE(WriteBytesToFile(name, Bytes("ab")));
  EXPECT_EQ(ReadAll(dir.path() / L"f.bin"), "ab");
  // Only empty sets: the file is emptied, and that is a success.
  ASSERT_TRUE(WriteBytesToFile(name, ByteSet(), ByteSet()));
  EXPECT_EQ(fs::file_size(dir.path() / L"f.bin"), 0u);
}

TEST(WriteBytesToFile, SetsAreWrittenInOrderSkippingEmptyOnes) {
  test::ScratchDir dir("write-order");
  const std::string zeros("\0\0\x01\0", 4);
  ASSERT_TRUE(WriteBytesToFile(Text(dir.Gbk(L"o.bin")), Bytes("one,"), ByteSet(), Bytes(zeros),
                               ByteSet(), Bytes(",three")));
  EXPECT_EQ(ReadAll(dir.path() / L"o.bin"), "one," + zeros + ",three");
}

TEST(WriteBytesToFile, FileHeldOpenElsewhereIsFalseAndKeepsItsContent) {
  test::ScratchDir dir("write-held");
  const fs::path path = dir.path() / L"ClientZips.txt";
  { std::ofstream(path, std::ios::binary) << "kept"; }
  HANDLE other = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(WriteBytesToFile(Text(test::GbkPath(path)), Bytes("new")));
  CloseHandle(other);
  EXPECT_EQ(ReadAll(path), "kept");
  EXPECT_TRUE(WriteBytesToFile(Text(test::GbkPath(path)), Bytes("new")));
  EXPECT_EQ(ReadAll(path), "new");
}

TEST(WriteBytesToFile, GbkNameBecomesTheRightUnicodeName) {
  test::ScratchDir dir("write-gbk");
  // "悍警巨魔.zip" in GBK, spelled out so the check does not depend on the source encoding.
  const std::string gbkName = "\xBA\xB7\xBE\xAF\xBE\xDE\xC4\xA7.zip";
  ASSERT_EQ(gbkName, "悍警巨魔.zip");
  ASSERT_TRUE(WriteBytesToFile(Text(dir.Gbk() + "\\" + gbkName), Bytes("PK")));
  std::vector<std::wstring> names;
  for (const auto& e : fs::directory_iterator(dir.path())) names.push_back(e.path().filename());
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0], L"\u608D\u8B66\u5DE8\u9B54.zip");
  EXPECT_EQ(ReadAll(dir.path() / L"\u608D\u8B66\u5DE8\u9B54.zip"), "PK");
}

TEST(WriteBytesToFile, DirectoryAsNameIsFalse) {
  test::ScratchDir dir("write-dir");
  fs::create_directory(dir.path() / L"sub");
  EXPECT_FALSE(WriteBytesToFile(Text(dir.Gbk(L"sub")), Bytes("x")));
  EXPECT_TRUE(fs::is_directory(dir.path() / L"sub"));
}

TEST(WriteBytesToFile, ConcurrentWritersNeverMixTheirContents) {
  // Two installations writing the list at once: each write is whole or fails.
  test::ScratchDir dir("write-race");
  const Text name(dir.Gbk(L"list.txt"));
  const ByteSet a(std::vector<std::uint8_t>(200000, 'a'));
  const ByteSet b(std::vector<std::uint8_t>(150000, 'b'));
  std::atomic<bool> go{false};
  auto writer = [&](const ByteSet& content) {
    while (!go) std::this_thread::yield();
    for (int i = 0; i < 50; ++i) WriteBytesToFile(name, content, content);
  };
  std::thread ta(writer, std::cref(a)), tb(writer, std::cref(b));
  go = true;
  ta.join();
  tb.join();
  const std::string content = ReadAll(dir.path() / L"list.txt");
  EXPECT_TRUE(content == std::string(400000, 'a') || content == std::string(300000, 'b'))
      << "mixed content of " << content.size() << " bytes";
}

}  // namespace
}  // namespace lq
