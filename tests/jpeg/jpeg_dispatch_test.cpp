// The processor class: CPUID rows, the USECPU setting (environment variable and setting
// file) and what InitProperties makes of them.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>

#include "jpeg/jpeg_cpu.h"
#include "jpeg/jpeg_properties.h"
#include "support/jpeg_check.h"

namespace lumapress {
namespace {

struct ClassCase {
  const char* what;
  ProcessorIdentity identity;
  int expected;
};

TEST(JpegDispatchTest, ProcessorClassFollowsFamilyAndFeatureFlags) {
  constexpr uint32_t kMmxSse = kCpuidMmx | kCpuidSse;
  constexpr uint32_t kAll = kCpuidMmx | kCpuidSse | kCpuidSse2;
  const ClassCase cases[] = {
      {"no leaf 1", {0, 6, kAll}, 0},
      {"family 4", {1, 4, kAll}, 0},
      {"family 5 without MMX", {1, 5, 0}, 1},
      {"family 5 with MMX", {1, 5, kCpuidMmx}, 3},
      {"family 6 without MMX", {1, 6, kCpuidSse}, 2},
      {"family 6 with MMX only", {1, 6, kCpuidMmx}, 4},
      {"family 6 with MMX and SSE", {1, 6, kMmxSse}, 5},
      {"family 6 with everything", {13, 6, kAll}, 5},
      {"family 15 with SSE2", {1, 15, kAll}, 6},
      {"family 15 with only SSE2 flag", {1, 15, kCpuidSse2}, 6},
      {"family 15 without SSE2", {1, 15, kMmxSse}, 0},
      {"family 7", {1, 7, kAll}, 0},
      {"family 14", {1, 14, kAll}, 0},
  };
  for (const ClassCase& c : cases) {
    EXPECT_EQ(ClassifyProcessor(c.identity), c.expected) << c.what;
  }
}

TEST(JpegDispatchTest, ThisProcessorHasAClass) {
  const int processorClass = ClassifyProcessor(IdentifyProcessor());
  EXPECT_GE(processorClass, 0);
  EXPECT_LT(processorClass, kJpegProcessorClassCount);
#if defined(__x86_64__)
  EXPECT_TRUE(InstructionSetAvailable(JpegInstructionSet::kSse2));
#endif
  EXPECT_TRUE(InstructionSetAvailable(JpegInstructionSet::kPortable));
  EXPECT_TRUE(InstructionSetAvailable(FastestInstructionSet()));
}

struct ParseCase {
  const char* text;
  std::optional<int> expected;
};

TEST(JpegDispatchTest, UseCpuValuesOutsideZeroToSixAreIgnored) {
  const ParseCase cases[] = {
      {"0", 0}, {"6", 6}, {" 3 ", 3}, {"+2", 2}, {"-0", 0}, {"7", std::nullopt},
      {"-1", std::nullopt}, {"", std::nullopt}, {"  ", std::nullopt}, {"abc", std::nullopt},
      {"3x", std::nullopt}, {"4294967296", std::nullopt}, {"-", std::nullopt},
  };
  for (const ParseCase& c : cases) {
    EXPECT_EQ(ParseUseCpu(c.text), c.expected) << '"' << c.text << '"';
  }
}

// A setting file in the test's temporary folder, removed afterwards.
class SettingFile {
 public:
  explicit SettingFile(const std::string& text)
      : path_(std::filesystem::temp_directory_path() /
              ("lumapress_jpeg_" + std::to_string(::getpid()) + "_" +
               testing::UnitTest::GetInstance()->current_test_info()->name() + ".conf")) {
    std::ofstream(path_) << text;
  }
  ~SettingFile() { std::filesystem::remove(path_); }
  std::string Path() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

struct SettingCase {
  const char* what;
  const char* environment;  // null: unset
  const char* file;         // null: no file
  std::optional<int> expected;
};

TEST(JpegDispatchTest, EnvironmentWinsOverTheSettingFile) {
  const SettingCase cases[] = {
      {"nothing set", nullptr, nullptr, std::nullopt},
      {"file only", nullptr, "USECPU=5\n", 5},
      {"file with blanks and other lines", nullptr, "# classes\nOTHER=1\n  USECPU = 2  \n", 2},
      {"last line decides", nullptr, "USECPU=1\nUSECPU=4\n", 4},
      {"file value 7 ignored", nullptr, "USECPU=7\n", std::nullopt},
      {"file value negative ignored", nullptr, "USECPU=-1\n", std::nullopt},
      {"lower-case key is another key", nullptr, "usecpu=3\n", std::nullopt},
      {"environment only", "0", nullptr, 0},
      {"environment over file", "3", "USECPU=6\n", 3},
      {"invalid environment falls to file", "9", "USECPU=6\n", 6},
      {"empty environment falls to file", "", "USECPU=1\n", 1},
      {"invalid both", "x", "USECPU=x\n", std::nullopt},
  };
  for (const SettingCase& c : cases) {
    std::optional<SettingFile> file;
    if (c.file != nullptr) file.emplace(c.file);
    const std::string path = file ? file->Path() : "/nonexistent/lumapress/jpeg.conf";
    EXPECT_EQ(ReadUseCpuSetting(c.environment, path), c.expected) << c.what;
  }
}

// Sets or (null) removes an environment variable.
void SetEnvironment(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value != nullptr ? value : "");  // an empty value removes it there
#else
  if (value != nullptr) {
    setenv(name, value, 1);
  } else {
    unsetenv(name);
  }
#endif
}

// Sets LUMAPRESS_USECPU and the setting file path for one test and restores both.
class ForcedClass {
 public:
  ForcedClass(const char* value, std::string configPath) : savedPath_(JpegConfigPath()) {
    if (const char* old = std::getenv(kUseCpuEnvironment)) saved_ = old;
    SetEnvironment(kUseCpuEnvironment, value);
    SetJpegConfigPath(std::move(configPath));
  }
  ~ForcedClass() {
    SetEnvironment(kUseCpuEnvironment, saved_ ? saved_->c_str() : nullptr);
    SetJpegConfigPath(savedPath_);
  }

