#pragma once

// Which per-block operations an encode runs: the processor class (from the processor's
// identification, or forced by the machine-wide USECPU setting) decides the arithmetic,
// and the fastest instruction set the processor has computes it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumapress {

// Processor classes 0-6. Classes 0-2 run the plain (32-bit) DCT and quantiser, classes 3-6
// the 16-bit saturating (vector) ones.
inline constexpr int kJpegProcessorClassCount = 7;

// What CPUID reports: the highest standard leaf, the base family of leaf 1 (EAX bits 8-11,
// without the extended family) and the feature flags of leaf 1 (EDX).
struct ProcessorIdentity {
  uint32_t maxLeaf;
  uint32_t family;
  uint32_t featureFlags;
};

inline constexpr uint32_t kCpuidMmx = 1u << 23;
inline constexpr uint32_t kCpuidSse = 1u << 25;
inline constexpr uint32_t kCpuidSse2 = 1u << 26;

// The class of a processor: 3 family 5 with MMX, 1 without; 5 family 6 with MMX and SSE,
// 4 with MMX only, 2 without MMX; 6 family 15 with SSE2; 0 for everything else (including a
// maximum leaf below 1, which reports no family).
int ClassifyProcessor(const ProcessorIdentity& identity);

// This processor's identity; all zero where CPUID does not exist (the class is then 0).
ProcessorIdentity IdentifyProcessor();

// True for the classes that run the 16-bit (vector) arithmetic.
inline bool ClassUsesVectorArithmetic(int processorClass) { return processorClass >= 3; }

// A USECPU value: a decimal integer 0-6, surrounding blanks allowed. Anything else (other
// numbers, text, an empty value) is not a class and is ignored.
std::optional<int> ParseUseCpu(std::string_view text);

// The machine-wide setting file and the line in it that forces the class.
inline constexpr char kJpegConfigPath[] = "/etc/lumapress/jpeg.conf";
inline constexpr char kUseCpuKey[] = "USECPU";
// The environment variable that forces the class ahead of the setting file.
inline constexpr char kUseCpuEnvironment[] = "LUMAPRESS_USECPU";

// The forced class, if any: a valid LUMAPRESS_USECPU value (`environmentValue`, null when
// unset) wins; otherwise the last "USECPU=N" line of the file at `configPath` when its value
// is valid. A missing or unreadable file forces nothing.
std::optional<int> ReadUseCpuSetting(const char* environmentValue, const std::string& configPath);

// The setting file InitProperties reads (kJpegConfigPath unless a test points it elsewhere).
const std::string& JpegConfigPath();
void SetJpegConfigPath(std::string path);

// The forced class if there is one (read now), else this processor's.
int DecideProcessorClass();

// The class every record of this process takes: DecideProcessorClass, asked once, at the
// first record.
int ProcessorClassOfThisProcess();

// Instruction sets that compute the operations; all give the same bytes.
enum class JpegInstructionSet : int32_t { kPortable = 0, kSse2 = 1, kAvx2 = 2 };
inline constexpr int kJpegInstructionSetCount = 3;
const char* InstructionSetName(JpegInstructionSet set);

// True when this build has the set and this processor runs it (AVX2 also needs BMI1, BMI2
// and LZCNT, which every AVX2 processor has, and the operating system's YMM support).
bool InstructionSetAvailable(JpegInstructionSet set);

// The fastest available set.
JpegInstructionSet FastestInstructionSet();

}  // namespace lumapress
