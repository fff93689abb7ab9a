// The sessions of every test in this program decode with the standard decoders.
#include <encodings/standard_decoders.h>
#include <rfb/decoder_registry.h>

#include <gtest/gtest.h>

namespace {

class DecoderEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { RegisterStandardDecoders(); }
    void TearDown() override { ClearDecoders(); }
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new DecoderEnvironment);

}  // namespace
