// The socket library and the seven decoders, for every test of the binary.
#include "session_environment.h"

namespace {

const auto* const environment = ::testing::AddGlobalTestEnvironment(new SessionEnvironment);

}  // namespace
