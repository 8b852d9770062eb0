// What the connection's state machine needs from the main window. Each
// feature controller has its own narrow view beside it (account_controller.h,
// lobby_homes.h); the program's windows implement them, tests record them.
#pragma once

#include <cstdint>
#include <string>

#include "lobby/text.h"

namespace tessary::lobby {

enum class MessageStyle { Ok = 0, OkCancel = 1 };
enum class MessageResult { Ok = 1, Cancel = 2 };
enum class View { Router = 1, Arena = 2 };

// The lobby's modal message boxes, shared by every controller.
class MessageView {
public:
    virtual ~MessageView() = default;
    // StringTable texts; further polls may run while the box is open.
    virtual MessageResult showMessage(Text text, Text title,
                                      MessageStyle style = MessageStyle::Ok) = 0;
    // A server's text (already bounded) under the title "TSClient".
    virtual void showServerText(const std::string& text) = 0;
    virtual std::string text(Text text) = 0;
};

class LobbyView : public virtual MessageView {
public:
    virtual void setMainTitle(const std::string& title) = 0;
    virtual void showMainWindow() = 0;
    virtual void hideMainWindow() = 0;
    virtual void restoreMainWindow() = 0;  // un-minimise and bring to the front
    virtual void minimiseMainWindow() = 0;
    virtual void selectView(View view) = 0;
    virtual void setBusyCursor(bool busy) = 0;
    // Downloads and starts the update; false when it could not run.
    virtual bool runUpdate(const std::string& first, const std::string& second, int32_t number) = 0;
    // Ends the program (the main window closes; the ending runs once).
    virtual void endProgram() = 0;
};

}  // namespace tessary::lobby
