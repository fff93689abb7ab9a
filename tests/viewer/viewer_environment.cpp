// The socket library and the seven decoders, for every test of the binary.
#include <encodings/standard_decoders.h>
#include <platform/winsock.h>
#include <rfb/decoder_registry.h>

#include <gtest/gtest.h>

namespace {

class ViewerEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        RegisterStandardDecoders();
    }
    void TearDown() override {
        ClearDecoders();
        WSACleanup();
    }
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new ViewerEnvironment);

}  // namespace
