// The client library as the lobby sees it: one pointer per export, typed from
// TSClient.h and filled by binding libTSClient.so by name (or, in tests, by
// fakes). A signature that differs from the header fails to compile.
#pragma once

#include <cstddef>

#include "TSClient.h"
#include "lobby/client_exports.h"
#include "platform/shared_library.h"
#include "protocol/message_types.h"

namespace tessary::lobby {

// Every text the library writes goes into a buffer of this size; the library
// never writes more (longer server texts arrive cut).
inline constexpr std::size_t kTextOutSize = TS_TEXT_OUT_SIZE;

// The result character of an answer: the code of the message that carried it.
inline constexpr char kAnswerSuccess = char(protocol::TSSUCCESS);
inline constexpr char kAnswerFailure = char(protocol::TSFAIL);

struct ClientApi {
    TESSARY_BOUND_EXPORTS(TS_CLIENT_EXPORTS)
};

static_assert(ClientApi::kExportNames.size() == 73);

}  // namespace tessary::lobby
