#include "tests/melody/MelodyTestSupport.h"

#include "tests/support/FileFaults.h"

namespace {

namespace fs = std::filesystem;
using testing_support::FaultyFileSystem;
using testing_support::kFaultCode;

std::string Word(uint16_t value) { return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)}; }
std::string Record(const std::string& text, uint16_t tempo) {
  return Word(static_cast<uint16_t>(text.size())) + text + Word(tempo);
}

// Everything a set holds, every byte of its buffers included.
std::string Contents(MelodySet& set) {
  std::string all(reinterpret_cast<const char*>(set.BlockImage()), kBlockImageSize);
  for (int k = 0; k < kMelodyCount; ++k) all += std::string(set.MelodyText(k), kMelodyTextSize) + Word(set.MelodyTempo(k));
  return all;
}

// Loads the bytes as a project into a set whose melody 3 held a text before.
void ExpectLoads(const std::string& bytes, const std::vector<std::string>& texts, const std::vector<uint16_t>& tempos) {
  WriteFile("load.bmt", bytes);
  MelodySet set;
  strcpy(set.MelodyText(2), "stale melody");
  ASSERT_EQ(set.LoadProject("load.bmt"), 1);
  for (int k = 0; k < kMelodyCount; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(std::string(set.MelodyText(k)), texts[k]);
    EXPECT_TRUE(AllBytes(reinterpret_cast<uint8_t*>(set.MelodyText(k)) + texts[k].size(),
                         kMelodyTextSize - static_cast<int>(texts[k].size()), 0));
    EXPECT_EQ(set.MelodyTempo(k), tempos[k]);
  }
}

TEST_F(MelodyTest, SaveWritesTextsInMelodyOrderAndTempoWordsInStorageOrder) {
  const std::vector<std::string> texts = {"C2(1/4)\r\nP(1/4)", "", "\xCC\xE5\xEB\xEE\xE4\xE8\xFF", std::string(2047, 'g')};
  const std::vector<uint16_t> tempos = {0, 65535, 300, 1};
  for (int k = 0; k < kMelodyCount; ++k) {
    strcpy(set.MelodyText(k), texts[k].c_str());
    set.MelodyTempo(k) = tempos[k];
  }
  ASSERT_EQ(set.SaveProject("song.bmt"), 1);
  const std::string saved = ReadFile("song.bmt");
  EXPECT_EQ(saved, Record(texts[0], 1) + Record(texts[1], 300) + Record(texts[2], 65535) + Record(texts[3], 0));
  ExpectLoads(saved, texts, tempos);
  EXPECT_EQ(set.SaveProject("no-such-folder/song.bmt"), 0);
}

TEST_F(MelodyTest, ASaveThatFailsLeavesTheOldProjectByteForByte) {
  strcpy(set.MelodyText(0), "C2(1/4) D2(1/8) E2(1/8) F2(1/4) G2(1/2)");
  const std::string old = Record("E2(1/2)", 90) + Record("", 128) + Record("", 128) + Record("", 128);
  // The disk fills up midway, the flush fails, the rename fails.
  for (int fault = 0; fault < 3; ++fault) {
    SCOPED_TRACE(fault);
    WriteFile("song.bmt", old);
    FaultyFileSystem files;
    files.spaceLeft = fault == 0 ? 20 : -1;
    files.flushFails = fault == 1;
    files.renamesBeforeFailure = fault == 2 ? 0 : -1;
    sys::SetLastError(0);
    EXPECT_EQ(set.SaveProject("song.bmt"), 0);
    EXPECT_EQ(sys::LastError(), kFaultCode);
    EXPECT_EQ(ReadFile("song.bmt"), old);
    EXPECT_EQ(FilesHere(), 1u) << "a temporary left";
  }
}

TEST_F(MelodyTest, LoadRefusesWhatIsNotAWholeProjectAndChangesNothing) {
  const std::string good = Record("C2(1/4)", 0x1234) + Record("D2(1/8)", 0x0303) + Record("", 7) + Record("E2(1/2)", 200);
  set.EncodeAll();
  const std::string block(reinterpret_cast<const char*>(set.BlockImage()), kBlockImageSize);
  const std::pair<const char*, std::string> cases[] = {
      {"cut inside a text", good.substr(0, 27)},
      {"cut inside the last tempo", good.substr(0, good.size() - 1)},
      {"one byte too many", good + "x"},
      {"a length running past the end", Word(0xFFFF) + good},
      {"a zero byte in a text", Record(std::string("ab\0cd", 5), 90) + good.substr(11)},
      {"a text of 2048 bytes", Record(std::string(kMaxMelodyTextLength + 1, 'a'), 1) + Record("", 2) + Record("", 3) + Record("", 4)},
      {"a block file", block},
  };
  // Every byte set apart from a fresh set's, behind the texts' ends too.
  for (int k = 0; k < kMelodyCount; ++k) {
    memset(set.MelodyText(k), 'q', kMelodyTextSize);
    set.MelodyText(k)[k * 100] = '\0';
    set.MelodyTempo(k) = static_cast<uint16_t>(1000 + k);
  }
  memset(set.BlockImage(), 0xAB, kBlockImageSize);
  const std::string before = Contents(set);
  for (const auto& [name, bytes] : cases) {
    WriteFile("bad.bmt", bytes);
    EXPECT_EQ(set.LoadProject("bad.bmt"), -1) << name;
    EXPECT_TRUE(Contents(set) == before) << name;
  }

  // Nothing to read: 0, and the system's reason.
  fs::create_directory("folder.bmt");
  WriteFile("good.bmt", good);
  for (const char* path : {"absent.bmt", "folder.bmt", "good.bmt"}) {
    FaultyFileSystem files;
    files.readFails = path == std::string("good.bmt");
    sys::SetLastError(0);
    EXPECT_EQ(set.LoadProject(path), 0) << path;
    EXPECT_TRUE(files.readFails ? sys::LastError() == kFaultCode : sys::LastError() != 0) << path;
    EXPECT_TRUE(Contents(set) == before) << path;
  }
  // A project loads (its texts and tempos as the save's round trip shows),
  // and the image stays as it was.
  ASSERT_EQ(set.LoadProject("good.bmt"), 1);
  EXPECT_TRUE(AllBytes(set.BlockImage(), kBlockImageSize, 0xAB));
}

}  // namespace