 private:
  std::optional<std::string> saved_;
  std::string savedPath_;
};

constexpr char kNoFile[] = "/nonexistent/lumapress/jpeg.conf";

TEST(JpegDispatchTest, DecidedClassIsTheForcedOneOrThisProcessors) {
  const int own = ClassifyProcessor(IdentifyProcessor());
  const SettingFile file("USECPU=0\n");
  const std::string filePath = file.Path();
  const struct {
    const char* environment;
    const char* configPath;
    int expected;
  } cases[] = {{"0", kNoFile, 0}, {"3", kNoFile, 3}, {"6", kNoFile, 6}, {"7", kNoFile, own},
               {"-1", kNoFile, own}, {nullptr, kNoFile, own}, {nullptr, filePath.c_str(), 0},
               {"5", filePath.c_str(), 5}};
  for (const auto& c : cases) {
    ForcedClass forced(c.environment, c.configPath);
    EXPECT_EQ(DecideProcessorClass(), c.expected) << (c.environment ? c.environment : "unset");
  }
}

// The class is decided once, when the process makes its first record; a record's arithmetic
// follows it. Run in a fresh process, where no record was made yet.
TEST(JpegDispatchTest, EveryRecordOfAProcessTakesTheClassDecidedAtTheFirst) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto classOfRecords = [] {
    int classes[2];
    for (int& processorClass : classes) {
      JPEG_PROPERTIES record{};
      InitProperties(record);
      processorClass = record.workingState.ops.processorClass;
      const bool vector = record.workingState.ops.set == JpegOpsSet::kVector;
      ReleaseProperties(record);
      if (vector != ClassUsesVectorArithmetic(processorClass)) std::exit(100);
      SetEnvironment(kUseCpuEnvironment, "6");  // too late for this process
    }
    std::exit(classes[0] == classes[1] ? classes[0] : 101);
  };
  for (const int processorClass : {1, 4}) {
    ForcedClass forced(std::to_string(processorClass).c_str(), kNoFile);
    EXPECT_EXIT(classOfRecords(), ::testing::ExitedWithCode(processorClass), "");
  }
}

// Every forced class encodes exactly as the portable code of its arithmetic.
TEST(JpegDispatchTest, EveryClassEncodesLikeThePortableCodeOfItsArithmetic) {
  const int width = 45, height = 37;
  const auto rgb = test::MakePhotoLikeRgb(width, height, 7);
  for (int processorClass = 0; processorClass < kJpegProcessorClassCount; ++processorClass) {
    std::vector<uint8_t> buffer(JpegWorstCaseSize(width, height));
    JPEG_PROPERTIES record{};
    InitProperties(record);
    record.workingState.ops = MakeJpegOpsForClass(processorClass);
    test::SetUpSwfStyleRecord(record, rgb.data(), width, height, 3, 80, buffer.data(), buffer.size());
    ASSERT_EQ(EncodeImage(record, kJpegModeBuffer), 0);
    buffer.resize(size_t(record.jpegBufferSize));
    ReleaseProperties(record);
    const JpegOpsSet set = processorClass >= 3 ? JpegOpsSet::kVector : JpegOpsSet::kPlain;
    const auto portable = test::EncodeWithLumapress(rgb, width, height, 3, 80, set, 0, JpegInstructionSet::kPortable);
    ASSERT_EQ(portable.result, 0);
    EXPECT_EQ(buffer, portable.bytes) << "class " << processorClass;
  }
}

}  // namespace
}  // namespace lumapress
