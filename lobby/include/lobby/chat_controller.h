// The arena view's chat box: the arena, session and private tabs (types 27,
// 28 and 29) and the system lines other controllers add.
#pragma once

#include <string>

#include "lobby/dispatcher.h"
#include "lobby/text.h"

namespace tessary::lobby {

class ChatView {
public:
    virtual ~ChatView() = default;
    // A grey system line: StringTable text `text` formatted with `argument`.
    virtual void addSystemLine(Text text, const std::string& argument) = 0;
};

class ChatController {
public:
    explicit ChatController(ChatView& view) : view_(view) {}

    // Types 27-29 are claimed when the chat box is built.
    void registerWith(Dispatcher&) {}

    void systemLine(Text text, const std::string& argument = {}) {
        view_.addSystemLine(text, argument);
    }

private:
    ChatView& view_;
};

}  // namespace tessary::lobby
