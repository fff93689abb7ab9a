// For a test binary whose sessions run over real sockets: the socket library and the seven
// decoders, set up once for all its tests (AddGlobalTestEnvironment in one of its files).
#pragma once

#include <encodings/standard_decoders.h>
#include <platform/winsock.h>
#include <rfb/decoder_registry.h>

#include <gtest/gtest.h>

class SessionEnvironment : public ::testing::Environment {
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
