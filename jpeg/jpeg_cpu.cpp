#include "jpeg/jpeg_cpu.h"

#include <cstdlib>
#include <fstream>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#define LUMAPRESS_JPEG_X86 1
#endif

namespace lumapress {
namespace {

constexpr uint32_t kFamilyPentium = 5;
constexpr uint32_t kFamilyP6 = 6;
constexpr uint32_t kFamilyExtended = 15;  // base family of the Pentium 4 and every later x86-64
constexpr int kHighestClass = kJpegProcessorClassCount - 1;

std::string& ConfigPathStorage() {
  static std::string path = kJpegConfigPath;
  return path;
}

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

#if defined(__x86_64__)
// LZCNT (AMD's ABM): CPUID leaf 0x80000001, ECX bit 5. Not every compiler names it for
// __builtin_cpu_supports.
bool HasLzcnt() {
  constexpr unsigned kExtendedFeatures = 0x80000001u;
  constexpr unsigned kLzcntBit = 1u << 5;
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  return __get_cpuid(kExtendedFeatures, &eax, &ebx, &ecx, &edx) && (ecx & kLzcntBit) != 0;
}
#endif

}  // namespace

int ClassifyProcessor(const ProcessorIdentity& identity) {
  if (identity.maxLeaf < 1) return 0;
  const bool mmx = (identity.featureFlags & kCpuidMmx) != 0;
  const bool sse = (identity.featureFlags & kCpuidSse) != 0;
  const bool sse2 = (identity.featureFlags & kCpuidSse2) != 0;
  switch (identity.family) {
    case kFamilyPentium:
      return mmx ? 3 : 1;
    case kFamilyP6:
      if (!mmx) return 2;
      return sse ? 5 : 4;
    case kFamilyExtended:
      return sse2 ? 6 : 0;
    default:
      return 0;
  }
}

ProcessorIdentity IdentifyProcessor() {
  ProcessorIdentity identity{};
#ifdef LUMAPRESS_JPEG_X86
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  identity.maxLeaf = __get_cpuid_max(0, nullptr);
  if (identity.maxLeaf >= 1 && __get_cpuid(1, &eax, &ebx, &ecx, &edx)) {
    identity.family = (eax >> 8) & 0xF;
    identity.featureFlags = edx;
  }
#endif
  return identity;
}

std::optional<int> ParseUseCpu(std::string_view text) {
  text = Trim(text);
  if (text.empty() || text.size() > 9) return std::nullopt;  // nine digits cannot overflow
  bool negative = false;
  if (text.front() == '-' || text.front() == '+') {
    negative = text.front() == '-';
    text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
  }
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (negative) value = -value;
  if (value < 0 || value > kHighestClass) return std::nullopt;
  return value;
}

std::optional<int> ReadUseCpuSetting(const char* environmentValue, const std::string& configPath) {
  if (environmentValue != nullptr) {
    if (const auto forced = ParseUseCpu(environmentValue)) return forced;
  }
  std::ifstream file(configPath);
  std::optional<int> forced;
  std::string line;
  while (std::getline(file, line)) {
    const std::string_view text = Trim(line);
    const auto equals = text.find('=');
    if (equals == std::string_view::npos || Trim(text.substr(0, equals)) != kUseCpuKey) continue;
    forced = ParseUseCpu(text.substr(equals + 1));  // the last USECPU line decides
  }
  return forced;
}

const std::string& JpegConfigPath() { return ConfigPathStorage(); }

void SetJpegConfigPath(std::string path) { ConfigPathStorage() = std::move(path); }

int DecideProcessorClass() {
  if (const auto forced = ReadUseCpuSetting(std::getenv(kUseCpuEnvironment), JpegConfigPath())) {
    return *forced;
  }
  return ClassifyProcessor(IdentifyProcessor());
}

int ProcessorClassOfThisProcess() {
  static const int processorClass = DecideProcessorClass();
  return processorClass;
}

const char* InstructionSetName(JpegInstructionSet set) {
  switch (set) {
    case JpegInstructionSet::kPortable:
      return "portable";
    case JpegInstructionSet::kSse2:
      return "SSE2";
    case JpegInstructionSet::kAvx2:
      return "AVX2";
  }
  return "unknown";
}

bool InstructionSetAvailable(JpegInstructionSet set) {
  switch (set) {
    case JpegInstructionSet::kPortable:
      return true;
#if defined(__x86_64__)
    case JpegInstructionSet::kSse2:
      return true;  // part of x86-64
    case JpegInstructionSet::kAvx2:
      __builtin_cpu_init();
      return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
             __builtin_cpu_supports("bmi2") && HasLzcnt();
#endif
    default:
      return false;
  }
}

JpegInstructionSet FastestInstructionSet() {
  for (int set = kJpegInstructionSetCount - 1; set > 0; --set) {
    if (InstructionSetAvailable(JpegInstructionSet(set))) return JpegInstructionSet(set);
  }
  return JpegInstructionSet::kPortable;
}

}  // namespace lumapress
