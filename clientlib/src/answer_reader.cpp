#include "answer_reader.h"

#include "text_out.h"

namespace tessary::clientlib {

using protocol::TSFAIL;
using protocol::TSSUCCESS;

Answer readAnswer(const CurrentMessage& current, uint8_t request, char* result, char* error) {
    const protocol::ServiceMessage* message = current.message();
    if (!message) return {};
    if (result) *result = char(message->type);
    if (message->type != TSSUCCESS && message->type != TSFAIL) return {};
    uint8_t answered = 0;
    if (!message->body.readInteger(0, answered) || answered != request) return {};

    const protocol::ValueList* data = message->body.list(1);
    if (message->type == TSSUCCESS) return {Answer::Success, data};
    const std::string* failure = data ? data->text(0) : nullptr;
    if (!failure) return {};
    copyText(*failure, error);
    return {Answer::Failure, nullptr};
}

}  // namespace tessary::clientlib
