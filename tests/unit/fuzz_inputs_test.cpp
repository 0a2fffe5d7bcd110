// The fuzz targets of tests/fuzz run as a seeded random driver: the stored corpus first, then
// random inputs and mutations of the corpus. VS_FUZZ_CASES sets the number of random cases per
// target (scripts/fuzz raises it; the default keeps the unit run short).
#include <cstdint>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../fuzz/FuzzTargets.h"

namespace {

using Target = const char* (*)(const uint8_t*, size_t);
using Input = std::vector<uint8_t>;

long CasesPerTarget() {
  const char* text = std::getenv("VS_FUZZ_CASES");
  long cases = text != nullptr ? std::strtol(text, nullptr, 10) : 0;
  return cases > 0 ? cases : 20000;
}

std::string CorpusFolder(const std::string& target) {
  std::string here = __FILE__;
  return here.substr(0, here.find_last_of('/')) + "/../fuzz/corpus/" + target;
}

std::vector<Input> LoadCorpus(const std::string& target) {
  std::vector<Input> inputs;
  std::string folder = CorpusFolder(target);
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return inputs;
  while (dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    std::ifstream file(folder + "/" + entry->d_name, std::ios::binary);
    inputs.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  ::closedir(dir);
  return inputs;
}

std::string Hex(const Input& input) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < input.size() && i < 256; ++i) {
    text += digits[input[i] >> 4];
    text += digits[input[i] & 15];
  }
  return text;
}

// Random bytes, text from a small alphabet, or a corpus entry with a few bytes changed, cut or
// grown: the last reaches deep into the targets' happy paths, the others their edges.
Input MakeInput(std::mt19937& rng, const std::vector<Input>& corpus, const std::string& alphabet) {
  Input input;
  uint32_t kind = rng() % 4;
  if (kind == 0 && !corpus.empty()) {
    input = corpus[rng() % corpus.size()];
    int changes = 1 + static_cast<int>(rng() % 8);
    for (int i = 0; i < changes && !input.empty(); ++i) {
      input[rng() % input.size()] = static_cast<uint8_t>(rng());
    }
    if (rng() % 4 == 0) input.resize(rng() % (input.size() + 64));
  } else if (kind == 1 && !alphabet.empty()) {
    input.resize(rng() % 48);
    for (uint8_t& b : input) b = static_cast<uint8_t>(alphabet[rng() % alphabet.size()]);
  } else {
    input.resize(rng() % (kind == 2 ? 64 : 1024));
    for (uint8_t& b : input) b = static_cast<uint8_t>(rng());
  }
  return input;
}

void Drive(const std::string& name, Target target, uint32_t seed,
           const std::string& alphabet = "") {
  std::vector<Input> corpus = LoadCorpus(name);
  EXPECT_FALSE(corpus.empty()) << "no corpus in " << CorpusFolder(name);
  for (const Input& input : corpus) {
    const char* broken = target(input.data(), input.size());
    ASSERT_EQ(broken, nullptr) << broken << "\ncorpus input " << Hex(input);
  }
  std::mt19937 rng(seed);
  const long cases = CasesPerTarget();
  for (long n = 0; n < cases; ++n) {
    Input input = MakeInput(rng, corpus, alphabet);
    const char* broken = target(input.data(), input.size());
    ASSERT_EQ(broken, nullptr) << broken << "\ncase " << n << " input " << Hex(input);
  }
}

TEST(FuzzInputs, IdentificationAndStepTablesSurviveTamperedAnswers) {
  Drive("processor", &fuzz::FuzzProcessorSetup, 0x5eed0001u);
}

TEST(FuzzInputs, IntervalFieldAgreesWithTheLongWayRound) {
  Drive("interval", &fuzz::FuzzIntervalField, 0x5eed0002u, " \t+-0123456789x\x01\xff");
}

TEST(FuzzInputs, SettingsLoadKeepsItsRulesForAnyStoredValues) {
  Drive("settings", &fuzz::FuzzSettingsLoad, 0x5eed0003u);
}

TEST(FuzzInputs, ChartModelStaysInsideItsArrays) {
  Drive("chart", &fuzz::FuzzChartModel, 0x5eed0004u);
}

// The harness itself must be able to fail: a rule the parser breaks on purpose is caught.
TEST(FuzzInputs, TheReferenceParserDisagreesWithAWrongAnswer) {
  uint32_t value = 0;
  EXPECT_TRUE(fuzz::ReferenceParse(" +0042\t", value));
  EXPECT_EQ(value, 42u);
  EXPECT_TRUE(fuzz::ReferenceParse("99999999999999", value));
  EXPECT_EQ(value, 0xFFFFFFFFu);
  EXPECT_FALSE(fuzz::ReferenceParse("-1", value));
  EXPECT_FALSE(fuzz::ReferenceParse("+", value));
  EXPECT_FALSE(fuzz::ReferenceParse(" +0", value));
  EXPECT_TRUE(fuzz::ReferenceParse(" 000 ", value));
  EXPECT_EQ(value, 0u);
  EXPECT_FALSE(fuzz::ReferenceParse("1 2", value));
  EXPECT_TRUE(
      fuzz::ReferenceParse("7" + std::string(30, ' ') + "x", value));  // x is past the 31 read
  EXPECT_EQ(value, 7u);
}

}  // namespace
